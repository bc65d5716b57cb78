#include "CString.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include "framework/Utf16.h"
#endif

CString CString::Left(int n) const
{
    if (n <= 0) return CString();
    return CString(m_str.substr(0, static_cast<size_t>(n)));
}

CString CString::Right(int n) const
{
    if (n <= 0) return CString();
    size_t count = std::min(static_cast<size_t>(n), m_str.size());
    return CString(m_str.substr(m_str.size() - count));
}

CString CString::Mid(int first) const
{
    if (first < 0) first = 0;
    if (static_cast<size_t>(first) >= m_str.size()) return CString();
    return CString(m_str.substr(static_cast<size_t>(first)));
}

CString CString::Mid(int first, int count) const
{
    if (first < 0) first = 0;
    if (count <= 0 || static_cast<size_t>(first) >= m_str.size()) return CString();
    return CString(m_str.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

int CString::Find(char ch, int start) const
{
    if (start < 0) start = 0;
    size_t pos = m_str.find(ch, static_cast<size_t>(start));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(const char* sub, int start) const
{
    if (start < 0) start = 0;
    size_t pos = m_str.find(sub ? sub : "", static_cast<size_t>(start));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(char ch) const
{
    size_t pos = m_str.rfind(ch);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

// The ASCII letters of a text mapped, whatever the C library's locale.
static void MapAsciiCase(std::string& s, bool upper)
{
    for (char& c : s) {
        if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        else if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
}

// Case mapping goes through UTF-16 on Windows so that letters outside ASCII
// are mapped as the system maps them; elsewhere only ASCII letters change.
static void MapCase(std::string& s, bool upper)
{
#ifdef _WIN32
    // A text in ASCII alone maps the same either way, and far faster here
    // (sorting by name maps both names of every comparison).
    if (std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        MapAsciiCase(s, upper);
        return;
    }
    std::wstring wide = Utf8ToWide(s);
    if (!wide.empty()) {
        if (upper) CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
        else CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
        CString mapped = WideToUtf8(wide);
        if (!mapped.IsEmpty()) {
            s.swap(mapped.str());
            return;
        }
    }
#endif
    MapAsciiCase(s, upper);
}

void CString::MakeUpper() { MapCase(m_str, true); }
void CString::MakeLower() { MapCase(m_str, false); }

void CString::TrimRight()
{
    while (!m_str.empty() && std::isspace(static_cast<unsigned char>(m_str.back()))) m_str.pop_back();
}

int CString::Replace(const char* oldText, const char* newText)
{
    if (!oldText || !*oldText) return 0;
    std::string from(oldText), to(newText ? newText : "");
    int count = 0;
    for (size_t pos = m_str.find(from); pos != std::string::npos; pos = m_str.find(from, pos + to.size())) {
        m_str.replace(pos, from.size(), to);
        ++count;
    }
    return count;
}

int CString::Compare(const char* other) const
{
    int r = std::strcmp(m_str.c_str(), other ? other : "");
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

int CString::CompareNoCase(const char* other) const
{
    CString a(*this), b(other);
    a.MakeUpper();
    b.MakeUpper();
    return a.Compare(b);
}

void CString::Format(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    FormatV(fmt, args);
    va_end(args);
}

void CString::FormatV(const char* fmt, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int len = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    if (len < 0) {
        m_str.clear();
        return;
    }
    std::string out(static_cast<size_t>(len) + 1, '\0');
    std::vsnprintf(out.data(), out.size(), fmt, args);
    out.resize(static_cast<size_t>(len));
    m_str.swap(out);
}

bool CString::LoadFromResource(unsigned id)
{
#ifdef _WIN32
    // A pointer to the resource's own UTF-16 text avoids guessing a length.
    const wchar_t* text = nullptr;
    int len = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (len <= 0 || !text) {
        m_str.clear();
        return false;
    }
    *this = WideToUtf8(std::wstring_view(text, static_cast<size_t>(len)));
    return true;
#else
    (void)id;
    m_str.clear();
    return false;
#endif
}
