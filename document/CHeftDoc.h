#pragma once
#include "framework/CDocument.h"
#include "framework/CListView.h"
#include "framework/CTreeView.h"
#include "model/FileTypes.h"
#include "model/FolderChanges.h"
#include "model/LargestFiles.h"
#include "model/ScanSummary.h"
#include "views/ShellAnswers.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

class CDirEntry;
class CFolderReader;
class CHeftList;
class CScanProgressDlg;

// What the contents list shows: the contents of the folder selected in the
// tree, or one of the listings.
enum class ListState { Contents, TopTen, LargestFiles, FileTypes, Changes };

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
    // Upper bound of the progress range: 1 + the folders of the root.
    int CountRootFolders();
    // 1 + the subfolders of a folder ("C:" for the root).
    static int CountSubfolders(const CString& path);
    // Total bytes below a folder ("C:" for the root), inserting its subfolders
    // under hParent, its listings taken from `listings`; kCancelMarker when cancelled.
    // The files it meets go to `found` (files below its bound are not read).
    std::int64_t ScanFolder(const CString& path, HTREEITEM hParent, CFolderReader& listings,
                            LargestFileSet<FoundFile>& found);

    // Refills the contents list for the folder selected in the tree: its file
    // types while they are shown, else its contents (leaving a listing of
    // the whole drive).
    void FillList();
    // The path of a folder of the tree: the drive text, then the names on the
    // way down from the root ("C:" for the root itself).
    CString FolderPath(HTREEITEM hItem) const;
    // The other way round: the tree's item of a folder's full path ("C:\a\b",
    // in any case, a trailing "\" or none), or null when the tree has none.
    HTREEITEM FolderItem(const CString& path) const;
    // Adds a row per file of the folder (read from the disk now), then sorts
    // the rows largest first and selects the first.
    void AddFolderFiles(const CString& path);

    // Rescans the drive (F5); closes the window when the rescan fails.
    void OnRefresh();
    // Searches one folder of the tree again, in place (Shift+F5 for the
    // folder selected in the tree), by the same rules as the drive's search:
    // its items and records below it are replaced, its total set, and every
    // ancestor and the drive total move by the difference. The list is filled
    // again when it shows that folder or one inside it; the selection stays
    // where its folder still exists. FALSE when cancelled or the drive went
    // away: the folder then shows what it showed before.
    BOOL RefreshFolder(HTREEITEM hFolder);
    void OnRefreshFolder();
    void OnUpdateRefreshFolder(CCmdUI* pCmdUI);
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
    // A drive root, or a path with an empty, "." or ".." component, is
    // refused whoever asks. Every folder is listed through its own handle and
    // its entries removed relative to it, so that a link put in place of a
    // listed folder is never followed.
    // `progress` is told of every entry before it goes, with the number gone
    // so far; FALSE from it stops the deletion there (the failure then says
    // ERROR_CANCELLED) and leaves the rest in place.
    using DeleteProgress = std::function<bool(std::int64_t entriesRemoved, const CString& entryPath)>;
    BOOL DeleteFolderTree(const CString& path, std::int64_t* pBytesRemoved = nullptr,
                          DeleteFailure* pFailure = nullptr, const DeleteProgress& progress = nullptr);
    // Deletes a folder of the tree as the user asked: with a progress window
    // and Stop once it has run for about a second, the drive busy meanwhile
    // (closing the window stops it first). Then the tree shows the disk as it
    // is: a folder that went comes out with what the tree counted for it, one
    // that stayed (partly deleted, stopped, failed) is searched again. FALSE
    // when the folder stayed; pFailure then says why (ERROR_CANCELLED: Stop).
    BOOL DeleteFolderItem(HTREEITEM hFolder, DeleteFailure* pFailure);
    static constexpr ULONGLONG kDeleteProgressDelayMs = 1000;
    // For tests: called by DeleteFolderTree after each folder is listed and
    // before its entries are removed, with the folder's path; null for none.
    using DeleteListedHook = void (*)(const CString& folderPath);
    static void SetDeleteListedHook(DeleteListedHook hook);
    // Moves the total of a folder and of all its ancestors by delta, and with
    // them the drive total, the shown folder's total and the rows that show
    // those folders.
    void MoveFolderTotals(HTREEITEM hFolder, std::int64_t delta);
    // After a file of the folder was deleted: the folder's own bytes are read
    // again as the folder holds them now, and its total and its ancestors'
    // follow. When the listing breaks off, the file's bytes come off instead.
    // Its file types and its files among the largest follow alike.
    void RecountFolderFiles(HTREEITEM hFolder, const CString& deletedName, std::int64_t deletedBytes);
    // Takes a folder out of the tree with everything below it, and what the
    // tree counted for it off its ancestors and the drive: the list's rows
    // that stand for any of them go first, then their records, then the items.
    // A selection that moves to another folder refills the list as usual.
    void RemoveFolderItem(HTREEITEM hItem);
    // The tree item of a folder path ("C:\a\b"), or null.
    HTREEITEM FindFolderItem(const CString& path) const;
    // Whether `folder` is `top` or lies inside it.
    static bool IsSameOrInside(const CString& folder, const CString& top);

    // ---- the listings (reports/): one state of the list at a time
    // The state is set here alone, and m_bTopTen with it.
    void SetListState(ListState state);
    // A listing of the whole drive stays while the tree's selection moves;
    // the tree follows its rows instead.
    bool ShowsDriveListing() const;
    // Enters a listing; choosing the one shown returns to the contents.
    void ToggleListing(ListState state);
    // Fills the list with the listing of the state now.
    void FillListing(CHeftList& view);
    // The ten largest directories: enters or leaves the listing.
    void OnTopTen();
    void OnUpdateTopTen(CCmdUI* pCmdUI);
    // Offers every leaf folder below hParent to the slots of the listing
    // (m_pTopTen); folders with subfolders are walked through, never listed.
    void CollectLargestFolders(HTREEITEM hParent);
    void FillTopTen(CHeftList& view);
    // The largest files of the drive, and the file types of the selected folder.
    void OnLargestFiles();
    void OnUpdateLargestFiles(CCmdUI* pCmdUI);
    void FillLargestFiles(CHeftList& view);
    void OnFileTypes();
    void OnUpdateFileTypes(CCmdUI* pCmdUI);
    void FillFileTypes(CHeftList& view);
    // What changed since an earlier folders report: the command asks for
    // the report; CompareWithReport reads it (FALSE, with the message to
    // show, when it is no report of this drive: nothing changes then) and
    // shows the listing, which is worked out from the model whenever it is
    // filled.
    void OnChangesSince();
    void OnUpdateChangesSince(CCmdUI* pCmdUI);
    BOOL CompareWithReport(const CString& path, CString* pProblem);
    std::vector<FolderChange> ChangesNow() const;
    void FillChanges(CHeftList& view);
    // The file types of a folder of the tree and everything below it, by id.
    std::vector<FileTypeSum> SubtreeFileTypes(HTREEITEM hFolder) const;
    // Whether the search collects file types and largest files (for comparison in benchmarks).
    static void SetCollectFiles(bool collect);
    static bool CollectsFiles();

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
    ListState m_listState = ListState::Contents;
    // The drive's extensions, and its largest files as the search found them
    // and every delete and Refresh Folder since keeps them.
    ExtensionTable m_extensions;
    LargestFileSet<FoundFile> m_largestFiles;
    // The earlier report the Changes listing compares with.
    std::unique_ptr<EarlierReport> m_pEarlierReport;
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
    // When the last search of the whole drive began, in local time, as a
    // file time: the time a report of it carries.
    std::uint64_t m_nSearchTime = 0;
    // Set for a search with nobody at the screen (the command-line report):
    // it shows no progress window and asks nothing (a drive that does not
    // answer fails it), and it stops, as cancelled, once the flag goes up.
    const std::atomic<bool>* m_pUnattendedStop = nullptr;
    // A folder as the walk met it: its record, and how deep it lies below
    // the folder the search started at.
    struct WalkedFolder {
        CDirEntry* record;
        std::uint32_t depth;
    };
    // The folders of the last search of the drive, for its reports and its
    // comparisons: the root first, each folder before the folders in it, and
    // those in the order of its listing, which is the tree's order except
    // among the drive root's subfolders (the tree sorts them once the search
    // is done). Reading the same from the tree would ask it item by item,
    // which under Wine takes time that grows with the square of the items:
    // its tree looks every item it is handed up among all of them. A delete
    // or Refresh Folder makes it stale: the tree is read then.
    std::deque<WalkedFolder> m_walkOrder;
    bool m_bWalkOrderStale = true;

private:
    struct ScanFrame;
    // Whether the drive's root answers a free-space query.
    BOOL DriveAnswers() const;
    // The drive error box: TRUE when the user chose Retry.
    BOOL AskRetryDrive();
    // Closes the window that shows this document (later, by a posted message).
    void CloseOwnWindow();
    // Asks until the drive answers; FALSE when the user gives up.
    BOOL CheckDriveAnswers();
    // One walk of the whole drive under its own progress dialog, into an
    // empty tree; kCancelMarker when cancelled or when the drive went away
    // (m_bDriveLost).
    std::int64_t ScanDriveOnce();
    // Notes a folder whose search could not be started or broke off: when the
    // drive no longer answers the walk stops (FALSE, m_bDriveLost); otherwise
    // the folder's record is marked and counted (TRUE).
    BOOL FolderUnreadable(HTREEITEM hItem);
    // Frees the records of an item and everything below it, after the list's
    // rows that stand for them, and deletes the items; the list is not filled.
    void DeleteSubtree(HTREEITEM hItem);
    // Unreadable folders at and below an item.
    int CountUnreadable(HTREEITEM hItem) const;
    // The folder a search walks (the drive, or the folder searched again):
    // its own subfolders advance the progress.
    CString m_strSearchTop;
    // Puts the outcome of the last scan on the status bar.
    void ShowScanSummary() const;
    // The listings the scan walks: the volume's master file table when the
    // drive is NTFS and the volume opens, else the folders themselves. Null
    // when cancelled or when the drive went away (m_bDriveLost).
    std::unique_ptr<CFolderReader> ChooseListings(CScanProgressDlg* progress);
    // Whether the search is to stop: the window closed, or the unattended
    // search's flag went up. (Cancel in the progress window is asked apart.)
    bool StopAsked() const;
    bool m_bDriveLost = false;
    bool m_bCloseRequested = false;
    // Completes a subfolder's record and advances the progress; FALSE when cancelled.
    BOOL FinishSubfolder(ScanFrame& parent, std::int64_t childTotal);
    // After a delete or a folder searched again: a listing added up from the
    // model (the file types) is worked out anew, and so is the largest files
    // listing when a search replaced files of it (a delete takes its rows out).
    void ListingFollowsModel(bool filesSearchedAgain = false);
};
