#pragma once
#include "framework/CFrameWnd.h"
#include "framework/CSplitterWnd.h"

// The window of one drive document: a splitter with the folder tree on the
// left and the contents list on the right.
class CChildFrame : public CMDIChildWnd {
    DECLARE_MESSAGE_MAP()
public:
    BOOL OnCreateClient(CREATESTRUCTW* cs, CCreateContext* pContext) override;

    // The shell's name of the drive whose button has this command id.
    static BOOL GetDriveToolTip(UINT nID, CString& text);
    BOOL OnToolTipText(UINT id, NMHDR* pNMHDR, LRESULT* pResult);

    CSplitterWnd m_wndSplitter;
};
