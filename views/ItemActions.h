#pragma once
// What Delete and Up One Level do in the tree and in the list alike: the
// confirmation, the deletion of a folder of the tree, the report of what
// could not go, and the move to the parent folder.
#include "framework/CTreeView.h"

class CHeftDoc;
struct DeleteFailure;

// Asks before deleting `path` for good; TRUE when the user answered Yes.
BOOL ConfirmDelete(const CWnd& owner, const CString& path);
// Tells the user that `path` could not be deleted: which entry stayed, and
// the system's reason.
void ReportDeleteFailure(const CWnd& owner, const CString& path, const DeleteFailure& failure);
// Asks, then deletes a folder of the tree from the disk (CHeftDoc::
// DeleteFolderItem); a folder that stays is reported, unless the user stopped
// the deletion.
void DeleteTreeFolder(const CWnd& owner, CHeftDoc& doc, HTREEITEM hFolder);

// Selects the parent of the tree's selected folder; nothing at the root.
void SelectParentFolder(CTreeCtrl& tree);
