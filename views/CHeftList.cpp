#include "views/CHeftList.h"

#include "document/CHeftDoc.h"

const MessageMap* CHeftList::GetThisMessageMap()
{
    static const MessageMap map{&CListView::GetThisMessageMap, nullptr, nullptr};
    return &map;
}

BOOL CHeftList::PreCreateWindow(CREATESTRUCTA& cs)
{
    cs.style |= LVS_REPORT | LVS_SINGLESEL | LVS_SORTASCENDING | LVS_SHAREIMAGELISTS | LVS_OWNERDRAWFIXED;
    return CListView::PreCreateWindow(cs);
}

CHeftDoc* CHeftList::GetDocument() const
{
    return static_cast<CHeftDoc*>(m_pDocument);
}
