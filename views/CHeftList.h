#pragma once
#include "framework/CTreeView.h"

class CHeftDoc;

// The contents list of a drive window.
class CHeftList : public CListView {
    DECLARE_MESSAGE_MAP()
public:
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    CHeftDoc* GetDocument() const;
};
