#pragma once
// Small helpers for tests that drive real windows.
#include <windows.h>

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

// Number of direct child windows of a window.
inline int CountChildren(HWND hParent)
{
    int count = 0;
    for (HWND h = GetWindow(hParent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) ++count;
    return count;
}
