#include "framework/CTreeView.h"

#include <cstring>

LRESULT CCtrlHandle::Send(UINT message, WPARAM wParam, LPARAM lParam) const
{
    // The narrow procedure handle, so that the message is taken exactly as
    // SendMessageA would deliver it; none for a handle that is no window.
    auto proc = reinterpret_cast<WNDPROC>(GetClassLongPtrA(m_hWnd, GCLP_WNDPROC));
    if (!proc) return ::SendMessageA(m_hWnd, message, wParam, lParam);
    return CallWindowProcA(proc, m_hWnd, message, wParam, lParam);
}

HTREEITEM CTreeCtrl::InsertItem(const char* text, int nImage, int nSelectedImage, UINT nState, LPARAM lParam,
                                HTREEITEM hParent, HTREEITEM hInsertAfter)
{
    TVINSERTSTRUCTA tvis{};
    tvis.hParent = hParent;
    tvis.hInsertAfter = hInsertAfter;
    tvis.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE;
    tvis.item.pszText = const_cast<char*>(text);
    tvis.item.iImage = nImage;
    tvis.item.iSelectedImage = nSelectedImage;
    tvis.item.state = nState;
    tvis.item.stateMask = nState;
    tvis.item.lParam = lParam;
    return reinterpret_cast<HTREEITEM>(Send(TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&tvis)));
}

BOOL CTreeCtrl::ItemHasChildren(HTREEITEM hItem) const
{
    TVITEMA item{};
    item.mask = TVIF_CHILDREN | TVIF_HANDLE;
    item.hItem = hItem;
    if (!Send(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return FALSE;
    return item.cChildren != 0;
}

CString CTreeCtrl::GetItemText(HTREEITEM hItem) const
{
    // Grow the buffer until the text fits: names have no fixed limit.
    std::string buffer(260, '\0');
    for (;;) {
        TVITEMA item{};
        item.mask = TVIF_TEXT | TVIF_HANDLE;
        item.hItem = hItem;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        if (!Send(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return CString();
        size_t len = std::strlen(buffer.c_str());
        if (len + 1 < buffer.size()) {
            buffer.resize(len);
            return CString(std::move(buffer));
        }
        buffer.assign(buffer.size() * 2, '\0');
    }
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM hItem) const
{
    TVITEMA item{};
    item.mask = TVIF_PARAM | TVIF_HANDLE;
    item.hItem = hItem;
    if (!Send(TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return 0;
    return static_cast<DWORD_PTR>(item.lParam);
}

BOOL CTreeCtrl::SetItemData(HTREEITEM hItem, DWORD_PTR data)
{
    TVITEMA item{};
    item.mask = TVIF_PARAM | TVIF_HANDLE;
    item.hItem = hItem;
    item.lParam = static_cast<LPARAM>(data);
    return Send(TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask)
{
    LVITEMA item{};
    item.stateMask = nMask;
    item.state = nState;
    return Send(LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)) != 0;
}
