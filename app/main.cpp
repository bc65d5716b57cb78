#include "app/CHeftApp.h"

// The one application object, made before the entry point runs.
CHeftApp theApp;

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR commandLine, int nCmdShow)
{
    return AfxWinMain(hInstance, commandLine, nCmdShow);
}
