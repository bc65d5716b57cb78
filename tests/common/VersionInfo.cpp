#include "tests/common/VersionInfo.h"

#include <cstring>
#include <cwchar>

VersionInfo::VersionInfo(const std::wstring& path)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return;
    m_data.resize(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, m_data.data())) m_data.clear();
}

const VS_FIXEDFILEINFO* VersionInfo::Fixed() const
{
    void* value = nullptr;
    UINT length = 0;
    if (!Loaded() || !VerQueryValueW(m_data.data(), L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
        return nullptr;
    return static_cast<const VS_FIXEDFILEINFO*>(value);
}

DWORD VersionInfo::Translation() const
{
    void* value = nullptr;
    UINT length = 0;
    if (!Loaded() || !VerQueryValueW(m_data.data(), L"\\VarFileInfo\\Translation", &value, &length) ||
        length < sizeof(DWORD))
        return 0;
    DWORD translation = 0;
    std::memcpy(&translation, value, sizeof(translation));
    return translation;
}

std::wstring VersionInfo::String(const wchar_t* name) const
{
    const DWORD translation = Translation();
    wchar_t block[32];
    std::swprintf(block, 32, L"\\StringFileInfo\\%04X%04X\\", LOWORD(translation), HIWORD(translation));
    const std::wstring query = block + std::wstring(name);
    void* value = nullptr;
    UINT length = 0;
    if (!Loaded() || !VerQueryValueW(m_data.data(), query.c_str(), &value, &length)) return L"<missing>";
    // The length counts the terminating null, when there is one.
    std::wstring text(static_cast<const wchar_t*>(value), length);
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

std::wstring VersionInfo::Dotted(DWORD mostSignificant, DWORD leastSignificant)
{
    return std::to_wstring(HIWORD(mostSignificant)) + L"." + std::to_wstring(LOWORD(mostSignificant)) + L"." +
           std::to_wstring(HIWORD(leastSignificant)) + L"." + std::to_wstring(LOWORD(leastSignificant));
}

std::wstring VersionInfo::ModulePath(HMODULE module)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}
