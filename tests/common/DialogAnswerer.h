#pragma once
// Answers modal dialogs and message boxes that the code under test shows:
// a thread timer looks for a top-level window of this thread with the given
// caption, lets the test look at it, then presses a button in it.
#include <windows.h>

#include <functional>
#include <string>

class DialogAnswerer {
public:
    // Presses button `buttonId` in the next window captioned `caption`;
    // `inspect` (optional) sees the window first.
    DialogAnswerer(std::string caption, int buttonId, std::function<void(HWND)> inspect = nullptr);
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    // How many windows were answered so far.
    int Answered() const { return m_answered; }
    // The text of the last answered window's message (static control 0xFFFF), for message boxes.
    const std::string& LastText() const { return m_lastText; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Poll();

    std::string m_caption;
    int m_buttonId;
    std::function<void(HWND)> m_inspect;
    UINT_PTR m_timer = 0;
    int m_answered = 0;
    HWND m_lastAnswered = nullptr; // still on screen until it handles the press
    std::string m_lastText;
};
