#include "framework/CDC.h"

#include "framework/Utf16.h"

#include <string>

HGDIOBJ CDC::SelectObject(HGDIOBJ obj)
{
    HGDIOBJ previous = ::SelectObject(m_hDC, obj);
    if (m_hAttribDC && m_hAttribDC != m_hDC) ::SelectObject(m_hAttribDC, obj);
    return previous;
}

BOOL CDC::ExtTextOut(int x, int y, UINT options, const RECT* rc, std::string_view text)
{
    const std::wstring wide = Utf8ToWide(text);
    return ::ExtTextOutW(m_hDC, x, y, options, rc, wide.c_str(), static_cast<UINT>(wide.size()), nullptr);
}

BOOL CDC::TextOut(int x, int y, std::string_view text)
{
    const std::wstring wide = Utf8ToWide(text);
    return ::TextOutW(m_hDC, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

BOOL CDC::GetTextExtent(std::string_view text, SIZE* size) const
{
    const std::wstring wide = Utf8ToWide(text);
    return ::GetTextExtentPoint32W(m_hAttribDC, wide.c_str(), static_cast<int>(wide.size()), size);
}

CSelectedObject::CSelectedObject(CDC& dc, HGDIOBJ obj)
    : m_hDC(dc.GetSafeHdc()), m_hPrevious(::SelectObject(m_hDC, obj))
{
    if (dc.GetAttribDC() && dc.GetAttribDC() != m_hDC) {
        m_hAttribDC = dc.GetAttribDC();
        m_hPreviousAttrib = ::SelectObject(m_hAttribDC, obj);
    }
}

CSelectedObject::~CSelectedObject()
{
    if (m_hPreviousAttrib && m_hPreviousAttrib != HGDI_ERROR) ::SelectObject(m_hAttribDC, m_hPreviousAttrib);
    if (m_hPrevious && m_hPrevious != HGDI_ERROR) ::SelectObject(m_hDC, m_hPrevious);
}
