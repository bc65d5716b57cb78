#pragma once
// Small helpers for tests that drive real windows.
#include <windows.h>
#include <tlhelp32.h>

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

// Threads of this process, as the system lists them.
inline int ThreadCount()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    }
    CloseHandle(snapshot);
    return count;
}

// The thread count once it has come down to `expected`, or what it is after
// two seconds: a thread that has ended leaves the system's list a moment later.
inline int ThreadCountSettlingAt(int expected)
{
    int count = ThreadCount();
    for (int i = 0; i < 100 && count > expected; ++i) {
        Sleep(20);
        count = ThreadCount();
    }
    return count;
}
