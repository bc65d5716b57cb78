#pragma once
// The version resource of an executable file, read back as Explorer's
// Details tab and Add/Remove Programs read it.
#include <windows.h>

#include <string>
#include <vector>

class VersionInfo {
public:
    // Empty (Loaded() false) when the file has no version resource.
    explicit VersionInfo(const std::wstring& path);

    bool Loaded() const { return !m_data.empty(); }
    // The fixed part: numeric versions, flags, file type; null when absent.
    const VS_FIXEDFILEINFO* Fixed() const;
    // The first entry of the translation table: the language in the low
    // word, the code page in the high word; 0 when absent.
    DWORD Translation() const;
    // A value ("CompanyName", "FileVersion", ...) of the string table the
    // translation table names; "<missing>" when absent.
    std::wstring String(const wchar_t* name) const;

    // "1.2.3.4" of a fixed-part version pair.
    static std::wstring Dotted(DWORD mostSignificant, DWORD leastSignificant);
    // The path of a loaded module (null: this executable).
    static std::wstring ModulePath(HMODULE module = nullptr);

private:
    std::vector<BYTE> m_data;
};
