#pragma once
#include "framework/CWnd.h"

#include <vector>

// Bar styles (kept by the bar object, not in the window style).
constexpr DWORD CBRS_ALIGN_LEFT = 0x1000;
constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
constexpr DWORD CBRS_ALIGN_RIGHT = 0x4000;
constexpr DWORD CBRS_ALIGN_BOTTOM = 0x8000;
constexpr DWORD CBRS_ALIGN_ANY = 0xF000;
constexpr DWORD CBRS_TOOLTIPS = 0x0010;
constexpr DWORD CBRS_FLYBY = 0x0020;
constexpr DWORD CBRS_SIZE_DYNAMIC = 0x0400;
constexpr DWORD CBRS_GRIPPER = 0x00400000;
constexpr DWORD CBRS_TOP = CBRS_ALIGN_TOP;
constexpr DWORD CBRS_BOTTOM = CBRS_ALIGN_BOTTOM;
// The bar-style bits that callers may pass inside a window style.
constexpr DWORD CBRS_ALL = 0x0040FFFF;

class CFrameWnd;

// A bar along an edge of a frame window: a common control wrapped by this
// object, laid out by its frame.
class CControlBar : public CWnd {
public:
    ~CControlBar() override;
    DWORD GetBarStyle() const { return m_dwStyle; }
    virtual void SetBarStyle(DWORD dwStyle) { m_dwStyle = dwStyle; }
    void EnableDocking(DWORD dwDockStyle) { m_dwDockStyle = dwDockStyle; }
    // Height the bar needs at the given width.
    virtual int CalcHeight(int width) = 0;
    // Called when the message queue goes idle: update button states and
    // indicators from the commands routed at pTarget (null: all disabled).
    virtual void OnUpdateCmdUI(CWnd* pTarget, BOOL bDisableIfNoHandler) = 0;

protected:
    // Splits the caller's window style into the control's style and the bar style.
    DWORD TakeBarStyle(DWORD dwStyle);
    void PostNcDestroy() override;

    DWORD m_dwStyle = 0;
    DWORD m_dwDockStyle = 0;

public:
    CFrameWnd* m_pDockSite = nullptr; // the frame that lays this bar out
};

// A toolbar (flat, with normal, hot and disabled image lists and tooltips).
class CToolBar : public CControlBar {
    DECLARE_MESSAGE_MAP()
public:
    BOOL CreateEx(HWND hParent, DWORD dwCtrlStyle, DWORD dwStyle, const RECT& rcBorders, UINT nID);
    // Buttons from a TOOLBAR resource: image size and the ids (0 = separator).
    BOOL LoadToolBar(UINT nIDResource);
    void SetBarStyle(DWORD dwStyle) override;
    int CalcHeight(int width) override;
    void OnUpdateCmdUI(CWnd* pTarget, BOOL bDisableIfNoHandler) override;
    int GetButtonCount() const { return static_cast<int>(SendMessage(TB_BUTTONCOUNT)); }
    UINT GetItemID(int nIndex) const;
    // Buttons that show a text and no image, one per command; the bar is
    // best made with the list style, TBSTYLE_LIST.
    BOOL SetTextButtons(const UINT* ids, const char* const* texts, int nCount);
    void SetButtonText(UINT id, const char* text);

private:
    void OnHotItemChange(NMHDR* pNMHDR, LRESULT* pResult);
};

// The status bar: a message pane followed by indicator panes.
class CStatusBar : public CControlBar {
public:
    BOOL Create(HWND hParent, DWORD dwStyle, UINT nID);
    BOOL SetIndicators(const UINT* ids, int nCount);
    void SetPaneText(int nIndex, const char* text);
    CString GetPaneText(int nIndex) const;
    int CalcHeight(int width) override;
    void OnUpdateCmdUI(CWnd* pTarget, BOOL bDisableIfNoHandler) override;
    // Recomputes the pane edges for the bar's current width.
    void UpdatePanes();

private:
    std::vector<UINT> m_ids;
    std::vector<int> m_widths; // indicator widths in pixels; 0 for the stretching message pane
};
