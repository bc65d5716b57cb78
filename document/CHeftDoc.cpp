#include "document/CHeftDoc.h"

#include "app/CMainFrame.h"
#include "app/DriveList.h"
#include "document/CScanProgressDlg.h"
#include "framework/CFileFind.h"
#include "model/CDirEntry.h"
#include "framework/CCmdUI.h"
#include "resources/resource.h"
#include "views/CHeftTree.h"

#include <memory>
#include <string>
#include <vector>

const MessageMap* CHeftDoc::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::Command<&CHeftDoc::OnRefresh>(ID_REFRESH),
        on::Command<&CHeftDoc::OnDiskVsDirectory>(ID_DISK_VS_DIRECTORY),
        on::UpdateCommand<&CHeftDoc::OnUpdateDiskVsDirectory>(ID_DISK_VS_DIRECTORY),
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
    SHFILEINFOA sfi{};
    SHGetFileInfoA(path, 0, &sfi, sizeof(sfi), SHGFI_SYSICONINDEX | SHGFI_SMALLICON | extraFlags);
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
    UINT length = GetSystemDirectoryA(nullptr, 0);
    std::string systemDir(length > 0 ? length : 1, '\0');
    UINT got = GetSystemDirectoryA(systemDir.data(), static_cast<UINT>(systemDir.size()));
    systemDir.resize(got < systemDir.size() ? got : 0);
    m_nFolderImage = SmallIconIndex(systemDir.c_str(), 0);
    m_nOpenFolderImage = SmallIconIndex(systemDir.c_str(), SHGFI_OPENICON);
    m_linkMark = AskShellLinkMark(CString(systemDir));

    BOOL scanned = ScanDrive();
    m_bBusy = FALSE;
    return scanned;
}

BOOL CHeftDoc::CheckDriveAnswers()
{
    CWnd* main = AfxGetMainWnd();
    for (;;) {
        UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
        DWORD sectors = 0, bytes = 0, freeClusters = 0, clusters = 0;
        bool answered = GetDiskFreeSpaceUtf8(m_strDrive + "\\", &sectors, &bytes, &freeClusters, &clusters);
        SetErrorMode(previous);
        if (answered) return TRUE;
        CString text = CString("Error reading drive ") + m_strDrive;
        if (MessageBoxA(main ? main->m_hWnd : nullptr, text, "Error", MB_RETRYCANCEL | MB_ICONSTOP) != IDRETRY)
            return FALSE;
    }
}

BOOL CHeftDoc::ScanDrive()
{
    CWaitCursor wait;
    m_bTopTen = FALSE;
    auto* tree = dynamic_cast<CHeftTree*>(GetFirstView());
    if (!tree) return FALSE;
    m_pTreeCtrl = &tree->GetTreeCtrl();

    if (!CheckDriveAnswers()) return FALSE;

    CString root = m_strDrive + "\\";
    m_strVolumeName.Empty();
    m_strFileSystem.Empty();
    m_dwSerialNumber = m_dwMaxComponentLength = m_dwFileSystemFlags = 0;
    GetVolumeInformationUtf8(root, &m_strVolumeName, &m_dwSerialNumber, &m_dwMaxComponentLength,
                             &m_dwFileSystemFlags, &m_strFileSystem);

    auto progress = std::make_unique<CScanProgressDlg>(0);
    m_pProgressDlg = progress.get();
    progress->Create(AfxGetMainWnd());
    progress->SetRange(1, CountRootFolders());
    progress->SetStep(1);

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

    auto* rootRecord = new CDirEntry;
    m_hRootItem = m_pTreeCtrl->InsertItem(displayName, driveIcon, driveIcon, TVIS_EXPANDED,
                                          reinterpret_cast<LPARAM>(rootRecord), TVI_ROOT, TVI_FIRST);
    if (!m_hRootItem) delete rootRecord;

    m_nFolderTotal = ScanFolder(m_strDrive, m_hRootItem);

    m_strVolumeName = displayName;
    rootRecord->SetSize(m_nFolderTotal);
    rootRecord->SetName(m_strVolumeName);
    rootRecord->SetType(m_strVolumeName);
    m_nDriveTotal = m_nFolderTotal;
    m_pTreeCtrl->SortChildren(m_hRootItem);

    progress->DestroyWindow();
    progress.reset();
    m_pProgressDlg = nullptr;
    return m_nFolderTotal != kCancelMarker;
}

int CHeftDoc::CountRootFolders()
{
    int count = 1;
    CFileFind find;
    if (!find.FindFile(m_strDrive + "\\*.*")) return count;
    do {
        if (find.IsDirectory() && !find.IsDots()) ++count;
    } while (find.FindNextFile());
    return count;
}

// One folder being searched: its open search and what it has added up so far.
struct CHeftDoc::ScanFrame {
    CString path;
    HTREEITEM item;       // the folder's tree item: its subfolders go below it
    CFileFind find;
    std::int64_t total = 0;
    // The subfolder whose search runs on the frame above this one.
    CDirEntry* childRecord = nullptr;
    CString childName;
    std::uint64_t childWriteTime = 0;
};

std::int64_t CHeftDoc::ScanFolder(const CString& path, HTREEITEM hParent)
{
    // The recursion of the folder walk runs on a stack of its own, so that no
    // nesting depth can exhaust the thread's stack.
    std::vector<std::unique_ptr<ScanFrame>> stack;
    // Starts the search of a folder; a folder that cannot be searched counts 0.
    auto open = [&stack](const CString& folder, HTREEITEM item) {
        auto frame = std::make_unique<ScanFrame>();
        frame->path = folder;
        frame->item = item;
        if (!frame->find.FindFile(folder + "\\*.*")) return false;
        stack.push_back(std::move(frame));
        return true;
    };

    if (!open(path, hParent)) return 0;
    std::int64_t finished = 0; // total of the folder whose search just ended
    bool returning = false;
    for (;;) {
        ScanFrame& frame = *stack.back();
        if (returning) {
            // The folder on top is done: hand its total to the folder below.
            finished = frame.total;
            frame.find.Close();
            stack.pop_back();
            if (stack.empty()) return finished;
            ScanFrame& parent = *stack.back();
            CString childPath = parent.path + "\\" + parent.childName;
            if (!FinishSubfolder(parent, childPath, finished)) return kCancelMarker;
            returning = !parent.find.FindNextFile();
            continue;
        }

        // The current entry of the top folder's search.
        frame.total += frame.find.GetLength();
        if (frame.find.IsDirectory() && !frame.find.IsDots()) {
            auto* record = new CDirEntry;
            CString name = frame.find.GetFileName();
            // A junction or symbolic link is listed but never entered: it
            // would count another folder's bytes again, or loop. Its item
            // carries the shell's link mark, so that its 0 bytes make sense.
            const bool link = frame.find.IsNameSurrogateLink();
            if (link) record->SetLink();
            HTREEITEM item = m_pTreeCtrl->InsertItem(name, m_nFolderImage, m_nOpenFolderImage,
                                                     link ? m_linkMark.overlay : 0,
                                                     reinterpret_cast<LPARAM>(record), frame.item, TVI_LAST);
            if (!item) {
                delete record;
                record = nullptr;
            }
            frame.childRecord = record;
            frame.childName = name;
            frame.childWriteTime = frame.find.GetLastWriteTime();
            CString childPath = frame.path + "\\" + name;
            if (!link && item && open(childPath, item)) continue;
            if (!FinishSubfolder(frame, childPath, 0)) return kCancelMarker;
        }
        returning = !frame.find.FindNextFile();
    }
}

BOOL CHeftDoc::FinishSubfolder(ScanFrame& parent, const CString& childPath, std::int64_t childTotal)
{
    parent.total += childTotal;
    if (CDirEntry* record = parent.childRecord) {
        record->SetSize(childTotal);
        record->SetName(parent.childName);
        record->SetType("File Folder");
        record->SetDate(FormatDateText(parent.childWriteTime));
    }
    parent.childRecord = nullptr;
    if (m_pProgressDlg) {
        CString status = childPath;
        status.MakeUpper();
        m_pProgressDlg->SetStatusText(status);
        if (parent.path.GetLength() < 4) m_pProgressDlg->StepIt();
        if (m_pProgressDlg->CheckCancel()) return FALSE;
    }
    return TRUE;
}

void CHeftDoc::OnRefresh()
{
    auto* treeView = dynamic_cast<CHeftTree*>(GetFirstView());
    if (!treeView) return;
    m_bBusy = TRUE;
    treeView->ReleaseItemRecords();
    treeView->GetTreeCtrl().DeleteItem(TVI_ROOT);
    // The old root is gone: a rescan that fails early must not leave its handle behind.
    m_hRootItem = nullptr;
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
        if (auto* frame = dynamic_cast<CMDIFrameWnd*>(AfxGetMainWnd())) {
            if (CMDIChildWnd* child = frame->MDIGetActive()) child->PostMessage(WM_CLOSE);
        }
        m_bBusy = FALSE;
    }
    if (auto* frame = dynamic_cast<CMainFrame*>(AfxGetMainWnd())) frame->RebuildDriveBar();
}

void CHeftDoc::OnDiskVsDirectory()
{
    m_bRelativeToFolder = m_bRelativeToFolder == 1 ? 0 : 1;
    UpdateAllViews(nullptr, 0, nullptr);
}

void CHeftDoc::OnUpdateDiskVsDirectory(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_bRelativeToFolder != 1);
}

BOOL CHeftDoc::DeleteFolderTree(const CString& path, std::int64_t* pBytesRemoved)
{
    std::int64_t removed = 0;
    struct Level {
        CString path;
        CFileFind find;
        bool more = false;
    };
    // Folders being emptied, deepest last; each is removed right after its entries.
    std::vector<std::unique_ptr<Level>> stack;
    auto enter = [&stack](const CString& folder) {
        auto level = std::make_unique<Level>();
        level->path = folder;
        level->more = level->find.FindFile(folder + "\\*.*");
        stack.push_back(std::move(level));
    };
    enter(path);
    while (!stack.empty()) {
        Level& level = *stack.back();
        if (!level.more) {
            level.find.Close();
            RemoveDirectoryUtf8(level.path);
            stack.pop_back();
            continue;
        }
        CFileFind& find = level.find;
        CString entry = level.path + "\\" + find.GetFileName();
        std::int64_t size = find.GetLength();
        bool isFolder = find.IsDirectory() && !find.IsDots();
        bool isLink = find.IsDirectory() && find.IsNameSurrogateLink();
        bool isFile = !find.IsDirectory();
        level.more = find.FindNextFile();
        if (isLink) {
            // Only the link goes; whatever it points at stays untouched.
            RemoveLinkUtf8(entry);
        } else if (isFolder) {
            enter(entry);
        } else if (isFile && DeleteFileUtf8(entry)) {
            removed += size;
        }
    }
    if (pBytesRemoved) *pBytesRemoved = removed;
    return GetFileAttributesW(ToWidePath(path).c_str()) == INVALID_FILE_ATTRIBUTES;
}
