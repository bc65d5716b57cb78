// The list's states: the selected folder's contents, or a listing in their
// place (the ten largest directories, the largest files of the drive, the
// file types of the selected folder). One state at a time; the listings share
// the list's drawing, sorting and printing.
#include "document/CHeftDoc.h"

#include "framework/CCmdUI.h"
#include "framework/CFrameWnd.h"
#include "model/CDirEntry.h"
#include "views/CHeftList.h"
#include "views/ListRules.h"
#include "views/ShellAnswers.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

void CHeftDoc::SetListState(ListState state)
{
    m_listState = state;
    m_bTopTen = state == ListState::TopTen ? TRUE : FALSE;
}

bool CHeftDoc::ShowsDriveListing() const
{
    return m_listState == ListState::TopTen || m_listState == ListState::LargestFiles ||
           m_listState == ListState::Changes;
}

void CHeftDoc::ToggleListing(ListState state)
{
    CWaitCursor wait;
    if (m_listState == state) {
        // Back to the contents of the folder the tree now shows: normally the
        // one of the row selected last.
        SetListState(ListState::Contents);
        FillList();
        return;
    }
    auto* view = dynamic_cast<CHeftList*>(GetView(1));
    if (!view || !view->m_hWnd || view->IsClosing() || !m_pTreeCtrl) return;
    SetListState(state);
    FillListing(*view);
}

void CHeftDoc::FillListing(CHeftList& view)
{
    CWaitCursor wait;
    m_pListCtrl = &view.GetListCtrl();
    const CRedrawOff quiet(view.m_hWnd);
    view.ReleaseRowRecords();
    switch (m_listState) {
    case ListState::Contents: SetListState(ListState::Contents); FillList(); return;
    case ListState::TopTen: view.ShowExtraColumns({}); FillTopTen(view); break;
    case ListState::LargestFiles: view.ShowExtraColumns({"Folder"}); FillLargestFiles(view); break;
    case ListState::FileTypes: view.ShowExtraColumns({"Files"}); FillFileTypes(view); break;
    case ListState::Changes:
        view.ShowExtraColumns({"Folder", "Change"});
        FillChanges(view);
        // Growth first, by the change.
        view.SortRows(CHeftList::SortParam{&CHeftList::CompareSizes, FALSE, CHeftList::kBasicColumns + 1});
        if (view.GetRowCount() > 0) m_pListCtrl->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
        return;
    }
    // Largest first; the header-click sort keeps its own memory. The rows of
    // equal size stay in the order they were added.
    view.SortRows(CHeftList::SortParam{&CHeftList::CompareSizes, FALSE});
    // Selecting the first row of a listing of the whole drive moves the tree
    // to its folder.
    if (view.GetRowCount() > 0) m_pListCtrl->SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
}

void CHeftDoc::ListingFollowsModel(bool filesSearchedAgain)
{
    if (m_listState != ListState::FileTypes && m_listState != ListState::Changes &&
        !(filesSearchedAgain && m_listState == ListState::LargestFiles))
        return;
    auto* view = dynamic_cast<CHeftList*>(GetView(1));
    if (view && view->m_hWnd && !view->IsClosing() && m_pTreeCtrl) FillListing(*view);
}

// ---- Largest Files ----------------------------------------------------------

void CHeftDoc::OnLargestFiles()
{
    ToggleListing(ListState::LargestFiles);
}

void CHeftDoc::OnUpdateLargestFiles(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_listState == ListState::LargestFiles ? 1 : 0);
}

void CHeftDoc::FillLargestFiles(CHeftList& view)
{
    // Every share in the listing is one of the whole drive.
    m_nFolderTotal = m_nDriveTotal;
    std::vector<const FoundFile*> files;
    for (const FoundFile& file : m_largestFiles.Files()) files.push_back(&file);
    // Largest first, equal sizes by path.
    std::sort(files.begin(), files.end(), [](const FoundFile* a, const FoundFile* b) {
        if (a->size != b->size) return a->size > b->size;
        return listrules::CompareNames(a->folder + "\\" + a->name, b->folder + "\\" + b->name) < 0;
    });
    ShellKindAnswers shell;
    // Many of the files share a folder: each is looked up in the tree once.
    std::unordered_map<std::string, HTREEITEM> folderItems;
    for (const FoundFile* file : files) {
        auto known = folderItems.find(file->folder.str());
        if (known == folderItems.end())
            known = folderItems.emplace(file->folder.str(), FindFolderItem(file->folder)).first;
        auto* record = new CListedEntry;
        record->SetName(file->name);
        record->SetSize(file->size);
        record->SetWriteTime(file->writeTime);
        const ShellAnswer answer = shell.ForFile(file->name);
        record->SetType(answer.type);
        record->SetTreeItem(known->second);
        record->m_strFolder = file->folder;
        // The folder as a path from the drive's root: "\" for the root itself.
        const CString below = file->folder.Mid(m_strDrive.GetLength());
        record->m_columns = {CListedEntry::Column{below.IsEmpty() ? CString("\\") : below}};
        view.AddRow(record, answer.icon);
    }
    CString status;
    status.Format("Largest Files: %s file%s", SizeText(static_cast<std::int64_t>(files.size())).GetString(),
                  files.size() == 1 ? "" : "s");
    if (files.empty()) status = "Largest Files: no files";
    if (auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd())) frame->SetMessageText(status);
}

// ---- File Types -------------------------------------------------------------

void CHeftDoc::OnFileTypes()
{
    ToggleListing(ListState::FileTypes);
}

void CHeftDoc::OnUpdateFileTypes(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_listState == ListState::FileTypes ? 1 : 0);
}

std::vector<FileTypeSum> CHeftDoc::SubtreeFileTypes(HTREEITEM hFolder) const
{
    std::vector<FileTypeSum> sums;
    if (!m_pTreeCtrl || !hFolder) return sums;
    std::vector<HTREEITEM> pending{hFolder};
    while (!pending.empty()) {
        HTREEITEM item = pending.back();
        pending.pop_back();
        if (const auto* record = reinterpret_cast<const CDirEntry*>(m_pTreeCtrl->GetItemData(item)))
            AddFileTypes(sums, record->GetFileTypes());
        for (HTREEITEM child = m_pTreeCtrl->GetChildItem(item); child; child = m_pTreeCtrl->GetNextSiblingItem(child))
            pending.push_back(child);
    }
    std::erase_if(sums, [](const FileTypeSum& sum) { return sum.files == 0; });
    return sums;
}

void CHeftDoc::FillFileTypes(CHeftList& view)
{
    // The listing follows the tree: the types of the selected folder and
    // everything below it, as shares of that folder (or of the drive).
    HTREEITEM selected = m_pTreeCtrl->GetSelectedItem();
    const auto* folder = selected ? reinterpret_cast<const CDirEntry*>(m_pTreeCtrl->GetItemData(selected)) : nullptr;
    m_nFolderTotal = folder ? folder->GetSize() : 0;
    if (!selected) return;
    m_strListFolder = FolderPath(selected);
    ShellKindAnswers shell;
    for (const FileTypeSum& sum : SubtreeFileTypes(selected)) {
        auto* record = new CListedEntry;
        const CString& name = m_extensions.Text(sum.extension);
        record->SetName(name);
        record->SetSize(sum.bytes);
        // A name without a dot is what the shell takes for a file of no type.
        const ShellAnswer answer = shell.ForFile(sum.extension == ExtensionTable::kNoExtension ? CString("file") : name);
        record->SetType(answer.type);
        record->m_columns = {CListedEntry::Column{SizeText(sum.files), sum.files, true}};
        view.AddRow(record, answer.icon);
    }
}
