#pragma once
#include "framework/afxwin_base.h"

// A block of global memory, freed when it goes: the DEVMODE and DEVNAMES of
// a printer choice, which the print dialogs take and give back as handles.
class CGlobalMemory {
public:
    CGlobalMemory() = default;
    explicit CGlobalMemory(HGLOBAL h) : m_h(h) {}
    ~CGlobalMemory() { Free(); }
    CGlobalMemory(const CGlobalMemory&) = delete;
    CGlobalMemory& operator=(const CGlobalMemory&) = delete;

    HGLOBAL Get() const { return m_h; }
    // Takes the block over; the one held before is freed unless it is the same.
    void Attach(HGLOBAL h)
    {
        if (h != m_h) Free();
        m_h = h;
    }
    void Free()
    {
        if (m_h) GlobalFree(m_h);
        m_h = nullptr;
    }

private:
    HGLOBAL m_h = nullptr;
};
