#include "framework/CFrameWnd.h"

#include "framework/CCmdUI.h"
#include "framework/CDocTemplate.h"
#include "framework/CPreviewView.h"
#include "framework/CSplitterWnd.h"
#include "framework/CView.h"
#include "framework/CWinApp.h"
#include "framework/Utf16.h"

#include <algorithm>
#include <cstring>
#include <string>

// ---- CFrameWnd ----

const MessageMap* CFrameWnd::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::Message<WM_CREATE, &CFrameWnd::OnCreate>(),
        on::Message<WM_SIZE, &CFrameWnd::OnSize>(),
        on::Message<WM_SETFOCUS, &CFrameWnd::OnSetFocus>(),
        on::Message<WM_DESTROY, &CFrameWnd::OnDestroy>(),
        on::Message<WM_CLOSE, &CFrameWnd::OnClose>(),
        on::Message<WM_ENABLE, &CFrameWnd::OnEnable>(),
        on::Message<WM_INITMENUPOPUP, &CFrameWnd::OnInitMenuPopup>(),
        on::Message<WM_MENUSELECT, &CFrameWnd::OnMenuSelect>(),
        on::RawMessage<&CFrameWnd::OnExitMenuLoop>(WM_EXITMENULOOP),
        on::CommandEx<&CFrameWnd::OnBarCheck>(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR),
        on::UpdateCommand<&CFrameWnd::OnUpdateControlBarMenu>(ID_VIEW_TOOLBAR),
        on::UpdateCommand<&CFrameWnd::OnUpdateControlBarMenu>(ID_VIEW_STATUS_BAR),
        on::Command<&CFrameWnd::OnNextPane>(ID_NEXT_PANE),
        on::Command<&CFrameWnd::OnPrevPane>(ID_PREV_PANE),
        on::UpdateCommand<&CFrameWnd::OnUpdateNextPane>(ID_NEXT_PANE),
        on::UpdateCommand<&CFrameWnd::OnUpdateNextPane>(ID_PREV_PANE),
        on::Command<&CFrameWnd::OnWindowSplit>(ID_WINDOW_SPLIT),
        on::UpdateCommand<&CFrameWnd::OnUpdateWindowSplit>(ID_WINDOW_SPLIT),
        on::NotifyEx<&CFrameWnd::OnToolTipText>(TTN_NEEDTEXTW, 0, 0xFFFF),
    };
    static const MessageMap map = MessageMap::Of(&CWnd::GetThisMessageMap, entries);
    return &map;
}

CFrameWnd::~CFrameWnd() = default;

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTW&)
{
    return TRUE;
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext)
{
    HINSTANCE hInst = GetModuleHandleW(nullptr);
    CString strings;
    strings.LoadFromResource(nIDResource);
    int newline = strings.Find('\n');
    m_strTitle = newline < 0 ? strings : strings.Left(newline);
    m_hMenuDefault = LoadMenuW(hInst, MAKEINTRESOURCEW(nIDResource));
    m_hAccelTable = LoadAcceleratorsW(hInst, MAKEINTRESOURCEW(nIDResource));

    const std::wstring wideTitle = Utf8ToWide(m_strTitle.str());
    CREATESTRUCTW cs{};
    cs.lpszName = wideTitle.c_str();
    // The bars and the client area cover the frame's whole client area: the
    // frame's own background must never be painted over them.
    cs.style = dwDefaultStyle | WS_CLIPCHILDREN;
    cs.hwndParent = pParentWnd ? pParentWnd->m_hWnd : nullptr;
    cs.hMenu = m_hMenuDefault;
    if (!CreateFrame(nIDResource, cs, pContext)) return FALSE;
    OnUpdateFrameTitle(TRUE);
    return TRUE;
}

BOOL CFrameWnd::CreateFrame(UINT nIDResource, CREATESTRUCTW& cs, CCreateContext* pContext)
{
    m_nIDHelp = nIDResource;
    HICON hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nIDResource));
    cs.lpszClass = RegisterFrameworkClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                                          reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), hIcon);
    cs.x = cs.y = cs.cx = cs.cy = CW_USEDEFAULT;
    if (!PreCreateWindow(cs)) return FailLoad(false);
    // The frame style is kept apart from the window style, which has no room for it.
    if (cs.style & FWS_ADDTOTITLE) m_dwFrameStyle |= FWS_ADDTOTITLE;
    cs.style &= ~FWS_ADDTOTITLE;
    m_pPendingContext = pContext;
    bool deleted = false;
    m_pDeletedFlag = &deleted;
    HWND hWnd = CreateFrameWindow(cs);
    if (deleted) return FALSE;
    m_pDeletedFlag = nullptr;
    m_pPendingContext = nullptr;
    if (!hWnd) return FailLoad(false);
    return TRUE;
}

HWND CFrameWnd::CreateFrameWindow(const CREATESTRUCTW& cs)
{
    return CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                           cs.hwndParent, cs.hMenu, GetModuleHandleW(nullptr), this);
}

int CFrameWnd::OnCreate(CREATESTRUCTW* cs)
{
    if (Default() == -1) return -1;
    if (!OnCreateClient(cs, m_pPendingContext)) return -1;
    return 0;
}

BOOL CFrameWnd::OnCreateClient(CREATESTRUCTW*, CCreateContext* pContext)
{
    if (pContext && pContext->m_pNewViewClass) return CreateView(pContext) != nullptr;
    return TRUE;
}

CView* CFrameWnd::CreateView(CCreateContext* pContext, UINT nID)
{
    CView* pView = pContext->m_pNewViewClass();
    RECT rc{0, 0, 0, 0};
    if (!pView->Create(m_hWnd, nID, rc, pContext)) {
        delete pView;
        return nullptr;
    }
    return pView;
}

void CFrameWnd::SetActiveView(CView* pView, BOOL bNotify)
{
    m_pViewActive = pView;
    if (bNotify && pView && ::GetFocus() != pView->m_hWnd) ::SetFocus(pView->m_hWnd);
}

CDocument* CFrameWnd::GetActiveDocument()
{
    return m_pViewActive ? m_pViewActive->GetDocument() : nullptr;
}

void CFrameWnd::InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible)
{
    if (!m_pViewActive) {
        // The first pane becomes the active view.
        HWND hPane = nullptr;
        if (HWND hFirst = ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST)) {
            CSplitterWnd* splitter = dynamic_cast<CSplitterWnd*>(FromHandlePermanent(hFirst));
            hPane = splitter ? splitter->GetPane(0, 0) : hFirst;
        }
        if (auto* view = dynamic_cast<CView*>(FromHandlePermanent(hPane))) m_pViewActive = view;
    }
    if (pDoc) {
        for (CView* view : std::vector<CView*>(pDoc->GetViews())) view->OnInitialUpdate();
    }
    if (bMakeVisible) {
        ActivateFrame();
        if (m_pViewActive) ::SetFocus(m_pViewActive->m_hWnd);
    }
    OnUpdateFrameTitle(TRUE);
}

void CFrameWnd::ActivateFrame(int nCmdShow)
{
    ShowWindow(nCmdShow == -1 ? SW_SHOW : nCmdShow);
    ::BringWindowToTop(m_hWnd);
}

void CFrameWnd::OnUpdateFrameTitle(BOOL)
{
    CDocument* doc = GetActiveDocument();
    if ((m_dwFrameStyle & FWS_ADDTOTITLE) && doc && !doc->GetTitle().IsEmpty())
        SetWindowText(m_strTitle.IsEmpty() ? doc->GetTitle() : m_strTitle + " - " + doc->GetTitle());
    else
        SetWindowText(m_strTitle);
}

void CFrameWnd::DockControlBar(CControlBar* pBar)
{
    if (std::find(m_bars.begin(), m_bars.end(), pBar) == m_bars.end()) m_bars.push_back(pBar);
    pBar->m_pDockSite = this;
    // A bar made while a preview shows (the drive bar after a device change)
    // waits for its end.
    if (m_pPreviewView && pBar != m_pPreviewBar && (pBar->GetStyle() & WS_VISIBLE) &&
        !dynamic_cast<CStatusBar*>(pBar)) {
        pBar->ShowWindow(SW_HIDE);
        m_barsHiddenForPreview.push_back(pBar);
    }
    RecalcLayout();
}

void CFrameWnd::RemoveControlBar(CControlBar* pBar)
{
    m_bars.erase(std::remove(m_bars.begin(), m_bars.end(), pBar), m_bars.end());
    m_barsHiddenForPreview.erase(std::remove(m_barsHiddenForPreview.begin(), m_barsHiddenForPreview.end(), pBar),
                                 m_barsHiddenForPreview.end());
    if (m_hWnd) RecalcLayout();
}

void CFrameWnd::SetPreviewMode(CPreviewView* pPreview, CControlBar* pPreviewBar)
{
    HWND hClient = GetClientArea();
    if (pPreview) {
        m_pPreviewView = pPreview;
        m_pPreviewBar = pPreviewBar;
        m_hMenuBeforePreview = ::GetMenu(m_hWnd);
        if (m_hMenuBeforePreview && !(GetStyle() & WS_CHILD)) ::SetMenu(m_hWnd, nullptr);
        for (CControlBar* bar : m_bars) {
            if (bar == pPreviewBar || !bar->m_hWnd || !(bar->GetStyle() & WS_VISIBLE) || dynamic_cast<CStatusBar*>(bar))
                continue;
            bar->ShowWindow(SW_HIDE);
            m_barsHiddenForPreview.push_back(bar);
        }
        if (hClient) ::ShowWindow(hClient, SW_HIDE);
    } else {
        m_pPreviewView = nullptr;
        m_pPreviewBar = nullptr;
        if (hClient) ::ShowWindow(hClient, SW_SHOW);
        for (CControlBar* bar : m_barsHiddenForPreview) bar->ShowWindow(SW_SHOWNOACTIVATE);
        m_barsHiddenForPreview.clear();
        if (m_hMenuBeforePreview && !(GetStyle() & WS_CHILD)) {
            ::SetMenu(m_hWnd, m_hMenuBeforePreview);
            DrawMenuBar(m_hWnd);
        }
        m_hMenuBeforePreview = nullptr;
    }
    RecalcLayout();
}

CControlBar* CFrameWnd::GetControlBar(UINT nID) const
{
    for (CControlBar* bar : m_bars)
        if (bar->m_hWnd && static_cast<UINT>(bar->GetDlgCtrlID()) == nID) return bar;
    return nullptr;
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow)
{
    pBar->ShowWindow(bShow ? SW_SHOWNOACTIVATE : SW_HIDE);
    RecalcLayout();
}

HWND CFrameWnd::GetClientArea() const
{
    return ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST);
}

void CFrameWnd::RecalcLayout()
{
    if (!m_hWnd) return;
    RECT rc{};
    GetClientRect(&rc);
    int width = rc.right - rc.left;
    // Top bars stack in docking order, each on a row of its own; bottom bars
    // stack upwards from the bottom edge.
    for (CControlBar* bar : m_bars) {
        if (!bar->m_hWnd || !bar->IsWindowVisible()) continue;
        int height = bar->CalcHeight(width);
        if (bar->GetBarStyle() & CBRS_ALIGN_BOTTOM) {
            MoveChildRedrawn(bar->m_hWnd, RECT{rc.left, rc.bottom - height, rc.right, rc.bottom});
            rc.bottom -= height;
            if (auto* status = dynamic_cast<CStatusBar*>(bar)) status->UpdatePanes();
        } else {
            MoveChildRedrawn(bar->m_hWnd, RECT{rc.left, rc.top, rc.right, rc.top + height});
            rc.top += height;
        }
    }
    if (HWND hClient = m_pPreviewView ? m_pPreviewView->m_hWnd : GetClientArea()) {
        if (rc.bottom < rc.top) rc.bottom = rc.top;
        MoveChildRedrawn(hClient, rc);
    }
}

void CFrameWnd::OnSize(UINT type, int, int)
{
    Default();
    if (type != SIZE_MINIMIZED) RecalcLayout();
}

void CFrameWnd::OnSetFocus(HWND)
{
    if (m_pViewActive && m_pViewActive->m_hWnd) ::SetFocus(m_pViewActive->m_hWnd);
    else Default();
}

void CFrameWnd::OnDestroy()
{
    // The document windows go first, while the main frame and its MDI client
    // are still whole.
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) app->CloseAllDocuments();
    // The window destroys the menu it shows: make that the frame's own default
    // menu so that shared menus stay with their templates.
    if (m_hMenuDefault && ::GetMenu(m_hWnd) != m_hMenuDefault && !(GetStyle() & WS_CHILD))
        ::SetMenu(m_hWnd, m_hMenuDefault);
    Default();
}

void CFrameWnd::OnEnable(BOOL bEnable)
{
    Default();
    if (bEnable) {
        OnIdleUpdateCmdUI();
        return;
    }
    // While a long operation holds the frame disabled, its buttons show that
    // none of them can be chosen.
    for (CControlBar* bar : m_bars)
        if (bar->m_hWnd) bar->OnUpdateCmdUI(nullptr, TRUE);
}

void CFrameWnd::OnClose()
{
    // Closing the window while a preview shows closes the preview.
    if (m_pPreviewView) {
        m_pPreviewView->Close();
        return;
    }
    // The main frame's OnDestroy closes the documents first.
    DestroyWindow();
}

BOOL CFrameWnd::FailLoad(bool deleted)
{
    if (!deleted) delete this;
    return FALSE;
}

void CFrameWnd::PostNcDestroy()
{
    if (m_pDeletedFlag) *m_pDeletedFlag = true;
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        PostQuitMessage(0);
    }
    delete this;
}

void CFrameWnd::SetMessageText(const char* text)
{
    if (auto* status = dynamic_cast<CStatusBar*>(GetControlBar(AFX_IDW_STATUS_BAR))) status->SetPaneText(0, text);
}

void CFrameWnd::SetMessageText(UINT nID)
{
    CString text;
    if (nID != 0) text.LoadFromResource(nID);
    int newline = text.Find('\n');
    if (newline >= 0) text = text.Left(newline);
    m_nIDTracking = nID;
    SetMessageText(text);
}

void CFrameWnd::OnInitMenuPopup(HMENU hMenu, UINT, BOOL bSysMenu)
{
    Default();
    if (bSysMenu) return;
    int count = GetMenuItemCount(hMenu);
    for (int i = 0; i < count; ++i) {
        UINT id = GetMenuItemID(hMenu, i);
        // Separators, submenus and the MDI child list are not commands.
        if (id == 0 || id == static_cast<UINT>(-1) || id >= AFX_IDM_FIRST_MDICHILD) continue;
        CMenuCmdUI ui(hMenu, static_cast<UINT>(i), id);
        ui.DoUpdate(this, TRUE);
    }
}

void CFrameWnd::OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hMenu)
{
    if (nFlags == 0xFFFF && !hMenu) {
        SetMessageText(AFX_IDS_IDLEMESSAGE);
        return;
    }
    if (nFlags & (MF_POPUP | MF_SEPARATOR)) SetMessageText(0u);
    else if (nItemID >= AFX_IDM_FIRST_MDICHILD) SetMessageText(AFX_IDS_IDLEMESSAGE);
    else SetMessageText(nItemID);
}

LRESULT CFrameWnd::OnExitMenuLoop(WPARAM, LPARAM)
{
    SetMessageText(AFX_IDS_IDLEMESSAGE);
    return 0;
}

CControlBar* CFrameWnd::FindControlBar(UINT nID, CFrameWnd** ppDockSite)
{
    // A document's frame carries no bars of its own: the main frame's are meant.
    for (CFrameWnd* frame = this; frame; frame = frame->GetParentFrame()) {
        if (CControlBar* bar = frame->GetControlBar(nID)) {
            if (ppDockSite) *ppDockSite = frame;
            return bar;
        }
    }
    return nullptr;
}

BOOL CFrameWnd::OnBarCheck(UINT nID)
{
    CFrameWnd* site = nullptr;
    CControlBar* bar = FindControlBar(nID, &site);
    if (!bar) return FALSE;
    site->ShowControlBar(bar, !bar->IsWindowVisible());
    return TRUE;
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI)
{
    CControlBar* bar = FindControlBar(pCmdUI->m_nID, nullptr);
    pCmdUI->Enable(bar != nullptr);
    pCmdUI->SetCheck(bar && bar->IsWindowVisible());
}

static CSplitterWnd* SplitterOf(CView* view)
{
    if (!view || !view->m_hWnd) return nullptr;
    return dynamic_cast<CSplitterWnd*>(CWnd::FromHandlePermanent(view->GetParent()));
}

void CFrameWnd::OnNextPane()
{
    if (CSplitterWnd* splitter = SplitterOf(GetActiveFrame()->GetActiveView())) splitter->ActivateNext(FALSE);
}

void CFrameWnd::OnPrevPane()
{
    if (CSplitterWnd* splitter = SplitterOf(GetActiveFrame()->GetActiveView())) splitter->ActivateNext(TRUE);
}

void CFrameWnd::OnUpdateNextPane(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(SplitterOf(GetActiveFrame()->GetActiveView()) != nullptr);
}

void CFrameWnd::OnWindowSplit()
{
    if (CSplitterWnd* splitter = SplitterOf(GetActiveFrame()->GetActiveView())) splitter->DoKeyboardSplit();
}

void CFrameWnd::OnUpdateWindowSplit(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(SplitterOf(GetActiveFrame()->GetActiveView()) != nullptr);
}

BOOL CFrameWnd::OnToolTipText(UINT id, NMHDR* pNMHDR, LRESULT* pResult)
{
    // A tooltip that names its window by handle is not a command button.
    UINT nID = id;
    if (reinterpret_cast<NMTTDISPINFOW*>(pNMHDR)->uFlags & TTF_IDISHWND) return FALSE;
    CString text;
    if (nID != 0 && text.LoadFromResource(nID)) {
        int newline = text.Find('\n');
        text = newline >= 0 ? text.Mid(newline + 1) : CString();
    }
    SetToolTipText(pNMHDR, text);
    *pResult = 0;
    return TRUE;
}

void CFrameWnd::SetToolTipText(NMHDR* pNMHDR, const char* text)
{
    // The notification's own buffer holds 80 characters: longer texts are cut.
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(pNMHDR);
    CopyToWideBuffer(text ? text : "", info->szText, std::size(info->szText));
}

void CFrameWnd::OnIdleUpdateCmdUI()
{
    if (!m_hWnd || !IsWindowVisible()) return;
    for (CControlBar* bar : std::vector<CControlBar*>(m_bars))
        if (bar->m_hWnd && bar->IsWindowVisible()) bar->OnUpdateCmdUI(this, TRUE);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && m_hAccelTable)
        return TranslateAcceleratorW(m_hWnd, m_hAccelTable, pMsg);
    return FALSE;
}

// ---- CMDIFrameWnd ----

const MessageMap* CMDIFrameWnd::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::CommandEx<&CMDIFrameWnd::OnMDIWindowCmd>(ID_WINDOW_ARRANGE, ID_WINDOW_TILE_VERT),
        on::UpdateCommand<&CMDIFrameWnd::OnUpdateMDIWindowCmd>(ID_WINDOW_ARRANGE),
        on::UpdateCommand<&CMDIFrameWnd::OnUpdateMDIWindowCmd>(ID_WINDOW_CASCADE),
        on::UpdateCommand<&CMDIFrameWnd::OnUpdateMDIWindowCmd>(ID_WINDOW_TILE_HORZ),
        on::UpdateCommand<&CMDIFrameWnd::OnUpdateMDIWindowCmd>(ID_WINDOW_TILE_VERT),
    };
    static const MessageMap map = MessageMap::Of(&CFrameWnd::GetThisMessageMap, entries);
    return &map;
}

BOOL CMDIFrameWnd::OnCreateClient(CREATESTRUCTW*, CCreateContext*)
{
    CLIENTCREATESTRUCT ccs{};
    ccs.hWindowMenu = nullptr;
    ccs.idFirstChild = AFX_IDM_FIRST_MDICHILD;
    m_hWndMDIClient = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                                      WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL, 0, 0, 0, 0,
                                      m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(AFX_IDW_PANE_FIRST)),
                                      GetModuleHandleW(nullptr), &ccs);
    return m_hWndMDIClient != nullptr;
}

LRESULT CMDIFrameWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefFrameProcW(m_hWnd, m_hWndMDIClient, message, wParam, lParam);
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive() const
{
    if (!m_hWndMDIClient) return nullptr;
    HWND hChild = reinterpret_cast<HWND>(::SendMessageW(m_hWndMDIClient, WM_MDIGETACTIVE, 0, 0));
    return dynamic_cast<CMDIChildWnd*>(FromHandlePermanent(hChild));
}

CFrameWnd* CMDIFrameWnd::GetActiveFrame()
{
    CMDIChildWnd* child = MDIGetActive();
    return child ? static_cast<CFrameWnd*>(child) : this;
}

CDocument* CMDIFrameWnd::GetActiveDocument()
{
    CMDIChildWnd* child = MDIGetActive();
    return child ? child->GetActiveDocument() : nullptr;
}

BOOL CMDIFrameWnd::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) {
        // The hidden document windows take no keys while a preview shows.
        if (m_hWndMDIClient && !m_pPreviewView && TranslateMDISysAccel(m_hWndMDIClient, pMsg)) return TRUE;
        if (m_hAccelTable && TranslateAcceleratorW(m_hWnd, m_hAccelTable, pMsg)) return TRUE;
    }
    return FALSE;
}

static HMENU FindWindowMenu(HMENU hMenu)
{
    // The popup that holds the window commands is the MDI window menu.
    int count = hMenu ? GetMenuItemCount(hMenu) : 0;
    for (int i = 0; i < count; ++i) {
        HMENU sub = GetSubMenu(hMenu, i);
        if (sub && GetMenuState(sub, ID_WINDOW_CASCADE, MF_BYCOMMAND) != static_cast<UINT>(-1)) return sub;
    }
    return nullptr;
}

void CMDIFrameWnd::SetFrameMenu(HMENU hMenu)
{
    if (!hMenu) hMenu = m_hMenuDefault;
    if (::GetMenu(m_hWnd) == hMenu) return;
    ::SendMessageW(m_hWndMDIClient, WM_MDISETMENU, reinterpret_cast<WPARAM>(hMenu),
                   reinterpret_cast<LPARAM>(FindWindowMenu(hMenu)));
    DrawMenuBar(m_hWnd);
}

BOOL CMDIFrameWnd::OnMDIWindowCmd(UINT nID)
{
    switch (nID) {
    case ID_WINDOW_ARRANGE: ::SendMessageW(m_hWndMDIClient, WM_MDIICONARRANGE, 0, 0); break;
    case ID_WINDOW_CASCADE: ::SendMessageW(m_hWndMDIClient, WM_MDICASCADE, 0, 0); break;
    case ID_WINDOW_TILE_HORZ: ::SendMessageW(m_hWndMDIClient, WM_MDITILE, MDITILE_HORIZONTAL, 0); break;
    case ID_WINDOW_TILE_VERT: ::SendMessageW(m_hWndMDIClient, WM_MDITILE, MDITILE_VERTICAL, 0); break;
    default: return FALSE;
    }
    return TRUE;
}

void CMDIFrameWnd::OnUpdateMDIWindowCmd(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(MDIGetActive() != nullptr);
}

// ---- CMDIChildWnd ----

const MessageMap* CMDIChildWnd::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::Message<WM_MDIACTIVATE, &CMDIChildWnd::OnMDIActivate>(),
        on::Message<WM_CLOSE, &CMDIChildWnd::OnChildClose>(),
        on::Message<WM_DESTROY, &CMDIChildWnd::OnChildDestroy>(),
        on::Command<&CMDIChildWnd::OnFileClose>(ID_FILE_CLOSE),
    };
    static const MessageMap map = MessageMap::Of(&CFrameWnd::GetThisMessageMap, entries);
    return &map;
}

CMDIFrameWnd* CMDIChildWnd::GetMDIFrame() const
{
    return dynamic_cast<CMDIFrameWnd*>(AfxGetMainWnd());
}

BOOL CMDIChildWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd*, CCreateContext* pContext)
{
    CMDIFrameWnd* frame = GetMDIFrame();
    if (!frame || !frame->m_hWndMDIClient) return FailLoad(false);
    if (pContext && pContext->m_pNewDocTemplate) m_hMenuShared = pContext->m_pNewDocTemplate->m_hMenuShared;
    // Created hidden; InitialUpdateFrame shows it once its document is open.
    CREATESTRUCTW cs{};
    cs.style = (dwDefaultStyle & ~WS_VISIBLE) | WS_CHILD | WS_CLIPCHILDREN;
    return CreateFrame(nIDResource, cs, pContext);
}

HWND CMDIChildWnd::CreateFrameWindow(const CREATESTRUCTW& cs)
{
    CMDIFrameWnd* frame = GetMDIFrame();
    MDICREATESTRUCTW mcs{};
    mcs.szClass = cs.lpszClass;
    mcs.szTitle = L"";
    mcs.hOwner = GetModuleHandleW(nullptr);
    mcs.x = cs.x;
    mcs.y = cs.y;
    mcs.cx = cs.cx;
    mcs.cy = cs.cy;
    mcs.style = cs.style & ~(WS_CHILD | WS_VISIBLE);
    mcs.lParam = reinterpret_cast<LPARAM>(this);
    return reinterpret_cast<HWND>(
        ::SendMessageW(frame->m_hWndMDIClient, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
}

LRESULT CMDIChildWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefMDIChildProcW(m_hWnd, message, wParam, lParam);
}

BOOL CMDIChildWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

void CMDIChildWnd::ActivateFrame(int nCmdShow)
{
    CMDIFrameWnd* frame = GetMDIFrame();
    ShowWindow(nCmdShow == -1 ? SW_SHOW : nCmdShow);
    if (frame) {
        ::SendMessageW(frame->m_hWndMDIClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(m_hWnd), 0);
        // A frame already active gets no WM_MDIACTIVATE: show its menu anyway.
        frame->SetFrameMenu(m_hMenuShared);
        if (::GetForegroundWindow() != frame->m_hWnd && frame->IsWindowVisible()) ::SetForegroundWindow(frame->m_hWnd);
    }
}

void CMDIChildWnd::OnMDIActivate(BOOL bActivate, HWND hwndActivate, HWND)
{
    Default();
    CMDIFrameWnd* frame = GetMDIFrame();
    if (!frame) return;
    if (bActivate) frame->SetFrameMenu(m_hMenuShared);
    else if (!hwndActivate) frame->SetFrameMenu(nullptr);
    frame->OnUpdateFrameTitle(TRUE);
}

void CMDIChildWnd::OnUpdateFrameTitle(BOOL)
{
    CDocument* doc = GetActiveDocument();
    const CString title = doc ? doc->GetTitle() : m_strTitle;
    if (GetWindowText() != title) {
        SetWindowText(title);
        // The Window menu lists the children by title, but the MDI client
        // takes a child's title only when the child is added to it.
        if (HWND hClient = ::GetParent(m_hWnd)) ::SendMessageW(hClient, WM_MDIREFRESHMENU, 0, 0);
    }
    if (CMDIFrameWnd* frame = GetMDIFrame()) frame->OnUpdateFrameTitle(TRUE);
}

void CMDIChildWnd::OnFileClose()
{
    // The same way as the close box and Ctrl+F4.
    SendMessage(WM_CLOSE);
}

void CMDIChildWnd::OnChildClose()
{
    // Closing the last frame of a document closes the document.
    CDocument* doc = GetActiveDocument();
    if (doc) {
        size_t frames = 0;
        for (CView* view : doc->GetViews())
            if (view->GetParentFrame() != this) ++frames;
        if (frames == 0) {
            doc->OnCloseDocument();
            return;
        }
    }
    DestroyWindow();
}

void CMDIChildWnd::OnChildDestroy()
{
    Default();
    // Without another child the frame goes back to its own menu and title.
    CMDIFrameWnd* frame = GetMDIFrame();
    if (!frame || !frame->m_hWnd) return;
    CMDIChildWnd* active = frame->MDIGetActive();
    if (!active || active == this) {
        frame->SetFrameMenu(nullptr);
        m_pViewActive = nullptr;
        frame->SetWindowText(frame->GetTitle());
    }
}

BOOL CMDIChildWnd::DestroyWindow()
{
    if (!m_hWnd) return FALSE;
    HWND hClient = ::GetParent(m_hWnd);
    if (!hClient) return CWnd::DestroyWindow();
    ::SendMessageW(hClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(m_hWnd), 0);
    return TRUE;
}
