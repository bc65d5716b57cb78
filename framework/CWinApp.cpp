#include "framework/CWinApp.h"

#include "framework/CFileFind.h"
#include "framework/CFrameWnd.h"
#include "framework/CPrintDialog.h"
#include "framework/CRegKey.h"
#include "framework/CView.h"
#include "framework/ShellOpen.h"
#include "framework/Utf16.h"

#include <commdlg.h>

#include <cctype>
#include <cstring>

static CWinApp* g_pApp = nullptr;

CWinApp* AfxGetApp() { return g_pApp; }
CWnd* AfxGetMainWnd() { return g_pApp ? g_pApp->m_pMainWnd : nullptr; }

// ---- command line ----

void CCommandLineInfo::ParseParam(const char* param, BOOL bFlag, BOOL)
{
    CString text(param);
    if (bFlag) {
        CString flag(text);
        flag.MakeUpper();
        if (flag == "P") m_nShellCommand = FilePrint;
        else if (flag == "PT") {
            m_nShellCommand = FilePrintTo;
            m_nPrintToArgs = 3;
        } else if (flag == "DDE") m_nShellCommand = FileDDE;
        else if (flag == "EMBEDDING") m_bRunEmbedded = TRUE;
        else if (flag == "AUTOMATION") m_bRunAutomated = TRUE;
        else if (flag == "UNREGISTER" || flag == "UNREGSERVER") m_nShellCommand = AppUnregister;
        if (m_bRunEmbedded || m_bRunAutomated) m_bShowSplash = FALSE;
        return;
    }
    if (m_strFileName.IsEmpty()) {
        m_strFileName = text;
        if (m_nShellCommand == FileNew) m_nShellCommand = FileOpen;
        return;
    }
    // After /pt the file name is followed by printer, driver and port.
    if (m_nPrintToArgs == 3) m_strPrinterName = text;
    else if (m_nPrintToArgs == 2) m_strDriverName = text;
    else if (m_nPrintToArgs == 1) m_strPortName = text;
    if (m_nPrintToArgs > 0) --m_nPrintToArgs;
}

std::vector<CString> SplitCommandLine(const char* commandLine)
{
    std::vector<CString> args;
    const char* p = commandLine ? commandLine : "";
    for (;;) {
        while (*p == ' ' || *p == '\t') ++p;
        if (!*p) break;
        std::string arg;
        bool quoted = false;
        while (*p && (quoted || (*p != ' ' && *p != '\t'))) {
            if (*p == '\\') {
                size_t slashes = 0;
                while (*p == '\\') {
                    ++slashes;
                    ++p;
                }
                if (*p == '"') {
                    arg.append(slashes / 2, '\\');
                    if (slashes % 2) {
                        arg += '"';
                        ++p;
                    }
                } else {
                    arg.append(slashes, '\\');
                }
                continue;
            }
            if (*p == '"') {
                if (quoted && p[1] == '"') {
                    arg += '"';
                    p += 2;
                    continue;
                }
                quoted = !quoted;
                ++p;
                continue;
            }
            arg += *p++;
        }
        args.emplace_back(std::move(arg));
    }
    return args;
}

// ---- application ----

const MessageMap* CWinApp::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::Command<&CWinApp::OnFileNew>(ID_FILE_NEW),
        on::Command<&CWinApp::OnFileOpen>(ID_FILE_OPEN),
        on::Command<&CWinApp::OnFilePrintSetup>(ID_FILE_PRINT_SETUP),
        on::Command<&CWinApp::OnAppExit>(ID_APP_EXIT),
    };
    static const MessageMap map = MessageMap::Of(&CCmdTarget::GetThisMessageMap, entries);
    return &map;
}

CWinApp::CWinApp(const char* appName) : m_strAppName(appName)
{
    g_pApp = this;
    m_hInstance = GetModuleHandleW(nullptr);
    // Without a name of its own the application takes the framework's title string.
    if (m_strAppName.IsEmpty()) m_strAppName.LoadFromResource(AFX_IDS_APP_TITLE);
    // The help file sits beside the program, named after it.
    CString helpPath = GetModuleFileNameUtf8(nullptr);
    int dot = helpPath.ReverseFind('.');
    if (dot > helpPath.ReverseFind('\\')) helpPath = helpPath.Left(dot);
    m_strHelpFilePath = helpPath + ".htm";
}

CWinApp::~CWinApp()
{
    if (g_pApp == this) g_pApp = nullptr;
}

std::vector<CString> CWinApp::CommandLineArguments()
{
    std::vector<CString> args = SplitCommandLine(WideToUtf8(GetCommandLineW()));
    if (!args.empty()) args.erase(args.begin()); // the program itself
    return args;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info)
{
    ParseCommandLine(info, CommandLineArguments());
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info, const std::vector<CString>& args)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const CString& arg = args[i];
        BOOL bFlag = arg.GetLength() > 1 && (arg[0] == '/' || arg[0] == '-');
        info.ParseParam(bFlag ? arg.Mid(1) : arg, bFlag, i + 1 == args.size());
    }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& info)
{
    switch (info.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
        OnFileNew();
        return TRUE;
    case CCommandLineInfo::FileOpen:
    case CCommandLineInfo::FilePrint:
    case CCommandLineInfo::FilePrintTo:
        return OpenDocumentFile(info.m_strFileName) != nullptr;
    default:
        return TRUE;
    }
}

// ---- profile ----

void CWinApp::SetRegistryKey(const char* company)
{
    m_strRegistryKey = company;
    if (m_strProfileName.IsEmpty()) m_strProfileName = m_strAppName;
}

CString CWinApp::GetProfileKeyPath() const
{
    return CString("Software\\") + m_strRegistryKey + "\\" + m_strProfileName;
}

// A section of the profile, opened for reading or (made if need be) for writing.
static bool OpenProfileSection(CRegKey& key, const CString& path, const char* section, bool create)
{
    const CString full = path + "\\" + section;
    return create ? key.Create(HKEY_CURRENT_USER, full) : key.Open(HKEY_CURRENT_USER, full);
}

CString CWinApp::GetProfileString(const char* section, const char* entry, const char* defaultValue)
{
    CRegKey key;
    CString value;
    if (!OpenProfileSection(key, GetProfileKeyPath(), section, false) || !key.QueryStringValue(entry, value))
        return CString(defaultValue);
    return value;
}

BOOL CWinApp::WriteProfileString(const char* section, const char* entry, const char* value)
{
    CRegKey key;
    if (!OpenProfileSection(key, GetProfileKeyPath(), section, true)) return FALSE;
    if (!value) {
        LONG r = key.DeleteValue(entry);
        return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
    }
    return key.SetStringValue(entry, value);
}

UINT CWinApp::GetProfileInt(const char* section, const char* entry, int defaultValue)
{
    CRegKey key;
    DWORD value = 0;
    if (!OpenProfileSection(key, GetProfileKeyPath(), section, false) || !key.QueryDWORDValue(entry, value))
        return static_cast<UINT>(defaultValue);
    return value;
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int value)
{
    CRegKey key;
    return OpenProfileSection(key, GetProfileKeyPath(), section, true) &&
           key.SetDWORDValue(entry, static_cast<DWORD>(value));
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU)
{
    if (nMaxMRU == 0) return;
    m_pRecentFileList = std::make_unique<CRecentFileList>("Recent File List", "File%d", static_cast<int>(nMaxMRU));
    m_pRecentFileList->ReadList();
}

void CWinApp::SaveStdProfileSettings()
{
    if (m_pRecentFileList) m_pRecentFileList->WriteList();
}

void CWinApp::AddToRecentFileList(const char* pathName)
{
    if (m_pRecentFileList) m_pRecentFileList->Add(pathName);
}

// ---- documents ----

void CWinApp::AddDocTemplate(std::unique_ptr<CDocTemplate> pTemplate)
{
    m_templates.push_back(std::move(pTemplate));
}

CDocument* CWinApp::OpenDocumentFile(const char* fileName)
{
    if (m_templates.empty() || !fileName) return nullptr;
    // The full path names the document; an open document with the same path
    // (compared without regard to case) is brought forward instead.
    const CString full = GetFullPathUtf8(fileName);
    for (const auto& tmpl : m_templates) {
        for (CDocument* doc : tmpl->GetDocuments()) {
            if (doc->GetPathName().CompareNoCase(full) != 0) continue;
            if (CView* view = doc->GetFirstView()) {
                if (CFrameWnd* frame = view->GetParentFrame()) {
                    frame->ActivateFrame();
                    if (CWnd* main = m_pMainWnd; main && main != frame) ::SetForegroundWindow(main->m_hWnd);
                }
            }
            return doc;
        }
    }
    return m_templates.front()->OpenDocumentFile(full);
}

void CWinApp::CloseAllDocuments()
{
    for (const auto& tmpl : m_templates) tmpl->CloseAllDocuments();
}

void CWinApp::OnFileNew()
{
    if (!m_templates.empty()) m_templates.front()->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen()
{
    std::wstring buffer(32768, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrFilter = L"All Files (*.*)\0*.*\0";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
    if (!GetOpenFileNameW(&ofn)) return;
    OpenDocumentFile(WideToUtf8(buffer.c_str()));
}

void CWinApp::SetPrinter(HGLOBAL hDevMode, HGLOBAL hDevNames)
{
    m_hDevMode.Attach(hDevMode);
    m_hDevNames.Attach(hDevNames);
}

static bool AnyPrinterInstalled()
{
    DWORD needed = 0, count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed, &count);
    return needed > 0;
}

BOOL CWinApp::GetPrinterDeviceDefaults(PRINTDLGW* pPrintDlg)
{
    // A printer chosen earlier may have gone with the last of them.
    if (!AnyPrinterInstalled()) {
        SetPrinter(nullptr, nullptr);
        return FALSE;
    }
    if (!m_hDevNames.Get()) {
        PRINTDLGW defaults{};
        defaults.lStructSize = sizeof(defaults);
        defaults.Flags = PD_RETURNDEFAULT;
        if (!PrintDlgW(&defaults)) return FALSE;
        SetPrinter(defaults.hDevMode, defaults.hDevNames);
    }
    pPrintDlg->hDevMode = m_hDevMode.Get();
    pPrintDlg->hDevNames = m_hDevNames.Get();
    return TRUE;
}

INT_PTR CWinApp::DoPrintDialog(CPrintDialog* pPD)
{
    if (!GetPrinterDeviceDefaults(&pPD->m_pd)) return -1;
    const INT_PTR result = pPD->DoModal();
    // The dialog may have replaced the blocks it was lent, whether it ended
    // with OK or not; what it hands back is the choice from now on.
    SetPrinter(pPD->m_pd.hDevMode, pPD->m_pd.hDevNames);
    return result;
}

void CWinApp::ReportNoPrinter(HWND hOwner, const char* caption) const
{
    MessageBoxUtf8(CWnd::GetSafeOwner(hOwner), "No printer is installed.\n\nAdd a printer, then try again.", caption,
                   MB_OK | MB_ICONEXCLAMATION);
}

void CWinApp::OnFilePrintSetup()
{
    CPrintDialog setup(TRUE);
    setup.m_pd.hwndOwner = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    if (DoPrintDialog(&setup) == -1) ReportNoPrinter(setup.m_pd.hwndOwner, "Print Setup");
}

void CWinApp::OnAppExit()
{
    if (m_pMainWnd) m_pMainWnd->SendMessage(WM_CLOSE);
}

// ---- help ----

CString CWinApp::GetHelpTopicPath(DWORD_PTR dwData) const
{
    // Each context is an element of the help page with the id "context-N".
    CString topic;
    topic.Format("%s#context-%lu", m_strHelpFilePath.GetString(), static_cast<unsigned long>(dwData));
    return topic;
}

void CWinApp::WinHelp(DWORD_PTR dwData, UINT nCmd)
{
    DWORD_PTR context = nCmd == HELP_CONTEXT ? dwData : 1;
    m_strLastHelpTopic = GetHelpTopicPath(context);
    if (!m_bShowHelp) return;
    const CString topic = m_strLastHelpTopic.Mid(m_strHelpFilePath.GetLength());
    ShellOpen(m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr, m_strHelpFilePath, topic);
}

// ---- message loop ----

BOOL CWinApp::PreTranslateMessage(MSG* pMsg)
{
    // From the window the message is for up to its top-level window: each
    // window of the framework may take it (dialog keys, accelerators).
    for (HWND h = pMsg->hwnd; h; h = (GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD) ? ::GetParent(h) : nullptr) {
        CWnd* pWnd = CWnd::FromHandlePermanent(h);
        if (pWnd && pWnd->PreTranslateMessage(pMsg)) return TRUE;
    }
    return FALSE;
}

BOOL CWinApp::OnIdle(long lCount)
{
    if (lCount == 0) {
        if (auto* frame = dynamic_cast<CFrameWnd*>(m_pMainWnd)) {
            frame->OnIdleUpdateCmdUI();
            if (auto* mdi = dynamic_cast<CMDIFrameWnd*>(frame)) {
                if (CMDIChildWnd* child = mdi->MDIGetActive()) child->OnIdleUpdateCmdUI();
            }
        }
    }
    return FALSE;
}

// The system's caret-blink timer message, which no header names.
static constexpr UINT kSysTimerMessage = 0x0118;

static bool IsIdleMessage(const MSG& msg)
{
    // Timers and paints come by themselves; they do not mean the user did something.
    return msg.message != WM_TIMER && msg.message != WM_PAINT && msg.message != kSysTimerMessage;
}

int CWinApp::Run()
{
    bool idle = true;
    long idleCount = 0;
    MSG msg;
    for (;;) {
        while (idle && !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++)) idle = false;
        }
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) break;
        if (got == -1) continue;
        if (!PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (IsIdleMessage(msg)) {
            idle = true;
            idleCount = 0;
        }
    }
    return ExitInstance();
}

int CWinApp::ExitInstance()
{
    SaveStdProfileSettings();
    return 0;
}

int AfxWinMain(HINSTANCE hInstance, const char*, int nCmdShow)
{
    CWinApp* app = AfxGetApp();
    if (!app) return 1;
    app->m_hInstance = hInstance;
    app->m_nCmdShow = nCmdShow;
    CProcessServices services;
    int result;
    if (!app->InitInstance()) {
        if (app->m_pMainWnd) app->m_pMainWnd->DestroyWindow();
        result = app->ExitInstance();
    } else {
        result = app->Run();
    }
    return result;
}

CProcessServices::CProcessServices()
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    m_bControls = InitCommonControlsEx(&icc) != FALSE;
    m_bOle = SUCCEEDED(OleInitialize(nullptr));
}

CProcessServices::~CProcessServices()
{
    if (m_bOle) OleUninitialize();
}
