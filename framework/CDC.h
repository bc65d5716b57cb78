#pragma once
#include "framework/afxwin_base.h"

#include <string_view>

// A device context the caller draws into. It does not own the handle;
// CPaintDC and CClientDC do. Drawing goes to the output context; what the
// drawing asks of the device (its capabilities, the width of a text) is
// asked of the attribute context. Both are the same context except in print
// preview, where the output is the screen and the attributes are the
// printer's, so that a page is laid out exactly as the printer will print it.
// Texts are UTF-8.
class CDC {
public:
    CDC() = default;
    explicit CDC(HDC hdc) : m_hDC(hdc), m_hAttribDC(hdc) {}
    CDC(HDC hOutput, HDC hAttrib) : m_hDC(hOutput), m_hAttribDC(hAttrib) {}
    virtual ~CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC GetSafeHdc() const { return m_hDC; }
    HDC GetAttribDC() const { return m_hAttribDC; }
    operator HDC() const { return m_hDC; }

    // Selects into both contexts; returns what the output context had.
    HGDIOBJ SelectObject(HGDIOBJ obj);
    COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
    COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
    UINT SetTextAlign(UINT align) { return ::SetTextAlign(m_hDC, align); }
    BOOL ExtTextOut(int x, int y, UINT options, const RECT* rc, std::string_view text);
    BOOL TextOut(int x, int y, std::string_view text);
    // The text's extent in the attribute context's current font.
    BOOL GetTextExtent(std::string_view text, SIZE* size) const;
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hAttribDC, index); }
    BOOL MoveTo(int x, int y) { return ::MoveToEx(m_hDC, x, y, nullptr); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL Rectangle(int l, int t, int r, int b) { return ::Rectangle(m_hDC, l, t, r, b); }
    BOOL Ellipse(int l, int t, int r, int b) { return ::Ellipse(m_hDC, l, t, r, b); }
    // The part of the ellipse in (l, t, r, b) counterclockwise from the radial
    // through (x1, y1) to the radial through (x2, y2).
    BOOL Pie(int l, int t, int r, int b, int x1, int y1, int x2, int y2)
    {
        return ::Pie(m_hDC, l, t, r, b, x1, y1, x2, y2);
    }

    // Mapping; each returns the previous setting.
    int SetMapMode(int mode) { return ::SetMapMode(m_hDC, mode); }
    SIZE SetWindowExt(int cx, int cy)
    {
        SIZE previous{};
        ::SetWindowExtEx(m_hDC, cx, cy, &previous);
        return previous;
    }
    SIZE SetViewportExt(int cx, int cy)
    {
        SIZE previous{};
        ::SetViewportExtEx(m_hDC, cx, cy, &previous);
        return previous;
    }
    POINT SetViewportOrg(int x, int y)
    {
        POINT previous{};
        ::SetViewportOrgEx(m_hDC, x, y, &previous);
        return previous;
    }

    // Set when the output goes to a printer or a print preview rather than the screen.
    bool m_bPrinting = false;

protected:
    HDC m_hDC = nullptr;
    HDC m_hAttribDC = nullptr;
};

// Selects a GDI object (pen, brush, font, bitmap) into a device context for
// as long as it lives, then puts back the object it replaced. Given a CDC it
// selects into both of its contexts (the output and the attribute context),
// so that text measured in print preview is measured in the same font. Several
// of them on one DC unwind in reverse order, so the DC ends as it began. Not
// for regions: selecting a region copies it and returns no previous object.
class CSelectedObject {
public:
    CSelectedObject(HDC hdc, HGDIOBJ obj) : m_hDC(hdc), m_hPrevious(::SelectObject(hdc, obj)) {}
    CSelectedObject(CDC& dc, HGDIOBJ obj);
    ~CSelectedObject();
    CSelectedObject(const CSelectedObject&) = delete;
    CSelectedObject& operator=(const CSelectedObject&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_hPrevious;
    HDC m_hAttribDC = nullptr;
    HGDIOBJ m_hPreviousAttrib = nullptr;
};

class CPaintDC : public CDC {
public:
    explicit CPaintDC(HWND hWnd) : m_hWnd(hWnd) { m_hDC = m_hAttribDC = BeginPaint(hWnd, &m_ps); }
    ~CPaintDC() override { EndPaint(m_hWnd, &m_ps); }
    PAINTSTRUCT m_ps{};

private:
    HWND m_hWnd;
};

// A memory context compatible with hCompatible (null: the screen), deleted
// when it goes. What is selected into it is selected with CSelectedObject.
class CMemoryDC : public CDC {
public:
    explicit CMemoryDC(HDC hCompatible = nullptr) { m_hDC = m_hAttribDC = CreateCompatibleDC(hCompatible); }
    ~CMemoryDC() override
    {
        if (m_hDC) DeleteDC(m_hDC);
    }
};

class CClientDC : public CDC {
public:
    explicit CClientDC(HWND hWnd) : m_hWnd(hWnd) { m_hDC = m_hAttribDC = GetDC(hWnd); }
    ~CClientDC() override { ReleaseDC(m_hWnd, m_hDC); }

private:
    HWND m_hWnd;
};
