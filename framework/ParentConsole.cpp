#include "framework/ParentConsole.h"

#include "framework/OwnedHandle.h"
#include "framework/Utf16.h"

#include <string>

namespace {

std::atomic<bool> g_bStop{false};
// Set once the program no longer needs the time the system gives it after
// the console was closed (it ends the process when the handler returns).
HANDLE g_hFinished = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    g_bStop = true;
    // What the program writes meanwhile is taken back (the report's
    // temporary file deleted) before the process is ended.
    if (event == CTRL_CLOSE_EVENT && g_hFinished) WaitForSingleObject(g_hFinished, 4000);
    return TRUE;
}

} // namespace

CParentConsole::CParentConsole()
{
    g_bStop = false;
    g_hFinished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_bAttached = AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;
    SetConsoleCtrlHandler(&OnConsoleEvent, TRUE);
}

CParentConsole::~CParentConsole()
{
    SetConsoleCtrlHandler(&OnConsoleEvent, FALSE);
    if (g_hFinished) {
        SetEvent(g_hFinished);
        CloseHandle(g_hFinished);
        g_hFinished = nullptr;
    }
    if (m_bAttached) FreeConsole();
}

const std::atomic<bool>& CParentConsole::StopRequested()
{
    return g_bStop;
}

void CParentConsole::RequestStop()
{
    g_bStop = true;
}

void CParentConsole::WriteLine(const CString& text) const
{
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    const bool redirected = out && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN &&
                            !GetConsoleMode(out, &mode);
    if (redirected) {
        const std::string line = text.str() + "\r\n";
        DWORD written = 0;
        WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        return;
    }
    if (!m_bAttached) return;
    const OwnedHandle console(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
    if (!console.Valid()) return;
    const std::wstring line = Utf8ToWide(text.str() + "\r\n");
    DWORD written = 0;
    WriteConsoleW(console.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}
