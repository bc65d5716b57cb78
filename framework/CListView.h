#pragma once
#include "framework/CCtrlHandle.h"
#include "framework/CView.h"

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
