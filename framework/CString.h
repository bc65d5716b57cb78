#pragma once
// Narrow (UTF-8) string of the framework. It wraps std::string so that no
// caller ever needs a fixed-size buffer. It needs no windows.h, so that pure
// logic can use it; for the same reason no member bears a name that a Windows
// macro renames (LoadString would become LoadStringW in some files only).

#include <cstdarg>
#include <string>
#include <string_view>

#if defined(__GNUC__)
#define HEFT_PRINTF_FORMAT(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#else
#define HEFT_PRINTF_FORMAT(fmt, args)
#endif

class CString {
public:
    CString() = default;
    CString(const char* psz) : m_str(psz ? psz : "") {}
    CString(const char* p, size_t n) : m_str(p, n) {}
    CString(std::string s) : m_str(std::move(s)) {}
    CString(std::string_view s) : m_str(s) {}
    CString(char ch, size_t repeat = 1) : m_str(repeat, ch) {}

    operator const char*() const { return m_str.c_str(); }
    const char* GetString() const { return m_str.c_str(); }
    const std::string& str() const { return m_str; }
    std::string& str() { return m_str; }

    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    char GetAt(int i) const { return m_str[static_cast<size_t>(i)]; }
    char operator[](int i) const { return GetAt(i); }

    CString Left(int n) const;
    CString Right(int n) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    int Find(char ch, int start = 0) const;
    int Find(const char* sub, int start = 0) const;
    int ReverseFind(char ch) const;

    void MakeUpper();
    void MakeLower();
    void TrimRight();
    int Replace(const char* oldText, const char* newText);
    int Compare(const char* other) const;
    int CompareNoCase(const char* other) const;

    void Format(const char* fmt, ...) HEFT_PRINTF_FORMAT(2, 3);
    void FormatV(const char* fmt, va_list args);
    // Loads a string resource of the running module; false when it is absent
    // (and always on a system without resources).
    bool LoadFromResource(unsigned id);

    CString& operator=(const char* psz) { m_str = psz ? psz : ""; return *this; }
    CString& operator+=(const CString& s) { m_str += s.m_str; return *this; }
    CString& operator+=(const char* psz) { if (psz) m_str += psz; return *this; }
    CString& operator+=(char ch) { m_str += ch; return *this; }

    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_str + b.m_str); }
    friend CString operator+(const CString& a, const char* b) { return CString(a.m_str + (b ? b : "")); }
    friend CString operator+(const char* a, const CString& b) { return CString((a ? a : "") + b.m_str); }
    friend CString operator+(const CString& a, char b) { return CString(a.m_str + b); }
    friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
    friend bool operator==(const CString& a, const char* b) { return a.m_str == (b ? b : ""); }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_str < b.m_str; }

private:
    std::string m_str;
};
