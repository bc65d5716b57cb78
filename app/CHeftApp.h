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
    // Opens the drive of a path given at start-up (from Explorer's menu, for
    // example) and shows its folder, or a file's folder, in the tree and the
    // list; a folder the drive does not have is named on the status bar.
    CHeftDoc* OpenStartPath(const char* path);
    // The status-bar text for a start-up path whose folder is not there.
    static const char* const kFolderNotFoundText;

    // While a drive document is busy (its scan pumps messages, so commands
    // posted meanwhile would run inside it), every command that changes or
    // reads a drive's model, or opens or brings forward a drive, is held.
    // Closing windows and the program's other commands stay free.
    BOOL IsCommandHeld(UINT nID) const override;
    // Whether a document of a drive is scanning or changing its model now.
    BOOL IsAnyDriveBusy() const;

    BOOL OnDrive(UINT nID);
    void OnHelpContents();
    void OnAppAbout();
};
