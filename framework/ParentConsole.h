#pragma once
// The console of whoever started the program, for a run without a window:
// the program is a windows program and gets no console of its own. Run from
// a command prompt it shares the prompt's console, writes its lines there and
// hears Ctrl+C; run from a scheduled task there is none, and nothing shows.
#include <windows.h>

#include <atomic>

#include "framework/CString.h"

class CParentConsole {
public:
    // Attaches to the parent's console, if it has one, and listens from now on
    // for Ctrl+C, Ctrl+Break and the console window being closed.
    CParentConsole();
    ~CParentConsole();
    CParentConsole(const CParentConsole&) = delete;
    CParentConsole& operator=(const CParentConsole&) = delete;

    // Writes a text and a line end to the standard output where it is
    // redirected (a file or a pipe: UTF-8), else to the console (UTF-16,
    // whatever its code page), else nowhere.
    void WriteLine(const CString& text) const;

    // Raised by Ctrl+C, Ctrl+Break or closing the console window (and by
    // RequestStop) while a CParentConsole lives; down again with the next one.
    static const std::atomic<bool>& StopRequested();
    static void RequestStop();

private:
    bool m_bAttached = false;
};
