// Used by run.sh for its screenshot: waits until the program, running in the
// desktop named by the first argument, has finished opening its drive. That
// is when the main window is enabled again (a scan disables it), holds a
// drive window and no "Scanning Drive" dialog is up, twice in a row a second
// apart. Exit code 0 once settled, 1 after the time given in seconds by the
// second argument (default 600). A third argument, a DPI, then tells the main
// window that it now shows on a monitor of that DPI, as Windows does when the
// window moves to one; the helper gives the window the larger size itself (a
// rectangle does not cross processes with the message). Then the commands
// named in HEFT_SHOT_COMMANDS go to the main window.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <string>

namespace {

HWND FindMainWindow()
{
    HWND found = nullptr;
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            wchar_t title[64] = {};
            GetWindowTextW(hwnd, title, 64);
            if (std::wstring(title).rfind(L"Heftscope", 0) != 0 || !IsWindowVisible(hwnd)) return TRUE;
            *reinterpret_cast<HWND*>(param) = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

bool Settled()
{
    HWND main = FindMainWindow();
    if (!main || !IsWindowEnabled(main)) return false;
    if (FindWindowW(nullptr, L"Scanning Drive")) return false;
    HWND client = FindWindowExW(main, nullptr, L"MDIClient", nullptr);
    return client && GetWindow(client, GW_CHILD);
}

} // namespace

// The desktop the program runs in, open while this helper runs.
class Desktop {
public:
    explicit Desktop(const wchar_t* name) : m_h(OpenDesktopW(name, 0, FALSE, GENERIC_ALL)) {}
    ~Desktop()
    {
        if (m_h) CloseDesktop(m_h);
    }
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;
    // The window searches look at the calling thread's desktop.
    bool Enter() const { return m_h && SetThreadDesktop(m_h); }

private:
    HDESK m_h;
};

int main()
{
    // The arguments as the system holds them, in UTF-16 (a desktop's name need not be ASCII).
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 2;
    struct ArgvHolder {
        wchar_t** argv;
        ~ArgvHolder() { LocalFree(argv); }
    } holder{argv};
    if (argc < 2) return 2;
    const int limit = argc > 2 ? static_cast<int>(std::wcstol(argv[2], nullptr, 10)) : 600;
    int waited = 0;
    // The desktop appears with the program.
    std::unique_ptr<Desktop> desktop;
    for (; waited < limit; ++waited, Sleep(1000)) {
        desktop = std::make_unique<Desktop>(argv[1]);
        if (desktop->Enter()) break;
    }
    int inARow = 0;
    for (; waited < limit && inARow < 2; ++waited) {
        inARow = Settled() ? inARow + 1 : 0;
        if (inARow < 2) Sleep(1000);
    }
    if (inARow < 2) return 1;
    if (argc > 3) {
        const long dpi = std::wcstol(argv[3], nullptr, 10);
        if (dpi < 48 || dpi > 960) return 2;
        // The rectangle Windows would suggest, grown by the DPI's ratio as far
        // as the screen allows; the window takes it here.
        HWND main = FindMainWindow();
        RECT rc{};
        GetWindowRect(main, &rc);
        const int width = std::min<int>(MulDiv(rc.right - rc.left, dpi, 96), GetSystemMetrics(SM_CXSCREEN) - rc.left);
        const int height = std::min<int>(MulDiv(rc.bottom - rc.top, dpi, 96), GetSystemMetrics(SM_CYSCREEN) - rc.top);
        SetWindowPos(main, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), 0);
    }
    // HEFT_SHOT_COMMANDS: command ids, separated by commas, that the main
    // window is given in turn (a listing to show before the screenshot).
    wchar_t commands[256] = {};
    const DWORD length = GetEnvironmentVariableW(L"HEFT_SHOT_COMMANDS", commands, 256);
    if (length > 0 && length < 256) {
        HWND main = FindMainWindow();
        for (wchar_t* at = commands; *at;) {
            wchar_t* end = nullptr;
            const long id = std::wcstol(at, &end, 10);
            if (end == at || id <= 0 || id > 0xFFFF) return 2;
            SendMessageW(main, WM_COMMAND, MAKEWPARAM(id, 0), 0);
            at = *end == L',' ? end + 1 : end;
        }
    }
    return 0;
}
