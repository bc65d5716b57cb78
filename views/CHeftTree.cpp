#include "views/CHeftTree.h"

#include "document/CHeftDoc.h"

const MessageMap* CHeftTree::GetThisMessageMap()
{
    static const MessageMap map{&CTreeView::GetThisMessageMap, nullptr, nullptr};
    return &map;
}

BOOL CHeftTree::PreCreateWindow(CREATESTRUCTA& cs)
{
    cs.style |= TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    return CTreeView::PreCreateWindow(cs);
}

CHeftDoc* CHeftTree::GetDocument() const
{
    return static_cast<CHeftDoc*>(m_pDocument);
}
