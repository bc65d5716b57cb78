#include "framework/CDocTemplate.h"

#include "framework/CFrameWnd.h"
#include "framework/CView.h"

#include <algorithm>

CDocTemplate::CDocTemplate(UINT nIDResource, DocFactory doc, FrameFactory frame, ViewFactory view)
    : m_nIDResource(nIDResource),
      m_docFactory(std::move(doc)),
      m_frameFactory(std::move(frame)),
      m_viewFactory(std::move(view))
{
    m_strDocStrings.LoadFromResource(nIDResource);
    m_hMenuShared = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nIDResource));
}

CDocTemplate::~CDocTemplate()
{
    // Documents still open at the end of the program go with their template.
    for (CDocument* doc : std::vector<CDocument*>(m_docs)) {
        doc->m_pDocTemplate = nullptr;
        delete doc;
    }
    if (m_hMenuShared) DestroyMenu(m_hMenuShared);
}

BOOL CDocTemplate::GetDocString(CString& text, DocStringIndex index) const
{
    text.Empty();
    int start = 0;
    for (int i = 0; i < static_cast<int>(index); ++i) {
        start = m_strDocStrings.Find('\n', start);
        if (start < 0) return FALSE;
        ++start;
    }
    int end = m_strDocStrings.Find('\n', start);
    text = end < 0 ? m_strDocStrings.Mid(start) : m_strDocStrings.Mid(start, end - start);
    return TRUE;
}

void CDocTemplate::AddDocument(CDocument* pDoc)
{
    m_docs.push_back(pDoc);
    pDoc->m_pDocTemplate = this;
}

void CDocTemplate::RemoveDocument(CDocument* pDoc)
{
    m_docs.erase(std::remove(m_docs.begin(), m_docs.end(), pDoc), m_docs.end());
    pDoc->m_pDocTemplate = nullptr;
}

CDocument* CDocTemplate::CreateNewDocument()
{
    CDocument* doc = m_docFactory();
    if (doc) AddDocument(doc);
    return doc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* pDoc)
{
    CCreateContext context;
    context.m_pCurrentDoc = pDoc;
    context.m_pNewViewClass = m_viewFactory;
    context.m_pNewDocTemplate = this;
    CFrameWnd* frame = m_frameFactory();
    if (!frame) return nullptr;
    // A frame that fails to load has deleted itself.
    if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context)) return nullptr;
    return frame;
}

CDocument* CDocTemplate::OpenDocumentFile(const char* pathName, BOOL bMakeVisible)
{
    CDocument* doc = CreateNewDocument();
    if (!doc) return nullptr;
    // While the frame is being made the document must survive its views coming and going.
    BOOL autoDelete = doc->m_bAutoDelete;
    doc->m_bAutoDelete = FALSE;
    CFrameWnd* frame = CreateNewFrame(doc);
    doc->m_bAutoDelete = autoDelete;
    if (!frame) {
        delete doc;
        return nullptr;
    }
    BOOL opened;
    if (!pathName) {
        CString name;
        GetDocString(name, docName);
        doc->SetTitle(name);
        opened = doc->OnNewDocument();
    } else {
        CWaitCursor wait;
        opened = doc->OnOpenDocument(pathName);
    }
    if (!opened) {
        // The frame's views go, and the document with the last of them.
        doc->m_bAutoDelete = FALSE;
        frame->DestroyWindow();
        delete doc;
        return nullptr;
    }
    if (pathName) doc->SetPathName(pathName);
    InitialUpdateFrame(frame, doc, bMakeVisible);
    return doc;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible)
{
    pFrame->InitialUpdateFrame(pDoc, bMakeVisible);
}

void CDocTemplate::CloseAllDocuments()
{
    for (CDocument* doc : std::vector<CDocument*>(m_docs)) doc->OnCloseDocument();
}
