#pragma once
#include "framework/CCmdTarget.h"

class CWnd;

// The state of one user-interface item (menu item, toolbar button) that an
// update handler sets. A command that no target handles is disabled.
class CCmdUI {
public:
    explicit CCmdUI(UINT id) : m_nID(id) {}
    virtual ~CCmdUI() = default;

    virtual void Enable(BOOL bOn = TRUE) = 0;
    virtual void SetCheck(int nCheck = 1) = 0;

    // Asks the targets a command arriving at window is routed to for an
    // update handler; without one the item is enabled exactly when one of
    // them handles the command. A null window has no targets: the item is
    // disabled.
    void DoUpdate(CWnd* window, BOOL bDisableIfNoHandler);

    UINT m_nID;

protected:
    bool m_bEnableChanged = false;
};

class CMenuCmdUI : public CCmdUI {
public:
    CMenuCmdUI(HMENU hMenu, UINT nIndex, UINT id) : CCmdUI(id), m_hMenu(hMenu), m_nIndex(nIndex) {}
    void Enable(BOOL bOn = TRUE) override;
    void SetCheck(int nCheck = 1) override;

private:
    HMENU m_hMenu;
    UINT m_nIndex;
};

class CToolCmdUI : public CCmdUI {
public:
    CToolCmdUI(HWND hToolbar, UINT id) : CCmdUI(id), m_hToolbar(hToolbar) {}
    void Enable(BOOL bOn = TRUE) override;
    void SetCheck(int nCheck = 1) override;

private:
    HWND m_hToolbar;
};
