// Entry point of every test executable. The code under test creates common
// controls and uses the shell's COM objects, as the program does after its own
// start-up, so both are started once here, as the program starts them, before
// any test runs.
#include "framework/CWinApp.h"

#include <cstdio>

#include <gmock/gmock.h>

int main(int argc, char** argv)
{
    // Unbuffered, so that a test that hangs shows its name before it is stopped.
    setvbuf(stdout, nullptr, _IONBF, 0);
    CProcessServices services;
    if (!services.Started()) {
        fprintf(stderr, "the common controls or OLE could not be started\n");
        return 2;
    }

    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
