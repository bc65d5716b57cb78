#pragma once
#include "framework/CControlBar.h"
#include "framework/CDocument.h"
#include "framework/CWnd.h"

#include <vector>

class CPreviewView;
class CView;

// Frame style: the caption carries the active document's title after the frame's own.
constexpr DWORD FWS_ADDTOTITLE = 0x00008000;

// A frame window: menu, accelerators, icon and title from one resource id;
// control bars docked along its edges; the active view, which commands
// arriving at the frame reach first (framework/CommandRouting.h).
class CFrameWnd : public CWnd {
    DECLARE_MESSAGE_MAP()
public:
    ~CFrameWnd() override;

    // Creates the frame's window. On failure the frame object is deleted.
    virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);
    virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);
    virtual BOOL OnCreateClient(CREATESTRUCTW* cs, CCreateContext* pContext);
    // Creates the context's view as the pane with the given id.
    CView* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);

    CView* GetActiveView() const { return m_pViewActive; }
    void SetActiveView(CView* pView, BOOL bNotify = TRUE);
    virtual CDocument* GetActiveDocument();
    // The frame whose view has the focus: this one, or for an MDI frame its active child.
    virtual CFrameWnd* GetActiveFrame() { return this; }
    void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);
    virtual void ActivateFrame(int nCmdShow = -1);
    virtual void OnUpdateFrameTitle(BOOL bAddToTitle);
    const CString& GetTitle() const { return m_strTitle; }

    // Control bars.
    void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle; }
    void DockControlBar(CControlBar* pBar);
    void RemoveControlBar(CControlBar* pBar);
    CControlBar* GetControlBar(UINT nID) const;
    void ShowControlBar(CControlBar* pBar, BOOL bShow);
    virtual void RecalcLayout();
    // The status bar's message pane: a text, or the first line of a command's string.
    void SetMessageText(const char* text);
    void SetMessageText(UINT nID);
    // Updates the bars' buttons and indicators; called when the queue goes idle.
    void OnIdleUpdateCmdUI();

    // Print preview in place of the client area. While it shows, the frame
    // has no menu and no bars but the status bar and the preview's own, and
    // commands go to the preview alone. Null ends it: menu, bars and client
    // area come back as they were.
    void SetPreviewMode(CPreviewView* pPreview, CControlBar* pPreviewBar);
    CPreviewView* GetPreviewView() const { return m_pPreviewView; }

    BOOL PreTranslateMessage(MSG* pMsg) override;
    // Default tooltip text of a command: the part of its string after the newline.
    BOOL OnToolTipText(UINT id, NMHDR* pNMHDR, LRESULT* pResult);
    // Fills a tooltip notification's text buffer (the windows are Unicode ones: the wide form).
    static void SetToolTipText(NMHDR* pNMHDR, const char* text);

    HMENU m_hMenuDefault = nullptr;
    HACCEL m_hAccelTable = nullptr;
    UINT m_nIDHelp = 0;

protected:
    int OnCreate(CREATESTRUCTW* cs);
    void OnSize(UINT type, int cx, int cy);
    void OnSetFocus(HWND hwndOld);
    void OnDestroy();
    void OnClose();
    void OnEnable(BOOL bEnable);
    void OnInitMenuPopup(HMENU hMenu, UINT nIndex, BOOL bSysMenu);
    void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hMenu);
    LRESULT OnExitMenuLoop(WPARAM, LPARAM);
    // The bar with this id in this frame or in a frame around it; ppDockSite
    // (optional) receives the frame that lays it out.
    CControlBar* FindControlBar(UINT nID, CFrameWnd** ppDockSite);
    BOOL OnBarCheck(UINT nID);
    void OnUpdateControlBarMenu(CCmdUI* pCmdUI);
    void OnNextPane();
    void OnPrevPane();
    void OnUpdateNextPane(CCmdUI* pCmdUI);
    void OnWindowSplit();
    void OnUpdateWindowSplit(CCmdUI* pCmdUI);
    void PostNcDestroy() override;
    // The window that fills the space the bars leave: the pane or the MDI client.
    HWND GetClientArea() const;

    CString m_strTitle;
    CView* m_pViewActive = nullptr;
    CCreateContext* m_pPendingContext = nullptr;
    std::vector<CControlBar*> m_bars;
    DWORD m_dwDockStyle = 0;
    UINT m_nIDTracking = 0; // command whose prompt the status bar shows
    DWORD m_dwFrameStyle = 0; // FWS_ bits, which the window style has no room for
    bool* m_pDeletedFlag = nullptr; // set when PostNcDestroy deletes the frame during LoadFrame
    CPreviewView* m_pPreviewView = nullptr;
    CControlBar* m_pPreviewBar = nullptr;
    std::vector<CControlBar*> m_barsHiddenForPreview;
    HMENU m_hMenuBeforePreview = nullptr;
    // Ends a failed LoadFrame: the frame is deleted unless its window's end already did it.
    BOOL FailLoad(bool deleted);
    // The part of LoadFrame every frame shares: icon, class, PreCreateWindow
    // and the window itself, with the frame deleted when it fails.
    BOOL CreateFrame(UINT nIDResource, CREATESTRUCTW& cs, CCreateContext* pContext);
    // Makes the frame's window from the finished creation structure.
    virtual HWND CreateFrameWindow(const CREATESTRUCTW& cs);
};

// The main frame of a multiple-document program: an MDI client area, its
// default menu while no document is open and the template's menu while one is.
class CMDIFrameWnd : public CFrameWnd {
    DECLARE_MESSAGE_MAP()
public:
    BOOL OnCreateClient(CREATESTRUCTW* cs, CCreateContext* pContext) override;
    CFrameWnd* GetActiveFrame() override;
    CDocument* GetActiveDocument() override;
    class CMDIChildWnd* MDIGetActive() const;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Shows hMenu (null: the default menu) with its Window popup as the MDI window menu.
    void SetFrameMenu(HMENU hMenu);

    HWND m_hWndMDIClient = nullptr;

protected:
    BOOL OnMDIWindowCmd(UINT nID);
    void OnUpdateMDIWindowCmd(CCmdUI* pCmdUI);
};

// A document's frame inside the MDI client area.
class CMDIChildWnd : public CFrameWnd {
    DECLARE_MESSAGE_MAP()
public:
    BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                   CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void ActivateFrame(int nCmdShow = -1) override;
    void OnUpdateFrameTitle(BOOL bAddToTitle) override;
    CMDIFrameWnd* GetMDIFrame() const;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // An MDI child is destroyed through its client window, which keeps the window list.
    BOOL DestroyWindow() override;

    HMENU m_hMenuShared = nullptr; // the template's menu, shown while this frame is active

protected:
    void OnMDIActivate(BOOL bActivate, HWND hwndActivate, HWND hwndDeactivate);
    void OnChildClose();
    void OnChildDestroy();
    void OnFileClose();
    HWND CreateFrameWindow(const CREATESTRUCTW& cs) override;
};
