#pragma once
#include "framework/CDocument.h"
#include "framework/CWnd.h"

#include <utility>
#include <vector>

// A static splitter: a fixed grid of panes (one row here) with bars between
// the columns that the mouse or the keyboard moves.
class CSplitterWnd : public CWnd {
    DECLARE_MESSAGE_MAP()
public:
    BOOL CreateStatic(CWnd* pParent, int nRows, int nCols, DWORD dwStyle = WS_CHILD | WS_VISIBLE,
                      UINT nID = AFX_IDW_PANE_FIRST);
    // Creates the view made by the factory as pane (row, col) with its ideal size.
    BOOL CreateView(int row, int col, const std::function<CView*()>& viewClass, SIZE sizeInit,
                    CCreateContext* pContext);
    HWND GetPane(int row, int col) const;
    UINT IdFromRowCol(int row, int col) const { return AFX_IDW_PANE_FIRST + static_cast<UINT>(row * 16 + col); }
    int GetColumnCount() const { return m_nCols; }
    int GetColumnWidth(int col) const;
    void SetColumnInfo(int col, int cxIdeal);
    void RecalcLayout();
    // Columns and panes laid out again at a new layout DPI; each column keeps
    // its share of the screen.
    void OnLayoutDpiChanged(int oldDpi, int newDpi);
    // Moves the focus to the next (or previous) pane and makes it the frame's active view.
    void ActivateNext(BOOL bPrev);
    // Moves the bar with the arrow keys until Enter or Escape.
    void DoKeyboardSplit();

    // The width of a bar between two columns (6 pixels at 96 DPI, at the layout DPI).
    static int BarWidth();

protected:
    // A pane's view, known without asking its window.
    CWnd* ChildObject(HWND hChild) const override;
    void OnSize(UINT type, int cx, int cy);
    void OnPaint();
    BOOL OnSetCursor(HWND hwnd, UINT nHitTest, UINT message);
    void OnLButtonDown(UINT nFlags, POINT pt);
    void OnMouseMove(UINT nFlags, POINT pt);
    void OnLButtonUp(UINT nFlags, POINT pt);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void PostNcDestroy() override {}
    // The bar under a client x coordinate, or -1.
    int HitBar(int x) const;
    void StartTracking(int bar);
    void StopTracking(bool accept);
    void TrackTo(int x);

    int m_nRows = 0;
    int m_nCols = 0;
    std::vector<int> m_idealWidths;
    std::vector<int> m_widths;
    int m_nTrackBar = -1;
    int m_nTrackStartWidth = 0;
    bool m_bKeyboardTracking = false;
    HWND m_hWndFocusBefore = nullptr;
    // The view of each pane, by its window (the panes live as long as the splitter).
    std::vector<std::pair<HWND, CWnd*>> m_paneViews;
};
