#pragma once
#include "framework/afxwin_base.h"

// A GDI object (bitmap, pen, brush, font) deleted when it goes.
template <class H>
class CGdiObject {
public:
    CGdiObject() = default;
    explicit CGdiObject(H h) : m_h(h) {}
    ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    void Attach(H h)
    {
        DeleteObject();
        m_h = h;
    }
    void DeleteObject()
    {
        if (m_h) ::DeleteObject(m_h);
        m_h = nullptr;
    }
    // Gives the object up without deleting it.
    H Detach()
    {
        H h = m_h;
        m_h = nullptr;
        return h;
    }
    H GetSafeHandle() const { return m_h; }
    operator H() const { return m_h; }

private:
    H m_h = nullptr;
};

using CBitmap = CGdiObject<HBITMAP>;
using CPen = CGdiObject<HPEN>;
using CBrush = CGdiObject<HBRUSH>;
using CFont = CGdiObject<HFONT>;
