#include "app/CMainFrame.h"

#include "framework/CGdiObject.h"
#include "resources/resource.h"

#include <string>

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
    };
    static const MessageMap map = MessageMap::Of(&CMDIFrameWnd::GetThisMessageMap, entries);
    return &map;
}

CMainFrame::~CMainFrame()
{
    // Should the frame go without OnDestroy, the shell's list must still survive it.
    m_ilSystemSmall.Detach();
}

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTA& cs)
{
    return CMDIFrameWnd::PreCreateWindow(cs);
}

int CMainFrame::OnCreate(CREATESTRUCTA* cs)
{
    if (CMDIFrameWnd::OnCreate(cs) == -1) return -1;

    RECT noBorders{0, 0, 0, 0};
    if (!m_wndToolBar.CreateEx(m_hWnd, TBSTYLE_FLAT,
                               WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS | CBRS_FLYBY |
                                   CBRS_SIZE_DYNAMIC,
                               noBorders, AFX_IDW_TOOLBAR) ||
        !m_wndToolBar.LoadToolBar(IDR_MAINFRAME))
        return -1;

    LoadToolbarImageList(IDB_TOOLBAR, m_ilToolbar);
    LoadToolbarImageList(IDB_TOOLBAR_DISABLED, m_ilToolbarDisabled);
    LoadToolbarImageList(IDB_TOOLBAR_HOT, m_ilToolbarHot);
    LoadToolbarImageList(IDB_DRIVES, m_ilDriveBar);
    LoadToolbarImageList(IDB_DRIVES_DISABLED, m_ilDriveBarDisabled);
    LoadToolbarImageList(IDB_DRIVES_HOT, m_ilDriveBarHot);

    m_wndToolBar.SendMessage(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_ilToolbar.GetSafeHandle()));
    m_wndToolBar.SendMessage(TB_SETDISABLEDIMAGELIST, 0,
                             reinterpret_cast<LPARAM>(m_ilToolbarDisabled.GetSafeHandle()));
    m_wndToolBar.SendMessage(TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(m_ilToolbarHot.GetSafeHandle()));

    m_wndToolBar.SetBarStyle(m_wndToolBar.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC);
    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndToolBar);

    if (!m_wndStatusBar.Create(m_hWnd, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
        !m_wndStatusBar.SetIndicators(kIndicators, static_cast<int>(std::size(kIndicators))))
        return -1;
    DockControlBar(&m_wndStatusBar);
    SetMessageText(AFX_IDS_IDLEMESSAGE);

    // The shell's small system image list, asked for by way of the system folder.
    UINT length = GetSystemDirectoryA(nullptr, 0);
    std::string systemDir(length > 0 ? length : 1, '\0');
    UINT got = GetSystemDirectoryA(systemDir.data(), static_cast<UINT>(systemDir.size()));
    systemDir.resize(got < systemDir.size() ? got : 0);
    SHFILEINFOA sfi{};
    auto hSystemList = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
        systemDir.c_str(), 0, &sfi, sizeof(sfi), SHGFI_SYSICONINDEX | SHGFI_ICON | SHGFI_SHELLICONSIZE | SHGFI_SMALLICON));
    // The query hands back an icon of its own as well; it is not needed.
    if (sfi.hIcon) DestroyIcon(sfi.hIcon);
    m_ilSystemSmall.Attach(hSystemList);

    RecalcLayout();
    return 0;
}

void CMainFrame::OnDestroy()
{
    m_ilSystemSmall.Detach();
    CMDIFrameWnd::OnDestroy();
    m_pDriveBar.reset();
}

void CMainFrame::MapSilverToButtonFace(HBITMAP hBitmap)
{
    DIBSECTION dib{};
    if (GetObjectA(hBitmap, sizeof(dib), &dib) != sizeof(dib) || !dib.dsBm.bmBits || dib.dsBm.bmBitsPixel != 24)
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

BOOL CMainFrame::LoadToolbarImageList(UINT nIDBitmap, CImageList& imageList)
{
    CBitmap bitmap(static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nIDBitmap),
                                                   IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_DEFAULTSIZE)));
    if (!bitmap.GetSafeHandle()) return FALSE;
    MapSilverToButtonFace(bitmap);
    if (!imageList.Create(16, 15, ILC_COLOR24, 8, 0)) return FALSE;
    return imageList.AddMasked(bitmap, RGB(0, 0, 0)) >= 0;
}
