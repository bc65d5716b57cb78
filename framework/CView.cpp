#include "framework/CView.h"

#include "framework/CDC.h"
#include "framework/CFrameWnd.h"

// ---- CView ----

const MessageMap* CView::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::Message<WM_CREATE, &CView::OnCreate>(),
        on::Message<WM_PAINT, &CView::OnPaint>(),
        on::Message<WM_SETFOCUS, &CView::OnSetFocus>(),
        on::Message<WM_DESTROY, &CView::OnDestroy>(),
    };
    static const MessageMap map = MessageMap::Of(&CWnd::GetThisMessageMap, entries);
    return &map;
}

CView::~CView()
{
    if (m_pDocument) m_pDocument->RemoveView(this);
}

BOOL CView::PreCreateWindow(CREATESTRUCTA&)
{
    return TRUE;
}

BOOL CView::Create(HWND hParent, UINT nID, const RECT& rect, CCreateContext* pContext)
{
    CREATESTRUCTA cs{};
    cs.style = WS_CHILD | WS_VISIBLE | WS_BORDER;
    cs.lpszClass = RegisterFrameworkClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, LoadCursor(nullptr, IDC_ARROW),
                                          nullptr, nullptr);
    if (!PreCreateWindow(cs)) return FALSE;
    m_pendingContext = pContext;
    BOOL ok = CreateEx(cs.dwExStyle, cs.lpszClass, nullptr, cs.style, rect, hParent, nID);
    m_pendingContext = nullptr;
    return ok;
}

int CView::OnCreate(CREATESTRUCTA*)
{
    if (Default() == -1) return -1;
    AttachToContext(m_pendingContext);
    return 0;
}

void CView::AttachToContext(CCreateContext* pContext)
{
    if (pContext && pContext->m_pCurrentDoc) pContext->m_pCurrentDoc->AddView(this);
}

void CView::OnInitialUpdate()
{
    OnUpdate(nullptr, 0, nullptr);
}

void CView::OnUpdate(CView*, LPARAM, CObject*)
{
    Invalidate(TRUE);
}

void CView::OnDraw(CDC*) {}

void CView::OnPaint()
{
    CPaintDC dc(m_hWnd);
    OnDraw(&dc);
}

void CView::OnSetFocus(HWND)
{
    Default();
    if (CFrameWnd* frame = GetParentFrame()) frame->SetActiveView(this, FALSE);
}

void CView::OnDestroy()
{
    if (CFrameWnd* frame = GetParentFrame(); frame && frame->GetActiveView() == this)
        frame->SetActiveView(nullptr, FALSE);
    Default();
}

void CView::PostNcDestroy()
{
    delete this;
}

BOOL CView::OnCmdMsg(CmdMsg& cmd)
{
    if (CWnd::OnCmdMsg(cmd)) return TRUE;
    return m_pDocument && m_pDocument->OnCmdMsg(cmd);
}

// ---- CCtrlView ----

const MessageMap* CCtrlView::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::Message<WM_PAINT, &CCtrlView::OnCtrlPaint>(),
    };
    static const MessageMap map = MessageMap::Of(&CView::GetThisMessageMap, entries);
    return &map;
}

BOOL CCtrlView::PreCreateWindow(CREATESTRUCTA& cs)
{
    cs.lpszClass = m_strClass;
    cs.style |= m_dwDefaultStyle;
    return TRUE;
}

BOOL CCtrlView::Create(HWND hParent, UINT nID, const RECT& rect, CCreateContext* pContext)
{
    CREATESTRUCTA cs{};
    cs.style = WS_CHILD | WS_VISIBLE | WS_BORDER;
    if (!PreCreateWindow(cs)) return FALSE;
    if (!CreateControl(cs.dwExStyle, cs.lpszClass, nullptr, cs.style, rect, hParent, nID)) return FALSE;
    // The control's own creation has passed before the subclassing; attach now.
    AttachToContext(pContext);
    return TRUE;
}

void CCtrlView::OnCtrlPaint()
{
    // The control paints itself.
    Default();
}
