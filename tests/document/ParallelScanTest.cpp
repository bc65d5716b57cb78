// The scan with folder listings read ahead on worker threads: the same tree
// and records as the walk reading alone, no thread left behind after a
// cancelled or failed scan, and sound totals while the drive changes.
#include "document/CFolderReader.h"
#include "framework/CFileFind.h"
#include "resources/resource.h"
#include "tests/common/DialogAnswerer.h"
#include "tests/common/HeftAppTest.h"
#include "tests/common/ProgressWatcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

class ParallelScanTest : public HeftAppTest {
protected:
    void TearDown() override
    {
        CFolderReader::SetScanWorkers(-1);
        app.CloseAllDocuments();
        PumpPending();
        HeftAppTest::TearDown();
    }

    // Opens the drive with `workers` reading ahead, describes it, closes it.
    std::vector<std::string> ScanWith(const FixtureDrive& drive, int workers)
    {
        CFolderReader::SetScanWorkers(workers);
        CHeftDoc* doc = Open(drive);
        EXPECT_NE(doc, nullptr);
        std::vector<std::string> lines;
        if (doc) lines = Describe(doc);
        app.CloseAllDocuments();
        PumpPending();
        return lines;
    }
};

// Entries of folders below the root that the scan's own thread listed.
DWORD g_walkThread = 0;
std::atomic<int> g_entriesListedByTheWalk{0};
void CountEntriesListedByTheWalk(const CString& folderPath)
{
    if (GetCurrentThreadId() == g_walkThread && folderPath.GetLength() > 2) ++g_entriesListedByTheWalk;
}

TEST_F(ParallelScanTest, WorkersGiveTheSameTreeAndRecordsAsTheWalkReadingAlone)
{
    FixtureDrive drive('T');
    drive.File("top.bin", 1000);
    drive.File("docs\\a.txt", 123);
    drive.File("docs\\deep\\b.txt", 4567);
    drive.File("huge\\disk.img", 5ull << 30);
    drive.Folder("empty\\inner\\innermost");
    drive.File("naïve-文件\\δεδομένα.bin", 77);
    drive.File("emoji-😀\\x.bin", 5);
    drive.File("a\\data.bin", 300);
    drive.LinkToFolder("a\\loop", "a");
    drive.LinkToFolder("elsewhere", "a");
    // Many folders, so that the workers run well ahead of the walk.
    for (int i = 0; i < 12; ++i) {
        for (int j = 0; j < 25; ++j) {
            const std::string folder = "wide" + std::to_string(i) + "\\f" + std::to_string(j);
            drive.File((folder + "\\n.bin").c_str(), static_cast<unsigned long long>(i * 100 + j));
        }
    }
    std::string deep;
    for (int i = 0; i < 300; ++i) deep += (i ? "\\d" : "d") + std::to_string(i % 10);
    drive.File((deep + "\\bottom.bin").c_str(), 4242);
    drive.File("locked\\b.bin", 20);
    const SYSTEMTIME when{2002, 3, 4, 7, 14, 5, 9, 0};
    drive.SetLastWriteTime("locked", when);
    // Held open without sharing, the folder cannot be searched by anyone else.
    HANDLE lock = CreateFileW(ToWidePath(drive.Path("locked")).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);

    const std::vector<std::string> alone = ScanWith(drive, 0);
    // The workers read in the walk's order, so the walk waits for its
    // listings instead of reading beside them.
    g_walkThread = GetCurrentThreadId();
    CFolderReader::SetEntryHook(&CountEntriesListedByTheWalk);
    const std::vector<std::string> two = ScanWith(drive, 2);
    CFolderReader::SetEntryHook(nullptr);
    EXPECT_EQ(g_entriesListedByTheWalk.load(), 0);
    const std::vector<std::string> eight = ScanWith(drive, 8);
    CloseHandle(lock);

    ASSERT_GT(alone.size(), 600u);
    EXPECT_EQ(two, alone);
    EXPECT_EQ(eight, alone);
    // The walk reading alone is the scan as it always was.
    EXPECT_EQ(alone.front().rfind("0|", 0), 0u);
    EXPECT_NE(std::find(alone.begin(), alone.end(), "1|locked|0|locked|File Folder|3/07/2002 14:05:09|unreadable"), alone.end());
}

TEST_F(ParallelScanTest, CancelAtTheFirstAMiddleAndTheLastRootFolderLeavesNoThreadBehind)
{
    FixtureDrive drive('T');
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 400; ++j)
            drive.Folder(("r" + std::to_string(i) + "\\s" + std::to_string(j)).c_str());
    }
    // A first scan, so that whatever threads the system keeps after one
    // (the shell's, the progress dialog's) are counted before.
    ScanWith(drive, 0);
    const int threadsBefore = ThreadCount();
    ASSERT_GT(threadsBefore, 0);
    CFolderReader::SetScanWorkers(4);
    // Cancel is pressed with the first status text (in the first root
    // folder), or as the progress passes the first or the second of the three
    // root folders (33%, 66%): the scan sees it at once.
    for (const char* when : {"status", "33%", "66%"}) {
        SCOPED_TRACE(when);
        ProgressWatcher watcher;
        bool pressed = false;
        int threadsDuring = 0;
        int workersDuring = 0;
        auto press = [&](HWND dialog) {
            if (pressed) return;
            pressed = true;
            threadsDuring = ThreadCount();
            workersDuring = CFolderReader::LiveWorkers();
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        };
        watcher.onStatus = [&](HWND dialog, const std::string&) {
            if (!strcmp(when, "status")) press(dialog);
        };
        watcher.onPercent = [&](HWND dialog, const std::string& percent) {
            if (percent == when) press(dialog);
        };
        EXPECT_EQ(app.OpenDrive("T:"), nullptr);
        ASSERT_TRUE(pressed);
        // No root folder was done at the first status; the progress stopped where Cancel came.
        EXPECT_EQ(watcher.percents.empty() ? "" : watcher.percents.back(), strcmp(when, "status") ? when : "");
        EXPECT_EQ(workersDuring, 4) << "the workers were there while the scan ran";
        EXPECT_EQ(CFolderReader::LiveWorkers(), 0) << "and gone when it returned";
        // The system's own list agrees (it may keep a thread of its own from
        // the scan, with or without workers).
        EXPECT_GE(threadsDuring, threadsBefore + 4);
        EXPECT_LE(ThreadCountSettlingAt(threadsDuring - 4), threadsDuring - 4);
        EXPECT_EQ(DocumentCount(), 0);
        EXPECT_EQ(ChildWindowCount(), 0);
        PumpPending();
        EXPECT_EQ(CDirEntry::LiveCount(), liveBefore);
    }
}

namespace {
// The listing of a huge folder, slowed to a crawl: Cancel is pressed once it
// is under way, and the worker's own error mode is noted on the way.
DWORD g_scanThread = 0;
std::atomic<int> g_hugeEntries{0};
std::atomic<bool> g_workerBoxesOff{true};
std::atomic<ULONGLONG> g_cancelPressedAt{0};
void CrawlThroughHuge(const CString& folderPath)
{
    if (folderPath.Right(5) != "\\huge") return;
    if (GetCurrentThreadId() != g_scanThread && !(GetThreadErrorMode() & SEM_FAILCRITICALERRORS))
        g_workerBoxesOff = false;
    if (++g_hugeEntries == 100) {
        g_cancelPressedAt = GetTickCount64();
        PostMessageW(FindWindowW(L"#32770", L"Scanning Drive"), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    Sleep(1); // the whole listing would take a minute
}
} // namespace

TEST_F(ParallelScanTest, CancelDuringTheListingOfAHugeFolderReturnsAtOnce)
{
    // The test runner prepares the 50,000 files; they move in and out of the
    // drive by a rename.
    wchar_t fixtures[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"HEFT_FIXTURES", fixtures, MAX_PATH), 0u);
    const std::wstring prepared = std::wstring(fixtures) + L"\\huge";
    FixtureDrive drive('T');
    const std::wstring inDrive = ToWidePath(drive.Path("huge"));
    ASSERT_TRUE(MoveFileW(prepared.c_str(), inDrive.c_str())) << "run through tests/wine-run.sh";
    main->RebuildDriveBar();
    CFolderReader::SetScanWorkers(2);
    g_scanThread = GetCurrentThreadId();
    CFolderReader::SetEntryHook(&CrawlThroughHuge);
    EXPECT_EQ(app.OpenDrive("T:"), nullptr);
    const ULONGLONG returnedAt = GetTickCount64();
    CFolderReader::SetEntryHook(nullptr);
    MoveFileW(inDrive.c_str(), prepared.c_str());

    ASSERT_GE(g_hugeEntries.load(), 100) << "Cancel came while the folder was being listed";
    // About 100 ms is the aim; a second leaves room for a busy machine.
    EXPECT_LT(returnedAt - g_cancelPressedAt.load(), 1000u);
    EXPECT_LT(g_hugeEntries.load(), 50000) << "the listing stopped part-way";
    EXPECT_TRUE(g_workerBoxesOff.load()) << "workers run with the system's error boxes off";
    EXPECT_EQ(CFolderReader::LiveWorkers(), 0);
    EXPECT_EQ(DocumentCount(), 0);
}

namespace {
// Every listing below the root crawls; the first folder a worker starts (the
// N of "T:\\fN") is the one the walk gives up while it is read.
std::atomic<int> g_firstStarted{-1};
void CrawlAndNoteTheFirst(const CString& folderPath)
{
    if (folderPath.GetLength() <= 2) return; // the root, read by the walk
    int none = -1;
    g_firstStarted.compare_exchange_strong(none, std::atoi(folderPath.Mid(4)));
    Sleep(5);
}
} // namespace

TEST_F(ParallelScanTest, AFolderGivenUpWhileAWorkerReadsItIsLetGoOnceRead)
{
    FixtureDrive drive('T');
    for (int i = 0; i < 30; ++i) {
        for (int j = 0; j < 20; ++j) drive.File(("f" + std::to_string(i) + "\\x" + std::to_string(j)).c_str(), 1);
    }
    CFolderReader::SetEntryHook(&CrawlAndNoteTheFirst);
    // Should giving up never return, the test ends itself.
    std::atomic<bool> done{false};
    std::thread watchdog([&done] {
        for (int i = 0; i < 200 && !done; ++i) Sleep(50);
        if (!done) {
            std::fprintf(stderr, "giving up a folder that was being read never returned\n");
            ExitProcess(1);
        }
    });
    bool gaveUp = false;
    {
        CFolderReader reader(2);
        const std::shared_ptr<CFolderReader::Folder> root = reader.ReadRoot("T:", [] { return true; });
        for (int i = 0; i < 5000 && g_firstStarted < 0; ++i) Sleep(1);
        const std::string first = "f" + std::to_string(g_firstStarted.load());
        for (size_t i = 0; root && i < root->subfolders.size(); ++i) {
            if (root->subfolders[i].folder && root->subfolders[i].name == first.c_str()) {
                reader.Abandon(root->subfolders[i].folder);
                gaveUp = true;
            }
        }
    }
    done = true;
    watchdog.join();
    CFolderReader::SetEntryHook(nullptr);
    EXPECT_TRUE(gaveUp);
    EXPECT_EQ(CFolderReader::LiveWorkers(), 0);
}

TEST_F(ParallelScanTest, ADriveTakenAwayDuringTheScanAsksRetryOrCancelAsAtTheStart)
{
    FixtureDrive drive('T');
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 200; ++j)
            drive.File(("r" + std::to_string(i) + "\\s" + std::to_string(j) + "\\f.bin").c_str(), 10);
    }
    main->RebuildDriveBar();
    // The walk reads each folder itself, so that the drive goes while most of
    // it is still to be read.
    CFolderReader::SetScanWorkers(0);
    const int threadsBefore = ThreadCount();
    ProgressWatcher watcher;
    watcher.AtFirstStatus([&] { drive.Unmount(); });
    {
        // Cancel: the open fails as a whole, nothing of the partial walk stays.
        DialogAnswerer cancel("Error", IDCANCEL);
        EXPECT_EQ(app.OpenDrive("T:"), nullptr);
        ASSERT_TRUE(watcher.Fired());
        EXPECT_EQ(cancel.Answered(), 1);
        EXPECT_EQ(cancel.LastText(), "Error reading drive T:");
    }
    EXPECT_EQ(CFolderReader::LiveWorkers(), 0);
    EXPECT_LE(ThreadCountSettlingAt(threadsBefore + 1), threadsBefore + 1);
    EXPECT_EQ(DocumentCount(), 0);
    EXPECT_EQ(ChildWindowCount(), 0);
    EXPECT_TRUE(main->IsWindowEnabled());
    PumpPending();
    EXPECT_EQ(CDirEntry::LiveCount(), liveBefore);

    // Retry once the drive is back: the scan starts again from an empty tree
    // and counts every byte once.
    drive.Mount();
    main->RebuildDriveBar();
    watcher.AtFirstStatus([&] { drive.Unmount(); });
    DialogAnswerer retry("Error", IDRETRY, [&](HWND) {
        EXPECT_EQ(FindWindowA(nullptr, "Scanning Drive"), nullptr) << "the progress dialog is gone while the box asks";
        drive.Mount();
    });
    CHeftDoc* doc = app.OpenDrive("T:");
    ASSERT_TRUE(watcher.Fired());
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(retry.Answered(), 1);
    EXPECT_EQ(doc->m_nDriveTotal, 4 * 200 * 10);
    CTreeCtrl& tree = *doc->m_pTreeCtrl;
    EXPECT_EQ(tree.GetRootItem(), doc->m_hRootItem);
    EXPECT_EQ(tree.GetNextSiblingItem(doc->m_hRootItem), nullptr) << "one root, the new one";
    EXPECT_EQ(ChildTexts(tree, doc->m_hRootItem), (std::vector<std::string>{"r0", "r1", "r2", "r3"}));
    for (HTREEITEM r = tree.GetChildItem(doc->m_hRootItem); r; r = tree.GetNextSiblingItem(r))
        EXPECT_EQ(Record(tree, r)->GetSize(), 2000);
    EXPECT_TRUE(main->IsWindowEnabled());
}

TEST_F(ParallelScanTest, ADriveTakenAwayDuringARefreshEmptiesBothViewsAndCancelClosesTheWindow)
{
    FixtureDrive drive('T');
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 200; ++j)
            drive.File(("r" + std::to_string(i) + "\\s" + std::to_string(j) + "\\f.bin").c_str(), 10);
    }
    drive.File("top.bin", 7);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    ASSERT_NE(doc->m_pListCtrl, nullptr);
    ASSERT_GT(doc->m_pListCtrl->GetItemCount(), 0);
    CFolderReader::SetScanWorkers(0);
    ProgressWatcher watcher;
    watcher.AtFirstStatus([&] { drive.Unmount(); });
    ViewCounts behindTheBox;
    DialogAnswerer cancel("Error", IDCANCEL, [&](HWND) { behindTheBox = CountViews(doc); });
    main->SendMessage(WM_COMMAND, ID_REFRESH);
    ASSERT_TRUE(watcher.Fired());
    EXPECT_EQ(cancel.Answered(), 1);
    EXPECT_EQ(cancel.LastText(), "Error reading drive T:");
    EXPECT_EQ(behindTheBox.treeItems, 0) << "no partial tree behind the box";
    EXPECT_EQ(behindTheBox.listRows, 0) << "nor the old rows";
    PumpPending(); // the window's close request
    EXPECT_EQ(DocumentCount(), 0);
    EXPECT_EQ(ChildWindowCount(), 0);
    EXPECT_TRUE(main->IsWindowEnabled());
    drive.Mount();
}

TEST_F(ParallelScanTest, FilesAndFoldersChangingDuringTheScanLeaveEveryTotalTheSumOfItsParts)
{
    FixtureDrive drive('T');
    // Files only in the leaves, so that every other folder's total is exactly
    // the sum of its subfolders' totals.
    std::vector<std::string> leaves;
    for (int i = 0; i < 8; ++i) {
        for (int j = 0; j < 60; ++j) {
            leaves.push_back("r" + std::to_string(i) + "\\m" + std::to_string(j % 6) + "\\leaf" + std::to_string(j));
            drive.File((leaves.back() + "\\keep.bin").c_str(), 100);
        }
    }
    main->RebuildDriveBar();

    std::atomic<bool> scanning{true};
    std::atomic<int> changes{0};
    std::thread churn([&] {
        for (unsigned n = 0; scanning.load(); ++n) {
            const std::string& leaf = leaves[(n * 7919u) % leaves.size()];
            const std::wstring file = ToWidePath(drive.Path((leaf + "\\churn" + std::to_string(n % 3) + ".bin").c_str()));
            const std::wstring extra = ToWidePath(drive.Path((leaf + "\\extra" + std::to_string(n % 2)).c_str()));
            if (n % 2) {
                HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
                if (h != INVALID_HANDLE_VALUE) {
                    DWORD written = 0;
                    char bytes[37] = {};
                    WriteFile(h, bytes, sizeof(bytes), &written, nullptr);
                    CloseHandle(h);
                }
                CreateDirectoryW(extra.c_str(), nullptr);
            } else {
                DeleteFileW(file.c_str());
                RemoveDirectoryW(extra.c_str());
            }
            ++changes;
        }
    });
    CFolderReader::SetScanWorkers(4);
    CHeftDoc* doc = Open(drive);
    scanning = false;
    churn.join();
    ASSERT_NE(doc, nullptr);
    EXPECT_GT(changes.load(), 0);

    CTreeCtrl& tree = *doc->m_pTreeCtrl;
    std::vector<HTREEITEM> pending{doc->m_hRootItem};
    int inner = 0;
    while (!pending.empty()) {
        HTREEITEM item = pending.back();
        pending.pop_back();
        HTREEITEM child = tree.GetChildItem(item);
        // A leaf holds the files; its own total is whatever it held when read.
        const std::string text = tree.GetItemText(item).str();
        if (text.rfind("leaf", 0) == 0 || text.rfind("extra", 0) == 0) continue;
        std::int64_t sum = 0;
        for (; child; child = tree.GetNextSiblingItem(child)) {
            sum += Record(tree, child)->GetSize();
            pending.push_back(child);
        }
        EXPECT_EQ(Record(tree, item)->GetSize(), sum) << text;
        ++inner;
    }
    EXPECT_EQ(inner, 1 + 8 + 8 * 6);
    EXPECT_EQ(doc->m_nDriveTotal, Record(tree, doc->m_hRootItem)->GetSize());
    EXPECT_GE(doc->m_nDriveTotal, static_cast<std::int64_t>(leaves.size()) * 100);
}

} // namespace
