// Filling the contents list: subfolder rows from the model, file rows from the
// disk at this moment, largest first.
#include "document/CHeftDoc.h"

#include "views/ShellAnswers.h"
#include "framework/CFileFind.h"
#include "model/CDirEntry.h"
#include "views/CHeftList.h"

#include <vector>

CString CHeftDoc::FolderPath(HTREEITEM hItem) const
{
    // The root's own text (the drive's display name) is never part of a path.
    std::vector<CString> names;
    if (m_pTreeCtrl) {
        for (HTREEITEM item = hItem; item;) {
            HTREEITEM parent = m_pTreeCtrl->GetParentItem(item);
            if (!parent) break;
            names.push_back(m_pTreeCtrl->GetItemText(item));
            item = parent;
        }
    }
    CString path = m_strDrive;
    for (auto name = names.rbegin(); name != names.rend(); ++name) path += "\\" + *name;
    return path;
}

HTREEITEM CHeftDoc::FolderItem(const CString& path) const
{
    if (!m_pTreeCtrl || !m_hRootItem || path.Left(m_strDrive.GetLength()).CompareNoCase(m_strDrive) != 0)
        return nullptr;
    HTREEITEM item = m_hRootItem;
    const CString rest = path.Mid(m_strDrive.GetLength());
    for (int start = 0; start < rest.GetLength() && item;) {
        int end = rest.Find('\\', start);
        if (end < 0) end = rest.GetLength();
        const CString name = rest.Mid(start, end - start);
        start = end + 1;
        if (name.IsEmpty()) continue;
        HTREEITEM child = m_pTreeCtrl->GetChildItem(item);
        while (child && m_pTreeCtrl->GetItemText(child).CompareNoCase(name) != 0)
            child = m_pTreeCtrl->GetNextSiblingItem(child);
        item = child;
    }
    return item;
}

void CHeftDoc::FillList()
{
    CWaitCursor wait;
    if (m_listState != ListState::FileTypes) SetListState(ListState::Contents);
    auto* view = dynamic_cast<CHeftList*>(GetView(1));
    if (!view || !view->m_hWnd || view->IsClosing()) return;
    m_pListCtrl = &view->GetListCtrl();
    if (!m_pTreeCtrl) return;
    if (m_listState == ListState::FileTypes) {
        FillListing(*view);
        return;
    }
    CTreeCtrl& tree = *m_pTreeCtrl;

    HTREEITEM selected = tree.GetSelectedItem();
    const auto* folder = selected ? reinterpret_cast<const CDirEntry*>(tree.GetItemData(selected)) : nullptr;
    m_nFolderTotal = folder ? folder->GetSize() : 0;

    const CRedrawOff quiet(view->m_hWnd);
    view->ReleaseRowRecords();
    view->ShowExtraColumns({});
    if (!selected) return;

    const CString path = FolderPath(selected);
    ShellAnswers& shell = view->ShellAnswersFor(path);
    // Subfolders come from the model: their totals are the scan's, and a
    // folder made on the disk since then is not listed.
    for (HTREEITEM child = tree.GetChildItem(selected); child; child = tree.GetNextSiblingItem(child)) {
        auto* record = new CDirEntry;
        const CString name = tree.GetItemText(child);
        record->SetName(name);
        const ShellAnswer answer = shell.ForFolder(name);
        if (const auto* folderRecord = reinterpret_cast<const CDirEntry*>(tree.GetItemData(child))) {
            record->SetSize(folderRecord->GetSize());
            record->SetWriteTime(folderRecord->GetWriteTime());
            if (folderRecord->IsLink()) record->SetLink();
            if (folderRecord->IsUnreadable()) record->SetUnreadable();
        }
        record->SetType(answer.type);
        record->SetFolder();
        record->SetTreeItem(child);
        view->AddRow(record, answer.icon);
    }
    AddFolderFiles(path);
}

void CHeftDoc::AddFolderFiles(const CString& path)
{
    CWaitCursor wait;
    SetListState(ListState::Contents);
    m_strListFolder = path;
    auto* view = dynamic_cast<CHeftList*>(GetView(1));
    if (!m_pListCtrl || !view || view->m_hWnd != m_pListCtrl->m_hWnd) return;

    ShellAnswers& shell = view->ShellAnswersFor(path);
    CFileFind find;
    if (find.FindFile(path + "\\*.*")) {
        do {
            // Folders are listed from the model; hidden and system files are
            // listed like any other.
            if (find.IsDirectory() || find.IsDots()) continue;
            auto* record = new CDirEntry;
            const CString name = find.GetFileName();
            record->SetName(name);
            record->SetSize(find.GetLength());
            record->SetWriteTime(find.GetLastWriteTime());
            const ShellAnswer answer = shell.ForFile(name);
            record->SetType(answer.type);
            view->AddRow(record, answer.icon);
        } while (find.FindNextFile());
    }
    // A listing that broke off may mean that the drive went away: the user
    // decides, as when a search finds the drive gone.
    if (!find.ListedToTheEnd() && !DriveAnswers() && AskRetryDrive()) {
        FillList();
        return;
    }
    find.Close();

    // Largest first; the header-click sort keeps its own memory.
    view->SortRows(CHeftList::SortParam{&CHeftList::CompareSizes, FALSE});
    // The largest row is selected; the focus stays where the user puts it.
    if (view->GetRowCount() > 0) view->GetListCtrl().SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
}
