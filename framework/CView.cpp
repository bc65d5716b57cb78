#include "framework/CView.h"

#include "framework/CDC.h"
#include "framework/CFileFind.h"
#include "framework/CFrameWnd.h"
#include "framework/CPreviewView.h"
#include "framework/CPrintInfo.h"
#include "framework/CWinApp.h"
#include "framework/SystemError.h"

#include <string>

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

BOOL CView::PreCreateWindow(CREATESTRUCTW&)
{
    return TRUE;
}

BOOL CView::Create(HWND hParent, UINT nID, const RECT& rect, CCreateContext* pContext)
{
    CREATESTRUCTW cs{};
    cs.style = WS_CHILD | WS_VISIBLE | WS_BORDER;
    cs.lpszClass = RegisterFrameworkClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, LoadCursor(nullptr, IDC_ARROW),
                                          nullptr, nullptr);
    if (!PreCreateWindow(cs)) return FALSE;
    m_pendingContext = pContext;
    BOOL ok = CreateEx(cs.dwExStyle, cs.lpszClass, nullptr, cs.style, rect, hParent, nID);
    m_pendingContext = nullptr;
    return ok;
}

int CView::OnCreate(CREATESTRUCTW*)
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
    // A preview of this view cannot outlive it.
    if (CPreviewView* preview = CPreviewView::Showing(); preview && preview->GetPrintView() == this) preview->Close();
    if (CFrameWnd* frame = GetParentFrame(); frame && frame->GetActiveView() == this)
        frame->SetActiveView(nullptr, FALSE);
    Default();
}

void CView::PostNcDestroy()
{
    delete this;
}

// ---- printing ----

BOOL CView::OnPreparePrinting(CPrintInfo*)
{
    return FALSE;
}

void CView::OnBeginPrinting(CDC*, CPrintInfo*) {}

void CView::OnPrepareDC(CDC*, CPrintInfo* pInfo)
{
    if (pInfo) pInfo->m_bContinuePrinting = pInfo->GetMaxPage() != 0xFFFF || pInfo->m_nCurPage == 1;
}

void CView::OnPrint(CDC* pDC, CPrintInfo*)
{
    OnDraw(pDC);
}

void CView::OnEndPrinting(CDC*, CPrintInfo*) {}

BOOL CView::DoPreparePrinting(CPrintInfo* pInfo)
{
    CWinApp* app = AfxGetApp();
    CPrintDialog& dialog = *pInfo->m_pPD;
    const char* caption = pInfo->m_bPreview ? "Print Preview" : "Print";
    dialog.m_pd.hwndOwner = GetSafeOwner(m_hWnd);
    if (pInfo->m_bPreview) {
        if (!app || !app->GetPrinterDeviceDefaults(&dialog.m_pd)) {
            if (app) app->ReportNoPrinter(m_hWnd, caption);
            return FALSE;
        }
        if (dialog.CreatePrinterDC()) return TRUE;
    } else {
        const INT_PTR answer = app ? app->DoPrintDialog(&dialog) : -1;
        if (answer == -1) {
            if (app) app->ReportNoPrinter(m_hWnd, caption);
            return FALSE;
        }
        if (answer == IDOK && dialog.GetPrinterDC()) return TRUE;
        // Cancelled: nothing to say.
        if (answer != IDOK && CommDlgExtendedError() == 0) return FALSE;
    }
    const DWORD error = GetLastError();
    CString text = "The printer " + dialog.GetDeviceName() + " cannot be used.";
    if (error != 0) text += "\n\n" + SystemErrorText(error);
    MessageBox(text, caption, MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
}

void CView::OnFilePrint()
{
    // A preview uses the view's printing state; its own Print button ends it first.
    if (CPreviewView::Showing()) return;
    CPrintInfo info;
    if (!OnPreparePrinting(&info) || !info.m_pPD->GetPrinterDC()) return;
    CWaitCursor wait;
    CDC dc(info.m_pPD->GetPrinterDC());
    dc.m_bPrinting = true;
    OnBeginPrinting(&dc, &info);
    CString failure;
    const BOOL printed = PrintPages(dc, info, &failure);
    const DWORD error = GetLastError();
    OnEndPrinting(&dc, &info);
    if (!printed) {
        if (error != 0) failure += "\n\n" + SystemErrorText(error);
        MessageBox(failure, "Print", MB_OK | MB_ICONEXCLAMATION);
    }
}

BOOL CView::PrintPages(CDC& dc, CPrintInfo& info, CString* failure)
{
    // The spooler shows the job under the document's title.
    CString title = m_pDocument ? m_pDocument->GetTitle() : CString();
    if (title.IsEmpty() && AfxGetApp()) title = AfxGetApp()->m_strAppName;
    const std::wstring name = Utf8ToWide(title.str());
    DOCINFOW doc{};
    doc.cbSize = sizeof(doc);
    doc.lpszDocName = name.c_str();
    if (StartDocW(dc, &doc) <= 0) {
        *failure = "Printing failed: the printer did not take the job.";
        return FALSE;
    }

    UINT last = info.GetToPage();
    if (last > info.GetMaxPage()) last = info.GetMaxPage();
    UINT first = info.GetFromPage();
    if (first < info.GetMinPage()) first = info.GetMinPage();
    for (info.m_nCurPage = first; info.m_nCurPage <= last; ++info.m_nCurPage) {
        OnPrepareDC(&dc, &info);
        if (!info.m_bContinuePrinting) break;
        // A page the printer does not take ends the whole job: a report
        // with a page missing is not what the user asked for.
        bool pageDone = StartPage(dc) > 0;
        if (pageDone) {
            OnPrint(&dc, &info);
            pageDone = EndPage(dc) > 0;
        }
        if (!pageDone) {
            AbortDoc(dc);
            failure->Format("Printing failed at page %u; the rest of the job was abandoned.", info.m_nCurPage);
            return FALSE;
        }
    }
    if (EndDoc(dc) <= 0) {
        AbortDoc(dc);
        *failure = "Printing failed: the printer did not finish the job.";
        return FALSE;
    }
    return TRUE;
}

void CView::OnFilePrintPreview()
{
    if (CPreviewView::Showing()) return;
    auto info = std::make_unique<CPrintInfo>();
    info->m_bPreview = TRUE;
    if (!OnPreparePrinting(info.get()) || !info->m_pPD->GetPrinterDC()) return;
    CPreviewView::Show(this, std::move(info));
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

BOOL CCtrlView::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.lpszClass = m_strClass.c_str();
    cs.style |= m_dwDefaultStyle;
    return TRUE;
}

BOOL CCtrlView::Create(HWND hParent, UINT nID, const RECT& rect, CCreateContext* pContext)
{
    CREATESTRUCTW cs{};
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
