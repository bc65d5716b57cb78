#pragma once
#include "framework/afxwin_base.h"

// A common control reached through its window handle; it owns nothing.
class CCtrlHandle {
public:
    HWND m_hWnd = nullptr;

    // Sends one of the control's own messages, from the control's thread,
    // straight to the window procedure of its class: a subclass in front of
    // it (the view's own, when the control is a view) never handles these,
    // and under Wine every message that passes the common controls' subclass
    // chain costs two round trips to the server, about a tenth of a
    // millisecond — a scan inserts a tree item per folder, and drawing a list
    // row asks the control several things.
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
};
