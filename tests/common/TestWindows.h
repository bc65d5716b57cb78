#pragma once
// Small helpers for tests that drive real windows.
#include <windows.h>

#include <string>

#include "framework/CWinApp.h"
#include "framework/Utf16.h"

// Dispatches everything waiting in this thread's queue (including the quit
// message a destroyed main frame posts, which is dropped).
inline void PumpPending()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
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
    DispatchMessageW(&msg);
}

// Number of direct child windows of a window.
inline int CountChildren(HWND hParent)
{
    int count = 0;
    for (HWND h = GetWindow(hParent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) ++count;
    return count;
}

// The text of a menu's item at a position, as UTF-8 (with its "&" marks).
inline std::string MenuItemText(HMENU hMenu, int position)
{
    const int length = GetMenuStringW(hMenu, static_cast<UINT>(position), nullptr, 0, MF_BYPOSITION);
    if (length <= 0) return std::string();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetMenuStringW(hMenu, static_cast<UINT>(position), text.data(), length + 1, MF_BYPOSITION);
    return WideToUtf8(text.c_str()).str();
}
