#include "views/ItemActions.h"

#include "document/CHeftDoc.h"
#include "framework/SystemError.h"

BOOL ConfirmDelete(const CWnd& owner, const CString& path)
{
    const CString text = "Do you want to permanently delete this?\n" + path;
    return owner.MessageBox(text, "Delete", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void ReportDeleteFailure(const CWnd& owner, const CString& path, const DeleteFailure& failure)
{
    CString text = "Could not delete\n" + path + "\n\n";
    if (failure.path != path && !failure.path.IsEmpty()) text += failure.path + " could not be deleted:\n";
    text += SystemErrorText(failure.error);
    owner.MessageBox(text, "Delete", MB_OK | MB_ICONEXCLAMATION);
}

void DeleteTreeFolder(const CWnd& owner, CHeftDoc& doc, HTREEITEM hFolder)
{
    const CString path = doc.FolderPath(hFolder);
    if (!ConfirmDelete(owner, path)) return;
    std::int64_t removed = 0;
    DeleteFailure failure;
    const BOOL gone = doc.DeleteFolderTree(path, &removed, &failure);
    doc.SubtractFromFolders(hFolder, removed);
    if (gone) {
        doc.RemoveFolderItem(hFolder);
        return;
    }
    // The list may show what is left of the folder, or a folder inside it:
    // it shows the disk as it is now.
    const CString& shown = doc.m_strListFolder;
    if (!doc.m_bTopTen && (shown == path || shown.str().rfind((path + "\\").str(), 0) == 0)) doc.FillList();
    ReportDeleteFailure(owner, path, failure);
}

void SelectParentFolder(CTreeCtrl& tree)
{
    HTREEITEM selected = tree.GetSelectedItem();
    HTREEITEM parent = selected ? tree.GetParentItem(selected) : nullptr;
    if (parent) tree.SelectItem(parent);
}
