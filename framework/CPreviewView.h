#pragma once
#include "framework/CControlBar.h"
#include "framework/CPrintInfo.h"
#include "framework/CWnd.h"

#include <memory>

class CCmdUI;
class CView;

// Print preview: a window in place of the main frame's client area that
// shows the pages of a view as its printer will print them, one or two side
// by side, whole or zoomed, under a bar of its own: Print, Next Page, Prev
// Page, One Page/Two Page, Zoom In, Zoom Out and Close. Page Up and Page Down
// turn the pages, Home and End go to the first and the last, the arrow keys
// and the wheel scroll a zoomed page, + and - zoom, Escape closes.
//
// The view draws each page exactly as it prints it, into a context whose
// output is this window, scaled to the page's place on the screen, and whose
// attribute context is the printer: every measurement is the printer's.
// The window owns this object.
class CPreviewView : public CWnd {
    DECLARE_MESSAGE_MAP()
public:
    // Starts the preview of pView, whose printer's context pInfo holds;
    // FALSE (nothing shown) when there is no main frame to show it in or a
    // preview shows already.
    static BOOL Show(CView* pView, std::unique_ptr<CPrintInfo> pInfo);
    // The preview the main frame shows, or null.
    static CPreviewView* Showing();

    // Ends the preview: the view's end of printing, then the frame with its
    // menu and bars as they were and the focus where it was. The object is
    // gone afterwards.
    void Close();

    CView* GetPrintView() const { return m_pPrintView; }
    CPrintInfo& GetPrintInfo() const { return *m_pInfo; }
    // The first page shown, and how many pages are shown side by side.
    UINT GetCurrentPage() const { return m_nCurrentPage; }
    UINT GetPagesShown() const;
    // Zoom step: 0 shows whole pages, each step doubles their size.
    int GetZoom() const { return m_nZoom; }
    static constexpr int kMaxZoom = 2;
    // Where page `index` of those shown (0 or 1) lies in the client area.
    RECT GetPageRect(UINT index) const;
    // Paints a client area of the given size into hdc: the window's own
    // painting, also used to look at what it shows.
    void DrawPages(HDC hdc, const RECT& client);

    // The bar's commands and their states.
    void OnPreviewPrint();
    void OnNextPage();
    void OnPrevPage();
    void OnNumPage();
    void OnZoomIn();
    void OnZoomOut();
    void OnPreviewClose();
    void OnUpdateNextPage(CCmdUI* pCmdUI);
    void OnUpdatePrevPage(CCmdUI* pCmdUI);
    void OnUpdateNumPage(CCmdUI* pCmdUI);
    void OnUpdateZoomIn(CCmdUI* pCmdUI);
    void OnUpdateZoomOut(CCmdUI* pCmdUI);

protected:
    void OnPaint();
    LRESULT OnEraseBkgnd(WPARAM, LPARAM);
    void OnSize(UINT type, int cx, int cy);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnVScroll(UINT nSBCode, UINT nPos, HWND hScrollBar);
    void OnHScroll(UINT nSBCode, UINT nPos, HWND hScrollBar);
    BOOL OnMouseWheel(UINT nFlags, short zDelta, POINT point);
    void OnLButtonDown(UINT nFlags, POINT point);
    void OnDestroy();
    void PostNcDestroy() override;

private:
    CPreviewView(CView* pView, std::unique_ptr<CPrintInfo> pInfo);

    UINT FirstPage() const;
    UINT LastPage() const;
    void SetCurrentPage(UINT page);
    // After any change of page, pages shown, zoom or size: scroll bars, bar
    // buttons, the status bar's page text, and a new painting.
    void Changed();
    // Size of one page on the screen, in pixels, for the current zoom.
    SIZE PagePixels() const;
    // The whole area the pages may use, scroll bars included.
    SIZE ViewArea() const;
    void UpdateScrollBars();
    void ScrollTo(int x, int y);
    void Scroll(int bar, UINT nSBCode);
    // Draws one page into its place on the screen through the view.
    void DrawPage(HDC hdc, const RECT& paper, UINT page);
    // The view's end of printing and the frame as it was; once.
    void EndPreview();

    CView* m_pPrintView;
    std::unique_ptr<CPrintInfo> m_pInfo;
    CToolBar m_wndBar;
    HWND m_hWndFocusBefore = nullptr;
    UINT m_nCurrentPage = 1;
    int m_nZoom = 0;
    POINT m_ptScroll{0, 0};
    SIZE m_sizeScreenDpi{96, 96};
    bool m_bEnded = false;
    bool* m_pGoneFlag = nullptr; // set when the window's end deletes the object
};
