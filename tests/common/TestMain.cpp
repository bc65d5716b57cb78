// Entry point of every test executable. The code under test creates common
// controls and uses the shell's COM objects, as the program does after its own
// start-up, so both are initialised once here before any test runs.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <cstdio>

#include <gmock/gmock.h>

int main(int argc, char** argv)
{
    // Unbuffered, so that a test that hangs shows its name before it is stopped.
    setvbuf(stdout, nullptr, _IONBF, 0);
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_USEREX_CLASSES | ICC_COOL_CLASSES
        | ICC_INTERNET_CLASSES | ICC_PAGESCROLLER_CLASS | ICC_NATIVEFNTCTL_CLASS
        | ICC_STANDARD_CLASSES | ICC_LINK_CLASS;
    if (!InitCommonControlsEx(&controls)) {
        fprintf(stderr, "InitCommonControlsEx failed\n");
        return 2;
    }
    const HRESULT ole = OleInitialize(nullptr);
    if (FAILED(ole)) {
        fprintf(stderr, "OleInitialize failed: 0x%08lx\n", static_cast<unsigned long>(ole));
        return 2;
    }

    testing::InitGoogleMock(&argc, argv);
    const int result = RUN_ALL_TESTS();

    OleUninitialize();
    return result;
}
