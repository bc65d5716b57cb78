#pragma once
#include "framework/CWinApp.h"

class CHeftDoc;

// The program's application object: start-up, the drive commands, About and Help.
class CHeftApp : public CWinApp {
    DECLARE_MESSAGE_MAP()
public:
    CHeftApp() = default;
    BOOL InitInstance() override;

    // Opens (or brings forward) the document of the drive named by a path and
    // titles it with the drive's display name; null when the drive cannot be opened.
    CHeftDoc* OpenDrive(const char* path);

    BOOL OnDrive(UINT nID);
    void OnHelpContents();
    void OnAppAbout();
};
