#include "framework/CSplitterWnd.h"

#include "framework/CFrameWnd.h"
#include "framework/Dpi.h"
#include "framework/CView.h"

const MessageMap* CSplitterWnd::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::Message<WM_SIZE, &CSplitterWnd::OnSize>(),
        on::Message<WM_PAINT, &CSplitterWnd::OnPaint>(),
        on::Message<WM_SETCURSOR, &CSplitterWnd::OnSetCursor>(),
        on::Message<WM_LBUTTONDOWN, &CSplitterWnd::OnLButtonDown>(),
        on::Message<WM_MOUSEMOVE, &CSplitterWnd::OnMouseMove>(),
        on::Message<WM_LBUTTONUP, &CSplitterWnd::OnLButtonUp>(),
        on::Message<WM_KEYDOWN, &CSplitterWnd::OnKeyDown>(),
    };
    static const MessageMap map = MessageMap::Of(&CWnd::GetThisMessageMap, entries);
    return &map;
}

BOOL CSplitterWnd::CreateStatic(CWnd* pParent, int nRows, int nCols, DWORD dwStyle, UINT nID)
{
    if (nRows < 1 || nCols < 1) return FALSE;
    m_nRows = nRows;
    m_nCols = nCols;
    m_idealWidths.assign(static_cast<size_t>(nCols), 0);
    m_widths.assign(static_cast<size_t>(nCols), 0);
    const wchar_t* className = RegisterFrameworkClass(CS_DBLCLKS, LoadCursor(nullptr, IDC_ARROW),
                                                   reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), nullptr);
    RECT rc{0, 0, 0, 0};
    return CreateEx(0, className, nullptr, dwStyle | WS_CLIPCHILDREN, rc, pParent->m_hWnd, nID);
}

BOOL CSplitterWnd::CreateView(int row, int col, const std::function<CView*()>& viewClass, SIZE sizeInit,
                              CCreateContext* pContext)
{
    if (row < 0 || row >= m_nRows || col < 0 || col >= m_nCols) return FALSE;
    CCreateContext context = pContext ? *pContext : CCreateContext{};
    context.m_pNewViewClass = viewClass;
    CView* view = viewClass();
    RECT rc{0, 0, sizeInit.cx, sizeInit.cy};
    if (!view->Create(m_hWnd, IdFromRowCol(row, col), rc, &context)) {
        delete view;
        return FALSE;
    }
    m_paneViews.emplace_back(view->m_hWnd, view);
    m_idealWidths[static_cast<size_t>(col)] = sizeInit.cx;
    RecalcLayout();
    return TRUE;
}

CWnd* CSplitterWnd::ChildObject(HWND hChild) const
{
    for (const auto& [hPane, view] : m_paneViews) {
        // A pane window that is gone took its view with it.
        if (hPane == hChild) return ::IsWindow(hPane) ? view : nullptr;
    }
    return CWnd::ChildObject(hChild);
}

HWND CSplitterWnd::GetPane(int row, int col) const
{
    return ::GetDlgItem(m_hWnd, static_cast<int>(IdFromRowCol(row, col)));
}

int CSplitterWnd::BarWidth()
{
    return ScaleToDpi(6);
}

int CSplitterWnd::GetColumnWidth(int col) const
{
    return col >= 0 && col < m_nCols ? m_widths[static_cast<size_t>(col)] : 0;
}

void CSplitterWnd::SetColumnInfo(int col, int cxIdeal)
{
    if (col < 0 || col >= m_nCols) return;
    m_idealWidths[static_cast<size_t>(col)] = cxIdeal < 0 ? 0 : cxIdeal;
}

void CSplitterWnd::RecalcLayout()
{
    if (!m_hWnd) return;
    RECT rc{};
    GetClientRect(&rc);
    // Every column but the last keeps its ideal width while there is room;
    // the last takes what is left.
    int x = 0;
    for (int col = 0; col < m_nCols; ++col) {
        int width;
        if (col == m_nCols - 1) {
            width = rc.right - x;
        } else {
            width = m_idealWidths[static_cast<size_t>(col)];
            int room = rc.right - x - BarWidth();
            if (width > room) width = room;
        }
        if (width < 0) width = 0;
        m_widths[static_cast<size_t>(col)] = width;
        for (int row = 0; row < m_nRows; ++row) {
            if (HWND pane = GetPane(row, col)) {
                int top = rc.bottom * row / m_nRows;
                int bottom = rc.bottom * (row + 1) / m_nRows;
                MoveChildRedrawn(pane, RECT{x, top, x + width, bottom});
            }
        }
        x += width + BarWidth();
    }
    Invalidate(FALSE);
}

void CSplitterWnd::OnLayoutDpiChanged(int oldDpi, int newDpi)
{
    for (int& width : m_idealWidths) width = MulDiv(width, newDpi, oldDpi);
    for (const auto& [hPane, pane] : m_paneViews) {
        auto* view = dynamic_cast<CView*>(pane);
        if (view && ::IsWindow(hPane)) view->OnLayoutDpiChanged(oldDpi, newDpi);
    }
    RecalcLayout();
}

void CSplitterWnd::OnSize(UINT, int, int)
{
    RecalcLayout();
}

void CSplitterWnd::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(m_hWnd, &ps);
    RECT rc{};
    GetClientRect(&rc);
    int x = 0;
    for (int col = 0; col + 1 < m_nCols; ++col) {
        x += m_widths[static_cast<size_t>(col)];
        RECT bar{x, rc.top, x + BarWidth(), rc.bottom};
        FillRect(hdc, &bar, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(hdc, &bar, EDGE_RAISED, BF_LEFT | BF_RIGHT);
        x += BarWidth();
    }
    EndPaint(m_hWnd, &ps);
}

int CSplitterWnd::HitBar(int xPos) const
{
    int x = 0;
    for (int col = 0; col + 1 < m_nCols; ++col) {
        x += m_widths[static_cast<size_t>(col)];
        if (xPos >= x && xPos < x + BarWidth()) return col;
        x += BarWidth();
    }
    return -1;
}

BOOL CSplitterWnd::OnSetCursor(HWND hwnd, UINT nHitTest, UINT)
{
    if (hwnd == m_hWnd && nHitTest == HTCLIENT) {
        POINT pt{};
        GetCursorPos(&pt);
        ScreenToClient(m_hWnd, &pt);
        if (m_nTrackBar >= 0 || HitBar(pt.x) >= 0) {
            SetCursor(LoadCursor(nullptr, IDC_SIZEWE));
            return TRUE;
        }
    }
    return static_cast<BOOL>(Default());
}

void CSplitterWnd::StartTracking(int bar)
{
    m_nTrackBar = bar;
    m_nTrackStartWidth = m_idealWidths[static_cast<size_t>(bar)];
    SetCapture(m_hWnd);
}

void CSplitterWnd::TrackTo(int x)
{
    if (m_nTrackBar < 0) return;
    int left = 0;
    for (int col = 0; col < m_nTrackBar; ++col) left += m_widths[static_cast<size_t>(col)] + BarWidth();
    SetColumnInfo(m_nTrackBar, x - left);
    RecalcLayout();
}

void CSplitterWnd::StopTracking(bool accept)
{
    if (m_nTrackBar < 0) return;
    if (!accept) {
        SetColumnInfo(m_nTrackBar, m_nTrackStartWidth);
        RecalcLayout();
    }
    m_nTrackBar = -1;
    if (GetCapture() == m_hWnd) ReleaseCapture();
    if (m_bKeyboardTracking) {
        m_bKeyboardTracking = false;
        if (m_hWndFocusBefore && ::IsWindow(m_hWndFocusBefore)) ::SetFocus(m_hWndFocusBefore);
    }
}

void CSplitterWnd::OnLButtonDown(UINT, POINT pt)
{
    if (m_bKeyboardTracking) {
        StopTracking(true);
        return;
    }
    int bar = HitBar(pt.x);
    if (bar >= 0) StartTracking(bar);
}

void CSplitterWnd::OnMouseMove(UINT, POINT pt)
{
    if (m_nTrackBar >= 0) TrackTo(pt.x);
}

void CSplitterWnd::OnLButtonUp(UINT, POINT)
{
    if (!m_bKeyboardTracking) StopTracking(true);
}

void CSplitterWnd::DoKeyboardSplit()
{
    if (m_nCols < 2) return;
    m_hWndFocusBefore = ::GetFocus();
    m_bKeyboardTracking = true;
    StartTracking(0);
    ::SetFocus(m_hWnd);
    // Put the pointer on the bar, as dragging it would.
    POINT pt{m_widths[0] + BarWidth() / 2, 0};
    RECT rc{};
    GetClientRect(&rc);
    pt.y = rc.bottom / 2;
    ClientToScreen(m_hWnd, &pt);
    SetCursorPos(pt.x, pt.y);
}

void CSplitterWnd::OnKeyDown(UINT nChar, UINT, UINT)
{
    if (!m_bKeyboardTracking) {
        Default();
        return;
    }
    int step = (GetKeyState(VK_CONTROL) < 0) ? 1 : ScaleToDpi(8);
    int x = m_widths[0] + BarWidth() / 2;
    switch (nChar) {
    case VK_LEFT: TrackTo(x - step - BarWidth() / 2); break;
    case VK_RIGHT: TrackTo(x + step - BarWidth() / 2); break;
    case VK_RETURN: StopTracking(true); break;
    case VK_ESCAPE: StopTracking(false); break;
    default: break;
    }
}

void CSplitterWnd::ActivateNext(BOOL bPrev)
{
    // Panes in reading order: row by row, column by column.
    std::vector<HWND> panes;
    for (int row = 0; row < m_nRows; ++row)
        for (int col = 0; col < m_nCols; ++col)
            if (HWND pane = GetPane(row, col)) panes.push_back(pane);
    if (panes.empty()) return;
    HWND focus = ::GetFocus();
    size_t current = 0;
    for (size_t i = 0; i < panes.size(); ++i)
        if (panes[i] == focus || ::IsChild(panes[i], focus)) current = i;
    size_t next = bPrev ? (current + panes.size() - 1) % panes.size() : (current + 1) % panes.size();
    CView* view = dynamic_cast<CView*>(FromHandlePermanent(panes[next]));
    CFrameWnd* frame = GetParentFrame();
    if (view && frame) frame->SetActiveView(view);
    else ::SetFocus(panes[next]);
}
