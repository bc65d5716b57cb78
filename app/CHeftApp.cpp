#include "app/CHeftApp.h"

#include "app/CAboutDlg.h"
#include "app/CChildFrame.h"
#include "app/CommandLineReport.h"
#include "app/CMainFrame.h"
#include "document/CHeftDoc.h"
#include "framework/CFileFind.h"
#include "resources/resource.h"
#include "views/CHeftTree.h"

#include <cctype>

const MessageMap* CHeftApp::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::Command<&CHeftApp::OnAppAbout>(ID_APP_ABOUT),
        on::CommandEx<&CHeftApp::OnDrive>(ID_DRIVE_A, ID_DRIVE_Z),
        on::Command<&CHeftApp::OnHelpContents>(ID_HELP_CONTENTS),
    };
    static const MessageMap map = MessageMap::Of(&CWinApp::GetThisMessageMap, entries);
    return &map;
}

BOOL CHeftApp::InitInstance()
{
    std::vector<CString> args = CommandLineArguments();
    // A report from the command line shows no window. Once it is written
    // nothing is left to do: the process ends there, with the report's exit
    // code, and the system takes back the drive's tree whole (taken apart
    // item by item, a large drive's costs seconds under Wine).
    if (cmdreport::AsksForReport(args)) ExitProcess(static_cast<UINT>(RunCommandLineReport(args)));
    // "/since OLD.csv": the drive opened shows what changed since that report.
    CString since;
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i].CompareNoCase("/since") == 0 || args[i].CompareNoCase("-since") == 0) {
            since = args[i + 1];
            args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
            break;
        }
    }
    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo, args);

    SetRegistryKey("Tamrisk Architects");
    LoadStdProfileSettings(4);

    if (!MakeMainFrame()) return FALSE;
    m_pMainWnd->ShowWindow(m_nCmdShow);
    m_pMainWnd->UpdateWindow();

    // A drive (or any path on it) named on the command line opens now, after
    // the main window is visible. No empty document is ever made.
    if (!cmdInfo.m_strFileName.IsEmpty()) {
        CHeftDoc* doc = OpenStartPath(cmdInfo.m_strFileName);
        CString problem;
        if (doc && !since.IsEmpty() && !doc->CompareWithReport(since, &problem))
            MessageBoxUtf8(m_pMainWnd->m_hWnd, problem, "Changes Since", MB_OK | MB_ICONEXCLAMATION);
    }
    cmdInfo.m_nShellCommand = CCommandLineInfo::FileNothing;
    return ProcessShellCommand(cmdInfo);
}

BOOL CHeftApp::MakeMainFrame()
{
    AddDocTemplate(MakeDocTemplate<CHeftDoc, CChildFrame, CHeftTree>(IDR_HEFTTYPE));
    auto* pMainFrame = new CMainFrame;
    if (!pMainFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE)) return FALSE;
    m_pMainWnd = pMainFrame;
    return TRUE;
}

CHeftDoc* CHeftApp::OpenDrive(const char* path)
{
    auto* doc = dynamic_cast<CHeftDoc*>(OpenDocumentFile(path));
    if (doc) doc->SetTitle(doc->m_strVolumeName);
    return doc;
}

const char* const CHeftApp::kFolderNotFoundText = "Folder not found: ";

CHeftDoc* CHeftApp::OpenStartPath(const char* path)
{
    const CString full = GetFullPathUtf8(path);
    const bool onDrive = full.GetLength() >= 2 && full[1] == ':' && std::isalpha(static_cast<unsigned char>(full[0]));
    if (!onDrive) return OpenDrive(path);
    // The drive's own document, the one its drive button opens, so that the
    // button brings this window forward instead of searching the drive again.
    CHeftDoc* doc = OpenDrive(full.Left(2));
    if (!doc || !doc->m_pTreeCtrl) return doc;
    CString folder = full;
    const DWORD attributes = GetFileAttributesUtf8(full);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        folder = full.Left(full.ReverseFind('\\'));
    if (HTREEITEM item = doc->FolderItem(folder)) {
        CTreeCtrl& tree = *doc->m_pTreeCtrl;
        // Selecting lists the folder; the tree opens its parents to show it.
        tree.Send(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
        tree.SelectItem(item);
    } else if (auto* frame = dynamic_cast<CFrameWnd*>(m_pMainWnd)) {
        frame->SetMessageText(kFolderNotFoundText + folder);
    }
    return doc;
}

// The commands a busy drive document holds back.
static bool IsModelCommand(UINT nID)
{
    if (nID >= ID_DRIVE_A && nID <= ID_DRIVE_Z) return true;
    if (nID >= ID_FILE_MRU_FILE1 && nID <= ID_FILE_MRU_FILE4) return true;
    switch (nID) {
    case ID_REFRESH:
    case ID_REFRESH_FOLDER:
    case ID_DISK_VS_DIRECTORY:
    case ID_TOP_TEN:
    case ID_LARGEST_FILES:
    case ID_FILE_TYPES:
    case ID_CHANGES_SINCE:
    case ID_DRIVE_PROPERTIES:
    case ID_ACTION_OPEN:
    case ID_ITEM_PROPERTIES:
    case ID_ACTION_DELETE:
    case ID_UP_ONE_LEVEL:
    case ID_FILE_NEW:
    case ID_FILE_OPEN:
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_PREVIEW:
    case ID_FILE_PRINT_SETUP:
    case ID_EXPORT_LIST:
        return true;
    default:
        return false;
    }
}

BOOL CHeftApp::IsAnyDriveBusy() const
{
    for (const auto& docTemplate : GetDocTemplates()) {
        for (CDocument* doc : docTemplate->GetDocuments()) {
            if (const auto* drive = dynamic_cast<const CHeftDoc*>(doc); drive && drive->m_bBusy) return TRUE;
        }
    }
    return FALSE;
}

BOOL CHeftApp::IsCommandHeld(UINT nID) const
{
    return IsModelCommand(nID) && IsAnyDriveBusy();
}

BOOL CHeftApp::OnDrive(UINT nID)
{
    const char drive[3] = {static_cast<char>('A' + (nID - ID_DRIVE_A)), ':', '\0'};
    OpenDrive(drive);
    return TRUE;
}

void CHeftApp::OnHelpContents()
{
    WinHelp(1, HELP_CONTEXT);
}

void CHeftApp::OnAppAbout()
{
    CAboutDlg about;
    about.DoModal();
}
