#include "framework/CCtrlHandle.h"

LRESULT CCtrlHandle::Send(UINT message, WPARAM wParam, LPARAM lParam) const
{
    // The class's own (wide) procedure, so that the message is taken exactly
    // as SendMessageW would deliver it; none for a handle that is no window.
    auto proc = reinterpret_cast<WNDPROC>(GetClassLongPtrW(m_hWnd, GCLP_WNDPROC));
    if (!proc) return ::SendMessageW(m_hWnd, message, wParam, lParam);
    return CallWindowProcW(proc, m_hWnd, message, wParam, lParam);
}
