#pragma once
#include <windows.h>

// A file handle opened here, closed when it goes out of scope. Closing keeps
// the system's error, so that the caller sees why the work on the handle failed.
class OwnedHandle {
public:
    explicit OwnedHandle(HANDLE handle = INVALID_HANDLE_VALUE) : m_handle(handle) {}
    ~OwnedHandle() { Close(); }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;

    bool Valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }
    // The handle is the caller's from now on.
    HANDLE Release()
    {
        const HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return handle;
    }
    // Takes another handle, closing the one held.
    void Attach(HANDLE handle)
    {
        Close();
        m_handle = handle;
    }
    // Closes the handle now; false (with the system's error) when closing failed.
    bool Close()
    {
        if (!Valid()) return true;
        const DWORD error = GetLastError();
        const bool closed = CloseHandle(Release()) != FALSE;
        if (closed) SetLastError(error);
        return closed;
    }

private:
    HANDLE m_handle;
};
