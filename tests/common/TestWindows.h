#pragma once
// Small helpers for tests that drive real windows.
#include <windows.h>

#include "framework/CWinApp.h"

// Dispatches everything waiting in this thread's queue (including the quit
// message a destroyed main frame posts, which is dropped).
inline void PumpPending()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// A key pressed in a window, delivered the way the application's message
// loop delivers it: the application's windows (the main frame's accelerators)
// see it first, then the window itself.
inline void PressKey(HWND hWnd, UINT vk)
{
    MSG msg{hWnd, WM_KEYDOWN, vk, 0x00000001, GetTickCount(), {0, 0}};
    if (CWinApp* app = AfxGetApp(); app && app->PreTranslateMessage(&msg)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

// Number of direct child windows of a window.
inline int CountChildren(HWND hParent)
{
    int count = 0;
    for (HWND h = GetWindow(hParent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) ++count;
    return count;
}
