#include "framework/CTreeView.h"

#include "framework/Utf16.h"

HTREEITEM CTreeCtrl::InsertItem(const char* text, int nImage, int nSelectedImage, UINT nState, LPARAM lParam,
                                HTREEITEM hParent, HTREEITEM hInsertAfter)
{
    const std::wstring wide = Utf8ToWide(text ? text : "");
    TVINSERTSTRUCTW tvis{};
    tvis.hParent = hParent;
    tvis.hInsertAfter = hInsertAfter;
    tvis.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE;
    tvis.item.pszText = const_cast<wchar_t*>(wide.c_str());
    tvis.item.iImage = nImage;
    tvis.item.iSelectedImage = nSelectedImage;
    tvis.item.state = nState;
    tvis.item.stateMask = nState;
    tvis.item.lParam = lParam;
    return reinterpret_cast<HTREEITEM>(Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&tvis)));
}

BOOL CTreeCtrl::ItemHasChildren(HTREEITEM hItem) const
{
    TVITEMW item{};
    item.mask = TVIF_CHILDREN | TVIF_HANDLE;
    item.hItem = hItem;
    if (!Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return FALSE;
    return item.cChildren != 0;
}

CString CTreeCtrl::GetItemText(HTREEITEM hItem) const
{
    // Grow the buffer until the text fits: names have no fixed limit.
    std::wstring buffer(260, L'\0');
    for (;;) {
        TVITEMW item{};
        item.mask = TVIF_TEXT | TVIF_HANDLE;
        item.hItem = hItem;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        if (!Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return CString();
        size_t len = std::char_traits<wchar_t>::length(buffer.c_str());
        if (len + 1 < buffer.size()) return WideToUtf8(std::wstring_view(buffer).substr(0, len));
        buffer.assign(buffer.size() * 2, L'\0');
    }
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM hItem) const
{
    TVITEMW item{};
    item.mask = TVIF_PARAM | TVIF_HANDLE;
    item.hItem = hItem;
    if (!Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
    return static_cast<DWORD_PTR>(item.lParam);
}

BOOL CTreeCtrl::SetItemData(HTREEITEM hItem, DWORD_PTR data)
{
    TVITEMW item{};
    item.mask = TVIF_PARAM | TVIF_HANDLE;
    item.hItem = hItem;
    item.lParam = static_cast<LPARAM>(data);
    return Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) != 0;
}
