// The drive scan, end to end: the application opens a fixture drive through
// its document template, and the tests read the tree items and their records.
#include "app/CHeftApp.h"
#include "app/CMainFrame.h"
#include "document/CHeftDoc.h"
#include "framework/CFileFind.h"
#include "model/CDirEntry.h"
#include "resources/resource.h"
#include "tests/common/DialogAnswerer.h"
#include "tests/common/FixtureDrive.h"
#include "tests/common/HeftAppTest.h"
#include "tests/common/ProgressWatcher.h"
#include "tests/common/TestWindows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ScanTest = HeftAppTest;

} // namespace

TEST_F(ScanTest, TotalsAreExactToTheByteAtEveryLevel)
{
    FixtureDrive drive('T');
    drive.File("top.bin", 1000);
    drive.File("docs\\a.txt", 123);
    drive.File("docs\\deep\\b.txt", 4567);
    drive.File("docs\\deep\\deeper\\c.txt", 89);
    drive.File("huge\\disk.img", 5ull << 30); // sparse: 5 GiB on no disk
    drive.Folder("empty\\inner\\innermost");
    drive.File("naïve-文件\\δεδομένα.bin", 77);

    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CTreeCtrl& tree = *doc->m_pTreeCtrl;
    HTREEITEM root = doc->m_hRootItem;
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(tree.GetRootItem(), root);
    EXPECT_TRUE(tree.GetItemState(root, TVIS_EXPANDED) & TVIS_EXPANDED);

    const std::int64_t total = 1000 + 123 + 4567 + 89 + (5ll << 30) + 77;
    EXPECT_EQ(doc->m_nDriveTotal, total);
    EXPECT_EQ(doc->m_nFolderTotal, total);
    EXPECT_EQ(Record(tree, root)->GetSize(), total);

    HTREEITEM docs = Child(tree, root, "docs");
    ASSERT_NE(docs, nullptr);
    EXPECT_EQ(Record(tree, docs)->GetSize(), 123 + 4567 + 89);
    EXPECT_EQ(Record(tree, docs)->GetType(), "File Folder");
    HTREEITEM deep = Child(tree, docs, "deep");
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(Record(tree, deep)->GetSize(), 4567 + 89);
    EXPECT_EQ(Record(tree, deep)->GetSizeText(), "4,656");

    HTREEITEM huge = Child(tree, root, "huge");
    ASSERT_NE(huge, nullptr);
    EXPECT_EQ(Record(tree, huge)->GetSizeText(), "5,368,709,120");

    HTREEITEM empty = Child(tree, root, "empty");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(Record(tree, empty)->GetSize(), 0);
    EXPECT_EQ(Record(tree, empty)->GetSizeText(), "");
    EXPECT_NE(Child(tree, Child(tree, empty, "inner"), "innermost"), nullptr);

    HTREEITEM unicode = Child(tree, root, "naïve-文件");
    ASSERT_NE(unicode, nullptr) << "a name outside Latin-1 is listed under its own name";
    EXPECT_EQ(Record(tree, unicode)->GetSize(), 77);

    // The document is titled with the drive's shell name, which names the letter.
    EXPECT_EQ(doc->GetTitle(), doc->m_strVolumeName);
    EXPECT_NE(doc->m_strVolumeName.Find("T:"), -1) << doc->m_strVolumeName.GetString();
    EXPECT_EQ(Record(tree, root)->GetName(), doc->m_strVolumeName);
    EXPECT_EQ(Record(tree, root)->GetDate(), "");
    EXPECT_EQ(doc->m_strDrive, "T:");
    EXPECT_FALSE(doc->m_bBusy);
    EXPECT_TRUE(doc->m_bRelativeToFolder);
}

TEST_F(ScanTest, RootChildrenAreSortedAndDeeperOnesKeepSearchOrder)
{
    FixtureDrive drive('T');
    for (const char* name : {"pear", "Apple", "zebra", "mango", "Kiwi"}) {
        drive.Folder(name);
        drive.Folder((std::string("mango\\") + name).c_str());
    }
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CTreeCtrl& tree = *doc->m_pTreeCtrl;
    EXPECT_EQ(ChildTexts(tree, doc->m_hRootItem),
              (std::vector<std::string>{"Apple", "Kiwi", "mango", "pear", "zebra"}));

    std::vector<std::string> searchOrder;
    CFileFind find;
    ASSERT_TRUE(find.FindFile(drive.Path("mango\\*.*")));
    do {
        if (find.IsDirectory() && !find.IsDots()) searchOrder.push_back(find.GetFileName().str());
    } while (find.FindNextFile());
    EXPECT_EQ(ChildTexts(tree, Child(tree, doc->m_hRootItem, "mango")), searchOrder);
}

TEST_F(ScanTest, ProgressStepsOncePerRootFolderAndShowsUpperCasePaths)
{
    FixtureDrive drive('T');
    drive.Folder("One\\Sub");
    drive.Folder("Two");
    drive.Folder("Three");
    drive.File("Two\\file.bin", 10);
    ProgressWatcher watcher;
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->CountRootFolders(), 4);
    EXPECT_EQ(watcher.percents, (std::vector<std::string>{"33%", "66%", "100%"}));
    ASSERT_FALSE(watcher.statuses.empty());
    for (const std::string& status : watcher.statuses) {
        EXPECT_EQ(status.rfind("T:\\", 0), 0u) << status;
        CString upper(status);
        upper.MakeUpper();
        EXPECT_EQ(upper, status.c_str()) << "status paths are upper case";
    }
    EXPECT_TRUE(main->IsWindowEnabled()) << "the main window is enabled again after the scan";
}

TEST_F(ScanTest, CancelDeepInTheTreeFailsTheOpenAndLeavesNothing)
{
    FixtureDrive drive('T');
    // Enough folders that the scan pumps its queue several times on the way.
    for (int i = 0; i < 40; ++i) {
        std::string base = "branch" + std::to_string(i);
        for (int j = 0; j < 30; ++j) drive.Folder((base + "\\level1\\leaf" + std::to_string(j)).c_str());
    }
    ProgressWatcher watcher;
    bool pressed = false;
    watcher.onStatus = [&](HWND dialog, const std::string& status) {
        if (!pressed && status.find("LEVEL1\\LEAF") != std::string::npos) {
            pressed = true;
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
    };
    EXPECT_EQ(Open(drive), nullptr);
    EXPECT_TRUE(pressed);
    EXPECT_EQ(DocumentCount(), 0);
    EXPECT_EQ(CountChildren(main->m_hWndMDIClient), 0);
    EXPECT_TRUE(main->IsWindowEnabled());
    PumpPending();
    EXPECT_EQ(CDirEntry::LiveCount(), liveBefore) << "the cancelled scan's records are freed with its window";
}

TEST_F(ScanTest, DriveErrorOffersRetryAndCancel)
{
    FixtureDrive drive('T');
    drive.File("x.bin", 5);
    main->RebuildDriveBar();
    drive.Unmount();
    {
        DialogAnswerer cancel("Error", IDCANCEL);
        EXPECT_EQ(app.OpenDrive("T:"), nullptr);
        EXPECT_EQ(cancel.Answered(), 1);
        EXPECT_EQ(cancel.LastText(), "Error reading drive T:");
    }
    EXPECT_EQ(DocumentCount(), 0);
    EXPECT_EQ(CountChildren(main->m_hWndMDIClient), 0);

    // Retry after the drive came back goes on with the scan.
    DialogAnswerer retry("Error", IDRETRY, [&](HWND) { drive.Mount(); });
    CHeftDoc* doc = app.OpenDrive("T:");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(retry.Answered(), 1);
    EXPECT_EQ(doc->m_nDriveTotal, 5);
}

TEST_F(ScanTest, LinksAreListedButNeverEntered)
{
    FixtureDrive drive('T');
    drive.File("a\\data.bin", 300);
    drive.LinkToFolder("a\\loop", "a");   // points at its own parent
    drive.LinkToFolder("elsewhere", "a"); // would count a's bytes twice
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CTreeCtrl& tree = *doc->m_pTreeCtrl;
    EXPECT_EQ(doc->m_nDriveTotal, 300);
    HTREEITEM a = Child(tree, doc->m_hRootItem, "a");
    ASSERT_NE(a, nullptr);
    HTREEITEM loop = Child(tree, a, "loop");
    ASSERT_NE(loop, nullptr) << "the link has its item";
    EXPECT_EQ(tree.GetChildItem(loop), nullptr) << "and nothing below it";
    EXPECT_EQ(Record(tree, loop)->GetSize(), 0);
    EXPECT_EQ(Record(tree, loop)->GetType(), "File Folder");
    HTREEITEM elsewhere = Child(tree, doc->m_hRootItem, "elsewhere");
    ASSERT_NE(elsewhere, nullptr);
    EXPECT_EQ(tree.GetChildItem(elsewhere), nullptr);
}

TEST_F(ScanTest, FolderThatCannotBeSearchedCountsZeroAndKeepsItsItem)
{
    FixtureDrive drive('T');
    drive.File("open\\a.bin", 10);
    drive.File("locked\\b.bin", 20);
    SYSTEMTIME when{2002, 3, 4, 7, 14, 5, 9, 0};
    drive.SetLastWriteTime("locked", when);
    // Held open without sharing, the folder cannot be searched by anyone else.
    HANDLE lock = CreateFileW(ToWidePath(drive.Path("locked")).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    CFileFind probe;
    bool searchable = probe.FindFile(drive.Path("locked\\*.*"));
    probe.Close();
    if (searchable) {
        CloseHandle(lock);
        GTEST_SKIP() << "this system lets a folder held without sharing be searched";
    }
    CHeftDoc* doc = Open(drive);
    CloseHandle(lock);
    ASSERT_NE(doc, nullptr);
    CTreeCtrl& tree = *doc->m_pTreeCtrl;
    EXPECT_EQ(doc->m_nDriveTotal, 10);
    HTREEITEM locked = Child(tree, doc->m_hRootItem, "locked");
    ASSERT_NE(locked, nullptr);
    EXPECT_EQ(Record(tree, locked)->GetSize(), 0);
    EXPECT_EQ(Record(tree, locked)->GetName(), "locked");
    EXPECT_EQ(Record(tree, locked)->GetType(), "File Folder");
    EXPECT_EQ(Record(tree, locked)->GetDate(), "3/07/2002 14:05:09");
}

TEST_F(ScanTest, DeepNestingAndLongPathsAreScanned)
{
    FixtureDrive drive('T');
    // 300 levels: a path of over 1,200 characters, far past the old 260.
    std::string path;
    for (int i = 0; i < 300; ++i) path += (i ? "\\d" : "d") + std::to_string(i % 10);
    drive.File((path + "\\bottom.bin").c_str(), 4242);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->m_nDriveTotal, 4242);
    CTreeCtrl& tree = *doc->m_pTreeCtrl;
    int depth = 0;
    for (HTREEITEM item = tree.GetChildItem(doc->m_hRootItem); item; item = tree.GetChildItem(item)) {
        EXPECT_EQ(Record(tree, item)->GetSize(), 4242);
        ++depth;
    }
    EXPECT_EQ(depth, 300);
}
