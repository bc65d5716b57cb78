#include "app/CChildFrame.h"

#include "app/CMainFrame.h"
#include "app/DriveList.h"
#include "framework/Dpi.h"
#include "views/CHeftList.h"
#include "views/CHeftTree.h"

const MessageMap* CChildFrame::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::NotifyEx<&CChildFrame::OnToolTipText>(TTN_NEEDTEXTW, 0, 0xFFFF),
    };
    static const MessageMap map = MessageMap::Of(&CMDIChildWnd::GetThisMessageMap, entries);
    return &map;
}

BOOL CChildFrame::OnCreateClient(CREATESTRUCTW*, CCreateContext* pContext)
{
    if (!m_wndSplitter.CreateStatic(this, 1, 2, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST)) return FALSE;
    // The tree starts 200 pixels wide at 96 DPI; the list takes the rest.
    const SIZE tree{ScaleToDpi(200), ScaleToDpi(200)};
    const SIZE list{ScaleToDpi(100), ScaleToDpi(100)};
    if (!m_wndSplitter.CreateView(0, 0, [] { return static_cast<CView*>(new CHeftTree); }, tree, pContext))
        return FALSE;
    if (!m_wndSplitter.CreateView(0, 1, [] { return static_cast<CView*>(new CHeftList); }, list, pContext))
        return FALSE;
    return TRUE;
}

BOOL CChildFrame::GetDriveToolTip(UINT nID, CString& text)
{
    auto* frame = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
    if (!frame) return FALSE;
    for (size_t k = 0; k < std::size(frame->m_nDriveCommand); ++k) {
        if (frame->m_nDriveCommand[k] != nID) continue;
        if (k >= g_arrShellDriveNames.size()) return FALSE;
        text = g_arrShellDriveNames[k];
        return TRUE;
    }
    return FALSE;
}

BOOL CChildFrame::OnToolTipText(UINT id, NMHDR* pNMHDR, LRESULT* pResult)
{
    CString name;
    if (!GetDriveToolTip(static_cast<UINT>(pNMHDR->idFrom), name)) return CMDIChildWnd::OnToolTipText(id, pNMHDR, pResult);
    SetToolTipText(pNMHDR, name);
    *pResult = 0;
    return TRUE;
}
