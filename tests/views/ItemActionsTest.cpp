// Open, Delete and Properties on the tree's folder and on the list's rows:
// what they ask, what they change on the disk, and what the views show after.
#include "resources/resource.h"
#include "tests/common/DialogAnswerer.h"
#include "tests/views/ListTestBase.h"
#include "views/CHeftTree.h"
#include "views/CItemPropertiesDlg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Text(HWND box, int id)
{
    return GetWindowTextUtf8(GetDlgItem(box, id)).str();
}

class ItemActionsTest : public ListTest {
protected:
    // Runs a command of a view with every "Delete" box answered by `button`;
    // returns the texts of the boxes in the order they came.
    std::vector<std::string> Answering(int button, CWnd* view, UINT command)
    {
        std::vector<std::string> texts;
        DialogAnswerer answer("Delete", button, [&texts](HWND box) { texts.push_back(Text(box, 0xFFFF)); });
        view->SendMessage(WM_COMMAND, command);
        return texts;
    }
    static long long Size(CHeftDoc* doc, const char* path)
    {
        HTREEITEM item = *path ? Item(doc, path) : doc->m_hRootItem;
        return item ? Record(*doc->m_pTreeCtrl, item)->GetSize() : -1;
    }

    // The drive every case starts from: a root file, a folder "a" with a file
    // and a subfolder "a\b" with two files and a folder "a\b\c" below it.
    void Build(FixtureDrive& drive)
    {
        drive.File("root.bin", 1);
        drive.File("a\\a.bin", 10);
        drive.File("a\\b\\file.bin", 1000);
        drive.File("a\\b\\other.bin", 500);
        drive.File("a\\b\\c\\deep.bin", 200);
        drive.File("a\\b\\c\\d\\deeper.bin", 30);
    }
};

const char* const kAsk = "Do you want to permanently delete this?\n";

TEST_F(ItemActionsTest, DeletingAFileRowTakesItsBytesOffEveryFolderUpToTheRoot)
{
    FixtureDrive drive('T');
    Build(drive);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    Show(doc, Item(doc, "a\\b"));
    ASSERT_EQ(RowNames(list), (std::vector<std::string>{"file.bin", "other.bin", "c"}));
    const std::int64_t folderTotal = doc->m_nFolderTotal;
    Select(list, 0);

    // No changes nothing.
    EXPECT_EQ(Answering(IDNO, list, ID_ACTION_DELETE), (std::vector<std::string>{std::string(kAsk) + "T:\\a\\b\\file.bin"}));
    EXPECT_TRUE(Exists(drive, "a\\b\\file.bin"));
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"file.bin", "other.bin", "c"}));
    EXPECT_EQ(Size(doc, "a\\b"), 1730);

    EXPECT_EQ(Answering(IDYES, list, ID_ACTION_DELETE).size(), 1u) << "asked once, nothing to report";
    EXPECT_FALSE(Exists(drive, "a\\b\\file.bin"));
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"other.bin", "c"}));
    EXPECT_EQ(Size(doc, "a\\b"), 730);
    EXPECT_EQ(Size(doc, "a"), 740);
    EXPECT_EQ(Size(doc, ""), 741);
    EXPECT_EQ(Size(doc, "a\\b\\c"), 230) << "a sibling folder keeps its total";
    // The shares are taken of what the folder and the drive hold now.
    EXPECT_EQ(doc->m_nFolderTotal, folderTotal - 1000);
    EXPECT_EQ(doc->m_nDriveTotal, 741);
}

TEST_F(ItemActionsTest, DeletingAFolderRowRemovesItsTreeItemsRowAndBytes)
{
    FixtureDrive drive('T');
    Build(drive);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    Show(doc, Item(doc, "a\\b"));
    const long liveBefore = CDirEntry::LiveCount();
    Select(list, FindRow(list, "c"));
    EXPECT_EQ(Answering(IDYES, list, ID_ACTION_DELETE), (std::vector<std::string>{std::string(kAsk) + "T:\\a\\b\\c"}));
    EXPECT_FALSE(Exists(drive, "a\\b\\c"));
    EXPECT_EQ(Item(doc, "a\\b\\c"), nullptr);
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"file.bin", "other.bin"}));
    EXPECT_EQ(Size(doc, "a\\b"), 1500);
    EXPECT_EQ(Size(doc, "a"), 1510);
    EXPECT_EQ(Size(doc, ""), 1511);
    // The row and the two tree records of c and c\d are freed, nothing else.
    EXPECT_EQ(CDirEntry::LiveCount(), liveBefore - 3);
    EXPECT_EQ(doc->m_pTreeCtrl->GetSelectedItem(), Item(doc, "a\\b"));
}

TEST_F(ItemActionsTest, DeletingTheTreesFolderTakesItsBytesOffItsAncestorsAndShowsWhereTheTreeGoes)
{
    FixtureDrive drive('T');
    Build(drive);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    CTreeCtrl& tree = *doc->m_pTreeCtrl;
    Show(doc, Item(doc, "a\\b"));
    const long liveBefore = CDirEntry::LiveCount();

    EXPECT_EQ(Answering(IDNO, TreeOf(doc), ID_ACTION_DELETE),
              (std::vector<std::string>{std::string(kAsk) + "T:\\a\\b"}));
    EXPECT_TRUE(Exists(drive, "a\\b\\c\\d\\deeper.bin"));
    EXPECT_EQ(CDirEntry::LiveCount(), liveBefore);

    EXPECT_EQ(Answering(IDYES, TreeOf(doc), ID_ACTION_DELETE).size(), 1u);
    EXPECT_FALSE(Exists(drive, "a\\b"));
    EXPECT_EQ(Item(doc, "a\\b"), nullptr);
    EXPECT_EQ(Size(doc, "a"), 10);
    EXPECT_EQ(Size(doc, ""), 11);
    // The tree chose another folder, and the list shows it.
    HTREEITEM now = tree.GetSelectedItem();
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(doc->m_strListFolder, doc->FolderPath(now));
    if (now == Item(doc, "a")) {
        EXPECT_EQ(RowNames(list), (std::vector<std::string>{"a.bin"}));
    }
    // Freed: b, c and d of the tree and the three rows of b; made: the new rows.
    EXPECT_EQ(CDirEntry::LiveCount(), liveBefore - 6 + list->GetRowCount());
}

TEST_F(ItemActionsTest, TheDrivesRootIsNeverDeletedAndNothingIsAsked)
{
    FixtureDrive drive('T');
    Build(drive);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    Show(doc, doc->m_hRootItem);
    EXPECT_TRUE(Answering(IDYES, TreeOf(doc), ID_ACTION_DELETE).empty());
    EXPECT_TRUE(Exists(drive, "root.bin"));
    EXPECT_TRUE(Exists(drive, "a\\b\\c\\d\\deeper.bin"));
    EXPECT_EQ(Size(doc, ""), 1741);
}

TEST_F(ItemActionsTest, AFileThatCannotBeDeletedIsReportedAndStays)
{
    FixtureDrive drive('T');
    Build(drive);
    drive.File("a\\b\\locked.bin", 4000);
    MakeReadOnly(drive, "a\\b\\locked.bin", true);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    Show(doc, Item(doc, "a\\b"));
    Select(list, FindRow(list, "locked.bin"));
    const std::vector<std::string> texts = Answering(IDYES, list, ID_ACTION_DELETE);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1].rfind("Could not delete\nT:\\a\\b\\locked.bin\n\n", 0), 0u) << texts[1];
    EXPECT_GT(texts[1].size(), std::string("Could not delete\nT:\\a\\b\\locked.bin\n\n").size()) << "with a reason";
    EXPECT_TRUE(Exists(drive, "a\\b\\locked.bin"));
    EXPECT_NE(FindRow(list, "locked.bin"), -1);
    EXPECT_EQ(Size(doc, "a\\b"), 5730);
    EXPECT_EQ(Size(doc, ""), 5741);
    MakeReadOnly(drive, "a\\b\\locked.bin", false);
}

TEST_F(ItemActionsTest, AFolderOnlyPartlyRemovedKeepsItsItemAndLosesOnlyTheBytesThatWent)
{
    FixtureDrive drive('T');
    Build(drive);
    drive.File("a\\b\\c\\locked.bin", 4000);
    MakeReadOnly(drive, "a\\b\\c\\locked.bin", true);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    Show(doc, Item(doc, "a\\b"));
    ASSERT_EQ(Size(doc, "a\\b\\c"), 4230);

    // From the list: deep.bin and d\deeper.bin go, locked.bin stays.
    Select(list, FindRow(list, "c"));
    std::vector<std::string> texts = Answering(IDYES, list, ID_ACTION_DELETE);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1].rfind("Could not delete\nT:\\a\\b\\c\n\nT:\\a\\b\\c\\locked.bin could not be deleted:\n", 0), 0u)
        << texts[1];
    EXPECT_TRUE(Exists(drive, "a\\b\\c\\locked.bin"));
    EXPECT_FALSE(Exists(drive, "a\\b\\c\\deep.bin"));
    ASSERT_NE(Item(doc, "a\\b\\c"), nullptr);
    ASSERT_NE(FindRow(list, "c"), -1);
    EXPECT_EQ(Size(doc, "a\\b\\c"), 4000);
    EXPECT_EQ(Row(list, FindRow(list, "c"))->GetSize(), 4000) << "the row shows what is left";
    EXPECT_EQ(Size(doc, "a\\b"), 5500);
    EXPECT_EQ(Size(doc, ""), 5511);

    // From the tree, the same rule.
    doc->m_pTreeCtrl->SelectItem(Item(doc, "a"));
    texts = Answering(IDYES, TreeOf(doc), ID_ACTION_DELETE);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1].rfind("Could not delete\nT:\\a\n\nT:\\a\\b\\c\\locked.bin could not be deleted:\n", 0), 0u)
        << texts[1];
    ASSERT_NE(Item(doc, "a"), nullptr);
    EXPECT_EQ(Size(doc, "a"), 4000);
    EXPECT_EQ(Size(doc, ""), 4001);
    EXPECT_EQ(doc->m_pTreeCtrl->GetSelectedItem(), Item(doc, "a"));
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"b"})) << "the list shows what is left";
    MakeReadOnly(drive, "a\\b\\c\\locked.bin", false);
}

TEST_F(ItemActionsTest, DeletingALinkRowNeverTouchesWhatItPointsAt)
{
    FixtureDrive drive('T');
    drive.File("precious\\data.bin", 999);
    drive.File("place\\own.bin", 1);
    drive.LinkToFolder("place\\shortcut", "precious");
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    Show(doc, Item(doc, "place"));
    Select(list, FindRow(list, "shortcut"));
    const std::vector<std::string> texts = Answering(IDYES, list, ID_ACTION_DELETE);
    ASSERT_FALSE(texts.empty());
    EXPECT_TRUE(Exists(drive, "precious\\data.bin"));
    EXPECT_EQ(Size(doc, "precious"), 999);
    // Windows removes the link itself; Wine has no call that removes a Unix
    // link, and then the link stays, reported, with its row.
    const bool gone = !Exists(drive, "place\\shortcut");
    EXPECT_EQ(FindRow(list, "shortcut") == -1, gone);
    EXPECT_EQ(texts.size(), gone ? 1u : 2u);
    EXPECT_EQ(Size(doc, ""), 1000);
}

TEST_F(ItemActionsTest, WithNothingSelectedTheCommandsDoNothingAndShowNothing)
{
    FixtureDrive drive('T');
    drive.Folder("empty");
    drive.File("x.bin", 5);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    Show(doc, Item(doc, "empty"));
    ASSERT_EQ(list->GetRowCount(), 0);
    DialogAnswerer properties("Properties", IDOK);
    EXPECT_TRUE(Answering(IDYES, list, ID_ACTION_DELETE).empty());
    list->SendMessage(WM_COMMAND, ID_ITEM_PROPERTIES);
    list->SendMessage(WM_COMMAND, ID_ACTION_OPEN);
    EXPECT_EQ(properties.Answered(), 0);
    EXPECT_TRUE(Exists(drive, "empty"));
    EXPECT_TRUE(Exists(drive, "x.bin"));
}

// The five fields of the properties dialog, as shown.
struct Shown {
    std::string name, type, size, date, percent;
    bool operator==(const Shown&) const = default;
};
void PrintTo(const Shown& s, std::ostream* os)
{
    *os << "{" << s.name << " | " << s.type << " | " << s.size << " | " << s.date << " | " << s.percent << "}";
}

Shown PropertiesOf(CWnd* view, UINT command = ID_ITEM_PROPERTIES)
{
    Shown shown;
    DialogAnswerer ok("Properties", IDOK, [&shown](HWND dialog) {
        shown = Shown{Text(dialog, IDC_ITEM_NAME), Text(dialog, IDC_ITEM_TYPE), Text(dialog, IDC_ITEM_SPACE_USED),
                      Text(dialog, IDC_ITEM_LAST_WRITTEN), Text(dialog, IDC_ITEM_PERCENT)};
        // It opens centred over the main window, which owns it.
        RECT box{}, owner{};
        GetWindowRect(dialog, &box);
        GetWindowRect(GetWindow(dialog, GW_OWNER), &owner);
        EXPECT_NEAR((box.left + box.right) / 2, (owner.left + owner.right) / 2, 1);
        EXPECT_NEAR((box.top + box.bottom) / 2, (owner.top + owner.bottom) / 2, 1);
    });
    view->SendMessage(WM_COMMAND, command);
    EXPECT_EQ(ok.Answered(), 1);
    return shown;
}

TEST_F(ItemActionsTest, PropertiesShowAnEntrysFactsAndItsShareOfTheDrive)
{
    FixtureDrive drive('T');
    drive.File("half\\inner\\big.bin", 2000);
    drive.File("rest.bin", 1500);
    drive.File("small.bin", 500);
    const SYSTEMTIME when{2002, 3, 0, 7, 14, 5, 9, 0};
    drive.SetLastWriteTime("rest.bin", when);
    drive.SetLastWriteTime("half", when);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    Show(doc, doc->m_hRootItem);
    ASSERT_EQ(RowNames(list), (std::vector<std::string>{"half", "rest.bin", "small.bin"}));
    const std::string fileType = list->GetRowRecord(1)->GetType().str();
    ASSERT_FALSE(fileType.empty());

    // A folder row carries the shell's type name, as its row shows it.
    const std::string folderType = list->GetRowRecord(0)->GetType().str();
    Select(list, 0);
    EXPECT_EQ(PropertiesOf(list), (Shown{"half", folderType, "2,000", "3/07/2002 14:05:09", "50%"}));
    Select(list, 1);
    EXPECT_EQ(PropertiesOf(list), (Shown{"rest.bin", fileType, "1,500", "3/07/2002 14:05:09", "38%"}));

    // In a folder the list shows shares of the folder; the dialog still of the drive.
    Show(doc, Item(doc, "half"));
    Select(list, 0);
    EXPECT_EQ(PropertiesOf(list).percent, "50%");

    // The tree: its selected folder, and the root with the drive's name and no date.
    Shown folder = PropertiesOf(TreeOf(doc));
    EXPECT_EQ(folder, (Shown{"half", "File Folder", "2,000", "3/07/2002 14:05:09", "50%"}));
    doc->m_pTreeCtrl->SelectItem(doc->m_hRootItem);
    const std::string driveName = doc->m_strVolumeName.str();
    EXPECT_EQ(PropertiesOf(TreeOf(doc)), (Shown{driveName, driveName, "4,000", "", "100%"}));
}

TEST(ItemPropertiesDlg, PercentOfTheDriveInWholePercentAndZeroForAnEmptyDrive)
{
    EXPECT_EQ(CItemPropertiesDlg::PercentOfDrive(1, 2), "50%");
    EXPECT_EQ(CItemPropertiesDlg::PercentOfDrive(0, 0), "0%");
    EXPECT_EQ(CItemPropertiesDlg::PercentOfDrive(7, 0), "0%");
    EXPECT_EQ(CItemPropertiesDlg::PercentOfDrive(1, 3), "33%");
    EXPECT_EQ(CItemPropertiesDlg::PercentOfDrive(2, 3), "67%");
    EXPECT_EQ(CItemPropertiesDlg::PercentOfDrive(1LL << 40, 1LL << 41), "50%") << "64-bit sizes";
}

} // namespace
