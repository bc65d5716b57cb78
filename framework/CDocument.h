#pragma once
#include "framework/CCmdTarget.h"

#include <functional>
#include <memory>
#include <vector>

class CDocTemplate;
class CDocument;
class CFrameWnd;
class CView;

// What a frame needs to create its views: the document they show and how to
// make the first view.
struct CCreateContext {
    CDocument* m_pCurrentDoc = nullptr;
    std::function<CView*()> m_pNewViewClass;
    CDocTemplate* m_pNewDocTemplate = nullptr;
};

// A document: the data that one or more views show. It lives as long as it
// has views (or until OnCloseDocument); the template keeps the list of open
// documents.
class CDocument : public CCmdTarget {
public:
    CDocument() = default;
    ~CDocument() override;

    virtual BOOL OnNewDocument();
    virtual BOOL OnOpenDocument(const char* pathName);
    virtual void OnCloseDocument();
    virtual void DeleteContents() {}

    const CString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(const char* title);
    const CString& GetPathName() const { return m_strPathName; }
    // Sets the full path and, with bAddToMRU, adds it to the recent-file list.
    virtual void SetPathName(const char* pathName, BOOL bAddToMRU = TRUE);

    void AddView(CView* pView);
    void RemoveView(CView* pView);
    const std::vector<CView*>& GetViews() const { return m_views; }
    // The views in creation order, as the framework's position iteration gives them.
    CView* GetFirstView() const { return m_views.empty() ? nullptr : m_views.front(); }
    CView* GetView(size_t index) const { return index < m_views.size() ? m_views[index] : nullptr; }
    void UpdateAllViews(CView* pSender, LPARAM lHint = 0, CObject* pHint = nullptr);

    BOOL m_bAutoDelete = TRUE;

protected:
    CString m_strTitle;
    CString m_strPathName;
    CDocTemplate* m_pDocTemplate = nullptr;
    std::vector<CView*> m_views;

    friend class CDocTemplate;
};
