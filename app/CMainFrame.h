#pragma once
#include "framework/CControlBar.h"
#include "framework/CFrameWnd.h"
#include "framework/CGdiObject.h"
#include "framework/CImageList.h"

#include <vector>

// The main window: command toolbar, drive toolbar, status bar, the shell's
// small system image list and the machine's drive list.
class CMainFrame : public CMDIFrameWnd {
    DECLARE_MESSAGE_MAP()
public:
    CMainFrame() = default;
    ~CMainFrame() override;


    // Replaces silver, RGB(192,192,192), by the button-face colour in a 24-bit section.
    static void MapSilverToButtonFace(HBITMAP hBitmap);
    // Loads a toolbar bitmap as 16x15 images (at 96 DPI; scaled to the
    // layout DPI) into an image list.
    static BOOL LoadToolbarImageList(UINT nIDBitmap, CImageList& imageList);
    // The size of a toolbar image at the layout DPI.
    static SIZE ToolbarImageSize();
    // A copy of a strip of 16-pixel-wide images, each scaled to cellWidth
    // (and the height in proportion): pixel for pixel at whole factors,
    // smoothed in between. Null when it cannot be made.
    static HBITMAP ScaleImageStrip(HBITMAP hStrip, int cellWidth);

    // Creates one of the frame's toolbars along its top edge, showing these
    // image lists; the caller adds the buttons and docks it.
    BOOL CreateToolbar(CToolBar& bar, UINT nID, CImageList& images, CImageList& disabled, CImageList& hot);
    // Gives a toolbar these image lists at the layout DPI's image size.
    static void SetToolbarImages(CToolBar& bar, CImageList& images, CImageList& disabled, CImageList& hot);

    // The shell's small icons at the layout DPI, by the shell's own indices,
    // for the views to show their icons from; null without a main window.
    // Views ask again before they draw: the shell adds icons as it is asked
    // about new kinds of entries.
    static HIMAGELIST SystemSmallImages();
    // The font of the tree and the list at the layout DPI; null without a main window.
    static HFONT ControlFont();

    // Reads the present drives: the letter mask and the root strings ("C:\").
    void ReadLogicalDrives();
    // Fills the drive toolbar again from the present drives, with their shell
    // names. While a drive is busy or a modal box is up, the bar may be the
    // very window whose click is being handled further down the stack: the
    // refill then waits until neither holds.
    void RebuildDriveBar();
    // Whether a refill asked for now has to wait.
    BOOL IsDriveBarRebuildDeferred() const { return m_bDriveBarStale; }

    DWORD m_dwLogicalDrives = 0;
    std::vector<CString> m_arrRootPaths;
    // One entry per drive letter A to Z.
    static constexpr size_t kDriveLetters = 'Z' - 'A' + 1;
    UINT m_nDriveCommand[kDriveLetters] = {};
    CStatusBar m_wndStatusBar;
    // Made once with the frame and refilled, never replaced: its own button
    // click may be what is running when the drives change.
    CToolBar m_wndDriveBar;
    CToolBar m_wndToolBar;
    CImageList m_ilToolbarDisabled;
    CImageList m_ilToolbarHot;
    CImageList m_ilToolbar;
    CImageList m_ilDriveBarDisabled;
    CImageList m_ilDriveBarHot;
    CImageList m_ilDriveBar;
    CImageList m_ilSystemSmall; // the shell's list: attached, never destroyed here
    // At a layout DPI whose small icons are not the size of the shell's: a
    // copy of the shell's icons at that size, made from its small or, when
    // those are smaller, its large icons (not owned either).
    CImageList m_ilSystemSmallScaled;
    HIMAGELIST m_hScaledIconSource = nullptr;
    CFont m_fontControls;
    CFont m_fontStatus;

protected:
    int OnCreate(CREATESTRUCTW* cs);
    void OnDestroy();
    // While a scan runs further down the stack, closing asks the drive
    // windows to close (the scans end as cancelled) and the window itself
    // closes as soon as no scan runs any more.
    void OnClose();
    void OnTimer(UINT_PTR nIDEvent);
    BOOL OnDeviceChange(UINT nEventType, DWORD_PTR dwData);
    // Moved to a monitor of another DPI: takes the place the system suggests
    // and lays out again everything that has a size in pixels.
    void OnDpiChanged(int dpi, const RECT* suggested);

private:
    // Whether the drive bar can be refilled now (no drive busy, no modal box up).
    static BOOL CanRefillDriveBar();
    void FillDriveBar();
    bool m_bDriveBarStale = false;
    BOOL LoadToolbarImageLists();
    BOOL CreateCommandBar();
    // The fonts and the small icons of the layout DPI, handed to the status
    // bar and the views that show them.
    void MakeLayoutFonts();
    void MakeSmallIcons();
    // Copies the shell's icons that the scaled copy does not have yet.
    void CopyNewShellIcons();
};
