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
    DeleteFailure failure;
    if (doc.DeleteFolderItem(hFolder, &failure)) return;
    // Stop was the user's own choice: nothing to report.
    if (failure.error != ERROR_CANCELLED && owner.m_hWnd && IsWindow(owner.m_hWnd))
        ReportDeleteFailure(owner, path, failure);
}

void SelectParentFolder(CTreeCtrl& tree)
{
    HTREEITEM selected = tree.GetSelectedItem();
    HTREEITEM parent = selected ? tree.GetParentItem(selected) : nullptr;
    if (parent) tree.SelectItem(parent);
}
