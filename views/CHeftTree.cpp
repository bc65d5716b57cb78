#include "views/CHeftTree.h"

#include "app/CMainFrame.h"
#include "document/CHeftDoc.h"
#include "framework/CCmdUI.h"
#include "framework/Dpi.h"
#include "model/CDirEntry.h"
#include "resources/resource.h"
#include "views/CHeftList.h"
#include "views/CItemPropertiesDlg.h"
#include "views/ItemActions.h"

#include <cstring>
#include <vector>

const MessageMap* CHeftTree::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::NotifyReflect<&CHeftTree::OnSelChanged>(TVN_SELCHANGEDW),
        on::NotifyReflect<&CHeftTree::OnCustomDraw>(NM_CUSTOMDRAW),
        on::Message<WM_DESTROY, &CHeftTree::OnDestroy>(),
        on::Command<&CHeftTree::OnUpOneLevel>(ID_UP_ONE_LEVEL),
        on::Command<&CHeftTree::OnOpen>(ID_ACTION_OPEN),
        on::Command<&CHeftTree::OnDelete>(ID_ACTION_DELETE),
        on::Command<&CHeftTree::OnProperties>(ID_ITEM_PROPERTIES),
        on::Command<&CHeftTree::OnFilePrint>(ID_FILE_PRINT),
        on::Command<&CHeftTree::OnFilePrintPreview>(ID_FILE_PRINT_PREVIEW),
        on::Command<&CHeftTree::OnExportList>(ID_EXPORT_LIST),
        on::UpdateCommand<&CHeftTree::OnUpdateExportList>(ID_EXPORT_LIST),
    };
    static const MessageMap map = MessageMap::Of(&CTreeView::GetThisMessageMap, entries);
    return &map;
}

BOOL CHeftTree::PreCreateWindow(CREATESTRUCTW& cs)
{
    cs.style |= TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    return CTreeView::PreCreateWindow(cs);
}

CHeftDoc* CHeftTree::GetDocument() const
{
    return static_cast<CHeftDoc*>(m_pDocument);
}

void CHeftTree::OnInitialUpdate()
{
    CTreeView::OnInitialUpdate();
    OnLayoutDpiChanged(LayoutDpi(), LayoutDpi());
}

void CHeftTree::OnLayoutDpiChanged(int, int)
{
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(CMainFrame::ControlFont()), TRUE);
    // The shell's list belongs to the main frame (and the shell); the tree only shows it.
    GetTreeCtrl().SetImageList(CMainFrame::SystemSmallImages(), TVSIL_NORMAL);
}

void CHeftTree::OnSelChanged(NMHDR*, LRESULT* pResult)
{
    // While the scan inserts items, or while the list shows a listing of the
    // whole drive, a selection only moves the tree's own highlight.
    CHeftDoc* doc = GetDocument();
    if (doc && !doc->m_bBusy && !doc->ShowsDriveListing()) doc->FillList();
    *pResult = 0;
}

void CHeftTree::OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = CDRF_DODEFAULT;
    const CHeftDoc* doc = GetDocument();
    if (!doc) return;
    auto* draw = reinterpret_cast<NMTVCUSTOMDRAW*>(pNMHDR);
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        // The icons the shell added since the last painting, at the layout DPI.
        CMainFrame::SystemSmallImages();
        *pResult = CDRF_NOTIFYITEMDRAW;
        break;
    case CDDS_ITEMPREPAINT: {
        const auto* record = reinterpret_cast<const CDirEntry*>(draw->nmcd.lItemlParam);
        if (!record) break;
        // A folder that could not be read shows its name greyed, as in the list.
        if (record->IsUnreadable() && !(draw->nmcd.uItemState & CDIS_SELECTED))
            draw->clrText = GetSysColor(COLOR_GRAYTEXT);
        if (record->IsLink() && doc->m_linkMark.arrowImage >= 0) *pResult = CDRF_NOTIFYPOSTPAINT;
        break;
    }
    case CDDS_ITEMPOSTPAINT: {
        // The icon sits right before the item's text, centred in its row.
        CTreeCtrl& tree = GetTreeCtrl();
        auto images = reinterpret_cast<HIMAGELIST>(tree.Send(TVM_GETIMAGELIST, TVSIL_NORMAL));
        int cx = 0, cy = 0;
        if (!images || !ImageList_GetIconSize(images, &cx, &cy)) break;
        // TVM_GETITEMRECT takes the item's handle in the rectangle it fills.
        RECT text{};
        const auto item = reinterpret_cast<HTREEITEM>(draw->nmcd.dwItemSpec);
        static_assert(sizeof(item) <= sizeof(text));
        std::memcpy(&text, &item, sizeof(item));
        if (!tree.Send(TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&text))) break;
        const int top = text.top + (text.bottom - text.top - cy) / 2;
        doc->m_linkMark.DrawArrow(images, draw->nmcd.hdc, text.left - cx, top);
        break;
    }
    default:
        break;
    }
}

void CHeftTree::ReleaseItemRecords()
{
    CHeftDoc* doc = GetDocument();
    if (!doc || !doc->m_hRootItem) return;
    CTreeCtrl& tree = GetTreeCtrl();
    // Depth first, parents before children, on a stack of its own: no nesting
    // depth can exhaust the thread's stack.
    std::vector<HTREEITEM> pending{doc->m_hRootItem};
    while (!pending.empty()) {
        HTREEITEM item = pending.back();
        pending.pop_back();
        delete reinterpret_cast<CDirEntry*>(tree.GetItemData(item));
        tree.SetItemData(item, 0);
        if (item != doc->m_hRootItem) {
            if (HTREEITEM next = tree.GetNextSiblingItem(item)) pending.push_back(next);
        }
        if (HTREEITEM child = tree.GetChildItem(item)) pending.push_back(child);
    }
}

void CHeftTree::OnDestroy()
{
    CHeftDoc* doc = GetDocument();
    if (doc && !doc->m_bBusy) ReleaseItemRecords();
    // The document reaches the tree through this view's control: not once it is gone.
    if (doc && doc->m_pTreeCtrl && doc->m_pTreeCtrl->m_hWnd == m_hWnd) doc->m_pTreeCtrl = nullptr;
    CTreeView::OnDestroy();
}

void CHeftTree::OnUpOneLevel()
{
    SelectParentFolder(GetTreeCtrl());
}

void CHeftTree::OnOpen()
{
    // Opening belongs to the list's rows; in the tree it does nothing.
}

void CHeftTree::OnDelete()
{
    CHeftDoc* doc = GetDocument();
    CTreeCtrl& tree = GetTreeCtrl();
    HTREEITEM selected = tree.GetSelectedItem();
    // The drive's root is never deleted: nothing is asked and nothing happens.
    if (!doc || !selected || selected == doc->m_hRootItem || !tree.GetParentItem(selected)) return;
    DeleteTreeFolder(*this, *doc, selected);
}

void CHeftTree::OnProperties()
{
    CHeftDoc* doc = GetDocument();
    CTreeCtrl& tree = GetTreeCtrl();
    HTREEITEM selected = tree.GetSelectedItem();
    const auto* record = selected ? reinterpret_cast<const CDirEntry*>(tree.GetItemData(selected)) : nullptr;
    if (!doc || !record) return;
    CItemPropertiesDlg dialog;
    dialog.SetEntry(*record, doc->m_nDriveTotal);
    dialog.DoModal();
}

void CHeftTree::PassToList(UINT nID)
{
    CHeftDoc* doc = GetDocument();
    if (!doc) return;
    // Before the first fill the document has no list yet: its second view is that list.
    HWND hList = doc->m_pListCtrl ? doc->m_pListCtrl->m_hWnd : nullptr;
    if (!hList && doc->GetView(1)) hList = doc->GetView(1)->m_hWnd;
    if (hList) ::PostMessageW(hList, WM_COMMAND, nID, 0);
}

void CHeftTree::OnFilePrint()
{
    PassToList(ID_FILE_PRINT);
}

void CHeftTree::OnFilePrintPreview()
{
    PassToList(ID_FILE_PRINT_PREVIEW);
}

void CHeftTree::OnExportList()
{
    PassToList(ID_EXPORT_LIST);
}

void CHeftTree::OnUpdateExportList(CCmdUI* pCmdUI)
{
    // What the list would export: its rows.
    const CHeftDoc* doc = GetDocument();
    const auto* list = doc ? dynamic_cast<const CHeftList*>(doc->GetView(1)) : nullptr;
    pCmdUI->Enable(list && list->GetRowCount() > 0);
}
