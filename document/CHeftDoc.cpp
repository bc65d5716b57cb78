#include "document/CHeftDoc.h"

#include "app/CHeftApp.h"
#include "app/CMainFrame.h"
#include "app/DriveList.h"
#include "document/CFolderReader.h"
#include "document/CScanProgressDlg.h"
#include "framework/CFileFind.h"
#include "framework/CRawVolume.h"
#include "model/CDirEntry.h"
#include "reports/CDrivePropertiesDlg.h"
#include "framework/CCmdUI.h"
#include "resources/resource.h"
#include "views/CHeftList.h"
#include "views/CHeftTree.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

const MessageMap* CHeftDoc::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::Command<&CHeftDoc::OnRefresh>(ID_REFRESH),
        on::Command<&CHeftDoc::OnRefreshFolder>(ID_REFRESH_FOLDER),
        on::UpdateCommand<&CHeftDoc::OnUpdateRefreshFolder>(ID_REFRESH_FOLDER),
        on::Command<&CHeftDoc::OnDiskVsDirectory>(ID_DISK_VS_DIRECTORY),
        on::UpdateCommand<&CHeftDoc::OnUpdateDiskVsDirectory>(ID_DISK_VS_DIRECTORY),
        on::Command<&CHeftDoc::OnTopTen>(ID_TOP_TEN),
        on::UpdateCommand<&CHeftDoc::OnUpdateTopTen>(ID_TOP_TEN),
        on::Command<&CHeftDoc::OnLargestFiles>(ID_LARGEST_FILES),
        on::UpdateCommand<&CHeftDoc::OnUpdateLargestFiles>(ID_LARGEST_FILES),
        on::Command<&CHeftDoc::OnFileTypes>(ID_FILE_TYPES),
        on::UpdateCommand<&CHeftDoc::OnUpdateFileTypes>(ID_FILE_TYPES),
        on::Command<&CHeftDoc::OnChangesSince>(ID_CHANGES_SINCE),
        on::UpdateCommand<&CHeftDoc::OnUpdateChangesSince>(ID_CHANGES_SINCE),
        on::Command<&CHeftDoc::OnDriveProperties>(ID_DRIVE_PROPERTIES),
    };
    static const MessageMap map = MessageMap::Of(&CDocument::GetThisMessageMap, entries);
    return &map;
}

BOOL CHeftDoc::OnNewDocument()
{
    // A drive document is always opened for a drive, never made empty.
    CDocument::OnNewDocument();
    return FALSE;
}

// The icon index the shell shows for a path in the small system image list.
static int SmallIconIndex(const char* path, UINT extraFlags)
{
    SHFILEINFOW sfi{};
    SHGetFileInfoW(Utf8ToWide(path).c_str(), 0, &sfi, sizeof(sfi), SHGFI_SYSICONINDEX | SHGFI_SMALLICON | extraFlags);
    return sfi.iIcon;
}

BOOL CHeftDoc::OnOpenDocument(const char* pathName)
{
    if (!CDocument::OnNewDocument()) return FALSE;
    m_bBusy = TRUE;
    m_hRootItem = nullptr;
    m_bRelativeToFolder = TRUE;
    m_strDrive = CString(pathName).Left(2);

    // The system folder serves as a sample folder for the folder icons.
    const CString systemDir = GetSystemDirectoryUtf8();
    m_nFolderImage = SmallIconIndex(systemDir, 0);
    m_nOpenFolderImage = SmallIconIndex(systemDir, SHGFI_OPENICON);
    m_linkMark = AskShellLinkMark(systemDir);

    m_bCloseRequested = false;
    const auto* app = dynamic_cast<const CHeftApp*>(AfxGetApp());
    m_pUnattendedStop = app ? app->UnattendedStop() : nullptr;
    BOOL scanned = ScanDrive();
    m_bBusy = FALSE;
    return scanned;
}

bool CHeftDoc::StopAsked() const
{
    return m_bCloseRequested || (m_pUnattendedStop && m_pUnattendedStop->load());
}

BOOL CHeftDoc::DriveAnswers() const
{
    const CriticalErrorBoxesOff noBoxes;
    DWORD sectors = 0, bytes = 0, freeClusters = 0, clusters = 0;
    return GetDiskFreeSpaceUtf8(m_strDrive + "\\", &sectors, &bytes, &freeClusters, &clusters);
}

void CHeftDoc::OnCloseDocument()
{
    // The scan runs further down this very stack: the document and its
    // windows must outlive it. It ends as cancelled, and the failed open or
    // Refresh closes the window.
    if (m_bBusy) {
        m_bCloseRequested = true;
        return;
    }
    CDocument::OnCloseDocument();
}

BOOL CHeftDoc::AskRetryDrive()
{
    // Nobody is there to answer: the drive is given up at once.
    if (m_pUnattendedStop) return FALSE;
    CWnd* main = AfxGetMainWnd();
    CString text = CString("Error reading drive ") + m_strDrive;
    const int answer = MessageBoxUtf8(main ? main->m_hWnd : nullptr, text, "Error", MB_RETRYCANCEL | MB_ICONSTOP);
    // The window may have been closed while the box was up.
    return answer == IDRETRY && !m_bCloseRequested;
}

BOOL CHeftDoc::CheckDriveAnswers()
{
    while (!DriveAnswers()) {
        if (!AskRetryDrive()) return FALSE;
    }
    return TRUE;
}

void CHeftDoc::EmptyViews()
{
    if (auto* list = dynamic_cast<CHeftList*>(GetView(1)); list && list->m_hWnd) list->ReleaseRowRecords();
    if (auto* treeView = dynamic_cast<CHeftTree*>(GetFirstView()); treeView && treeView->m_hWnd) {
        const BOOL wasBusy = m_bBusy;
        m_bBusy = TRUE; // the tree's own selection changes must not refill the list
        treeView->ReleaseItemRecords();
        treeView->GetTreeCtrl().DeleteItem(TVI_ROOT);
        m_bBusy = wasBusy;
    }
    // The old root is gone: nothing may use its handle any more.
    m_hRootItem = nullptr;
    m_walkOrder = std::deque<WalkedFolder>();
    m_bWalkOrderStale = true;
}

BOOL CHeftDoc::ScanDrive()
{
    CWaitCursor wait;
    // A medium taken out during the search fails its calls; the search asks
    // the user itself (Retry or Cancel).
    const CriticalErrorBoxesOff noBoxes;
    SetListState(ListState::Contents);
    auto* tree = dynamic_cast<CHeftTree*>(GetFirstView());
    if (!tree) return FALSE;
    m_pTreeCtrl = &tree->GetTreeCtrl();

    for (;;) {
        if (StopAsked() || !CheckDriveAnswers()) return FALSE;
        m_nFolderTotal = ScanDriveOnce();
        if (!m_bDriveLost) break;
        // The drive went away during the walk (a medium taken out, a network
        // lost): what was read of it would show a wrong total, so none of it
        // stays, and the user decides as when the drive did not answer at all.
        EmptyViews();
        if (!AskRetryDrive()) return FALSE;
    }
    if (m_nFolderTotal == kCancelMarker) return FALSE;
    ShowScanSummary();
    return TRUE;
}

std::int64_t CHeftDoc::ScanDriveOnce()
{
    const auto started = std::chrono::steady_clock::now();
    SYSTEMTIME now{};
    GetLocalTime(&now);
    FILETIME local{};
    m_nSearchTime = SystemTimeToFileTime(&now, &local)
                        ? (static_cast<std::uint64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime
                        : 0;
    m_bDriveLost = false;
    m_nUnreadableFolders = 0;
    m_summary = ScanSummary();
    m_walkOrder = std::deque<WalkedFolder>();
    m_bWalkOrderStale = false;
    CString root = m_strDrive + "\\";
    m_strVolumeName.Empty();
    m_strFileSystem.Empty();
    m_dwSerialNumber = m_dwMaxComponentLength = m_dwFileSystemFlags = 0;
    GetVolumeInformationUtf8(root, &m_strVolumeName, &m_dwSerialNumber, &m_dwMaxComponentLength,
                             &m_dwFileSystemFlags, &m_strFileSystem);

    // An unattended search has no window to show its progress in.
    std::unique_ptr<CScanProgressDlg> progress;
    if (!m_pUnattendedStop) {
        progress = std::make_unique<CScanProgressDlg>(0);
        progress->Create(AfxGetMainWnd());
    }
    m_pProgressDlg = progress.get();
    std::unique_ptr<CFolderReader> listings = ChooseListings(progress.get());
    if (!listings) {
        progress.reset();
        m_pProgressDlg = nullptr;
        return kCancelMarker;
    }
    if (progress) {
        progress->SetRange(1, CountRootFolders());
        progress->SetStep(1);
    }

    // The drive's shell name and icon, by its position in the drive list; a
    // drive the list does not know is named by its own text.
    CString displayName = m_strDrive;
    int driveIcon = -1;
    if (auto* frame = dynamic_cast<CMainFrame*>(AfxGetMainWnd())) {
        for (size_t i = 0; i < frame->m_arrRootPaths.size(); ++i) {
            CString letter = frame->m_arrRootPaths[i].Left(2);
            letter.MakeUpper();
            if (letter != m_strDrive) continue;
            if (i < g_arrShellDriveNames.size()) {
                displayName = g_arrShellDriveNames[i];
                driveIcon = g_nShellDriveIcon[i];
            }
            break;
        }
    }
    if (driveIcon < 0) driveIcon = SmallIconIndex(root, 0);

    // The root's record belongs to its item once the item holds it. Without
    // a root item there is no tree to show the drive in: the scan fails.
    auto rootRecord = std::make_unique<CDirEntry>();
    m_hRootItem = m_pTreeCtrl->InsertItem(displayName, driveIcon, driveIcon, TVIS_EXPANDED,
                                          reinterpret_cast<LPARAM>(rootRecord.get()), TVI_ROOT, TVI_FIRST);
    if (!m_hRootItem) {
        progress.reset();
        m_pProgressDlg = nullptr;
        return kCancelMarker;
    }
    rootRecord->SetTreeItem(m_hRootItem);
    CDirEntry& rootEntry = *rootRecord.release();

    // A new search finds the drive's files afresh.
    m_extensions = ExtensionTable();
    m_largestFiles = LargestFileSet<FoundFile>();
    m_largestFiles.RaiseBound(listings->IndexLargeFileBound());
    const std::int64_t total = ScanFolder(m_strDrive, m_hRootItem, *listings, m_largestFiles);
    listings.reset();

    m_strVolumeName = displayName;
    rootEntry.SetSize(total);
    rootEntry.SetName(m_strVolumeName);
    rootEntry.SetType(m_strVolumeName);
    m_nDriveTotal = total;
    m_pTreeCtrl->SortChildren(m_hRootItem);

    progress.reset();
    m_pProgressDlg = nullptr;
    m_summary.unreadableFolders = m_nUnreadableFolders;
    m_summary.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return total;
}

std::unique_ptr<CFolderReader> CHeftDoc::ChooseListings(CScanProgressDlg* progress)
{
    // Worker threads read the folders' listings ahead of the walk; the walk
    // itself, and everything that touches a window or a record, stays on this thread.
    auto walk = [] { return std::make_unique<CFolderReader>(CFolderReader::ScanWorkers()); };
    if (m_strFileSystem != "NTFS") return walk();
    CRawVolume volume;
    switch (volume.Open(m_strDrive)) {
    case CRawVolume::OpenResult::Opened: break;
    case CRawVolume::OpenResult::AccessDenied: m_summary.administratorWouldHelp = true; return walk();
    case CRawVolume::OpenResult::Failed: return walk();
    }

    // Once the table is being read, the bar advances through it in
    // thousandths; a volume that fails at once leaves the dialog as it was.
    constexpr int kSteps = 1000;
    bool reading = false;
    ntfs::MftIndex index;
    const ntfs::Outcome outcome = ntfs::BuildIndex(
        volume,
        [this, progress, &reading](std::uint64_t done, std::uint64_t total) {
            if (!progress) return !StopAsked();
            if (!reading) {
                reading = true;
                progress->SetRange(0, kSteps);
                CString status = m_strDrive + "\\$MFT";
                status.MakeUpper();
                progress->SetStatusText(status);
            }
            progress->SetPos(total ? static_cast<int>(std::min(done, total) * kSteps / total) : 0);
            // Calls come thousands of records apart: each may look at the queue.
            progress->PumpMessages();
            return !progress->CheckCancel() && !StopAsked();
        },
        index, CollectsFiles());
    volume.Close();
    // The walk of the folders that follows starts the bar afresh.
    if (reading) progress->SetPos(0);
    switch (outcome) {
    case ntfs::Outcome::Done:
        m_summary.method = ScanSummary::Method::MasterFileTable;
        m_summary.skippedRecords = index.skippedRecords;
        return std::make_unique<CFolderReader>(std::move(index));
    case ntfs::Outcome::Cancelled: return nullptr;
    case ntfs::Outcome::ReadFailed:
        // A volume that no longer answers is a drive gone away, as for the walk.
        if (!DriveAnswers()) {
            m_bDriveLost = true;
            return nullptr;
        }
        return walk();
    case ntfs::Outcome::Unusable: break;
    }
    return walk();
}

BOOL CHeftDoc::FolderUnreadable(HTREEITEM hItem)
{
    // A folder that cannot be opened may be the first sign that the drive
    // itself has gone.
    if (!DriveAnswers()) {
        m_bDriveLost = true;
        return FALSE;
    }
    ++m_nUnreadableFolders;
    if (auto* record = hItem ? reinterpret_cast<CDirEntry*>(m_pTreeCtrl->GetItemData(hItem)) : nullptr)
        record->SetUnreadable();
    return TRUE;
}

void CHeftDoc::ShowScanSummary() const
{
    if (auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd())) frame->SetMessageText(ScanSummaryText(m_summary));
}

int CHeftDoc::CountRootFolders()
{
    return CountSubfolders(m_strDrive);
}

int CHeftDoc::CountSubfolders(const CString& path)
{
    int count = 1;
    CFileFind find;
    if (!find.FindFile(path + "\\*.*")) return count;
    do {
        if (find.IsDirectory() && !find.IsDots()) ++count;
    } while (find.FindNextFile());
    return count;
}

// One folder being walked: its listing, the tree items of its subfolders,
// the next of them to look at, and what it has added up so far.
struct CHeftDoc::ScanFrame {
    CString path;
    HTREEITEM item;       // the folder's tree item: its subfolders go below it
    std::shared_ptr<CFolderReader::Folder> listing;
    // One per subfolder of the listing, in its order: the item (none if the
    // tree refused it) and the record the item holds.
    struct Child {
        HTREEITEM item = nullptr;
        CDirEntry* record = nullptr;
    };
    std::vector<Child> children;
    size_t next = 0;
    std::int64_t total = 0;
};

namespace {
// What became of a folder the walk tried to enter.
enum class FolderWalk { Entered, Skipped, Stopped };

std::atomic<bool> g_bCollectFiles{true};

// What a listing found of its own files, whichever search made it: the
// folder's types go into its record, its large files into `found`, and the
// reader reads no file below `found`'s bound from then on.
void TakeListedFiles(CFolderReader::Folder& listing, CDirEntry* record, ExtensionTable& extensions,
                     LargestFileSet<FoundFile>& found, CFolderReader& reader)
{
    if (!g_bCollectFiles.load()) return;
    if (record) record->SetFileTypes(extensions.SumsOf(listing.fileTypes));
    listing.fileTypes = FileTypeTally();
    for (FoundFile& file : listing.largeFiles) {
        file.folder = listing.path;
        found.Offer(std::move(file));
    }
    listing.largeFiles = std::vector<FoundFile>();
    reader.SetLargeFileBound(found.Bound());
}
} // namespace

void CHeftDoc::SetCollectFiles(bool collect)
{
    g_bCollectFiles.store(collect);
}

bool CHeftDoc::CollectsFiles()
{
    return g_bCollectFiles.load();
}

std::int64_t CHeftDoc::ScanFolder(const CString& path, HTREEITEM hParent, CFolderReader& reader,
                                  LargestFileSet<FoundFile>& found)
{
    m_strSearchTop = path;
    // The tree lays its items out once, at the end, however many go in below
    // an expanded folder (the drive's root).
    const CRedrawOff quiet(m_pTreeCtrl->m_hWnd);
    // While a listing is read or waited for, the progress window stays drawn
    // and Cancel (or a closed window) stops the walk between two entries.
    const CFolderReader::KeepGoing keepGoing = [this] {
        return !StopAsked() && !(m_pProgressDlg && m_pProgressDlg->CheckCancel());
    };
    // The recursion of the folder walk runs on a stack of its own, so that no
    // nesting depth can exhaust the thread's stack.
    std::vector<std::unique_ptr<ScanFrame>> stack;
    // Starts the walk of a folder. One that cannot be searched counts 0,
    // unless the drive itself has gone: then the whole walk stops, as it
    // does when the user stops it.
    auto open = [this, &stack, &reader, &keepGoing, &found](const std::shared_ptr<CFolderReader::Folder>& folder,
                                                           HTREEITEM item, CDirEntry* record) {
        CFolderReader::Folder* listing = folder ? reader.Take(folder, keepGoing) : nullptr;
        if (!listing) return FolderWalk::Stopped;
        if (!listing->readable) {
            reader.Release(*listing);
            return FolderUnreadable(item) ? FolderWalk::Skipped : FolderWalk::Stopped;
        }
        // A listing that broke off is marked like an unreadable folder, and
        // what it gave is walked.
        if (!listing->complete && !FolderUnreadable(item)) {
            reader.Release(*listing);
            return FolderWalk::Stopped;
        }
        TakeListedFiles(*listing, record, m_extensions, found, reader);
        auto frame = std::make_unique<ScanFrame>();
        frame->path = listing->path;
        frame->item = item;
        frame->listing = folder;
        frame->total = listing->ownBytes;
        // The subfolders' items go in as the folder is entered, before any of
        // them is walked: each parent still comes before its children, and
        // a parent item is one the tree made early, which a tree control
        // that looks its items up in creation order finds at once.
        frame->children.resize(listing->subfolders.size());
        for (size_t i = 0; i < listing->subfolders.size(); ++i) {
            const CFolderReader::Subfolder& subfolder = listing->subfolders[i];
            auto record = std::make_unique<CDirEntry>();
            // A junction or symbolic link carries the shell's link mark, so
            // that its 0 bytes make sense.
            const bool link = !subfolder.folder;
            if (link) record->SetLink();
            ScanFrame::Child& child = frame->children[i];
            child.item = m_pTreeCtrl->InsertItem(subfolder.name, m_nFolderImage, m_nOpenFolderImage,
                                                 link ? m_linkMark.overlay : 0,
                                                 reinterpret_cast<LPARAM>(record.get()), item, TVI_LAST);
            // The item holds the record from now on.
            if (child.item) {
                record->SetTreeItem(child.item);
                child.record = record.release();
            }
        }
        stack.push_back(std::move(frame));
        return FolderWalk::Entered;
    };

    auto* topRecord = reinterpret_cast<CDirEntry*>(m_pTreeCtrl->GetItemData(hParent));
    // Only the search of the whole drive keeps its order (see m_walkOrder).
    const bool keepOrder = !m_bWalkOrderStale && m_walkOrder.empty() && topRecord;
    if (keepOrder) m_walkOrder.push_back(WalkedFolder{topRecord, 0});
    switch (open(reader.ReadRoot(path, keepGoing), hParent, topRecord)) {
    case FolderWalk::Entered: break;
    case FolderWalk::Skipped: return 0;
    case FolderWalk::Stopped: return kCancelMarker;
    }
    for (;;) {
        ScanFrame& frame = *stack.back();
        if (frame.next == frame.listing->subfolders.size()) {
            // The folder on top is done: hand its total to the folder below.
            const std::int64_t finished = frame.total;
            reader.Release(*frame.listing);
            stack.pop_back();
            if (stack.empty()) return finished;
            ScanFrame& parent = *stack.back();
            if (!FinishSubfolder(parent, finished)) return kCancelMarker;
            continue;
        }

        const size_t index = frame.next++;
        const CFolderReader::Subfolder& subfolder = frame.listing->subfolders[index];
        const ScanFrame::Child& child = frame.children[index];
        if (keepOrder && child.record)
            m_walkOrder.push_back(WalkedFolder{child.record, static_cast<std::uint32_t>(stack.size())});
        // A junction or symbolic link has no listing: it is never entered.
        if (subfolder.folder && child.item) {
            const FolderWalk walk = open(subfolder.folder, child.item, child.record);
            if (walk == FolderWalk::Entered) continue;
            if (walk == FolderWalk::Stopped) return kCancelMarker;
        } else if (subfolder.folder) {
            reader.Abandon(subfolder.folder);
        }
        if (!FinishSubfolder(frame, 0)) return kCancelMarker;
    }
}

// Completes the subfolder of the parent that was walked last.
BOOL CHeftDoc::FinishSubfolder(ScanFrame& parent, std::int64_t childTotal)
{
    parent.total += childTotal;
    const size_t index = parent.next - 1;
    const CFolderReader::Subfolder& subfolder = parent.listing->subfolders[index];
    if (CDirEntry* record = parent.children[index].record) {
        record->SetSize(childTotal);
        record->SetName(subfolder.name);
        record->SetType("File Folder");
        record->SetWriteTime(subfolder.writeTime);
    }
    if (m_pProgressDlg) {
        CString status = parent.path + "\\" + subfolder.name;
        status.MakeUpper();
        m_pProgressDlg->SetStatusText(status);
        if (parent.path == m_strSearchTop) m_pProgressDlg->StepIt();
        if (m_pProgressDlg->CheckCancel()) return FALSE;
    }
    return !StopAsked();
}

void CHeftDoc::OnRefresh()
{
    auto* treeView = dynamic_cast<CHeftTree*>(GetFirstView());
    if (!treeView) return;
    m_bBusy = TRUE;
    m_bCloseRequested = false;
    // Both views are emptied together: while a drive error is shown no view
    // may show what the drive held before.
    EmptyViews();
    if (ScanDrive()) {
        m_bBusy = FALSE;
        CTreeCtrl& tree = treeView->GetTreeCtrl();
        // The tree may have selected its new root by itself while the scan
        // inserted it; selecting it again would change nothing and the list
        // would keep the old rows.
        HTREEITEM root = tree.GetRootItem();
        if (tree.GetSelectedItem() == root) FillList();
        else tree.SelectItem(root);
    } else {
        CloseOwnWindow();
        m_bBusy = FALSE;
    }
    if (auto* frame = dynamic_cast<CMainFrame*>(AfxGetMainWnd())) frame->RebuildDriveBar();
}

void CHeftDoc::CloseOwnWindow()
{
    // This document's own window, whichever drive window is active.
    if (auto* view = dynamic_cast<CView*>(GetFirstView())) {
        if (CFrameWnd* frame = view->GetParentFrame()) frame->PostMessage(WM_CLOSE);
    }
}

void CHeftDoc::OnDiskVsDirectory()
{
    m_bRelativeToFolder = m_bRelativeToFolder ? FALSE : TRUE;
    UpdateAllViews(nullptr, 0, nullptr);
}

void CHeftDoc::OnUpdateDiskVsDirectory(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_bRelativeToFolder != 1);
}

void CHeftDoc::OnDriveProperties()
{
    CDrivePropertiesDlg dlg;
    const CString root = m_strDrive + "\\";

    // A drive without its medium answers both queries with a failure, not
    // with the system's "insert a disk" box.
    drivefigures::DriveSpace space;
    const CriticalErrorBoxesOff noBoxes;
    DWORD sectors = 0, bytes = 0, freeClusters = 0, clusters = 0;
    space.haveClusters = GetDiskFreeSpaceUtf8(root, &sectors, &bytes, &freeClusters, &clusters);
    if (space.haveClusters) {
        space.sectorsPerCluster = sectors;
        space.bytesPerSector = bytes;
        space.freeClusters = freeClusters;
        space.totalClusters = clusters;
    }
    space.haveBytes = GetDiskFreeSpaceExUtf8(root, nullptr, &space.totalBytes, &space.totalFreeBytes);

    dlg.SetFigures(space, m_dwFileSystemFlags, m_strFileSystem, m_dwSerialNumber);
    dlg.DoModal();
}

namespace {

CHeftDoc::DeleteListedHook g_deleteListedHook = nullptr;

} // namespace

void CHeftDoc::SetDeleteListedHook(DeleteListedHook hook)
{
    g_deleteListedHook = hook;
}

BOOL CHeftDoc::DeleteFolderTree(const CString& path, std::int64_t* pBytesRemoved, DeleteFailure* pFailure,
                                const DeleteProgress& progress)
{
    std::int64_t removed = 0;
    std::int64_t entriesRemoved = 0;
    bool failed = false;
    // Only the first entry that stays is reported: the folders above it stay
    // because of it.
    auto fail = [&failed, pFailure](const CString& entry) {
        if (failed) return;
        failed = true;
        if (pFailure) {
            pFailure->error = GetLastError();
            pFailure->path = entry;
        }
    };
    if (pBytesRemoved) *pBytesRemoved = 0;
    // A deletion starts below a drive's root, from real names alone: "." or
    // ".." would climb out of the folder, an empty component is no folder.
    if (!IsNamedPathBelowRoot(path)) {
        SetLastError(ERROR_INVALID_NAME);
        fail(path);
        return FALSE;
    }

    // Folders being emptied, deepest last, each listed once through its own
    // handle; a folder goes when its handle closes, right after its entries.
    struct Level {
        CString path;
        CFolderHandle folder;
        std::vector<CFolderHandle::Entry> entries;
        size_t next = 0;
    };
    std::vector<std::unique_ptr<Level>> stack;
    auto enter = [&stack, &fail](const CString& folderPath, CFolderHandle&& folder) {
        auto level = std::make_unique<Level>();
        level->path = folderPath;
        level->folder = std::move(folder);
        if (!level->folder.List(level->entries)) {
            fail(folderPath);
            return; // what could be listed stays, and so does the folder
        }
        if (g_deleteListedHook) g_deleteListedHook(folderPath);
        stack.push_back(std::move(level));
    };

    // A folder that is itself a link goes as a link; what it points at stays.
    CFileFind self;
    if (self.FindFile(path) && self.IsDirectory() && self.IsNameSurrogateLink()) {
        self.Close();
        if (!RemoveLinkUtf8(path)) fail(path);
    } else {
        self.Close();
        CFolderHandle top;
        if (top.Open(path)) enter(path, std::move(top));
        else fail(path);
    }
    while (!stack.empty()) {
        Level& level = *stack.back();
        if (level.next == level.entries.size()) {
            if (level.folder.RemoveWhenClosed()) ++entriesRemoved;
            else fail(level.path);
            stack.pop_back();
            continue;
        }
        const CFolderHandle::Entry& entry = level.entries[level.next++];
        const CString entryPath = level.path + "\\" + WideToUtf8(entry.name);
        if (progress && !progress(entriesRemoved, entryPath)) {
            // Stopped: what went is gone, the rest stays where it is.
            SetLastError(ERROR_CANCELLED);
            fail(entryPath);
            break;
        }
        if (entry.IsFolder() && !entry.IsNameSurrogateLink()) {
            CFolderHandle child;
            if (child.OpenChild(level.folder, entry)) enter(entryPath, std::move(child));
            else fail(entryPath);
        } else if (level.folder.RemoveEntry(entry)) {
            ++entriesRemoved;
            // Only a file's bytes count; a link itself holds none of what it points at.
            if (!entry.IsFolder()) removed += entry.size;
        } else {
            fail(entryPath);
        }
    }
    if (pBytesRemoved) *pBytesRemoved = removed;
    // Gone only when the system says so: a query that fails for another reason
    // (a share that dropped) proves nothing.
    const bool gone = GetFileAttributesW(ToWidePath(path).c_str()) == INVALID_FILE_ATTRIBUTES &&
                      (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND);
    if (!gone && !failed) fail(path);
    return gone;
}

BOOL CHeftDoc::DeleteFolderItem(HTREEITEM hFolder, DeleteFailure* pFailure)
{
    if (!m_pTreeCtrl || !hFolder || hFolder == m_hRootItem || m_bBusy) return FALSE;
    CWaitCursor wait;
    const CString path = FolderPath(hFolder);
    m_bBusy = TRUE;
    m_bCloseRequested = false;
    std::unique_ptr<CScanProgressDlg> progress;
    const ULONGLONG start = GetTickCount64();
    ULONGLONG lastShown = 0;
    const DeleteProgress onEntry = [&](std::int64_t entriesRemoved, const CString& entryPath) {
        const ULONGLONG now = GetTickCount64();
        if (!progress && now - start >= kDeleteProgressDelayMs) {
            progress = std::make_unique<CScanProgressDlg>(IDS_DELETING);
            m_pProgressDlg = progress.get();
            progress->Create(AfxGetMainWnd());
            progress->ShowCountInsteadOfBar();
        }
        if (!progress) return !m_bCloseRequested;
        if (now - lastShown >= CScanProgressDlg::kPumpIntervalMs) {
            lastShown = now;
            CString count;
            count.Format("%lld entries removed", static_cast<long long>(entriesRemoved));
            progress->SetCountText(count);
            progress->SetStatusText(entryPath);
        }
        return !progress->CheckCancel() && !m_bCloseRequested;
    };
    const BOOL gone = DeleteFolderTree(path, nullptr, pFailure, onEntry);
    if (progress) progress->DestroyWindow();
    progress.reset();
    m_pProgressDlg = nullptr;
    m_bBusy = FALSE;
    if (m_bCloseRequested) {
        // The window closes; what the tree shows no longer matters.
        CloseOwnWindow();
        return gone;
    }
    if (gone) RemoveFolderItem(hFolder);
    else RefreshFolder(hFolder);
    return gone;
}

void CHeftDoc::MoveFolderTotals(HTREEITEM hFolder, std::int64_t delta)
{
    if (!m_pTreeCtrl || delta == 0) return;
    const HTREEITEM shown = m_pTreeCtrl->GetSelectedItem();
    bool shownMoved = false;
    for (HTREEITEM item = hFolder; item; item = m_pTreeCtrl->GetParentItem(item)) {
        if (auto* record = reinterpret_cast<CDirEntry*>(m_pTreeCtrl->GetItemData(item)))
            record->SetSize(record->GetSize() + delta);
        shownMoved = shownMoved || item == shown;
    }
    m_nDriveTotal += delta;
    // The rows' percentages are taken of the folder the list shows (the whole
    // drive for the listings of the whole drive).
    if (ShowsDriveListing()) m_nFolderTotal = m_nDriveTotal;
    else if (shownMoved) m_nFolderTotal += delta;
    if (auto* list = dynamic_cast<CHeftList*>(GetView(1))) list->UpdateFolderRowSizes(*m_pTreeCtrl);
}

void CHeftDoc::RecountFolderFiles(HTREEITEM hFolder, const CString& deletedName, std::int64_t deletedBytes)
{
    auto* record = m_pTreeCtrl && hFolder ? reinterpret_cast<CDirEntry*>(m_pTreeCtrl->GetItemData(hFolder)) : nullptr;
    if (!record) return;
    const CString path = FolderPath(hFolder);
    // The folder's own entries as it holds them now, read as the search
    // reads them; its subfolders keep their totals.
    CFolderReader reader(0);
    reader.SetLargeFileBound(m_largestFiles.Bound());
    const std::shared_ptr<CFolderReader::Folder> listing = reader.ReadRoot(path, [] { return true; });
    if (!listing || !listing->readable || !listing->complete) {
        // What the folder holds now is not known: the deleted file alone comes off.
        std::vector<FileTypeSum> types = record->GetFileTypes();
        const std::uint32_t extension = m_extensions.Intern(FileTypeExtension(deletedName.str()));
        for (FileTypeSum& type : types) {
            if (type.extension != extension || type.files == 0) continue;
            --type.files;
            type.bytes -= deletedBytes;
        }
        std::erase_if(types, [](const FileTypeSum& type) { return type.files == 0; });
        record->SetFileTypes(std::move(types));
        m_largestFiles.RemoveIf(
            [&](const FoundFile& file) { return file.folder == path && file.name == deletedName; });
        MoveFolderTotals(hFolder, -deletedBytes);
        ListingFollowsModel();
        return;
    }
    m_largestFiles.RemoveIf([&path](const FoundFile& file) { return file.folder == path; });
    TakeListedFiles(*listing, record, m_extensions, m_largestFiles, reader);
    std::int64_t total = listing->ownBytes;
    for (HTREEITEM child = m_pTreeCtrl->GetChildItem(hFolder); child; child = m_pTreeCtrl->GetNextSiblingItem(child)) {
        if (const auto* folder = reinterpret_cast<const CDirEntry*>(m_pTreeCtrl->GetItemData(child)))
            total += folder->GetSize();
    }
    MoveFolderTotals(hFolder, total - record->GetSize());
    ListingFollowsModel();
}

int CHeftDoc::CountUnreadable(HTREEITEM hItem) const
{
    int count = 0;
    std::vector<HTREEITEM> pending{hItem};
    while (!pending.empty()) {
        HTREEITEM item = pending.back();
        pending.pop_back();
        if (const auto* record = reinterpret_cast<const CDirEntry*>(m_pTreeCtrl->GetItemData(item));
            record && record->IsUnreadable())
            ++count;
        for (HTREEITEM child = m_pTreeCtrl->GetChildItem(item); child; child = m_pTreeCtrl->GetNextSiblingItem(child))
            pending.push_back(child);
    }
    return count;
}

void CHeftDoc::DeleteSubtree(HTREEITEM hItem)
{
    CTreeCtrl& tree = *m_pTreeCtrl;
    // The item and everything below it, on a stack of its own.
    std::vector<HTREEITEM> items;
    std::vector<HTREEITEM> pending{hItem};
    while (!pending.empty()) {
        HTREEITEM item = pending.back();
        pending.pop_back();
        items.push_back(item);
        for (HTREEITEM child = tree.GetChildItem(item); child; child = tree.GetNextSiblingItem(child))
            pending.push_back(child);
    }
    if (auto* list = dynamic_cast<CHeftList*>(GetView(1))) list->RemoveRowsOfTreeItems(items);
    for (HTREEITEM item : items) {
        delete reinterpret_cast<CDirEntry*>(tree.GetItemData(item));
        tree.SetItemData(item, 0);
    }
    // The tree moves its selection away from a deleted item by itself: the
    // list must not be filled meanwhile.
    const BOOL wasBusy = m_bBusy;
    m_bBusy = TRUE;
    tree.DeleteItem(hItem);
    m_bBusy = wasBusy;
}

void CHeftDoc::RemoveFolderItem(HTREEITEM hItem)
{
    if (!m_pTreeCtrl || !hItem || hItem == m_hRootItem) return;
    CTreeCtrl& tree = *m_pTreeCtrl;
    // What the tree counted for the folder comes off, whatever the disk held
    // of it at the end: the totals above stay the sums of their parts.
    if (const auto* record = reinterpret_cast<const CDirEntry*>(tree.GetItemData(hItem)))
        MoveFolderTotals(tree.GetParentItem(hItem), -record->GetSize());
    m_nUnreadableFolders -= CountUnreadable(hItem);
    const CString path = FolderPath(hItem);
    m_bWalkOrderStale = true;
    m_largestFiles.RemoveIf([&path](const FoundFile& file) { return IsSameOrInside(file.folder, path); });
    const HTREEITEM selectedBefore = tree.GetSelectedItem();
    DeleteSubtree(hItem);
    if (!ShowsDriveListing() && tree.GetSelectedItem() != selectedBefore) FillList();
    else ListingFollowsModel();
}

HTREEITEM CHeftDoc::FindFolderItem(const CString& path) const
{
    if (!m_pTreeCtrl || !IsSameOrInside(path, m_strDrive)) return nullptr;
    HTREEITEM item = m_hRootItem;
    const std::string rest = path.str().substr(m_strDrive.str().size());
    size_t start = 1; // past the separator after the drive
    while (item && start <= rest.size()) {
        size_t end = rest.find('\\', start);
        if (end == std::string::npos) end = rest.size();
        const CString name(rest.substr(start, end - start).c_str());
        HTREEITEM child = m_pTreeCtrl->GetChildItem(item);
        while (child && m_pTreeCtrl->GetItemText(child) != name) child = m_pTreeCtrl->GetNextSiblingItem(child);
        item = child;
        start = end + 1;
    }
    return item;
}

bool CHeftDoc::IsSameOrInside(const CString& folder, const CString& top)
{
    const std::string& text = folder.str();
    const std::string& prefix = top.str();
    return text == prefix || (text.size() > prefix.size() && text.compare(0, prefix.size(), prefix) == 0 &&
                               text[prefix.size()] == '\\');
}

BOOL CHeftDoc::RefreshFolder(HTREEITEM hFolder)
{
    auto* record = m_pTreeCtrl && hFolder ? reinterpret_cast<CDirEntry*>(m_pTreeCtrl->GetItemData(hFolder)) : nullptr;
    if (!record || m_bBusy) return FALSE;
    // A junction or symbolic link is never entered: nothing below it counts.
    if (record->IsLink()) return TRUE;
    CTreeCtrl& tree = *m_pTreeCtrl;
    CWaitCursor wait;
    const CriticalErrorBoxesOff noBoxes;
    const CString path = FolderPath(hFolder);
    const HTREEITEM selected = tree.GetSelectedItem();
    const CString selectedPath = selected ? FolderPath(selected) : CString();

    // The new items go in after the old ones, which stay until the search has
    // succeeded: a search that is cancelled or loses the drive leaves the
    // folder as it was.
    std::vector<HTREEITEM> oldChildren;
    for (HTREEITEM child = tree.GetChildItem(hFolder); child; child = tree.GetNextSiblingItem(child))
        oldChildren.push_back(child);
    const int oldUnreadable = CountUnreadable(hFolder);
    const bool wasUnreadable = record->IsUnreadable();
    const std::vector<FileTypeSum> oldFileTypes = record->GetFileTypes();
    const int unreadableBefore = m_nUnreadableFolders;
    // The files the search meets replace the folder's among the largest only
    // once it has succeeded; the bound stays the drive's.
    LargestFileSet<FoundFile> found;

    m_bBusy = TRUE;
    m_bCloseRequested = false;
    m_bWalkOrderStale = true;
    const auto started = std::chrono::steady_clock::now();
    std::int64_t total = kCancelMarker;
    for (;;) {
        m_bDriveLost = false;
        record->SetUnreadable(false);
        auto progress = std::make_unique<CScanProgressDlg>(0);
        m_pProgressDlg = progress.get();
        progress->Create(AfxGetMainWnd());
        progress->SetRange(1, CountSubfolders(path));
        progress->SetStep(1);
        // One folder is read by walking it, whatever searched the drive.
        CFolderReader listings(CFolderReader::ScanWorkers());
        found = LargestFileSet<FoundFile>();
        found.RaiseBound(m_largestFiles.Bound());
        listings.SetLargeFileBound(found.Bound());
        total = ScanFolder(path, hFolder, listings, found);
        progress->DestroyWindow();
        progress.reset();
        m_pProgressDlg = nullptr;
        if (total != kCancelMarker) break;

        std::vector<HTREEITEM> added;
        for (HTREEITEM child = tree.GetChildItem(hFolder); child; child = tree.GetNextSiblingItem(child)) {
            if (std::find(oldChildren.begin(), oldChildren.end(), child) == oldChildren.end()) added.push_back(child);
        }
        for (HTREEITEM child : added) DeleteSubtree(child);
        record->SetUnreadable(wasUnreadable);
        record->SetFileTypes(oldFileTypes);
        m_nUnreadableFolders = unreadableBefore;
        if (!m_bDriveLost || m_bCloseRequested || !AskRetryDrive()) break;
    }
    if (total == kCancelMarker) {
        m_bBusy = FALSE;
        if (m_bCloseRequested) CloseOwnWindow();
        return FALSE;
    }

    for (HTREEITEM child : oldChildren) DeleteSubtree(child);
    m_nUnreadableFolders -= oldUnreadable;
    if (hFolder == m_hRootItem) tree.SortChildren(hFolder);
    // The selection goes back to its folder, or to the nearest one above it
    // that is still there.
    HTREEITEM target = nullptr;
    for (CString at = selectedPath; !target && IsSameOrInside(at, path); at = at.Left(at.ReverseFind('\\')))
        target = FindFolderItem(at);
    if (target && tree.GetSelectedItem() != target) tree.SelectItem(target);
    m_largestFiles.RemoveIf([&path](const FoundFile& file) { return IsSameOrInside(file.folder, path); });
    // A folder with more large files than the listing holds raised the bound.
    m_largestFiles.RaiseBound(found.Bound());
    for (FoundFile& file : found.Take()) m_largestFiles.Offer(std::move(file));
    MoveFolderTotals(hFolder, total - record->GetSize());
    m_bBusy = FALSE;
    // The list shows the disk as it is now when it showed that folder or one
    // inside it; a listing worked out from the model is worked out anew.
    if (m_listState == ListState::Contents && IsSameOrInside(m_strListFolder, path)) FillList();
    else ListingFollowsModel(true);
    m_summary = ScanSummary();
    m_summary.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    m_summary.unreadableFolders = m_nUnreadableFolders;
    ShowScanSummary();
    return TRUE;
}

void CHeftDoc::OnRefreshFolder()
{
    if (m_pTreeCtrl) RefreshFolder(m_pTreeCtrl->GetSelectedItem());
}

void CHeftDoc::OnUpdateRefreshFolder(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_pTreeCtrl && m_pTreeCtrl->GetSelectedItem());
}
