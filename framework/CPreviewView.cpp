#include "framework/CPreviewView.h"

#include "framework/CCmdUI.h"
#include "framework/CDC.h"
#include "framework/Dpi.h"
#include "framework/CFrameWnd.h"
#include "framework/CGdiObject.h"
#include "framework/CView.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

// Grey around the pages, and the room between them and around them.
constexpr int kMargin = 10;
constexpr int kShadow = 3;
constexpr int kLineScroll = 24;

constexpr UINT kBarCommands[] = {
    AFX_ID_PREVIEW_PRINT, AFX_ID_PREVIEW_NEXT, AFX_ID_PREVIEW_PREV,   AFX_ID_PREVIEW_NUMPAGE,
    AFX_ID_PREVIEW_ZOOMIN, AFX_ID_PREVIEW_ZOOMOUT, AFX_ID_PREVIEW_CLOSE,
};
constexpr const char* kBarTexts[] = {
    "Print...", "Next Page", "Prev Page", "Two Page", "Zoom In", "Zoom Out", "Close",
};
static_assert(std::size(kBarCommands) == std::size(kBarTexts));

// A memory context with a bitmap of its own, the size of a client area.
class OffscreenDC {
public:
    OffscreenDC(HDC hCompatible, int width, int height)
        : m_dc(hCompatible), m_bitmap(CreateCompatibleBitmap(hCompatible, width, height)), m_selected(m_dc, m_bitmap)
    {
    }
    HDC Get() const { return m_dc.GetSafeHdc() && m_bitmap.GetSafeHandle() ? m_dc.GetSafeHdc() : nullptr; }

private:
    CMemoryDC m_dc;
    CBitmap m_bitmap;
    CSelectedObject m_selected;
};

} // namespace

const MessageMap* CPreviewView::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::Message<WM_PAINT, &CPreviewView::OnPaint>(),
        on::RawMessage<&CPreviewView::OnEraseBkgnd>(WM_ERASEBKGND),
        on::Message<WM_SIZE, &CPreviewView::OnSize>(),
        on::Message<WM_KEYDOWN, &CPreviewView::OnKeyDown>(),
        on::Message<WM_VSCROLL, &CPreviewView::OnVScroll>(),
        on::Message<WM_HSCROLL, &CPreviewView::OnHScroll>(),
        on::Message<WM_MOUSEWHEEL, &CPreviewView::OnMouseWheel>(),
        on::Message<WM_LBUTTONDOWN, &CPreviewView::OnLButtonDown>(),
        on::Message<WM_DESTROY, &CPreviewView::OnDestroy>(),
        on::Command<&CPreviewView::OnPreviewPrint>(AFX_ID_PREVIEW_PRINT),
        on::Command<&CPreviewView::OnNextPage>(AFX_ID_PREVIEW_NEXT),
        on::Command<&CPreviewView::OnPrevPage>(AFX_ID_PREVIEW_PREV),
        on::Command<&CPreviewView::OnNumPage>(AFX_ID_PREVIEW_NUMPAGE),
        on::Command<&CPreviewView::OnZoomIn>(AFX_ID_PREVIEW_ZOOMIN),
        on::Command<&CPreviewView::OnZoomOut>(AFX_ID_PREVIEW_ZOOMOUT),
        on::Command<&CPreviewView::OnPreviewClose>(AFX_ID_PREVIEW_CLOSE),
        on::UpdateCommand<&CPreviewView::OnUpdateNextPage>(AFX_ID_PREVIEW_NEXT),
        on::UpdateCommand<&CPreviewView::OnUpdatePrevPage>(AFX_ID_PREVIEW_PREV),
        on::UpdateCommand<&CPreviewView::OnUpdateNumPage>(AFX_ID_PREVIEW_NUMPAGE),
        on::UpdateCommand<&CPreviewView::OnUpdateZoomIn>(AFX_ID_PREVIEW_ZOOMIN),
        on::UpdateCommand<&CPreviewView::OnUpdateZoomOut>(AFX_ID_PREVIEW_ZOOMOUT),
    };
    static const MessageMap map = MessageMap::Of(&CWnd::GetThisMessageMap, entries);
    return &map;
}

CPreviewView::CPreviewView(CView* pView, std::unique_ptr<CPrintInfo> pInfo)
    : m_pPrintView(pView), m_pInfo(std::move(pInfo))
{
}

CPreviewView* CPreviewView::Showing()
{
    auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
    return frame ? frame->GetPreviewView() : nullptr;
}

BOOL CPreviewView::Show(CView* pView, std::unique_ptr<CPrintInfo> pInfo)
{
    auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
    if (!frame || !frame->m_hWnd || frame->GetPreviewView() || !pView || !pInfo) return FALSE;
    HDC printer = pInfo->m_pPD->GetPrinterDC();
    if (!printer) return FALSE;

    const HWND hFocus = ::GetFocus();
    auto* preview = new CPreviewView(pView, std::move(pInfo));
    bool gone = false;
    preview->m_pGoneFlag = &gone;
    const wchar_t* className = RegisterFrameworkClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW), nullptr, nullptr);
    RECT none{0, 0, 0, 0};
    const BOOL created =
        preview->CreateEx(0, className, nullptr, WS_CHILD | WS_CLIPSIBLINGS, none, frame->m_hWnd, AFX_IDW_PANE_LAST);
    if (gone) return FALSE;
    preview->m_pGoneFlag = nullptr;
    if (!created) {
        delete preview;
        return FALSE;
    }
    preview->m_hWndFocusBefore = hFocus;
    // The pages' natural size is that of the monitor the main window is on.
    preview->m_sizeScreenDpi = SIZE{LayoutDpi(), LayoutDpi()};

    CDC dc(printer);
    dc.m_bPrinting = true;
    pView->OnBeginPrinting(&dc, preview->m_pInfo.get());
    preview->m_nCurrentPage = preview->FirstPage();

    frame->SetPreviewMode(preview, &preview->m_wndBar);
    RECT noBorders{0, 0, 0, 0};
    if (!preview->m_wndBar.CreateEx(frame->m_hWnd, TBSTYLE_FLAT | TBSTYLE_LIST, WS_CHILD | WS_VISIBLE | CBRS_TOP,
                                    noBorders, AFX_IDW_PREVIEW_BAR) ||
        !preview->m_wndBar.SetTextButtons(kBarCommands, kBarTexts, static_cast<int>(std::size(kBarCommands)))) {
        preview->Close();
        return FALSE;
    }
    frame->DockControlBar(&preview->m_wndBar);
    preview->ShowWindow(SW_SHOW);
    ::SetFocus(preview->m_hWnd);
    preview->Changed();
    return TRUE;
}

void CPreviewView::EndPreview()
{
    if (m_bEnded) return;
    m_bEnded = true;
    if (m_pPrintView) {
        CDC dc(m_pInfo->m_pPD->GetPrinterDC());
        dc.m_bPrinting = true;
        m_pPrintView->OnEndPrinting(&dc, m_pInfo.get());
    }
    if (auto* frame = dynamic_cast<CFrameWnd*>(FromHandlePermanent(GetParent())); frame && frame->GetPreviewView() == this) {
        frame->SetPreviewMode(nullptr, nullptr);
        frame->SetMessageText(AFX_IDS_IDLEMESSAGE);
    }
    if (m_wndBar.m_hWnd) m_wndBar.DestroyWindow();
}

void CPreviewView::Close()
{
    const HWND hFocus = m_hWndFocusBefore;
    EndPreview();
    DestroyWindow(); // deletes this object
    if (hFocus && ::IsWindow(hFocus) && ::IsWindowVisible(hFocus)) ::SetFocus(hFocus);
}

void CPreviewView::OnDestroy()
{
    // Destroyed with its frame rather than closed: the frame still learns of it.
    EndPreview();
    Default();
}

void CPreviewView::PostNcDestroy()
{
    if (m_pGoneFlag) *m_pGoneFlag = true;
    delete this;
}

// ---- pages ------------------------------------------------------------------

UINT CPreviewView::FirstPage() const
{
    return std::max(1u, m_pInfo->GetMinPage());
}

UINT CPreviewView::LastPage() const
{
    // A view that does not know its page count shows its first page only.
    const UINT last = m_pInfo->GetMaxPage();
    return last == 0xFFFF || last < FirstPage() ? FirstPage() : last;
}

UINT CPreviewView::GetPagesShown() const
{
    return m_nZoom > 0 ? 1 : std::clamp(m_pInfo->m_nNumPreviewPages, 1u, 2u);
}

void CPreviewView::SetCurrentPage(UINT page)
{
    m_nCurrentPage = std::clamp(page, FirstPage(), LastPage());
    m_ptScroll = POINT{m_ptScroll.x, 0};
    Changed();
}

void CPreviewView::Changed()
{
    if (!m_hWnd) return;
    UpdateScrollBars();
    if (m_wndBar.m_hWnd) {
        m_wndBar.SetButtonText(AFX_ID_PREVIEW_NUMPAGE, m_pInfo->m_nNumPreviewPages == 2 ? "One Page" : "Two Page");
        m_wndBar.OnUpdateCmdUI(this, TRUE);
    }
    if (auto* frame = dynamic_cast<CFrameWnd*>(FromHandlePermanent(GetParent()))) {
        CString text;
        const UINT last = std::min(m_nCurrentPage + GetPagesShown() - 1, LastPage());
        if (last > m_nCurrentPage) text.Format("Pages %u-%u of %u", m_nCurrentPage, last, LastPage());
        else text.Format("Page %u of %u", m_nCurrentPage, LastPage());
        frame->SetMessageText(text);
    }
    Invalidate(FALSE);
}

SIZE CPreviewView::ViewArea() const
{
    RECT client{};
    GetClientRect(&client);
    SIZE area{client.right - client.left, client.bottom - client.top};
    const DWORD style = GetStyle();
    if (style & WS_VSCROLL) area.cx += GetSystemMetrics(SM_CXVSCROLL);
    if (style & WS_HSCROLL) area.cy += GetSystemMetrics(SM_CYHSCROLL);
    return area;
}

SIZE CPreviewView::PagePixels() const
{
    HDC printer = m_pInfo->m_pPD->GetPrinterDC();
    int paperWidth = GetDeviceCaps(printer, PHYSICALWIDTH);
    int paperHeight = GetDeviceCaps(printer, PHYSICALHEIGHT);
    if (paperWidth <= 0 || paperHeight <= 0) {
        paperWidth = GetDeviceCaps(printer, HORZRES);
        paperHeight = GetDeviceCaps(printer, VERTRES);
    }
    const int dpiX = std::max(1, GetDeviceCaps(printer, LOGPIXELSX));
    const int dpiY = std::max(1, GetDeviceCaps(printer, LOGPIXELSY));
    // The page at its real size on this screen, then as large as the area
    // holds the pages shown side by side, then zoomed.
    const double naturalWidth = std::max(1, paperWidth) * static_cast<double>(m_sizeScreenDpi.cx) / dpiX;
    const double naturalHeight = std::max(1, paperHeight) * static_cast<double>(m_sizeScreenDpi.cy) / dpiY;
    const SIZE area = ViewArea();
    const int shown = static_cast<int>(m_pInfo->m_nNumPreviewPages == 2 && m_nZoom == 0 ? 2 : 1);
    const double fitWidth = (area.cx - (shown + 1) * kMargin) / (shown * naturalWidth);
    const double fitHeight = (area.cy - 2 * kMargin) / naturalHeight;
    const double scale = std::max(0.01, std::min(fitWidth, fitHeight)) * static_cast<double>(1 << m_nZoom);
    return SIZE{std::max(1L, std::lround(naturalWidth * scale)), std::max(1L, std::lround(naturalHeight * scale))};
}

RECT CPreviewView::GetPageRect(UINT index) const
{
    RECT client{};
    GetClientRect(&client);
    const SIZE page = PagePixels();
    const int shown = static_cast<int>(GetPagesShown());
    const int contentWidth = shown * page.cx + (shown + 1) * kMargin;
    const int contentHeight = page.cy + 2 * kMargin;
    // Centred while the pages fit, scrolled once they do not.
    const int left = contentWidth <= client.right ? (client.right - contentWidth) / 2 : -m_ptScroll.x;
    const int top = contentHeight <= client.bottom ? (client.bottom - contentHeight) / 2 : -m_ptScroll.y;
    RECT rc;
    rc.left = left + kMargin + static_cast<int>(index) * (page.cx + kMargin);
    rc.top = top + kMargin;
    rc.right = rc.left + page.cx;
    rc.bottom = rc.top + page.cy;
    return rc;
}

void CPreviewView::UpdateScrollBars()
{
    // Scroll bars only for a zoomed page.
    const SIZE page = PagePixels();
    const SIZE area = ViewArea();
    int contentWidth = 0, contentHeight = 0;
    if (m_nZoom > 0) {
        contentWidth = page.cx + 2 * kMargin;
        contentHeight = page.cy + 2 * kMargin;
    }
    const bool needV = contentHeight > area.cy;
    const bool needH = contentWidth > area.cx - (needV ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    const int clientWidth = area.cx - (needV ? GetSystemMetrics(SM_CXVSCROLL) : 0);
    const int clientHeight = area.cy - (needH ? GetSystemMetrics(SM_CYHSCROLL) : 0);
    m_ptScroll.x = needH ? std::clamp<int>(m_ptScroll.x, 0, contentWidth - clientWidth) : 0;
    m_ptScroll.y = needV ? std::clamp<int>(m_ptScroll.y, 0, contentHeight - clientHeight) : 0;

    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMax = needH ? contentWidth - 1 : 0;
    info.nPage = needH ? static_cast<UINT>(clientWidth) : 0;
    info.nPos = m_ptScroll.x;
    SetScrollInfo(m_hWnd, SB_HORZ, &info, TRUE);
    info.nMax = needV ? contentHeight - 1 : 0;
    info.nPage = needV ? static_cast<UINT>(clientHeight) : 0;
    info.nPos = m_ptScroll.y;
    SetScrollInfo(m_hWnd, SB_VERT, &info, TRUE);
    ShowScrollBar(m_hWnd, SB_HORZ, needH);
    ShowScrollBar(m_hWnd, SB_VERT, needV);
}

void CPreviewView::ScrollTo(int x, int y)
{
    m_ptScroll = POINT{x, y};
    UpdateScrollBars();
    Invalidate(FALSE);
}

void CPreviewView::Scroll(int bar, UINT nSBCode)
{
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    if (!GetScrollInfo(m_hWnd, bar, &info)) return;
    int pos = info.nPos;
    switch (nSBCode) {
    case SB_LINEUP: pos -= kLineScroll; break;
    case SB_LINEDOWN: pos += kLineScroll; break;
    case SB_PAGEUP: pos -= static_cast<int>(info.nPage); break;
    case SB_PAGEDOWN: pos += static_cast<int>(info.nPage); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = info.nTrackPos; break;
    case SB_TOP: pos = info.nMin; break;
    case SB_BOTTOM: pos = info.nMax; break;
    default: return;
    }
    if (bar == SB_HORZ) ScrollTo(pos, m_ptScroll.y);
    else ScrollTo(m_ptScroll.x, pos);
}

// ---- painting -----------------------------------------------------------------

void CPreviewView::DrawPage(HDC hdc, const RECT& paper, UINT page)
{
    HDC printer = m_pInfo->m_pPD->GetPrinterDC();
    int paperWidth = GetDeviceCaps(printer, PHYSICALWIDTH);
    int paperHeight = GetDeviceCaps(printer, PHYSICALHEIGHT);
    int offsetX = GetDeviceCaps(printer, PHYSICALOFFSETX);
    int offsetY = GetDeviceCaps(printer, PHYSICALOFFSETY);
    if (paperWidth <= 0 || paperHeight <= 0) {
        paperWidth = GetDeviceCaps(printer, HORZRES);
        paperHeight = GetDeviceCaps(printer, VERTRES);
        offsetX = offsetY = 0;
    }
    const int saved = SaveDC(hdc);
    IntersectClipRect(hdc, paper.left, paper.top, paper.right, paper.bottom);
    // One logical unit is one printer dot; the printable area starts where
    // the printer's offset puts it on the paper.
    SetMapMode(hdc, MM_ANISOTROPIC);
    SetWindowExtEx(hdc, paperWidth, paperHeight, nullptr);
    SetViewportExtEx(hdc, paper.right - paper.left, paper.bottom - paper.top, nullptr);
    SetViewportOrgEx(hdc, paper.left, paper.top, nullptr);
    SetWindowOrgEx(hdc, -offsetX, -offsetY, nullptr);

    CDC dc(hdc, printer);
    dc.m_bPrinting = true;
    m_pInfo->m_nCurPage = page;
    m_pPrintView->OnPrepareDC(&dc, m_pInfo.get());
    m_pPrintView->OnPrint(&dc, m_pInfo.get());
    RestoreDC(hdc, saved);
}

void CPreviewView::DrawPages(HDC hdc, const RECT& client)
{
    FillRect(hdc, &client, GetSysColorBrush(COLOR_APPWORKSPACE));
    for (UINT index = 0; index < GetPagesShown(); ++index) {
        const UINT page = m_nCurrentPage + index;
        if (page > LastPage()) break;
        const RECT paper = GetPageRect(index);
        RECT shadow = paper;
        OffsetRect(&shadow, kShadow, kShadow);
        FillRect(hdc, &shadow, static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH)));
        FillRect(hdc, &paper, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        DrawPage(hdc, paper, page);
        FrameRect(hdc, &paper, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
}

void CPreviewView::OnPaint()
{
    CPaintDC paint(m_hWnd);
    RECT client{};
    GetClientRect(&client);
    if (client.right <= 0 || client.bottom <= 0) return;
    // Drawn aside and shown at once: a page of rows drawn straight onto the
    // screen flickers.
    OffscreenDC offscreen(paint, client.right, client.bottom);
    if (!offscreen.Get()) {
        DrawPages(paint, client);
        return;
    }
    DrawPages(offscreen.Get(), client);
    BitBlt(paint, 0, 0, client.right, client.bottom, offscreen.Get(), 0, 0, SRCCOPY);
}

LRESULT CPreviewView::OnEraseBkgnd(WPARAM, LPARAM)
{
    return TRUE; // the painting covers everything
}

void CPreviewView::OnSize(UINT, int, int)
{
    Changed();
}

// ---- keys and mouse ---------------------------------------------------------------

void CPreviewView::OnKeyDown(UINT nChar, UINT, UINT)
{
    switch (nChar) {
    case VK_PRIOR: OnPrevPage(); break;
    case VK_NEXT: OnNextPage(); break;
    case VK_HOME: SetCurrentPage(FirstPage()); break;
    case VK_END: SetCurrentPage(LastPage()); break;
    case VK_ESCAPE: OnPreviewClose(); break; // the object is gone now
    case VK_UP: Scroll(SB_VERT, SB_LINEUP); break;
    case VK_DOWN: Scroll(SB_VERT, SB_LINEDOWN); break;
    case VK_LEFT: Scroll(SB_HORZ, SB_LINEUP); break;
    case VK_RIGHT: Scroll(SB_HORZ, SB_LINEDOWN); break;
    case VK_ADD:
    case VK_OEM_PLUS: OnZoomIn(); break;
    case VK_SUBTRACT:
    case VK_OEM_MINUS: OnZoomOut(); break;
    default: Default(); break;
    }
}

void CPreviewView::OnVScroll(UINT nSBCode, UINT, HWND)
{
    Scroll(SB_VERT, nSBCode);
}

void CPreviewView::OnHScroll(UINT nSBCode, UINT, HWND)
{
    Scroll(SB_HORZ, nSBCode);
}

BOOL CPreviewView::OnMouseWheel(UINT, short zDelta, POINT)
{
    // The wheel scrolls a page taller than the window, and turns pages otherwise.
    if (GetStyle() & WS_VSCROLL) Scroll(SB_VERT, zDelta > 0 ? SB_LINEUP : SB_LINEDOWN);
    else if (zDelta > 0) OnPrevPage();
    else OnNextPage();
    return TRUE;
}

void CPreviewView::OnLButtonDown(UINT, POINT)
{
    ::SetFocus(m_hWnd);
}

// ---- commands -------------------------------------------------------------------

void CPreviewView::OnPreviewPrint()
{
    // The job takes the view's printing state for itself: the preview ends first.
    const HWND hView = m_pPrintView ? m_pPrintView->m_hWnd : nullptr;
    Close();
    if (hView && ::IsWindow(hView)) ::PostMessageW(hView, WM_COMMAND, ID_FILE_PRINT, 0);
}

void CPreviewView::OnNextPage()
{
    if (m_nCurrentPage + GetPagesShown() - 1 < LastPage()) SetCurrentPage(m_nCurrentPage + 1);
}

void CPreviewView::OnPrevPage()
{
    if (m_nCurrentPage > FirstPage()) SetCurrentPage(m_nCurrentPage - 1);
}

void CPreviewView::OnNumPage()
{
    if (m_nZoom > 0 || LastPage() == FirstPage()) return;
    m_pInfo->m_nNumPreviewPages = m_pInfo->m_nNumPreviewPages == 2 ? 1 : 2;
    // Two pages at the end of the report show the last two.
    if (m_pInfo->m_nNumPreviewPages == 2 && m_nCurrentPage == LastPage()) m_nCurrentPage = LastPage() - 1;
    Changed();
}

void CPreviewView::OnZoomIn()
{
    if (m_nZoom >= kMaxZoom) return;
    ++m_nZoom;
    Changed();
}

void CPreviewView::OnZoomOut()
{
    if (m_nZoom <= 0) return;
    --m_nZoom;
    Changed();
}

void CPreviewView::OnPreviewClose()
{
    Close();
}

void CPreviewView::OnUpdateNextPage(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_nCurrentPage + GetPagesShown() - 1 < LastPage());
}

void CPreviewView::OnUpdatePrevPage(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_nCurrentPage > FirstPage());
}

void CPreviewView::OnUpdateNumPage(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_nZoom == 0 && LastPage() > FirstPage());
}

void CPreviewView::OnUpdateZoomIn(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_nZoom < kMaxZoom);
}

void CPreviewView::OnUpdateZoomOut(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_nZoom > 0);
}
