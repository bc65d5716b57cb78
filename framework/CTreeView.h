#pragma once
#include "framework/CCtrlHandle.h"
#include "framework/CView.h"

// A tree control reached through its window handle; it owns nothing.
class CTreeCtrl : public CCtrlHandle {
public:
    HTREEITEM InsertItem(const char* text, int nImage, int nSelectedImage, UINT nState, LPARAM lParam,
                         HTREEITEM hParent, HTREEITEM hInsertAfter);
    BOOL DeleteItem(HTREEITEM hItem) { return Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(hItem)) != 0; }
    BOOL SortChildren(HTREEITEM hItem) { return Send(TVM_SORTCHILDREN, FALSE, reinterpret_cast<LPARAM>(hItem)) != 0; }
    HTREEITEM GetNextItem(HTREEITEM hItem, UINT code) const
    {
        return reinterpret_cast<HTREEITEM>(Send(TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(hItem)));
    }
    HTREEITEM GetRootItem() const { return GetNextItem(nullptr, TVGN_ROOT); }
    HTREEITEM GetChildItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_NEXT); }
    HTREEITEM GetParentItem(HTREEITEM hItem) const { return GetNextItem(hItem, TVGN_PARENT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }
    BOOL SelectItem(HTREEITEM hItem) { return Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hItem)) != 0; }
    BOOL ItemHasChildren(HTREEITEM hItem) const;
    CString GetItemText(HTREEITEM hItem) const;
    DWORD_PTR GetItemData(HTREEITEM hItem) const;
    BOOL SetItemData(HTREEITEM hItem, DWORD_PTR data);
    UINT GetItemState(HTREEITEM hItem, UINT mask) const
    {
        return static_cast<UINT>(Send(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(hItem), mask));
    }
    UINT GetCount() const { return static_cast<UINT>(Send(TVM_GETCOUNT)); }
    HIMAGELIST SetImageList(HIMAGELIST hList, int which)
    {
        return reinterpret_cast<HIMAGELIST>(Send(TVM_SETIMAGELIST, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(hList)));
    }
};

// A view whose window is a tree control.
class CTreeView : public CCtrlView {
public:
    CTreeView() : CCtrlView(WC_TREEVIEWW, 0) {}
    CTreeCtrl& GetTreeCtrl()
    {
        m_tree.m_hWnd = m_hWnd;
        return m_tree;
    }

private:
    CTreeCtrl m_tree;
};
