#pragma once
// Holders for what the shell hands out: interface pointers and item
// identifier lists, each let go when its holder goes.
#include <windows.h>
#include <objbase.h>
#include <shtypes.h>

#include <memory>

// An interface pointer released when it goes.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() { Reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    T* Get() const { return m_p; }
    T* operator->() const { return m_p; }
    void Reset()
    {
        if (m_p) m_p->Release();
        m_p = nullptr;
    }
    // The slot a creating call fills.
    T** Receive()
    {
        Reset();
        return &m_p;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

private:
    T* m_p = nullptr;
};

// Id lists come from the shell's allocator, which is the COM task allocator.
struct IdListFree {
    void operator()(ITEMIDLIST* pidl) const { CoTaskMemFree(pidl); }
};
using IdList = std::unique_ptr<ITEMIDLIST, IdListFree>;
