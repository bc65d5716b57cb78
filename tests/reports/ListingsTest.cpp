// The largest files of the drive and the file types of a folder: what the
// listings hold, and how they share the list's states, columns and commands
// with the contents and the ten largest directories.
#include "resources/resource.h"
#include "tests/common/DialogAnswerer.h"
#include "tests/views/ListTestBase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ListingsTest : public ListTest {
protected:
    void Command(UINT id) { main->SendMessage(WM_COMMAND, id); }

    // The check mark and the pressed button of a command, as its update
    // handlers leave them.
    bool Checked(UINT id)
    {
        HMENU popup = CreatePopupMenu();
        AppendMenuA(popup, MF_STRING, id, "item");
        main->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
        const bool menu = (GetMenuState(popup, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
        DestroyMenu(popup);
        app.OnIdle(0);
        const bool button = main->m_wndToolBar.SendMessage(TB_ISBUTTONCHECKED, id) != 0;
        EXPECT_EQ(menu, button) << "menu and button agree for " << id;
        return menu;
    }
    bool Enabled(UINT id)
    {
        HMENU popup = CreatePopupMenu();
        AppendMenuA(popup, MF_STRING, id, "item");
        main->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
        const bool enabled = !(GetMenuState(popup, id, MF_BYCOMMAND) & MF_GRAYED);
        DestroyMenu(popup);
        return enabled;
    }

    static std::string HeaderText(CHeftList* list, int column)
    {
        wchar_t text[64] = {};
        LVCOLUMNW info{};
        info.mask = LVCF_TEXT;
        info.pszText = text;
        info.cchTextMax = 64;
        if (!list->GetListCtrl().Send(LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info)))
            return "<none>";
        return WideToUtf8(text).str();
    }

    // Opens a drive of files of every kind the listings must tell apart, and
    // shows one of its folders.
    void OpenShowingBuilt(const std::string& folder)
    {
        Build(drive);
        ASSERT_TRUE(OpenShowing(drive, folder, doc, list));
    }
    static void Build(FixtureDrive& drive)
    {
        drive.File("tie-b.bin", 300);
        drive.File("a\\tie-a.bin", 300);
        drive.File("a\\b\\Photo.JPG", 200);
        drive.File("a\\b\\photo2.jpg", 100);
        drive.File("a\\README", 7);
        drive.File("a\\ends-in-dot.", 3);
        drive.File("c\\.bashrc", 2);
        drive.File("c\\huge.iso", 5ull << 30); // sparse: no disk space
    }

    FixtureDrive drive{'T'};
    CHeftDoc* doc = nullptr;
    CHeftList* list = nullptr;
};

} // namespace

TEST_F(ListingsTest, LargestFilesListsEveryFileOfTheDriveLargestFirstWithItsFolder)
{
    OpenShowingBuilt("a");
    EXPECT_EQ(list->ColumnCount(), 4);

    Command(ID_LARGEST_FILES);
    EXPECT_TRUE(Checked(ID_LARGEST_FILES));
    EXPECT_EQ(HeaderText(list, 4), "Folder");
    EXPECT_EQ(RowLines(list), (std::vector<std::string>{
                                  "huge.iso|" + std::to_string(5ull << 30) + "|\\c", "tie-a.bin|300|\\a",
                                  "tie-b.bin|300|\\", "Photo.JPG|200|\\a\\b", "photo2.jpg|100|\\a\\b",
                                  "README|7|\\a", "ends-in-dot.|3|\\a", ".bashrc|2|\\c"}))
        << "largest first, equal sizes by path";
    EXPECT_EQ(doc->m_nFolderTotal, doc->m_nDriveTotal) << "shares of the drive";
    EXPECT_EQ(main->m_wndStatusBar.GetPaneText(0), "Largest Files: 8 files");
    EXPECT_EQ(list->GetRowPath(3), "T:\\a\\b\\Photo.JPG");

    // A row selects its folder in the tree; the listing stays.
    Select(list, 3);
    EXPECT_EQ(doc->m_pTreeCtrl->GetSelectedItem(), Item(doc, "a\\b"));
    EXPECT_EQ(list->GetRowCount(), 8);
    list->GetParentFrame()->SetActiveView(list);
    EXPECT_TRUE(Enabled(ID_ACTION_OPEN));
    EXPECT_TRUE(Enabled(ID_ACTION_DELETE));

    // The fifth column sorts too.
    ClickHeader(list, 4);
    EXPECT_EQ(list->GetExtraColumnText(0), "\\");
    EXPECT_EQ(list->GetExtraColumnText(7), "\\c");

    // Choosing it again returns to the contents of the folder the tree shows.
    Command(ID_LARGEST_FILES);
    EXPECT_FALSE(Checked(ID_LARGEST_FILES));
    EXPECT_EQ(doc->m_listState, ListState::Contents);
    EXPECT_EQ(list->ColumnCount(), 4) << "the column goes with the listing";
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"Photo.JPG", "photo2.jpg"}));
}

TEST_F(ListingsTest, FileTypesFollowTheTreeAndShareTheSelectedFolder)
{
    OpenShowingBuilt("");

    Command(ID_FILE_TYPES);
    EXPECT_TRUE(Checked(ID_FILE_TYPES));
    EXPECT_EQ(HeaderText(list, 4), "Files");
    EXPECT_EQ(RowLines(list), (std::vector<std::string>{".iso|" + std::to_string(5ull << 30) + "|1", ".bin|600|2",
                                                        ".jpg|300|2", "(no extension)|10|2", ".bashrc|2|1"}))
        << "case does not count; no dot and a last dot are no extension";
    list->GetParentFrame()->SetActiveView(list);
    Select(list, 0);
    EXPECT_FALSE(Enabled(ID_ACTION_OPEN)) << "a type is no entry to open";
    EXPECT_FALSE(Enabled(ID_ACTION_DELETE));

    // Another folder refills the listing, as shares of that folder.
    doc->m_pTreeCtrl->SelectItem(Item(doc, "a\\b"));
    EXPECT_EQ(RowLines(list), (std::vector<std::string>{".jpg|300|2"}));
    EXPECT_EQ(doc->m_nFolderTotal, 300);
    EXPECT_FALSE(Row(list, 0)->GetType().IsEmpty()) << "the shell's name of the type";
    ClickHeader(list, 4);
    EXPECT_EQ(list->GetExtraColumnText(0), "2");

    // Properties shows the type's fields.
    Select(list, 0);
    bool shown = false;
    DialogAnswerer answer("Properties", IDOK, [&](HWND dialog) {
        shown = GetWindowTextUtf8(GetDlgItem(dialog, IDC_ITEM_NAME)).str() == ".jpg";
    });
    list->SendMessage(WM_COMMAND, ID_ITEM_PROPERTIES);
    EXPECT_TRUE(shown);
}

TEST_F(ListingsTest, OneListingAtATimeAndRefreshReturnsToTheContents)
{
    OpenShowingBuilt("a");
    const UINT listings[] = {ID_TOP_TEN, ID_LARGEST_FILES, ID_FILE_TYPES};
    for (UINT chosen : listings) {
        Command(chosen);
        for (UINT other : listings) EXPECT_EQ(Checked(other), other == chosen) << chosen << " then " << other;
    }
    Command(ID_TOP_TEN);
    EXPECT_EQ(list->ColumnCount(), 4) << "Top Ten has no column of its own";
    Command(ID_LARGEST_FILES);
    doc->OnRefresh();
    EXPECT_EQ(doc->m_listState, ListState::Contents);
    EXPECT_EQ(list->ColumnCount(), 4);
    for (UINT other : listings) EXPECT_FALSE(Checked(other));
}
