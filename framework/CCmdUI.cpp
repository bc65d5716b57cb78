#include "framework/CCmdUI.h"

#include "framework/CWinApp.h"
#include "framework/CommandRouting.h"

void CCmdUI::DoUpdate(CWnd* window, BOOL bDisableIfNoHandler)
{
    m_bEnableChanged = false;
    if (!window) {
        Enable(FALSE);
        return;
    }
    if (const CWinApp* app = AfxGetApp(); app && app->IsCommandHeld(m_nID)) {
        Enable(FALSE);
        return;
    }
    CmdMsg update;
    update.kind = CmdMsg::UpdateUI;
    update.id = m_nID;
    update.pCmdUI = this;
    if (RouteCmdMsg(*window, update) && m_bEnableChanged) return;
    if (!bDisableIfNoHandler) return;
    CmdMsg probe;
    probe.kind = CmdMsg::Command;
    probe.id = m_nID;
    probe.probeOnly = true;
    Enable(RouteCmdMsg(*window, probe));
}

void CMenuCmdUI::Enable(BOOL bOn)
{
    EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (bOn ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    m_bEnableChanged = true;
}

void CMenuCmdUI::SetCheck(int nCheck)
{
    CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (nCheck ? MF_CHECKED : MF_UNCHECKED));
}

void CToolCmdUI::Enable(BOOL bOn)
{
    SendMessageW(m_hToolbar, TB_ENABLEBUTTON, m_nID, MAKELPARAM(bOn ? TRUE : FALSE, 0));
    m_bEnableChanged = true;
}

void CToolCmdUI::SetCheck(int nCheck)
{
    SendMessageW(m_hToolbar, TB_CHECKBUTTON, m_nID, MAKELPARAM(nCheck ? TRUE : FALSE, 0));
}
