#pragma once
#include "framework/CCmdTarget.h"
#include "framework/CDocTemplate.h"
#include "framework/CGlobalMemory.h"
#include "framework/CRecentFileList.h"
#include "framework/CWnd.h"

#include <commdlg.h>

#include <memory>
#include <vector>

class CPrintDialog;

// What the command line asks for: the shell command and the file it names.
class CCommandLineInfo {
public:
    enum ShellCommand { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppUnregister, FileNothing };

    virtual ~CCommandLineInfo() = default;
    // One argument at a time, without its leading "/" or "-" when bFlag is set.
    virtual void ParseParam(const char* param, BOOL bFlag, BOOL bLast);

    ShellCommand m_nShellCommand = FileNew;
    CString m_strFileName;
    CString m_strPrinterName;
    CString m_strDriverName;
    CString m_strPortName;
    BOOL m_bShowSplash = TRUE;
    BOOL m_bRunEmbedded = FALSE;
    BOOL m_bRunAutomated = FALSE;

private:
    int m_nPrintToArgs = 0; // printer, driver and port still expected after /pt
};

// Splits a command line as the C runtime does: blanks separate arguments,
// double quotes group, backslashes escape quotes.
std::vector<CString> SplitCommandLine(const char* commandLine);

// The application: start-up, profile settings with the recent-file list, the
// document templates and the message loop.
class CWinApp : public CCmdTarget {
    DECLARE_MESSAGE_MAP()
public:
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance();
    virtual int Run();
    virtual BOOL OnIdle(long lCount);
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    // The program's own command line split into arguments, without the
    // program's name.
    static std::vector<CString> CommandLineArguments();
    void ParseCommandLine(CCommandLineInfo& info);
    void ParseCommandLine(CCommandLineInfo& info, const std::vector<CString>& args);
    BOOL ProcessShellCommand(CCommandLineInfo& info);

    // Profile settings under HKEY_CURRENT_USER\Software\<registry key>\<profile name>.
    void SetRegistryKey(const char* company);
    void LoadStdProfileSettings(UINT nMaxMRU = 4);
    void SaveStdProfileSettings();
    CString GetProfileString(const char* section, const char* entry, const char* defaultValue = nullptr);
    BOOL WriteProfileString(const char* section, const char* entry, const char* value);
    UINT GetProfileInt(const char* section, const char* entry, int defaultValue);
    BOOL WriteProfileInt(const char* section, const char* entry, int value);
    CString GetProfileKeyPath() const;

    // Documents.
    void AddDocTemplate(std::unique_ptr<CDocTemplate> pTemplate);
    const std::vector<std::unique_ptr<CDocTemplate>>& GetDocTemplates() const { return m_templates; }
    // Opens a document by path, or brings forward the one already open for it.
    virtual CDocument* OpenDocumentFile(const char* fileName);
    void CloseAllDocuments();
    virtual void AddToRecentFileList(const char* pathName);
    CRecentFileList* GetRecentFileList() const { return m_pRecentFileList.get(); }

    // Whether a command is held back for now: it then runs from no window
    // (menu, key, toolbar or a message posted by another program) and every
    // menu item and button for it shows disabled. The application decides
    // which commands and when; by default none.
    virtual BOOL IsCommandHeld(UINT /*nID*/) const { return FALSE; }

    // Help: the help file beside the program, opened at a context.
    virtual void WinHelp(DWORD_PTR dwData, UINT nCmd = HELP_CONTEXT);
    // The file WinHelp opens and the topic within it; the shell is asked to show it.
    CString GetHelpTopicPath(DWORD_PTR dwData) const;

    CWnd* m_pMainWnd = nullptr;
    CString m_strAppName;
    CString m_strRegistryKey;
    CString m_strProfileName;
    CString m_strHelpFilePath;
    HINSTANCE m_hInstance = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    // Set by WinHelp, for the tests: the last topic path handed to the shell.
    CString m_strLastHelpTopic;
    // When false, WinHelp only records the topic (tests run without a shell to show it).
    bool m_bShowHelp = true;

protected:
    void OnFileNew();
    void OnFileOpen();
    void OnFilePrintSetup();
    void OnAppExit();

private:
    std::vector<std::unique_ptr<CDocTemplate>> m_templates;
    std::unique_ptr<CRecentFileList> m_pRecentFileList;
    // The printer the next job goes to, with its settings: the system's
    // default printer until Print Setup or the print dialog chooses another.
    CGlobalMemory m_hDevMode;
    CGlobalMemory m_hDevNames;

public:
    HGLOBAL GetDevMode() const { return m_hDevMode.Get(); }
    HGLOBAL GetDevNames() const { return m_hDevNames.Get(); }
    // Takes over a printer choice (the blocks held before are freed).
    void SetPrinter(HGLOBAL hDevMode, HGLOBAL hDevNames);
    // Lends the printer choice to a print dialog's record, taking the
    // system's default printer when none was chosen. FALSE when no printer
    // is installed.
    BOOL GetPrinterDeviceDefaults(PRINTDLGW* pPrintDlg);
    // Shows a print or print-setup dialog on the chosen printer and keeps
    // what the user chose in it, printer and settings, for the next job.
    // IDOK or IDCANCEL; -1 when no printer is installed (nothing shown).
    INT_PTR DoPrintDialog(CPrintDialog* pPD);
    // Tells the user that there is no printer to print or preview on.
    void ReportNoPrinter(HWND hOwner, const char* caption) const;
};

// The program's entry: runs the application object's start-up and message loop.
int AfxWinMain(HINSTANCE hInstance, const char* commandLine, int nCmdShow);

// What a process of the program needs before its first window, for as long
// as it lives: the common controls and OLE (the shell's calls). The program,
// the test executables and the benchmarks all start with one.
class CProcessServices {
public:
    CProcessServices();
    ~CProcessServices();
    CProcessServices(const CProcessServices&) = delete;
    CProcessServices& operator=(const CProcessServices&) = delete;
    // False when either could not be started.
    bool Started() const { return m_bControls && m_bOle; }

private:
    bool m_bControls = false;
    bool m_bOle = false;
};
