#pragma once
// An open registry key, closed when it goes. Key paths, value names and texts
// are UTF-8; a null value name stands for the key's default value.
#include <windows.h>

#include "framework/CString.h"

class CRegKey {
public:
    CRegKey() = default;
    ~CRegKey() { Close(); }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    // Opens an existing key; false when it is absent or refused.
    bool Open(HKEY hParent, const char* path, REGSAM access = KEY_READ);
    // Opens a key for reading and writing, making it (and any parents) when absent.
    bool Create(HKEY hParent, const char* path);
    void Close();
    bool IsOpen() const { return m_hKey != nullptr; }

    // A text value (REG_SZ; REG_EXPAND_SZ too when asked, left unexpanded);
    // false when it is absent or of another type.
    bool QueryStringValue(const char* name, CString& value, bool acceptExpandable = false) const;
    bool SetStringValue(const char* name, const char* value);
    bool QueryDWORDValue(const char* name, DWORD& value) const;
    bool SetDWORDValue(const char* name, DWORD value);
    // ERROR_SUCCESS, ERROR_FILE_NOT_FOUND for a value that is not there, or the failure.
    LONG DeleteValue(const char* name);

private:
    HKEY m_hKey = nullptr;
};
