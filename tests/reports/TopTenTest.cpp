// The ten largest directories: which folders the listing shows, how it is
// entered and left, and how the tree and Delete follow its rows.
#include "resources/resource.h"
#include "tests/common/DialogAnswerer.h"
#include "tests/views/ListTestBase.h"
#include "views/CHeftTree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const unsigned long long MB = 1024 * 1024;

class TopTenTest : public ListTest {
protected:
    // Whether the menu item carries its check mark and the toolbar button is
    // shown pressed, as the update handlers leave them.
    bool MenuChecked()
    {
        HMENU popup = CreatePopupMenu();
        AppendMenuA(popup, MF_STRING, ID_TOP_TEN, "Top &10 Directories");
        main->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
        const UINT state = GetMenuState(popup, ID_TOP_TEN, MF_BYCOMMAND);
        DestroyMenu(popup);
        EXPECT_FALSE(state & MF_GRAYED) << "the command is never disabled";
        return (state & MF_CHECKED) != 0;
    }
    bool ButtonPressed()
    {
        app.OnIdle(0);
        return main->m_wndToolBar.SendMessage(TB_ISBUTTONCHECKED, ID_TOP_TEN) != 0;
    }
    void TopTen() { main->SendMessage(WM_COMMAND, ID_TOP_TEN); }

    // p\q (3 MB) and p\r (2 MB) below p, and s (1 MB): the largest folder
    // holds the two next largest.
    static void MakeNestedFolders(FixtureDrive& drive)
    {
        drive.File("p\\q\\big.bin", 3 * MB);
        drive.File("p\\r\\mid.bin", 2 * MB);
        drive.File("s\\small.bin", 1 * MB);
    }

    static std::vector<long long> RowSizes(CHeftList* list)
    {
        std::vector<long long> sizes;
        for (int i = 0; i < list->GetRowCount(); ++i) sizes.push_back(list->GetRowRecord(i)->GetSize());
        return sizes;
    }
    static int SelectedRow(CHeftList* list) { return list->GetListCtrl().GetNextItem(-1, LVNI_SELECTED); }
};

TEST_F(TopTenTest, TwelveLeavesListTheTrueTenLargestFirstAsSharesOfTheDrive)
{
    FixtureDrive drive('T');
    // The walk meets them smallest first: f01 (1 MB) ... f12 (12 MB).
    for (int i = 1; i <= 12; ++i) {
        char name[32];
        snprintf(name, sizeof(name), "f%02d\\data.bin", i);
        drive.File(name, static_cast<unsigned long long>(i) * MB);
    }
    drive.File("top.bin", 7);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    Show(doc, doc->m_hRootItem);
    EXPECT_FALSE(MenuChecked());
    EXPECT_FALSE(ButtonPressed());

    TopTen();
    EXPECT_TRUE(doc->m_bTopTen);
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"f12", "f11", "f10", "f09", "f08", "f07", "f06", "f05",
                                                        "f04", "f03"}));
    std::vector<long long> sizes;
    for (int i = 12; i >= 3; --i) sizes.push_back(static_cast<long long>(i * MB));
    EXPECT_EQ(RowSizes(list), sizes);
    for (int i = 0; i < list->GetRowCount(); ++i) {
        const CDirEntry* row = list->GetRowRecord(i);
        EXPECT_TRUE(row->IsFolder());
        EXPECT_EQ(row->GetType(), "File Folder");
        EXPECT_EQ(row->GetTreeItem(), Item(doc, row->GetName().str())) << "each row stands for its tree item";
        EXPECT_EQ(list->GetRowImage(i), doc->m_nFolderImage);
    }
    // Shares of the drive, whichever basis the list uses.
    EXPECT_EQ(doc->m_nFolderTotal, doc->m_nDriveTotal);
    EXPECT_EQ(doc->m_nDriveTotal, static_cast<long long>(78 * MB + 7));
    // The largest is selected and the tree shows where it is.
    EXPECT_EQ(SelectedRow(list), 0);
    EXPECT_EQ(doc->m_pTreeCtrl->GetSelectedItem(), Item(doc, "f12"));
    EXPECT_TRUE(MenuChecked());
    EXPECT_TRUE(ButtonPressed());

    // Leaving the listing lists the folder the tree shows.
    TopTen();
    EXPECT_FALSE(doc->m_bTopTen);
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"data.bin"}));
    EXPECT_EQ(doc->m_nFolderTotal, static_cast<long long>(12 * MB));
    EXPECT_FALSE(MenuChecked());
    EXPECT_FALSE(ButtonPressed());
}

TEST_F(TopTenTest, OnlyLeafFoldersCompeteAndTheRootIsNeverListed)
{
    FixtureDrive drive('T');
    drive.File("A\\a.bin", 5 * MB);
    drive.File("B\\own.bin", 2 * MB);
    drive.Folder("B\\B1");
    drive.File("C\\D\\E\\deep.bin", 3);
    drive.File("C\\D\\d.bin", 9 * MB);
    drive.File("root.bin", 50 * MB);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    TopTen();
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"A", "E", "B1"}));
    EXPECT_EQ(RowSizes(list), (std::vector<long long>{static_cast<long long>(5 * MB), 3, 0}));
    EXPECT_EQ(list->GetRowRecord(2)->GetSizeText(), "");
}

TEST_F(TopTenTest, ARootWithoutSubfoldersGivesAnEmptyListingThatIsStillEntered)
{
    FixtureDrive drive('T');
    drive.File("only.bin", 10);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    Show(doc, doc->m_hRootItem);
    ASSERT_EQ(list->GetRowCount(), 1);
    TopTen();
    EXPECT_EQ(list->GetRowCount(), 0);
    EXPECT_EQ(list->GetListCtrl().GetItemCount(), 0);
    EXPECT_TRUE(MenuChecked());
    EXPECT_TRUE(ButtonPressed());
    TopTen();
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"only.bin"}));
}

TEST_F(TopTenTest, RefreshLeavesTheListing)
{
    FixtureDrive drive('T');
    drive.File("a\\x.bin", 10);
    drive.File("b\\y.bin", 20);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    TopTen();
    ASSERT_TRUE(MenuChecked());
    main->SendMessage(WM_COMMAND, ID_REFRESH);
    EXPECT_FALSE(doc->m_bTopTen);
    EXPECT_FALSE(MenuChecked());
    EXPECT_FALSE(ButtonPressed());
    EXPECT_EQ(doc->m_pTreeCtrl->GetSelectedItem(), doc->m_hRootItem);
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"b", "a"}));
}

TEST_F(TopTenTest, RowsLeadTheTreeAndOpenMovesOnlyTheTreesSelection)
{
    FixtureDrive drive('T');
    MakeNestedFolders(drive);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    CTreeCtrl& tree = *doc->m_pTreeCtrl;
    TopTen();
    ASSERT_EQ(RowNames(list), (std::vector<std::string>{"q", "r", "s"}));

    list->GetListCtrl().SetItemState(2, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(tree.GetSelectedItem(), Item(doc, "s"));
    // Another folder in the tree, then Enter on the row: only the tree moves.
    tree.SelectItem(doc->m_hRootItem);
    list->SendMessage(WM_KEYDOWN, VK_RETURN, 0x001C0001);
    EXPECT_EQ(tree.GetSelectedItem(), Item(doc, "s"));
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"q", "r", "s"}));
    EXPECT_TRUE(doc->m_bTopTen);

    // A header click sorts the ten rows and keeps the listing.
    ClickHeader(list, 0);
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"q", "r", "s"}));
    ClickHeader(list, 0);
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"s", "r", "q"}));
    EXPECT_TRUE(doc->m_bTopTen);

    // Leaving lists the folder of the row selected last.
    TopTen();
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"small.bin"}));
}

TEST_F(TopTenTest, DeleteOfARowRemovesTheFolderItStandsForNotANamesake)
{
    FixtureDrive drive('T');
    drive.File("x\\Temp\\keep.bin", 3 * MB);
    drive.File("y\\Temp\\gone.bin", 1 * MB);
    drive.File("y\\own.bin", 5);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    CTreeCtrl& tree = *doc->m_pTreeCtrl;
    TopTen();
    ASSERT_EQ(RowNames(list), (std::vector<std::string>{"Temp", "Temp"}));
    list->GetListCtrl().SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    ASSERT_EQ(tree.GetSelectedItem(), Item(doc, "y\\Temp"));

    std::vector<std::string> asked;
    {
        DialogAnswerer yes("Delete", IDYES, [&asked](HWND box) {
            asked.push_back(GetWindowTextUtf8(GetDlgItem(box, 0xFFFF)).str());
        });
        list->SendMessage(WM_KEYDOWN, VK_DELETE, 0x00530001);
    }
    ASSERT_EQ(asked, (std::vector<std::string>{"Do you want to permanently delete this?\nT:\\y\\Temp"}));
    EXPECT_EQ(GetFileAttributesW(ToWidePath(drive.Path("y\\Temp")).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(ToWidePath(drive.Path("x\\Temp\\keep.bin")).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Item(doc, "y\\Temp"), nullptr);
    EXPECT_NE(Item(doc, "x\\Temp"), nullptr);
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"Temp"}));
    EXPECT_EQ(RowSizes(list), (std::vector<long long>{static_cast<long long>(3 * MB)}));
    EXPECT_EQ(Record(tree, Item(doc, "y"))->GetSize(), 5);
    EXPECT_EQ(Record(tree, doc->m_hRootItem)->GetSize(), static_cast<long long>(3 * MB + 5));
    EXPECT_TRUE(doc->m_bTopTen) << "the listing stays";
}

TEST_F(TopTenTest, AFolderDeletedInTheTreeTakesItsRowsOutOfTheListing)
{
    FixtureDrive drive('T');
    MakeNestedFolders(drive);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    CTreeCtrl& tree = *doc->m_pTreeCtrl;
    auto* treeView = dynamic_cast<CHeftTree*>(doc->GetView(0));
    TopTen();
    ASSERT_EQ(RowNames(list), (std::vector<std::string>{"q", "r", "s"}));

    tree.SelectItem(Item(doc, "p"));
    {
        DialogAnswerer yes("Delete", IDYES);
        treeView->SendMessage(WM_COMMAND, ID_ACTION_DELETE);
        EXPECT_EQ(yes.Answered(), 1);
    }
    EXPECT_EQ(Item(doc, "p"), nullptr);
    // The rows of folders that are gone go with them: none can lead the tree
    // to an item that no longer exists.
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"s"}));
    EXPECT_TRUE(doc->m_bTopTen);
    list->GetListCtrl().SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(tree.GetSelectedItem(), Item(doc, "s"));
    EXPECT_EQ(Record(tree, doc->m_hRootItem)->GetSize(), static_cast<long long>(1 * MB));
}

} // namespace
