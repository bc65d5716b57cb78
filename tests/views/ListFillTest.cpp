// Filling the contents list: what rows a folder gives, in which order, and
// where each row's facts come from.
#include "resources/resource.h"
#include "tests/views/ListTestBase.h"

#include <gtest/gtest.h>

namespace {

using ListFillTest = ListTest;

TEST_F(ListFillTest, TheListIsAnOwnerDrawnReportOfFourColumnsWithTheShellsIcons)
{
    FixtureDrive drive('T');
    drive.File("a.bin", 1);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    // Report, single selection, shared images, owner-drawn rows; the rows
    // themselves are the view's, so the control keeps none and sorts none.
    const DWORD style = list->GetStyle();
    const DWORD wanted = LVS_REPORT | LVS_SINGLESEL | LVS_SHAREIMAGELISTS | LVS_OWNERDRAWFIXED | LVS_OWNERDATA;
    EXPECT_EQ(style & wanted, wanted) << std::hex << style;
    EXPECT_EQ(style & (LVS_SORTASCENDING | LVS_SORTDESCENDING), 0u) << std::hex << style;
    EXPECT_EQ(style & LVS_TYPEMASK, static_cast<DWORD>(LVS_REPORT));

    const char* headers[] = {"Name", "Size", "Size", "Percent"};
    const int widths[] = {150, 100, 150, 50};
    for (int i = 0; i < 4; ++i) {
        char text[32] = {};
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = text;
        column.cchTextMax = sizeof(text);
        ASSERT_TRUE(list->SendMessage(LVM_GETCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(text, headers[i]);
        EXPECT_EQ(column.cx, widths[i]);
        EXPECT_EQ(column.iSubItem, i);
    }
    EXPECT_FALSE(list->SendMessage(LVM_GETCOLUMNA, 4, 0)) << "four columns only";
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(list->SendMessage(LVM_GETIMAGELIST, LVSIL_SMALL)),
              main->m_ilSystemSmall.GetSafeHandle());
    for (bool ascending : list->m_bSortAscending) EXPECT_TRUE(ascending);
    EXPECT_EQ(list->m_nLastSortColumn, -1);
}

TEST_F(ListFillTest, RowsStandLargestFirstWithTheFirstSelectedButNotFocused)
{
    FixtureDrive drive('T');
    drive.File("big.bin", 5000);
    drive.File("mid.bin", 3000);
    drive.File("tiny.txt", 10);
    drive.File("sub\\inner.bin", 4000);
    drive.Folder("emptydir");
    drive.File(".dotfile", 7);
    SetFileAttributesW(ToWidePath(drive.Path(".dotfile")).c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    SYSTEMTIME when{2002, 3, 4, 7, 14, 5, 9, 0};
    drive.SetLastWriteTime("mid.bin", when);

    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    ASSERT_NE(list, nullptr);
    Show(doc, doc->m_hRootItem);

    EXPECT_EQ(RowNames(list),
              (std::vector<std::string>{"big.bin", "sub", "mid.bin", "tiny.txt", ".dotfile", "emptydir"}));
    ASSERT_TRUE(GetFileAttributesW(ToWidePath(drive.Path(".dotfile")).c_str()) & FILE_ATTRIBUTE_HIDDEN)
        << "the hidden file must really be hidden for this test to mean anything";

    CListCtrl& ctrl = list->GetListCtrl();
    EXPECT_EQ(ctrl.GetItemState(0, LVIS_SELECTED | LVIS_FOCUSED), static_cast<UINT>(LVIS_SELECTED));
    EXPECT_EQ(ctrl.GetNextItem(0, LVNI_SELECTED), -1) << "one row selected only";
    EXPECT_EQ(ctrl.GetNextItem(-1, LVNI_FOCUSED), -1) << "the fill sets no focus";

    // The document's side of the fill.
    EXPECT_EQ(doc->m_pListCtrl, &list->GetListCtrl());
    EXPECT_EQ(doc->m_nFolderTotal, 5000 + 3000 + 10 + 4000 + 7);
    EXPECT_EQ(doc->m_strListFolder, "T:") << "the root's path is the drive text alone";
    EXPECT_FALSE(doc->m_bTopTen);

    // A subfolder row: a copy of the model's facts, pointing at its tree item.
    CTreeCtrl& tree = *doc->m_pTreeCtrl;
    HTREEITEM subItem = Item(doc, "sub");
    CDirEntry* sub = Row(list, 1);
    ASSERT_NE(sub, nullptr);
    EXPECT_TRUE(sub->IsFolder());
    EXPECT_EQ(sub->GetTreeItem(), subItem);
    EXPECT_NE(sub, Record(tree, subItem)) << "a row has a record of its own";
    EXPECT_EQ(sub->GetSize(), 4000);
    EXPECT_EQ(sub->GetDate(), Record(tree, subItem)->GetDate());
    const auto subShell = ShellAbout("T:\\sub");
    EXPECT_EQ(sub->GetType(), subShell.second.c_str());

    // A file row: read from the disk.
    CDirEntry* mid = Row(list, 2);
    ASSERT_NE(mid, nullptr);
    EXPECT_FALSE(mid->IsFolder());
    EXPECT_EQ(mid->GetTreeItem(), nullptr);
    EXPECT_EQ(mid->GetSize(), 3000);
    EXPECT_EQ(mid->GetDate(), "3/07/2002 14:05:09");
    EXPECT_EQ(mid->GetType(), ShellAbout("T:\\mid.bin").second.c_str());

    // Every row's text is its record's name, its image the shell's icon of its path.
    for (int i = 0; i < ctrl.GetItemCount(); ++i) {
        LVITEMA item{};
        char text[64] = {};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = i;
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        ASSERT_TRUE(ctrl.Send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        EXPECT_EQ(Row(list, i)->GetName(), text);
        EXPECT_EQ(item.iImage, ShellAbout(CString("T:\\") + text).first) << text;
    }
}

TEST_F(ListFillTest, SubfoldersComeFromTheModelAndFilesFromTheDisk)
{
    FixtureDrive drive('T');
    drive.File("sub\\inner.bin", 4000);
    drive.File("old.bin", 100);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);

    drive.File("later.bin", 50);
    drive.Folder("laterdir");
    drive.File("sub\\inner.bin", 9999); // the scan's total stands
    Show(doc, doc->m_hRootItem);

    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"sub", "old.bin", "later.bin"}));
    EXPECT_EQ(Row(list, 0)->GetSize(), 4000);
    EXPECT_EQ(doc->m_nFolderTotal, 4100) << "the basis is the folder's total from the scan";
}

TEST_F(ListFillTest, DeeperFoldersAreNamedFromTheDriveDown)
{
    FixtureDrive drive('T');
    drive.File("a\\b\\deep.bin", 30);
    drive.File("a\\b\\c\\deeper.bin", 20);
    drive.File("a\\side.bin", 1);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);

    Show(doc, Item(doc, "a\\b"));
    EXPECT_EQ(doc->m_strListFolder, "T:\\a\\b");
    EXPECT_EQ(doc->m_nFolderTotal, 50);
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"deep.bin", "c"}));
    EXPECT_EQ(Row(list, 0)->GetType(), ShellAbout("T:\\a\\b\\deep.bin").second.c_str());

    Show(doc, doc->m_hRootItem);
    EXPECT_EQ(doc->m_strListFolder, "T:");
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"a"}));
}

TEST_F(ListFillTest, AFolderWithNothingInItGivesAnEmptyListWithNothingSelected)
{
    FixtureDrive drive('T');
    drive.Folder("empty");
    drive.File("other.bin", 5);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    Show(doc, Item(doc, "empty"));
    EXPECT_EQ(list->GetListCtrl().GetItemCount(), 0);
    EXPECT_EQ(list->GetListCtrl().GetNextItem(-1, LVNI_SELECTED), -1);
    EXPECT_EQ(doc->m_nFolderTotal, 0);
    EXPECT_EQ(doc->m_strListFolder, "T:\\empty");
}

TEST_F(ListFillTest, AFolderThatCannotBeSearchedShowsOnlyItsSubfolders)
{
    FixtureDrive drive('T');
    drive.File("locked\\inner\\x.bin", 40);
    drive.File("locked\\file.bin", 60);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);

    // Held open without sharing, the folder cannot be searched by anyone else.
    HANDLE lock = CreateFileW(ToWidePath(drive.Path("locked")).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    CFileFind probe;
    const bool searchable = probe.FindFile(drive.Path("locked\\*.*"));
    probe.Close();
    if (searchable) {
        CloseHandle(lock);
        GTEST_SKIP() << "this system lets a folder held without sharing be searched";
    }
    Show(doc, Item(doc, "locked"));
    CloseHandle(lock);
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"inner"}));
    EXPECT_EQ(Row(list, 0)->GetSize(), 40);
    EXPECT_EQ(list->GetListCtrl().GetItemState(0, LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED));
}

TEST_F(ListFillTest, ShellAnswersAreThoseForEachFilesOwnPath)
{
    FixtureDrive drive('T');
    // Several files per extension, in different letter case, files that carry
    // their own icon, and names without an extension.
    const char* names[] = {"a.TXT", "b.txt", "c.txt", "d.Txt", "e.xyz", "f.XYZ", "noext", "other", ".profile",
                           "g.exe", "h.exe", "i.ico", "j.ico", "k.dat", "l.dat", "naïve-文件.txt"};
    unsigned long long size = 1;
    for (const char* name : names) drive.File(name, size++);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    Show(doc, doc->m_hRootItem);
    ASSERT_EQ(list->GetListCtrl().GetItemCount(), static_cast<int>(std::size(names)));
    for (int i = 0; i < list->GetListCtrl().GetItemCount(); ++i) {
        CDirEntry* record = Row(list, i);
        LVITEMA item{};
        item.mask = LVIF_IMAGE;
        item.iItem = i;
        list->GetListCtrl().Send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        const auto shell = ShellAbout(CString("T:\\") + record->GetName());
        EXPECT_EQ(record->GetType(), shell.second.c_str()) << record->GetName().GetString();
        EXPECT_EQ(item.iImage, shell.first) << record->GetName().GetString();
    }
    EXPECT_NE(FindRow(list, "naïve-文件.txt"), -1);
}

TEST_F(ListFillTest, ARowsTextIsItsNameCutToTheBufferWithoutSplittingACharacter)
{
    FixtureDrive drive('T');
    // a, b, a character of one UTF-16 unit, then one of two (a surrogate pair)
    drive.File("ab文😀", 10);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    Show(doc, doc->m_hRootItem);
    ASSERT_EQ(list->GetListCtrl().GetItemCount(), 1);
    // The list is a Unicode window: the control asks the view for the text in
    // UTF-16, with the caller's room (a narrow caller's text is converted by
    // the control itself).
    auto shown = [list](int size) {
        std::wstring buffer(static_cast<size_t>(size) + 8, L'x');
        LVITEMW item{};
        item.pszText = buffer.data();
        item.cchTextMax = size;
        list->GetListCtrl().Send(LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
        return WideToUtf8(buffer.c_str()).str();
    };
    EXPECT_EQ(shown(64), "ab文😀");
    EXPECT_EQ(shown(6), "ab文😀");
    EXPECT_EQ(shown(5), "ab文") << "4 units of room end inside the surrogate pair";
    EXPECT_EQ(shown(4), "ab文");
    EXPECT_EQ(shown(3), "ab");
    EXPECT_EQ(shown(1), "");
}

TEST_F(ListFillTest, UpOneLevelEnterBackspaceAndDoubleClickMoveThroughTheTree)
{
    FixtureDrive drive('T');
    drive.File("top.bin", 10);
    drive.File("sub\\inner\\x.bin", 500);
    drive.File("sub\\y.bin", 5);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    CTreeCtrl& tree = *doc->m_pTreeCtrl;
    Show(doc, doc->m_hRootItem);
    ASSERT_EQ(RowNames(list), (std::vector<std::string>{"sub", "top.bin"}));

    // Enter on the selected folder row moves into it.
    list->SendMessage(WM_KEYDOWN, VK_RETURN, 0x001C0001);
    EXPECT_EQ(tree.GetSelectedItem(), Item(doc, "sub"));
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"inner", "y.bin"}));

    // A double click anywhere opens the selected row, here the folder "inner".
    list->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 400));
    EXPECT_EQ(tree.GetSelectedItem(), Item(doc, "sub\\inner"));
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"x.bin"}));

    // Up One Level, as the command and as Backspace.
    list->SendMessage(WM_COMMAND, ID_UP_ONE_LEVEL, 0);
    EXPECT_EQ(tree.GetSelectedItem(), Item(doc, "sub"));
    list->SendMessage(WM_KEYDOWN, VK_BACK, 0x000E0001);
    EXPECT_EQ(tree.GetSelectedItem(), doc->m_hRootItem);
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"sub", "top.bin"}));

    // With the root selected there is no level above.
    list->SendMessage(WM_KEYDOWN, VK_BACK, 0x000E0001);
    EXPECT_EQ(tree.GetSelectedItem(), doc->m_hRootItem);
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"sub", "top.bin"}));
}

TEST_F(ListFillTest, F5InTheListRescansTheDrive)
{
    FixtureDrive drive('T');
    drive.File("sub\\x.bin", 100);
    drive.File("top.bin", 10);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    Show(doc, Item(doc, "sub"));
    drive.File("sub\\x.bin", 700);
    PressKey(list->m_hWnd, VK_F5);
    EXPECT_EQ(doc->m_nDriveTotal, 710);
    EXPECT_EQ(doc->m_pTreeCtrl->GetSelectedItem(), doc->m_hRootItem);
    EXPECT_EQ(Record(*doc->m_pTreeCtrl, Item(doc, "sub"))->GetSize(), 700);
}

TEST_F(ListFillTest, ARowChangeMovesTheTreeOnlyWhileTheTenLargestAreListed)
{
    FixtureDrive drive('T');
    drive.File("a\\x.bin", 300);
    drive.File("b\\y.bin", 200);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    CTreeCtrl& tree = *doc->m_pTreeCtrl;
    Show(doc, doc->m_hRootItem);
    ASSERT_EQ(RowNames(list), (std::vector<std::string>{"a", "b"}));

    // Outside top-ten mode a row change is the list's own business.
    list->GetListCtrl().SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(tree.GetSelectedItem(), doc->m_hRootItem);

    // In top-ten mode the tree follows the row, and the rows stay.
    doc->SetListState(ListState::TopTen);
    list->GetListCtrl().SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(tree.GetSelectedItem(), Item(doc, "a"));
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"a", "b"}));
    // Any state change counts, not only the selection.
    list->GetListCtrl().SetItemState(1, LVIS_FOCUSED, LVIS_FOCUSED);
    EXPECT_EQ(tree.GetSelectedItem(), Item(doc, "b"));
    EXPECT_EQ(RowNames(list), (std::vector<std::string>{"a", "b"}));

    // Selecting in the tree does not refill the list then; a fill leaves top-ten mode.
    CDirEntry* const first = Row(list, 0);
    tree.SelectItem(doc->m_hRootItem);
    EXPECT_EQ(Row(list, 0), first) << "the rows were not refilled";
    doc->FillList();
    EXPECT_FALSE(doc->m_bTopTen);
    EXPECT_EQ(list->GetListCtrl().GetItemState(0, LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED));
}

TEST_F(ListFillTest, RecordsOfRowsAreFreedAtEveryRefillAndWithTheWindow)
{
    FixtureDrive drive('T');
    for (int i = 0; i < 30; ++i) drive.File(("f" + std::to_string(i) + ".bin").c_str(), 10 + i);
    drive.Folder("sub");
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    Show(doc, doc->m_hRootItem);
    const long withRows = CDirEntry::LiveCount();
    ASSERT_EQ(list->GetListCtrl().GetItemCount(), 31);
    for (int i = 0; i < 5; ++i) Show(doc, doc->m_hRootItem);
    EXPECT_EQ(CDirEntry::LiveCount(), withRows) << "each refill frees the rows it replaces";
    Show(doc, Item(doc, "sub"));
    EXPECT_EQ(CDirEntry::LiveCount(), withRows - 31);
    Show(doc, doc->m_hRootItem);
    // Closing the window frees the rest; the fixture's tear-down checks the count.
}

} // namespace
