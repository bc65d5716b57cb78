#pragma once
#include "framework/CDocument.h"

class CMDIChildWnd;

// Makes documents of one kind with their frames and views, and keeps the
// list of the documents it made. The classes come as factory functions.
class CDocTemplate : public CCmdTarget {
public:
    using DocFactory = std::function<CDocument*()>;
    using FrameFactory = std::function<CFrameWnd*()>;
    using ViewFactory = std::function<CView*()>;

    CDocTemplate(UINT nIDResource, DocFactory doc, FrameFactory frame, ViewFactory view);
    ~CDocTemplate() override;

    enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName };
    BOOL GetDocString(CString& text, DocStringIndex index) const;

    // Opens (pathName) or creates (null) a document in a new frame; null on failure.
    virtual CDocument* OpenDocumentFile(const char* pathName, BOOL bMakeVisible = TRUE);
    CDocument* CreateNewDocument();
    CFrameWnd* CreateNewFrame(CDocument* pDoc);
    void InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible = TRUE);
    void AddDocument(CDocument* pDoc);
    void RemoveDocument(CDocument* pDoc);
    const std::vector<CDocument*>& GetDocuments() const { return m_docs; }
    void CloseAllDocuments();

    UINT m_nIDResource;
    HMENU m_hMenuShared = nullptr;  // the frame's menu while one of these documents is active
    HACCEL m_hAccelTable = nullptr;

private:
    DocFactory m_docFactory;
    FrameFactory m_frameFactory;
    ViewFactory m_viewFactory;
    CString m_strDocStrings;
    std::vector<CDocument*> m_docs;
};

// The template of a document kind that many documents share, each in its own MDI child frame.
class CMultiDocTemplate : public CDocTemplate {
public:
    using CDocTemplate::CDocTemplate;
};

// A template whose classes are given as types: document D, frame F, view V.
template <class D, class F, class V>
std::unique_ptr<CMultiDocTemplate> MakeDocTemplate(UINT nIDResource)
{
    return std::make_unique<CMultiDocTemplate>(
        nIDResource, [] { return static_cast<CDocument*>(new D); }, [] { return static_cast<CFrameWnd*>(new F); },
        [] { return static_cast<CView*>(new V); });
}
