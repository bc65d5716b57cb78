#pragma once
#include "framework/CTreeView.h"

class CCmdUI;
class CHeftDoc;

// The folder tree of a drive window: one item per folder, the drive's root
// at the top. Its selection decides what the contents list shows.
class CHeftTree : public CTreeView {
    DECLARE_MESSAGE_MAP()
public:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    void OnInitialUpdate() override;
    // The font and icons of the new layout DPI; the items take their height from them.
    void OnLayoutDpiChanged(int oldDpi, int newDpi) override;
    CHeftDoc* GetDocument() const;

    // Frees the record of every item (root first, then depth first); the items stay.
    void ReleaseItemRecords();

protected:
    void OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
    // Draws the shell's link arrow over the icons of links, where the shell's
    // image list has no overlay to do it.
    void OnCustomDraw(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDestroy();
    void OnUpOneLevel();
    void OnOpen();
    void OnDelete();
    void OnProperties();
    void OnFilePrint();
    void OnFilePrintPreview();
    void OnExportList();
    // The list's export, greyed while the list has no rows.
    void OnUpdateExportList(CCmdUI* pCmdUI);
    // Posts a print or export command to the contents list, which prints or
    // exports its rows.
    void PassToList(UINT nID);
};
