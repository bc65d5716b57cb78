#pragma once
#include "framework/CDocument.h"
#include "framework/CTreeView.h"

#include <cstdint>

class CDirEntry;
class CScanProgressDlg;

// One open drive: its identity, the totals that percentages are taken of,
// the percent basis and the flags the two views consult.
class CHeftDoc : public CDocument {
    DECLARE_MESSAGE_MAP()
public:
    CHeftDoc() = default;
    ~CHeftDoc() override = default;

    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(const char* pathName) override;

    CDirEntry* m_pTopTen[10] = {};
    CTreeCtrl* m_pTreeCtrl = nullptr;
    CListCtrl* m_pListCtrl = nullptr;
    CString m_strDrive;
    CString m_strVolumeName;
    CString m_strFileSystem;
    DWORD m_dwSerialNumber = 0;
    DWORD m_dwMaxComponentLength = 0;
    DWORD m_dwFileSystemFlags = 0;
    std::int64_t m_nFolderTotal = 0;
    std::int64_t m_nDriveTotal = 0;
    HTREEITEM m_hRootItem = nullptr;
    BOOL m_bRelativeToFolder = TRUE;
    BOOL m_bTopTen = FALSE;
    CScanProgressDlg* m_pProgressDlg = nullptr;
    CString m_strListFolder;
    BOOL m_bBusy = FALSE;
    int m_nOpenFolderImage = 0;
    int m_nFolderImage = 0;
};
