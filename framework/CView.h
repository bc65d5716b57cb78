#pragma once
#include "framework/CDocument.h"
#include "framework/CWnd.h"

class CDC;
class CPrintInfo;

// A window that shows a document inside a frame.
class CView : public CWnd {
    DECLARE_MESSAGE_MAP()
public:
    CDocument* GetDocument() const { return m_pDocument; }
    // Creates the view as a child of hParent for the context's document.
    virtual BOOL Create(HWND hParent, UINT nID, const RECT& rect, CCreateContext* pContext);
    virtual BOOL PreCreateWindow(CREATESTRUCTW& cs);
    virtual void OnInitialUpdate();
    // The main window moved to a monitor of another DPI: the view lays itself
    // out again at the new one, which LayoutDpi() already gives.
    virtual void OnLayoutDpiChanged(int /*oldDpi*/, int /*newDpi*/) {}
    virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
    virtual void OnDraw(CDC* pDC);
    ~CView() override;

    // ---- printing. A print job and a print preview call, in this order,
    // OnPreparePrinting; OnBeginPrinting with the printer's context; for
    // every page OnPrepareDC and OnPrint; and OnEndPrinting.
    // A view prints only when it overrides this and calls DoPreparePrinting.
    virtual BOOL OnPreparePrinting(CPrintInfo* pInfo);
    virtual void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo);
    // Printing: a job whose page count is not known prints its first page only.
    virtual void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr);
    virtual void OnPrint(CDC* pDC, CPrintInfo* pInfo);
    virtual void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo);
    // The print dialog for a job, none for a preview; either way the
    // printer's context ends up in pInfo. FALSE when the dialog is cancelled,
    // or when there is no printer to use (the user is told why).
    BOOL DoPreparePrinting(CPrintInfo* pInfo);
    // The commands Print and Print Preview, for the message maps of views that print.
    void OnFilePrint();
    void OnFilePrintPreview();

protected:
    int OnCreate(CREATESTRUCTW* cs);
    void OnPaint();
    void OnSetFocus(HWND hwndOld);
    void OnDestroy();
    void PostNcDestroy() override;
    // Connects the view to its document and frame once its window exists.
    void AttachToContext(CCreateContext* pContext);
    // Sends the pages of a job to the printer; FALSE when the job failed and
    // was abandoned, with what the user is told.
    BOOL PrintPages(CDC& dc, CPrintInfo& info, CString* failure);

    CDocument* m_pDocument = nullptr;
    CCreateContext* m_pendingContext = nullptr;
    friend class CDocument;
};

// A view whose window is a common control of the given class.
class CCtrlView : public CView {
    DECLARE_MESSAGE_MAP()
public:
    CCtrlView(const wchar_t* className, DWORD dwStyle) : m_strClass(className), m_dwDefaultStyle(dwStyle) {}
    BOOL Create(HWND hParent, UINT nID, const RECT& rect, CCreateContext* pContext) override;
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    void OnDraw(CDC*) override {}

protected:
    void OnCtrlPaint();

    std::wstring m_strClass;
    DWORD m_dwDefaultStyle;
};
