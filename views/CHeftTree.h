#pragma once
#include "framework/CTreeView.h"

class CHeftDoc;

// The folder tree of a drive window.
class CHeftTree : public CTreeView {
    DECLARE_MESSAGE_MAP()
public:
    BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
    CHeftDoc* GetDocument() const;
};
