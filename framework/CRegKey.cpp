#include "framework/CRegKey.h"

#include "framework/Utf16.h"

#include <cwchar>
#include <string>

namespace {

// The wide form of a value name; null stays null (the default value).
struct ValueName {
    explicit ValueName(const char* name) : isNull(name == nullptr), wide(Utf8ToWide(name ? name : "")) {}
    const wchar_t* get() const { return isNull ? nullptr : wide.c_str(); }
    bool isNull;
    std::wstring wide;
};

} // namespace

bool CRegKey::Open(HKEY hParent, const char* path, REGSAM access)
{
    Close();
    HKEY hKey = nullptr;
    if (RegOpenKeyExW(hParent, Utf8ToWide(path ? path : "").c_str(), 0, access, &hKey) != ERROR_SUCCESS) return false;
    m_hKey = hKey;
    return true;
}

bool CRegKey::Create(HKEY hParent, const char* path)
{
    Close();
    HKEY hKey = nullptr;
    if (RegCreateKeyExW(hParent, Utf8ToWide(path ? path : "").c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                        &hKey, nullptr) != ERROR_SUCCESS)
        return false;
    m_hKey = hKey;
    return true;
}

void CRegKey::Close()
{
    if (m_hKey) RegCloseKey(m_hKey);
    m_hKey = nullptr;
}

bool CRegKey::QueryStringValue(const char* name, CString& value, bool acceptExpandable) const
{
    if (!m_hKey) return false;
    const ValueName wideName(name);
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(m_hKey, wideName.get(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && !(acceptExpandable && type == REG_EXPAND_SZ)) return false;
    // A stored text need not end with a null: room for one more character.
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegQueryValueExW(m_hKey, wideName.get(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes) !=
        ERROR_SUCCESS)
        return false;
    text.resize(wcsnlen(text.c_str(), text.size()));
    value = WideToUtf8(text);
    return true;
}

bool CRegKey::SetStringValue(const char* name, const char* value)
{
    if (!m_hKey) return false;
    const std::wstring text = Utf8ToWide(value ? value : "");
    return RegSetValueExW(m_hKey, ValueName(name).get(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool CRegKey::QueryDWORDValue(const char* name, DWORD& value) const
{
    if (!m_hKey) return false;
    DWORD type = 0, data = 0, bytes = sizeof(data);
    if (RegQueryValueExW(m_hKey, ValueName(name).get(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return false;
    value = data;
    return true;
}

bool CRegKey::SetDWORDValue(const char* name, DWORD value)
{
    return m_hKey && RegSetValueExW(m_hKey, ValueName(name).get(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                    sizeof(value)) == ERROR_SUCCESS;
}

LONG CRegKey::DeleteValue(const char* name)
{
    if (!m_hKey) return ERROR_INVALID_HANDLE;
    return RegDeleteValueW(m_hKey, ValueName(name).get());
}
