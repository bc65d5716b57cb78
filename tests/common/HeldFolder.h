#pragma once
#include <windows.h>

#include "framework/CFileFind.h"

// Holds a folder open without sharing: nobody else can search it meanwhile.
class HeldFolder {
public:
    explicit HeldFolder(const CString& path)
        : m_handle(CreateFileW(ToWidePath(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr))
    {
    }
    ~HeldFolder() { Release(); }
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;
    bool Held() const { return m_handle != INVALID_HANDLE_VALUE; }
    void Release()
    {
        if (Held()) CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_handle;
};
