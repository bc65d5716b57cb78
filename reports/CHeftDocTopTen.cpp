// The ten largest directories of the drive, listed in the contents list in
// place of a folder's contents. Only the tree the scan built is read.
#include "document/CHeftDoc.h"

#include "framework/CCmdUI.h"
#include "model/CDirEntry.h"
#include "reports/LargestFolders.h"
#include "views/CHeftList.h"

#include <iterator>
#include <vector>

void CHeftDoc::OnTopTen()
{
    ToggleListing(ListState::TopTen);
}

void CHeftDoc::OnUpdateTopTen(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_bTopTen ? 1 : 0);
}

void CHeftDoc::FillTopTen(CHeftList& view)
{
    for (CDirEntry*& slot : m_pTopTen) slot = nullptr;
    HTREEITEM root = m_pTreeCtrl->GetRootItem();
    if (root && m_pTreeCtrl->ItemHasChildren(root)) CollectLargestFolders(root);
    // Every share in the listing is one of the whole drive.
    m_nFolderTotal = m_nDriveTotal;

    for (CDirEntry* folder : m_pTopTen) {
        if (!folder) continue;
        auto* record = new CDirEntry(*folder);
        record->SetFolder();
        record->SetFileTypes({});
        view.AddRow(record, m_nFolderImage);
    }
}

void CHeftDoc::CollectLargestFolders(HTREEITEM hParent)
{
    LargestFolderSlots<CDirEntry> slots;
    // Depth first in the tree's order, on a stack of its own, so that no
    // nesting depth can exhaust the thread's stack: each entry is the next
    // item to look at on one level.
    std::vector<HTREEITEM> pending;
    if (m_pTreeCtrl && hParent) pending.push_back(m_pTreeCtrl->GetChildItem(hParent));
    while (!pending.empty()) {
        HTREEITEM item = pending.back();
        if (!item) {
            pending.pop_back();
            continue;
        }
        pending.back() = m_pTreeCtrl->GetNextSiblingItem(item);
        if (HTREEITEM child = m_pTreeCtrl->GetChildItem(item)) {
            // A folder with subfolders is walked through, never listed.
            pending.push_back(child);
            continue;
        }
        auto* record = reinterpret_cast<CDirEntry*>(m_pTreeCtrl->GetItemData(item));
        if (record && slots.Offer(record, record->GetSize()) >= 0) record->SetTreeItem(item);
    }
    for (size_t i = 0; i < std::size(m_pTopTen); ++i) m_pTopTen[i] = slots[i];
}
