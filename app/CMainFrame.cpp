#include "app/CMainFrame.h"

#include "app/CChildFrame.h"
#include "app/CHeftApp.h"
#include "app/DriveList.h"
#include "framework/CDC.h"
#include "framework/CFileFind.h"
#include "framework/CGdiObject.h"
#include "framework/Dpi.h"
#include "resources/resource.h"

#include <algorithm>
#include <dbt.h>
#include <memory>
#include <string>
#include <type_traits>

static const UINT kIndicators[] = {
    ID_SEPARATOR,
    ID_INDICATOR_CAPS,
    ID_INDICATOR_NUM,
    ID_INDICATOR_SCRL,
};

const MessageMap* CMainFrame::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::Message<WM_CREATE, &CMainFrame::OnCreate>(),
        on::Message<WM_DESTROY, &CMainFrame::OnDestroy>(),
        on::Message<WM_DEVICECHANGE, &CMainFrame::OnDeviceChange>(),
        on::Message<WM_CLOSE, &CMainFrame::OnClose>(),
        on::Message<WM_TIMER, &CMainFrame::OnTimer>(),
        on::Message<WM_DPICHANGED, &CMainFrame::OnDpiChanged>(),
    };
    static const MessageMap map = MessageMap::Of(&CMDIFrameWnd::GetThisMessageMap, entries);
    return &map;
}

CMainFrame::~CMainFrame()
{
    // Should the frame go without OnDestroy, the shell's list must still survive it.
    m_ilSystemSmall.Detach();
}

int CMainFrame::OnCreate(CREATESTRUCTW* cs)
{
    if (CMDIFrameWnd::OnCreate(cs) == -1) return -1;
    // Everything in the window is laid out at the DPI of the monitor it comes up on.
    SetLayoutDpi(WindowDpi(m_hWnd));
    LoadToolbarImageLists();

    EnableDocking(CBRS_ALIGN_ANY);
    if (!CreateCommandBar()) return -1;

    if (!m_wndStatusBar.Create(m_hWnd, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR)) return -1;
    MakeLayoutFonts();
    if (!m_wndStatusBar.SetIndicators(kIndicators, static_cast<int>(std::size(kIndicators)))) return -1;
    DockControlBar(&m_wndStatusBar);
    SetMessageText(AFX_IDS_IDLEMESSAGE);

    // The shell's small system image list, asked for by way of the system folder.
    SHFILEINFOW sfi{};
    auto hSystemList = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(Utf8ToWide(GetSystemDirectoryUtf8().str()).c_str(), 0, &sfi, sizeof(sfi),
                       SHGFI_SYSICONINDEX | SHGFI_ICON | SHGFI_SHELLICONSIZE | SHGFI_SMALLICON));
    // The query hands back an icon of its own as well; it is not needed.
    if (sfi.hIcon) DestroyIcon(sfi.hIcon);
    m_ilSystemSmall.Attach(hSystemList);
    MakeSmallIcons();

    // It shares the command toolbar's control id: View > Toolbar shows and
    // hides the command toolbar, which is docked first.
    if (!CreateToolbar(m_wndDriveBar, AFX_IDW_TOOLBAR, m_ilDriveBar, m_ilDriveBarDisabled, m_ilDriveBarHot))
        return -1;
    DockControlBar(&m_wndDriveBar);
    // The shell's drive names are collected together with the drive roots
    // they belong to, so names and positions never part.
    FillDriveBar();

    RecalcLayout();
    return 0;
}

HIMAGELIST CMainFrame::SystemSmallImages()
{
    auto* frame = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
    if (!frame) return nullptr;
    if (!frame->m_ilSystemSmallScaled.GetSafeHandle()) return frame->m_ilSystemSmall.GetSafeHandle();
    frame->CopyNewShellIcons();
    return frame->m_ilSystemSmallScaled.GetSafeHandle();
}

HFONT CMainFrame::ControlFont()
{
    auto* frame = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
    return frame ? frame->m_fontControls.GetSafeHandle() : nullptr;
}

void CMainFrame::MakeLayoutFonts()
{
    LOGFONTW font = IconTitleFontForDpi(LayoutDpi());
    m_fontControls.Attach(CreateFontIndirectW(&font));
    font = StatusFontForDpi(LayoutDpi());
    m_fontStatus.Attach(CreateFontIndirectW(&font));
    m_wndStatusBar.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_fontStatus.GetSafeHandle()), TRUE);
}

void CMainFrame::MakeSmallIcons()
{
    m_ilSystemSmallScaled.DeleteImageList();
    m_hScaledIconSource = nullptr;
    const SIZE size{SystemMetricForDpi(SM_CXSMICON, LayoutDpi()), SystemMetricForDpi(SM_CYSMICON, LayoutDpi())};
    int cx = 0, cy = 0;
    if (!m_ilSystemSmall.GetSafeHandle() || !ImageList_GetIconSize(m_ilSystemSmall, &cx, &cy) || cx == size.cx)
        return;
    m_hScaledIconSource = m_ilSystemSmall;
    if (cx < size.cx) {
        // Drawn smaller rather than larger, an icon stays sharp.
        SHFILEINFOW sfi{};
        const std::wstring sample = Utf8ToWide(GetSystemDirectoryUtf8().str());
        auto hLarge = reinterpret_cast<HIMAGELIST>(
            SHGetFileInfoW(sample.c_str(), 0, &sfi, sizeof(sfi), SHGFI_SYSICONINDEX | SHGFI_LARGEICON));
        if (hLarge) m_hScaledIconSource = hLarge;
    }
    if (m_ilSystemSmallScaled.Create(size.cx, size.cy, ILC_COLOR32 | ILC_MASK, 64, 64)) CopyNewShellIcons();
}

void CMainFrame::CopyNewShellIcons()
{
    struct IconDestroy {
        void operator()(HICON hIcon) const { DestroyIcon(hIcon); }
    };
    const int copied = m_ilSystemSmallScaled.GetImageCount();
    const int count = ImageList_GetImageCount(m_hScaledIconSource);
    if (copied >= count || !ImageList_SetImageCount(m_ilSystemSmallScaled, static_cast<UINT>(count))) return;
    // The image list draws each icon at its own size as it takes it in.
    for (int i = copied; i < count; ++i) {
        std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroy> icon(
            ImageList_GetIcon(m_hScaledIconSource, i, ILD_TRANSPARENT));
        if (icon) ImageList_ReplaceIcon(m_ilSystemSmallScaled, i, icon.get());
    }
}

void CMainFrame::OnDpiChanged(int dpi, const RECT* suggested)
{
    const int previous = LayoutDpi();
    if (dpi > 0 && dpi != previous) {
        // The views show the old fonts and icons until they take the new ones.
        CFont oldControlFont(m_fontControls.Detach());
        CFont oldStatusFont(m_fontStatus.Detach());
        CImageList oldIcons;
        oldIcons.Attach(m_ilSystemSmallScaled.Detach());
        SetLayoutDpi(dpi);
        // The bars show the image lists about to be made again: they go first,
        // and come back as at a start at this DPI, the command bar first.
        // The drive bar's window stays (its own click may be running): it
        // leaves the order of bars and comes back below the command bar,
        // refilled with images of the new size.
        const bool commandBarShown = m_wndToolBar.m_hWnd && m_wndToolBar.IsWindowVisible();
        RemoveControlBar(&m_wndDriveBar);
        m_wndToolBar.DestroyWindow();
        LoadToolbarImageLists();
        CreateCommandBar();
        if (!commandBarShown) ShowControlBar(&m_wndToolBar, FALSE);
        // The old image lists are gone: the bar shows the new ones at once,
        // whenever its buttons can be made again.
        SetToolbarImages(m_wndDriveBar, m_ilDriveBar, m_ilDriveBarDisabled, m_ilDriveBarHot);
        DockControlBar(&m_wndDriveBar);
        RebuildDriveBar();
        MakeSmallIcons();
        MakeLayoutFonts();
        m_wndStatusBar.SetIndicators(kIndicators, static_cast<int>(std::size(kIndicators)));
        for (HWND hChild = ::GetWindow(m_hWndMDIClient, GW_CHILD); hChild; hChild = ::GetWindow(hChild, GW_HWNDNEXT)) {
            auto* child = dynamic_cast<CChildFrame*>(FromHandlePermanent(hChild));
            if (!child) continue;
            // A drive window keeps its place and share of the main window.
            if (!::IsZoomed(hChild) && !::IsIconic(hChild)) {
                RECT rc{};
                ::GetWindowRect(hChild, &rc);
                ::MapWindowPoints(HWND_DESKTOP, m_hWndMDIClient, reinterpret_cast<POINT*>(&rc), 2);
                const int left = MulDiv(rc.left, dpi, previous), top = MulDiv(rc.top, dpi, previous);
                ::SetWindowPos(hChild, nullptr, left, top, MulDiv(rc.right, dpi, previous) - left,
                               MulDiv(rc.bottom, dpi, previous) - top, SWP_NOZORDER | SWP_NOACTIVATE);
            }
            child->m_wndSplitter.OnLayoutDpiChanged(previous, dpi);
        }
    }
    if (suggested)
        ::SetWindowPos(m_hWnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    RecalcLayout();
}

void CMainFrame::OnDestroy()
{
    m_ilSystemSmall.Detach();
    CMDIFrameWnd::OnDestroy();
    // Without the main window lengths are those of the screen again.
    SetLayoutDpi(0);
}

// Retries a close that had to wait for a scan to end.
static constexpr UINT_PTR kCloseAfterScanTimer = 1;
// Retries a drive bar refill that had to wait.
static constexpr UINT_PTR kDriveBarTimer = 2;
static constexpr UINT kDriveBarRetryMs = 100;

void CMainFrame::OnClose()
{
    auto* app = dynamic_cast<CHeftApp*>(AfxGetApp());
    if (app && app->IsAnyDriveBusy()) {
        // The windows the scan works in must outlive it.
        app->CloseAllDocuments();
        ::SetTimer(m_hWnd, kCloseAfterScanTimer, 50, nullptr);
        return;
    }
    CMDIFrameWnd::OnClose();
}

void CMainFrame::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == kDriveBarTimer) {
        if (CanRefillDriveBar()) {
            ::KillTimer(m_hWnd, kDriveBarTimer);
            RebuildDriveBar();
        }
        return;
    }
    if (nIDEvent != kCloseAfterScanTimer) {
        Default();
        return;
    }
    auto* app = dynamic_cast<CHeftApp*>(AfxGetApp());
    if (app && app->IsAnyDriveBusy()) return;
    ::KillTimer(m_hWnd, kCloseAfterScanTimer);
    OnClose();
}

BOOL CMainFrame::OnDeviceChange(UINT nEventType, DWORD_PTR)
{
    BOOL result = static_cast<BOOL>(Default());
    if (nEventType == DBT_DEVICEARRIVAL || nEventType == DBT_DEVICEREMOVECOMPLETE) RebuildDriveBar();
    return result;
}

void CMainFrame::ReadLogicalDrives()
{
    // The mask and the strings are two readings; a drive that comes or goes
    // between them would shift every later button onto the wrong root, so
    // read again until both describe the same drives.
    std::vector<CString> roots;
    DWORD mask = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        mask = GetLogicalDrives();
        roots.clear();
        std::wstring text;
        DWORD needed = GetLogicalDriveStringsW(0, nullptr);
        while (needed > 0) {
            text.assign(static_cast<size_t>(needed) + 1, L'\0');
            DWORD got = GetLogicalDriveStringsW(static_cast<DWORD>(text.size()), text.data());
            if (got == 0) {
                text.clear();
                break;
            }
            if (got < text.size()) {
                text.resize(got);
                break;
            }
            needed = got; // drives came in between
        }
        DWORD letters = 0;
        for (size_t start = 0; start < text.size();) {
            size_t end = text.find(L'\0', start);
            if (end == std::wstring::npos) end = text.size();
            if (end > start) {
                roots.push_back(WideToUtf8(std::wstring_view(text).substr(start, end - start)));
                wchar_t letter = text[start];
                if (letter >= L'a' && letter <= L'z') letter = static_cast<wchar_t>(letter - L'a' + L'A');
                if (letter >= L'A' && letter <= L'Z') letters |= 1u << (letter - L'A');
            }
            start = end + 1;
        }
        if (letters == mask) break;
        mask = letters; // the strings name the buttons: keep the mask in step with them
    }
    m_dwLogicalDrives = mask;
    m_arrRootPaths = std::move(roots);
}

static int DriveImageOf(UINT nDriveType)
{
    switch (nDriveType) {
    case DRIVE_REMOVABLE: return 0;
    case DRIVE_REMOTE: return 2;
    case DRIVE_CDROM: return 3;
    case DRIVE_RAMDISK: return 4;
    default: return 1; // fixed, and any drive whose kind is not known: a user reads it as "drive"
    }
}

BOOL CMainFrame::CanRefillDriveBar()
{
    auto* app = dynamic_cast<CHeftApp*>(AfxGetApp());
    return !(app && app->IsAnyDriveBusy()) && !CModalBoxShown::Any();
}

void CMainFrame::RebuildDriveBar()
{
    if (!CanRefillDriveBar()) {
        m_bDriveBarStale = true;
        ::SetTimer(m_hWnd, kDriveBarTimer, kDriveBarRetryMs, nullptr);
        return;
    }
    FillDriveBar();
}

void CMainFrame::FillDriveBar()
{
    CWaitCursor wait;
    m_bDriveBarStale = false;
    ReadLogicalDrives();
    CollectShellDriveNames(m_arrRootPaths);

    while (m_wndDriveBar.SendMessage(TB_DELETEBUTTON, 0)) {
    }
    // Images of the layout DPI, set while the bar has no button.
    SetToolbarImages(m_wndDriveBar, m_ilDriveBar, m_ilDriveBarDisabled, m_ilDriveBarHot);
    std::fill(std::begin(m_nDriveCommand), std::end(m_nDriveCommand), 0u);

    std::vector<TBBUTTON> buttons;
    for (UINT letter = 0; letter < kDriveLetters; ++letter) {
        if (!(m_dwLogicalDrives & (1u << letter))) continue;
        size_t k = buttons.size();
        if (k >= m_arrRootPaths.size()) break;
        TBBUTTON button{};
        button.iBitmap = DriveImageOf(GetDriveTypeW(Utf8ToWide(m_arrRootPaths[k].str()).c_str()));
        button.idCommand = static_cast<int>(ID_DRIVE_A + letter);
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = TBSTYLE_BUTTON;
        button.dwData = 0;
        button.iString = 0;
        m_nDriveCommand[k] = ID_DRIVE_A + letter;
        buttons.push_back(button);
    }
    if (!buttons.empty())
        m_wndDriveBar.SendMessage(TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    RecalcLayout();
}

BOOL CMainFrame::LoadToolbarImageLists()
{
    return LoadToolbarImageList(IDB_TOOLBAR, m_ilToolbar) &&
           LoadToolbarImageList(IDB_TOOLBAR_DISABLED, m_ilToolbarDisabled) &&
           LoadToolbarImageList(IDB_TOOLBAR_HOT, m_ilToolbarHot) && LoadToolbarImageList(IDB_DRIVES, m_ilDriveBar) &&
           LoadToolbarImageList(IDB_DRIVES_DISABLED, m_ilDriveBarDisabled) &&
           LoadToolbarImageList(IDB_DRIVES_HOT, m_ilDriveBarHot);
}

BOOL CMainFrame::CreateCommandBar()
{
    if (!CreateToolbar(m_wndToolBar, AFX_IDW_TOOLBAR, m_ilToolbar, m_ilToolbarDisabled, m_ilToolbarHot) ||
        !m_wndToolBar.LoadToolBar(IDR_MAINFRAME))
        return FALSE;
    DockControlBar(&m_wndToolBar);
    return TRUE;
}

BOOL CMainFrame::CreateToolbar(CToolBar& bar, UINT nID, CImageList& images, CImageList& disabled, CImageList& hot)
{
    const RECT noBorders{0, 0, 0, 0};
    if (!bar.CreateEx(m_hWnd, TBSTYLE_FLAT,
                      WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC,
                      noBorders, nID))
        return FALSE;
    SetToolbarImages(bar, images, disabled, hot);
    bar.EnableDocking(CBRS_ALIGN_ANY);
    return TRUE;
}

void CMainFrame::SetToolbarImages(CToolBar& bar, CImageList& images, CImageList& disabled, CImageList& hot)
{
    const SIZE imageSize = ToolbarImageSize();
    bar.SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(imageSize.cx, imageSize.cy));
    bar.SendMessage(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.GetSafeHandle()));
    bar.SendMessage(TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(disabled.GetSafeHandle()));
    bar.SendMessage(TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(hot.GetSafeHandle()));
}

void CMainFrame::MapSilverToButtonFace(HBITMAP hBitmap)
{
    DIBSECTION dib{};
    if (GetObjectW(hBitmap, sizeof(dib), &dib) != sizeof(dib) || !dib.dsBm.bmBits || dib.dsBm.bmBitsPixel != 24)
        return;
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    BYTE blue = GetBValue(face), green = GetGValue(face), red = GetRValue(face);
    auto* bits = static_cast<BYTE*>(dib.dsBm.bmBits);
    // Rows are walked with the section's own stride, so any width is safe.
    for (LONG y = 0; y < dib.dsBm.bmHeight; ++y) {
        BYTE* row = bits + static_cast<size_t>(y) * static_cast<size_t>(dib.dsBm.bmWidthBytes);
        for (LONG x = 0; x < dib.dsBm.bmWidth; ++x) {
            BYTE* px = row + 3 * static_cast<size_t>(x);
            if (px[0] == 192 && px[1] == 192 && px[2] == 192) {
                px[0] = blue;
                px[1] = green;
                px[2] = red;
            }
        }
    }
}

SIZE CMainFrame::ToolbarImageSize()
{
    return SIZE{ScaleToDpi(16), ScaleToDpi(15)};
}

HBITMAP CMainFrame::ScaleImageStrip(HBITMAP hStrip, int cellWidth)
{
    BITMAP source{};
    if (!GetObjectW(hStrip, sizeof(source), &source) || source.bmWidth <= 0 || source.bmHeight <= 0) return nullptr;
    const int cells = source.bmWidth / 16;
    const int height = MulDiv(source.bmHeight, cellWidth, 16);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = cells * cellWidth;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP hScaled = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!hScaled) return nullptr;

    CMemoryDC from;
    CMemoryDC to;
    CSelectedObject fromStrip(from, hStrip);
    CSelectedObject toScaled(to, hScaled);
    // Each image on its own, so that no image bleeds into its neighbour.
    SetStretchBltMode(to, cellWidth % 16 == 0 ? COLORONCOLOR : HALFTONE);
    SetBrushOrgEx(to, 0, 0, nullptr);
    for (int cell = 0; cell < cells; ++cell)
        StretchBlt(to, cell * cellWidth, 0, cellWidth, height, from, cell * 16, 0, 16, source.bmHeight, SRCCOPY);
    return hScaled;
}

BOOL CMainFrame::LoadToolbarImageList(UINT nIDBitmap, CImageList& imageList)
{
    CBitmap bitmap(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nIDBitmap),
                                                   IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_DEFAULTSIZE)));
    if (!bitmap.GetSafeHandle()) return FALSE;
    MapSilverToButtonFace(bitmap);
    const SIZE size = ToolbarImageSize();
    CBitmap scaled;
    HBITMAP strip = bitmap;
    if (size.cx != 16) {
        scaled.Attach(ScaleImageStrip(bitmap, size.cx));
        if (!scaled.GetSafeHandle()) return FALSE;
        strip = scaled;
    }
    if (!imageList.Create(size.cx, size.cy, ILC_COLOR24, 8, 0)) return FALSE;
    return imageList.AddMasked(strip, RGB(0, 0, 0)) >= 0;
}
