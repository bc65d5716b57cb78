#pragma once
#include <windows.h>

#include "framework/Utf16.h"

#include <functional>
#include <string>
#include <vector>

// Records the texts the progress dialog's percent (1004) and status (1005)
// controls are given while a scan runs.
class ProgressWatcher {
public:
    ProgressWatcher()
    {
        s_current = this;
        m_hook = SetWindowsHookExW(WH_CALLWNDPROC, &ProgressWatcher::Hook, nullptr, GetCurrentThreadId());
    }
    ~ProgressWatcher()
    {
        UnhookWindowsHookEx(m_hook);
        s_current = nullptr;
    }
    std::vector<std::string> percents;
    std::vector<std::string> statuses;
    // Called when a status text goes up; may press Cancel.
    std::function<void(HWND dialog, const std::string& status)> onStatus;
    // Called when a percent text goes up; may press Cancel.
    std::function<void(HWND dialog, const std::string& percent)> onPercent;

    // Runs `action` once, when the first status text goes up (the scan has
    // just begun); Fired() tells whether it ran.
    void AtFirstStatus(std::function<void()> action)
    {
        m_fired = false;
        onStatus = [this, action = std::move(action)](HWND, const std::string&) {
            if (m_fired) return;
            m_fired = true;
            action();
        };
    }
    bool Fired() const { return m_fired; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        auto* msg = reinterpret_cast<CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && s_current && msg->message == WM_SETTEXT && msg->lParam) {
            int id = GetDlgCtrlID(msg->hwnd);
            // The hook is a wide one: the text comes in UTF-16.
            std::string text = WideToUtf8(reinterpret_cast<const wchar_t*>(msg->lParam)).str();
            if (id == 1004) {
                s_current->percents.push_back(text);
                if (s_current->onPercent) s_current->onPercent(GetParent(msg->hwnd), text);
            }
            if (id == 1005) {
                s_current->statuses.push_back(text);
                if (s_current->onStatus) s_current->onStatus(GetParent(msg->hwnd), text);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline ProgressWatcher* s_current = nullptr;
    HHOOK m_hook = nullptr;
    bool m_fired = false;
};
