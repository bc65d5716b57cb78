#pragma once
#include "framework/CWinApp.h"

#include <atomic>
#include <vector>

class CHeftDoc;

// The program's application object: start-up, the drive commands, About and Help.
class CHeftApp : public CWinApp {
    DECLARE_MESSAGE_MAP()
public:
    CHeftApp() = default;
    // With /export among the arguments the program writes the command line's
    // report (app/CommandLineReport.h) with no window and ends with its exit
    // code; otherwise it opens its window.
    BOOL InitInstance() override;

    // Searches and writes the report the arguments (without the program's
    // name) ask for, shows nothing, and prints one line to the console that
    // started the program, if any: the report's path and the search's
    // summary, or what went wrong (with the usage for a bad command line).
    // Returns the exit code. Ctrl+C or closing the console cancels. The
    // hidden main frame and the drive's document are left to the caller,
    // which ends the process, or closes them as for the window.
    int RunCommandLineReport(const std::vector<CString>& args);
    // Set while the program runs without a window: the drive documents then
    // search unattended and stop when it goes up.
    const std::atomic<bool>* UnattendedStop() const { return m_pUnattendedStop; }

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

private:
    // The drive document's template and the main frame, not shown; FALSE
    // when the frame cannot be made.
    BOOL MakeMainFrame();

    const std::atomic<bool>* m_pUnattendedStop = nullptr;
};
