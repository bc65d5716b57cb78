#pragma once
#include "framework/CView.h"

// A common control reached through its window handle; it owns nothing.
class CCtrlHandle {
public:
    HWND m_hWnd = nullptr;

    // Sends one of the control's own messages, from the control's thread,
    // straight to the window procedure of its class: a subclass in front of
    // it (the view's own, when the control is a view) never handles these,
    // and under Wine every message that passes the common controls' subclass
    // chain costs two round trips to the server, about a tenth of a
    // millisecond — a scan inserts a tree item per folder, and drawing a list
    // row asks the control several things.
    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
};

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

// A list control reached through its window handle; it owns nothing.
class CListCtrl : public CCtrlHandle {
public:
    int GetItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
    BOOL DeleteItem(int nItem) { return Send(LVM_DELETEITEM, static_cast<WPARAM>(nItem)) != 0; }
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);
    UINT GetItemState(int nItem, UINT nMask) const
    {
        return static_cast<UINT>(Send(LVM_GETITEMSTATE, static_cast<WPARAM>(nItem), nMask));
    }
    int GetNextItem(int nItem, UINT flags) const
    {
        return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(nItem), static_cast<LPARAM>(flags)));
    }
    int GetColumnWidth(int col) const { return static_cast<int>(Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(col))); }
};

// A view whose window is a list control.
class CListView : public CCtrlView {
public:
    CListView() : CCtrlView(WC_LISTVIEWW, 0) {}
    CListCtrl& GetListCtrl()
    {
        m_list.m_hWnd = m_hWnd;
        return m_list;
    }

private:
    CListCtrl m_list;
};
