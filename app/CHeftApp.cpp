#include "app/CHeftApp.h"

#include "app/CAboutDlg.h"
#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "document/CHeftDoc.h"
#include "resources/resource.h"
#include "views/CHeftTree.h"

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
    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);

    SetRegistryKey("Tamrisk Architects");
    LoadStdProfileSettings(4);

    AddDocTemplate(MakeDocTemplate<CHeftDoc, CChildFrame, CHeftTree>(IDR_HEFTTYPE));

    auto* pMainFrame = new CMainFrame;
    if (!pMainFrame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE)) return FALSE;
    m_pMainWnd = pMainFrame;
    pMainFrame->ShowWindow(m_nCmdShow);
    pMainFrame->UpdateWindow();

    // A drive (or any path on it) named on the command line opens now, after
    // the main window is visible. No empty document is ever made.
    if (!cmdInfo.m_strFileName.IsEmpty()) OpenDrive(cmdInfo.m_strFileName);
    cmdInfo.m_nShellCommand = CCommandLineInfo::FileNothing;
    return ProcessShellCommand(cmdInfo);
}

CHeftDoc* CHeftApp::OpenDrive(const char* path)
{
    auto* doc = dynamic_cast<CHeftDoc*>(OpenDocumentFile(path));
    if (doc) doc->SetTitle(doc->m_strVolumeName);
    return doc;
}

BOOL CHeftApp::OnDrive(UINT nID)
{
    char drive[3] = {static_cast<char>(nID - 185), ':', '\0'};
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
