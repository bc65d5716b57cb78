#include "framework/CDocument.h"

#include "framework/CDocTemplate.h"
#include "framework/CFrameWnd.h"
#include "framework/CView.h"
#include "framework/CWinApp.h"

#include <algorithm>

CDocument::~CDocument()
{
    // Views outliving their document must not reach it again.
    for (CView* view : m_views) view->m_pDocument = nullptr;
    if (m_pDocTemplate) m_pDocTemplate->RemoveDocument(this);
}

BOOL CDocument::OnNewDocument()
{
    DeleteContents();
    m_strPathName.Empty();
    return TRUE;
}

BOOL CDocument::OnOpenDocument(const char*)
{
    DeleteContents();
    return TRUE;
}

void CDocument::OnCloseDocument()
{
    // Destroying the frames destroys the views, which would close the
    // document again as the last one goes.
    BOOL autoDelete = m_bAutoDelete;
    m_bAutoDelete = FALSE;
    std::vector<CFrameWnd*> frames;
    for (CView* view : m_views) {
        CFrameWnd* frame = view->GetParentFrame();
        if (frame && std::find(frames.begin(), frames.end(), frame) == frames.end()) frames.push_back(frame);
    }
    for (CFrameWnd* frame : frames) frame->DestroyWindow();
    m_bAutoDelete = autoDelete;
    DeleteContents();
    if (m_bAutoDelete) delete this;
}

void CDocument::SetTitle(const char* title)
{
    m_strTitle = title;
    for (CView* view : m_views)
        if (CFrameWnd* frame = view->GetParentFrame()) frame->OnUpdateFrameTitle(TRUE);
}

void CDocument::SetPathName(const char* pathName, BOOL bAddToMRU)
{
    m_strPathName = pathName;
    if (m_strTitle.IsEmpty()) {
        // The file title: the last component of the path.
        CString name(pathName);
        int slash = name.ReverseFind('\\');
        SetTitle(slash >= 0 && slash + 1 < name.GetLength() ? name.Mid(slash + 1) : name);
    }
    if (bAddToMRU) {
        if (CWinApp* app = AfxGetApp()) app->AddToRecentFileList(pathName);
    }
}

void CDocument::AddView(CView* pView)
{
    if (std::find(m_views.begin(), m_views.end(), pView) != m_views.end()) return;
    m_views.push_back(pView);
    pView->m_pDocument = this;
}

void CDocument::RemoveView(CView* pView)
{
    m_views.erase(std::remove(m_views.begin(), m_views.end(), pView), m_views.end());
    pView->m_pDocument = nullptr;
    // A document without views is gone.
    if (m_views.empty() && m_bAutoDelete) OnCloseDocument();
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint)
{
    for (CView* view : std::vector<CView*>(m_views))
        if (view != pSender) view->OnUpdate(pSender, lHint, pHint);
}
