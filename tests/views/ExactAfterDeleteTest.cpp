// After every delete, whole, partial, stopped or failed, and after Refresh
// Folder, the tree holds what a fresh search of the drive finds: the same
// folders with the same totals and marks, the drive total and the shown
// folder's total among them.
#include "document/CScanProgressDlg.h"
#include "resources/resource.h"
#include "tests/common/DialogAnswerer.h"
#include "tests/common/ProgressWatcher.h"
#include "tests/views/ListTestBase.h"
#include "views/CHeftTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

class ExactAfterDeleteTest : public ListTest {
protected:
    // Every folder of the tree, depth first with siblings by name: its path,
    // total and whether it is marked as not (fully) read.
    static std::vector<std::string> TreeLines(CHeftDoc* doc)
    {
        CTreeCtrl& tree = *doc->m_pTreeCtrl;
        std::vector<std::string> lines;
        std::vector<HTREEITEM> pending{doc->m_hRootItem};
        while (!pending.empty()) {
            HTREEITEM item = pending.back();
            pending.pop_back();
            const CDirEntry* record = Record(tree, item);
            lines.push_back(doc->FolderPath(item).str() + " " + std::to_string(record->GetSize()) +
                            (record->IsUnreadable() ? " unread" : ""));
            std::vector<HTREEITEM> children;
            for (HTREEITEM child = tree.GetChildItem(item); child; child = tree.GetNextSiblingItem(child))
                children.push_back(child);
            std::sort(children.begin(), children.end(), [&tree](HTREEITEM x, HTREEITEM y) {
                return tree.GetItemText(x).str() > tree.GetItemText(y).str();
            });
            pending.insert(pending.end(), children.begin(), children.end());
        }
        return lines;
    }

    // The one check: the totals the views use agree with the tree, and the
    // tree is the one a fresh search of the drive gives.
    // The one check: the totals the views use agree with the tree, a listing
    // shown is the one the model gives now, and the tree, the file types and
    // the largest files are the ones a fresh search of the drive gives.
    static void ExpectAsAFreshSearch(CHeftDoc* doc)
    {
        CTreeCtrl& tree = *doc->m_pTreeCtrl;
        const std::vector<std::string> now = TreeLines(doc);
        const std::vector<std::string> files = DescribeFiles(doc);
        EXPECT_EQ(doc->m_nDriveTotal, Record(tree, doc->m_hRootItem)->GetSize());
        const std::int64_t shown =
            doc->ShowsDriveListing() ? doc->m_nDriveTotal : Record(tree, tree.GetSelectedItem())->GetSize();
        EXPECT_EQ(doc->m_nFolderTotal, shown) << "the shown folder's total";
        if (doc->m_listState != ListState::Contents && doc->m_listState != ListState::TopTen) {
            CHeftList* list = ListOf(doc);
            const std::vector<std::string> rows = RowLines(list);
            doc->FillListing(*list);
            EXPECT_EQ(rows, RowLines(list)) << "the listing shown, and the one the model gives now";
        }
        const int unreadable = doc->m_nUnreadableFolders;
        doc->OnRefresh();
        EXPECT_EQ(now, TreeLines(doc)) << "the tree before a fresh search, and after it";
        EXPECT_EQ(files, DescribeFiles(doc)) << "the file types and largest files before a fresh search, and after it";
        EXPECT_EQ(doc->m_nUnreadableFolders, unreadable);
    }

    // Sends a command to a view, answering every "Delete" box with Yes;
    // returns how many boxes came (1: the question alone).
    static int DeleteAnsweringYes(CWnd* view)
    {
        DialogAnswerer yes("Delete", IDYES);
        view->SendMessage(WM_COMMAND, ID_ACTION_DELETE);
        return yes.Answered();
    }
    void Build(FixtureDrive& drive)
    {
        drive.File("root.bin", 1);
        drive.File("a\\f1.bin", 10);
        drive.File("a\\f2.bin", 20);
        drive.File("a\\sub\\x.bin", 5);
        drive.File("b\\y.bin", 100);
        drive.File("b\\in\\z.bin", 7);
        drive.File("p\\own.bin", 3);
        drive.File("p\\q\\r\\ro.bin", 40);
        drive.File("p\\q\\s.bin", 8);
        drive.File("p\\gone\\g1.bin", 9);
        drive.File("p\\gone\\deep\\g2.bin", 11);
        drive.File("g\\old.bin", 60);
        drive.File("top\\leaf\\big.bin", 5000);
        drive.File("top\\small.bin", 2);
        MakeReadOnly(drive, "p\\q\\r\\ro.bin", true);
    }
};

} // namespace

TEST_F(ExactAfterDeleteTest, EveryKindOfDeleteLeavesTheTreeAFreshSearchWouldGive)
{
    struct Case {
        const char* name;
        std::function<void(FixtureDrive&, CHeftDoc*, CHeftList*)> act;
    };
    const Case cases[] = {
        {"a file row", [](FixtureDrive&, CHeftDoc* doc, CHeftList* list) {
             Show(doc, Item(doc, "a"));
             Select(list, FindRow(list, "f2.bin"));
             EXPECT_EQ(DeleteAnsweringYes(list), 1);
         }},
        {"a folder row", [](FixtureDrive&, CHeftDoc* doc, CHeftList* list) {
             Show(doc, doc->m_hRootItem);
             Select(list, FindRow(list, "b"));
             EXPECT_EQ(DeleteAnsweringYes(list), 1);
             EXPECT_EQ(Item(doc, "b"), nullptr);
         }},
        {"the tree's folder", [](FixtureDrive&, CHeftDoc* doc, CHeftList*) {
             Show(doc, Item(doc, "a\\sub"));
             EXPECT_EQ(DeleteAnsweringYes(TreeOf(doc)), 1);
         }},
        {"a partial delete", [](FixtureDrive& drive, CHeftDoc* doc, CHeftList*) {
             Show(doc, Item(doc, "p"));
             EXPECT_EQ(DeleteAnsweringYes(TreeOf(doc)), 2) << "the question, then what stayed";
             EXPECT_EQ(Item(doc, "p\\gone"), nullptr) << "a subfolder that went leaves the tree";
             EXPECT_NE(Item(doc, "p\\q\\r"), nullptr);
             EXPECT_TRUE(Exists(drive, "p\\q\\r\\ro.bin"));
         }},
        {"a folder that grew after the search", [](FixtureDrive& drive, CHeftDoc* doc, CHeftList* list) {
             drive.File("g\\new.bin", 700);
             Show(doc, doc->m_hRootItem);
             Select(list, FindRow(list, "g"));
             EXPECT_EQ(DeleteAnsweringYes(list), 1);
         }},
        {"the ten largest directories", [](FixtureDrive&, CHeftDoc* doc, CHeftList* list) {
             doc->OnTopTen();
             ASSERT_TRUE(doc->m_bTopTen);
             Select(list, FindRow(list, "leaf"));
             EXPECT_EQ(DeleteAnsweringYes(list), 1);
         }},
        {"the largest file, from its listing", [](FixtureDrive& drive, CHeftDoc* doc, CHeftList* list) {
             doc->OnLargestFiles();
             ASSERT_EQ(Row(list, 0)->GetName(), "big.bin");
             Select(list, 0);
             EXPECT_EQ(DeleteAnsweringYes(list), 1);
             EXPECT_FALSE(Exists(drive, "top\\leaf\\big.bin"));
             EXPECT_EQ(FindRow(list, "big.bin"), -1) << "the row goes";
             EXPECT_EQ(doc->m_listState, ListState::LargestFiles) << "the listing stays";
         }},
        {"a folder of several large files, beside the largest files", [](FixtureDrive&, CHeftDoc* doc, CHeftList* list) {
             doc->OnLargestFiles();
             Show(doc, Item(doc, "a"));
             EXPECT_EQ(DeleteAnsweringYes(TreeOf(doc)), 1);
             EXPECT_EQ(FindRow(list, "f1.bin"), -1);
             EXPECT_EQ(FindRow(list, "x.bin"), -1) << "a file of its subfolder";
         }},
        {"a folder, beside the file types of its parent", [](FixtureDrive&, CHeftDoc* doc, CHeftList* list) {
             Show(doc, Item(doc, "p"));
             doc->OnFileTypes();
             ASSERT_EQ(RowLines(list), (std::vector<std::string>{".bin|71|5"}));
             Show(doc, Item(doc, "p\\gone"));
             EXPECT_EQ(RowLines(list), (std::vector<std::string>{".bin|20|2"})) << "the listing follows the tree";
             EXPECT_EQ(DeleteAnsweringYes(TreeOf(doc)), 1);
             Show(doc, Item(doc, "p"));
             EXPECT_EQ(RowLines(list), (std::vector<std::string>{".bin|51|3"}));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureDrive drive('T');
        Build(drive);
        CHeftDoc* doc = nullptr;
        CHeftList* list = nullptr;
        ASSERT_TRUE(OpenShowing(drive, "", doc, list));
        c.act(drive, doc, list);
        ExpectAsAFreshSearch(doc);
        MakeReadOnly(drive, "p\\q\\r\\ro.bin", false);
        app.CloseAllDocuments();
        PumpPending();
    }
}

namespace {
// Makes the deletion of "s" last past the second after which it shows its
// progress window, and then take a while over each of its subfolders.
void SlowAfterListingS(const CString& folderPath)
{
    if (folderPath.Right(2) == "\\s") Sleep(static_cast<DWORD>(CHeftDoc::kDeleteProgressDelayMs) + 100);
    else if (folderPath.Find("\\s\\") >= 0) Sleep(200);
}
} // namespace

TEST_F(ExactAfterDeleteTest, StopInTheProgressWindowLeavesTheRestInPlaceAndTheTotalsExact)
{
    FixtureDrive drive('T');
    Build(drive);
    for (int i = 0; i < 100; ++i) drive.File(("s\\d" + std::to_string(i % 5) + "\\f" + std::to_string(i)).c_str(), 3);
    CHeftDoc* doc = nullptr;
    CHeftList* list = nullptr;
    ASSERT_TRUE(OpenShowing(drive, "s", doc, list));

    CHeftDoc::SetDeleteListedHook(&SlowAfterListingS);
    ProgressWatcher watcher;
    std::string button, count;
    // Stop once some entries are gone.
    watcher.onStatus = [&](HWND dialog, const std::string&) {
        if (!button.empty() || GetWindowTextUtf8(dialog).str() != "Deleting") return;
        const std::string now = GetWindowTextUtf8(GetDlgItem(dialog, 1004)).str();
        if (now.empty() || now[0] == '0') return;
        button = GetWindowTextUtf8(GetDlgItem(dialog, IDCANCEL)).str();
        count = now;
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    };
    EXPECT_EQ(DeleteAnsweringYes(TreeOf(doc)), 1) << "Stop is no failure to report";
    CHeftDoc::SetDeleteListedHook(nullptr);

    EXPECT_EQ(button, "Stop");
    EXPECT_NE(count.find("entries removed"), std::string::npos) << count;
    ASSERT_NE(Item(doc, "s"), nullptr) << "the folder stays with what is left";
    const std::int64_t left = Record(*doc->m_pTreeCtrl, Item(doc, "s"))->GetSize();
    EXPECT_GT(left, 0) << "Stop came before the end";
    EXPECT_LT(left, 300) << "and after some entries";
    EXPECT_EQ(doc->m_bBusy, FALSE);
    ExpectAsAFreshSearch(doc);
    MakeReadOnly(drive, "p\\q\\r\\ro.bin", false);
}

TEST_F(ExactAfterDeleteTest, RefreshFolderReadsTheFolderAgainUpToTheRootAndKeepsTheSelection)
{
    FixtureDrive drive('T');
    Build(drive);
    CHeftDoc* doc = nullptr;
    CHeftList* list = nullptr;
    ASSERT_TRUE(OpenShowing(drive, "p\\q", doc, list));
    drive.File("p\\q\\added.bin", 1234);
    drive.File("p\\newfolder\\n.bin", 6);
    MakeReadOnly(drive, "p\\gone\\g1.bin", false);
    DeleteFileW(ToWidePath(drive.Path("p\\gone\\g1.bin")).c_str());

    ASSERT_TRUE(doc->RefreshFolder(Item(doc, "p")));
    EXPECT_EQ(doc->m_pTreeCtrl->GetSelectedItem(), Item(doc, "p\\q")) << "the selection stays on its folder";
    EXPECT_NE(FindRow(list, "added.bin"), -1) << "the list shows the folder again";
    EXPECT_NE(Item(doc, "p\\newfolder"), nullptr);
    // The command does the same for the folder selected in the tree.
    drive.File("p\\q\\more.bin", 4);
    TreeOf(doc)->SendMessage(WM_COMMAND, ID_REFRESH_FOLDER);
    EXPECT_NE(FindRow(list, "more.bin"), -1);
    ExpectAsAFreshSearch(doc);

    // Beside the largest files and the file types: files added, grown and
    // removed, a folder new and one gone.
    for (ListState state : {ListState::LargestFiles, ListState::FileTypes}) {
        SCOPED_TRACE(static_cast<int>(state));
        doc->ToggleListing(state);
        // Largest Files selected the folder of its first row.
        Show(doc, Item(doc, "p"));
        drive.File("p\\q\\added.bin", 98765);
        drive.File("p\\q\\Added.TXT", 5);
        DeleteFileW(ToWidePath(drive.Path("p\\q\\s.bin")).c_str());
        drive.File(state == ListState::FileTypes ? "p\\fresh\\f.dat" : "p\\fresh2\\f.dat", 77);
        TreeOf(doc)->SendMessage(WM_COMMAND, ID_REFRESH_FOLDER);
        EXPECT_EQ(doc->m_listState, state) << "the listing stays";
        if (state == ListState::LargestFiles) EXPECT_EQ(Row(list, 0)->GetName(), "added.bin");
        else EXPECT_NE(FindRow(list, ".txt"), -1);
        ExpectAsAFreshSearch(doc);
    }
    MakeReadOnly(drive, "p\\q\\r\\ro.bin", false);
}

namespace {
// A listing of "broken" that fails after its third entry, as a share that
// drops does; and a drive root whose search finds nothing at all, as an
// empty FAT root does.
DWORD BreakListings(const CString& pattern, int entriesSoFar)
{
    if (pattern.Right(11) == "\\broken\\*.*" && entriesSoFar == 3) return ERROR_UNEXP_NET_ERR;
    if (pattern == "U:\\*.*" && entriesSoFar == 0) return ERROR_FILE_NOT_FOUND;
    return 0;
}
} // namespace

TEST_F(ExactAfterDeleteTest, AListingThatBreaksOffMarksItsFolderAndAnEmptyRootIsJustEmpty)
{
    FixtureDrive drive('T');
    for (int i = 0; i < 8; ++i) drive.File(("broken\\f" + std::to_string(i)).c_str(), 100);
    drive.File("whole\\w.bin", 5);
    FixtureDrive empty('U');
    CFileFind::SetNextEntryHook(&BreakListings);
    CHeftDoc* doc = Open(drive);
    CHeftDoc* emptyDoc = Open(empty);
    CFileFind::SetNextEntryHook(nullptr);
    ASSERT_NE(doc, nullptr);
    ASSERT_NE(emptyDoc, nullptr);

    const CDirEntry* broken = Record(*doc->m_pTreeCtrl, Item(doc, "broken"));
    EXPECT_TRUE(broken->IsUnreadable());
    EXPECT_LT(broken->GetSize(), 800) << "what was read counts";
    EXPECT_FALSE(Record(*doc->m_pTreeCtrl, Item(doc, "whole"))->IsUnreadable());
    EXPECT_EQ(doc->m_nUnreadableFolders, 1);
    EXPECT_FALSE(Record(*emptyDoc->m_pTreeCtrl, emptyDoc->m_hRootItem)->IsUnreadable());
    EXPECT_EQ(emptyDoc->m_nUnreadableFolders, 0);
}
