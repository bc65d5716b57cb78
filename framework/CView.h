#pragma once
#include "framework/CDocument.h"
#include "framework/CWnd.h"

class CDC;

// A window that shows a document inside a frame.
class CView : public CWnd {
    DECLARE_MESSAGE_MAP()
public:
    CDocument* GetDocument() const { return m_pDocument; }
    // Creates the view as a child of hParent for the context's document.
    virtual BOOL Create(HWND hParent, UINT nID, const RECT& rect, CCreateContext* pContext);
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
    virtual void OnInitialUpdate();
    virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
    virtual void OnDraw(CDC* pDC);
    BOOL OnCmdMsg(CmdMsg& cmd) override;
    ~CView() override;

protected:
    int OnCreate(CREATESTRUCTA* cs);
    void OnPaint();
    void OnSetFocus(HWND hwndOld);
    void OnDestroy();
    void PostNcDestroy() override;
    // Connects the view to its document and frame once its window exists.
    void AttachToContext(CCreateContext* pContext);

    CDocument* m_pDocument = nullptr;
    CCreateContext* m_pendingContext = nullptr;
    friend class CDocument;
};

// A view whose window is a common control of the given class.
class CCtrlView : public CView {
    DECLARE_MESSAGE_MAP()
public:
    CCtrlView(const char* className, DWORD dwStyle) : m_strClass(className), m_dwDefaultStyle(dwStyle) {}
    BOOL Create(HWND hParent, UINT nID, const RECT& rect, CCreateContext* pContext) override;
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    void OnDraw(CDC*) override {}

protected:
    void OnCtrlPaint();

    CString m_strClass;
    DWORD m_dwDefaultStyle;
};
