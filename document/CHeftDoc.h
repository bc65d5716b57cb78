#pragma once
#include "framework/CDocument.h"
#include "framework/CListView.h"
#include "framework/CTreeView.h"
#include "model/ScanSummary.h"
#include "views/ShellAnswers.h"

#include <cstdint>
#include <memory>

class CDirEntry;
class CFolderReader;
class CScanProgressDlg;

// The first entry a deletion could not remove, and the system's reason.
struct DeleteFailure {
    CString path;
    DWORD error = 0;
};

// One open drive: its identity, the totals that percentages are taken of,
// the percent basis and the flags the two views consult.
class CHeftDoc : public CDocument {
    DECLARE_MESSAGE_MAP()
public:
    CHeftDoc() = default;
    ~CHeftDoc() override = default;

    // Returned in place of a total through every level of an abandoned scan.
    static constexpr std::int64_t kCancelMarker = -1;

    BOOL OnNewDocument() override;
    BOOL OnOpenDocument(const char* pathName) override;
    // Closing the window while a scan runs ends the scan as cancelled; the
    // cancelled open or Refresh then closes the window itself.
    void OnCloseDocument() override;

    // The whole-drive scan: drive check, volume, progress dialog, one record
    // and tree item per folder, totals bottom-up. FALSE when the drive cannot
    // be read or the user cancelled.
    BOOL ScanDrive();
    // Frees every record of the tree and the list and deletes their items
    // and rows, so that no view shows anything of the drive.
    void EmptyViews();
    // Upper bound of the progress range: 1 + the root's folders.
    int CountRootFolders();
    // Total bytes below a folder ("C:" for the root), inserting its subfolders
    // under hParent, its listings taken from `listings`; kCancelMarker when cancelled.
    std::int64_t ScanFolder(const CString& path, HTREEITEM hParent, CFolderReader& listings);

    // Refills the contents list for the folder selected in the tree.
    void FillList();
    // The path of a folder of the tree: the drive text, then the names on the
    // way down from the root ("C:" for the root itself).
    CString FolderPath(HTREEITEM hItem) const;
    // Adds a row per file of the folder (read from the disk now), then sorts
    // the rows largest first and selects the first.
    void AddFolderFiles(const CString& path);

    // Rescans the drive (F5); closes the window when the rescan fails.
    void OnRefresh();
    // Switches the percent basis between the shown folder and the whole drive.
    void OnDiskVsDirectory();
    void OnUpdateDiskVsDirectory(CCmdUI* pCmdUI);
    // Shows the drive's live geometry, space, serial number and file system
    // with the used/free pie; shown even when the drive no longer answers.
    void OnDriveProperties();

    // Deletes a folder (full path, no trailing separator) with everything in
    // it, deepest folders first. A junction or symbolic link, the folder
    // itself or one inside it, is removed itself, never followed. Returns TRUE only when the folder is gone;
    // pBytesRemoved receives the bytes of the files actually deleted.
    // pFailure receives the first entry that could not be removed.
    BOOL DeleteFolderTree(const CString& path, std::int64_t* pBytesRemoved = nullptr,
                          DeleteFailure* pFailure = nullptr);
    // Takes bytes removed from the disk off a folder's record and the records
    // of all its ancestors, and off the rows that show those folders.
    void SubtractFromFolders(HTREEITEM hFolder, std::int64_t bytes);
    // Takes a folder out of the tree with everything below it: the list's rows
    // that stand for any of them go first, then their records, then the items.
    // A selection that moves to another folder refills the list as usual.
    void RemoveFolderItem(HTREEITEM hItem);

    // The ten largest directories: enters or leaves the listing.
    void OnTopTen();
    void OnUpdateTopTen(CCmdUI* pCmdUI);
    // Offers every leaf folder below hParent to the slots of the listing
    // (m_pTopTen); folders with subfolders are walked through, never listed.
    void CollectLargestFolders(HTREEITEM hParent);

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
    // How folders that are links are marked in the tree and the list.
    ShellLinkMark m_linkMark;
    // Folders the last scan could not search (access denied): they count 0
    // and are marked as unreadable in both views.
    int m_nUnreadableFolders = 0;
    // How the last search went: the status bar's text after it.
    ScanSummary m_summary;

private:
    struct ScanFrame;
    // Whether the drive's root answers a free-space query.
    BOOL DriveAnswers() const;
    // The drive error box: TRUE when the user chose Retry.
    BOOL AskRetryDrive();
    // Asks until the drive answers; FALSE when the user gives up.
    BOOL CheckDriveAnswers();
    // One walk of the whole drive under its own progress dialog, into an
    // empty tree; kCancelMarker when cancelled or when the drive went away
    // (m_bDriveLost).
    std::int64_t ScanDriveOnce();
    // Notes a folder whose search could not be started: when the drive no
    // longer answers the walk stops (FALSE, m_bDriveLost); otherwise the
    // folder's record is marked and counted (TRUE).
    BOOL FolderUnreadable(HTREEITEM hItem);
    // Puts the outcome of the last scan on the status bar.
    void ShowScanSummary() const;
    // The listings the scan walks: the volume's master file table when the
    // drive is NTFS and the volume opens, else the folders themselves. Null
    // when cancelled or when the drive went away (m_bDriveLost).
    std::unique_ptr<CFolderReader> ChooseListings(CScanProgressDlg& progress);
    bool m_bDriveLost = false;
    bool m_bCloseRequested = false;
    // Completes a subfolder's record and advances the progress; FALSE when cancelled.
    BOOL FinishSubfolder(ScanFrame& parent, const CString& childPath, std::int64_t childTotal);
};
