// A drive's window as a whole: drive commands, re-activation, Refresh, the
// percent basis, the tree's own commands and the recursive delete.
#include "app/CChildFrame.h"
#include "framework/CFileFind.h"
#include "resources/resource.h"
#include "tests/common/DialogAnswerer.h"
#include "tests/common/HeftAppTest.h"
#include "tests/common/ProgressWatcher.h"
#include "views/CHeftList.h"
#include "views/CHeftTree.h"

#include <gtest/gtest.h>

namespace {

using DriveWindowTest = HeftAppTest;

CChildFrame* ActiveChild(CMainFrame* main)
{
    return dynamic_cast<CChildFrame*>(main->MDIGetActive());
}

CHeftTree* TreeView(CHeftDoc* doc)
{
    return dynamic_cast<CHeftTree*>(doc->GetView(0));
}

bool Exists(const CString& path)
{
    return GetFileAttributesW(ToWidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

TEST_F(DriveWindowTest, DriveButtonOpensTheDriveInASplitWindowTitledWithItsShellName)
{
    FixtureDrive drive('T');
    drive.File("a\\x.bin", 10);
    main->RebuildDriveBar();
    main->SendMessage(WM_COMMAND, ID_DRIVE_A + ('T' - 'A'));
    ASSERT_EQ(DocumentCount(), 1);
    auto* doc = static_cast<CHeftDoc*>(app.GetDocTemplates().front()->GetDocuments().front());
    EXPECT_EQ(doc->m_strDrive, "T:");
    EXPECT_EQ(doc->GetTitle(), doc->m_strVolumeName);
    EXPECT_NE(main->GetWindowText().Find(doc->m_strVolumeName), -1) << main->GetWindowText().GetString();
    EXPECT_EQ(::GetMenu(main->m_hWnd), app.GetDocTemplates().front()->m_hMenuShared);

    CChildFrame* child = ActiveChild(main);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(child->GetWindowText(), doc->m_strVolumeName);
    EXPECT_EQ(child->m_wndSplitter.GetColumnCount(), 2);
    EXPECT_EQ(child->m_wndSplitter.GetColumnWidth(0), 200);
    EXPECT_NE(dynamic_cast<CHeftTree*>(CWnd::FromHandlePermanent(child->m_wndSplitter.GetPane(0, 0))), nullptr);
    EXPECT_NE(dynamic_cast<CHeftList*>(CWnd::FromHandlePermanent(child->m_wndSplitter.GetPane(0, 1))), nullptr);

    // F6 and Shift+F6 move between the panes.
    HWND tree = child->m_wndSplitter.GetPane(0, 0);
    HWND list = child->m_wndSplitter.GetPane(0, 1);
    SetFocus(tree);
    main->SendMessage(WM_COMMAND, ID_NEXT_PANE);
    EXPECT_EQ(GetFocus(), list);
    main->SendMessage(WM_COMMAND, ID_PREV_PANE);
    EXPECT_EQ(GetFocus(), tree);
}

TEST_F(DriveWindowTest, SecondCommandForAnOpenDriveBringsItForwardWithoutScanning)
{
    FixtureDrive drive('T');
    drive.File("a\\x.bin", 10);
    CHeftDoc* first = Open(drive);
    ASSERT_NE(first, nullptr);
    long records = CDirEntry::LiveCount();
    ProgressWatcher watcher;
    main->SendMessage(WM_COMMAND, ID_DRIVE_A + ('T' - 'A'));
    EXPECT_EQ(DocumentCount(), 1);
    EXPECT_EQ(ChildWindowCount(), 1);
    EXPECT_TRUE(watcher.statuses.empty() && watcher.percents.empty()) << "nothing was scanned again";
    EXPECT_EQ(CDirEntry::LiveCount(), records);
    EXPECT_EQ(first->GetTitle(), first->m_strVolumeName);
}

TEST_F(DriveWindowTest, PathOnADriveOpensTheWholeDrive)
{
    FixtureDrive drive('T');
    drive.File("one\\deep\\x.bin", 10);
    drive.File("two\\y.bin", 20);
    CHeftDoc* doc = app.OpenDrive(drive.Path("one\\deep"));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->m_strDrive, "T:");
    EXPECT_EQ(doc->m_nDriveTotal, 30);
}

TEST_F(DriveWindowTest, RefreshRescansKeepsTheBasisAndSelectsTheRoot)
{
    FixtureDrive drive('T');
    drive.File("a\\x.bin", 10);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    main->SendMessage(WM_COMMAND, ID_DISK_VS_DIRECTORY);
    EXPECT_EQ(doc->m_bRelativeToFolder, 0);

    drive.File("b\\y.bin", 5);
    main->SendMessage(WM_COMMAND, ID_REFRESH);
    EXPECT_EQ(doc->m_nDriveTotal, 15);
    EXPECT_EQ(doc->m_bRelativeToFolder, 0);
    EXPECT_FALSE(doc->m_bBusy);
    CTreeCtrl& tree = *doc->m_pTreeCtrl;
    EXPECT_EQ(tree.GetSelectedItem(), tree.GetRootItem());
    EXPECT_EQ(tree.GetRootItem(), doc->m_hRootItem);
    EXPECT_NE(Child(tree, doc->m_hRootItem, "b"), nullptr);
    ASSERT_NE(doc->m_pListCtrl, nullptr);
    EXPECT_EQ(doc->m_pListCtrl->GetItemCount(), 2) << "the list shows the rescanned root: a and b";

    // F5 in the tree does the same.
    drive.File("c\\z.bin", 1);
    PressKey(TreeView(doc)->m_hWnd, VK_F5);
    EXPECT_EQ(doc->m_nDriveTotal, 16);
}

TEST_F(DriveWindowTest, RefreshOfAVanishedDriveShowsTheErrorAndCancelClosesTheWindow)
{
    FixtureDrive drive('T');
    drive.File("a\\x.bin", 10);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    ASSERT_NE(doc->m_pListCtrl, nullptr);
    ASSERT_EQ(doc->m_pListCtrl->GetItemCount(), 1);
    drive.Unmount();
    ViewCounts behindTheBox;
    DialogAnswerer cancel("Error", IDCANCEL, [&](HWND) { behindTheBox = CountViews(doc); });
    main->SendMessage(WM_COMMAND, ID_REFRESH);
    EXPECT_EQ(cancel.Answered(), 1);
    EXPECT_EQ(behindTheBox.treeItems, 0);
    EXPECT_EQ(behindTheBox.listRows, 0) << "the list is emptied together with the tree";
    EXPECT_EQ(cancel.LastText(), "Error reading drive T:");
    PumpPending(); // the window's close request
    EXPECT_EQ(DocumentCount(), 0);
    EXPECT_EQ(ChildWindowCount(), 0);
}

TEST_F(DriveWindowTest, DiskVsDirectoryIsAToggleWithACheckMark)
{
    FixtureDrive drive('T');
    drive.File("a\\x.bin", 10);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->m_bRelativeToFolder, 1);

    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, ID_DISK_VS_DIRECTORY, "Disk vs. Directory");
    main->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    EXPECT_FALSE(GetMenuState(popup, ID_DISK_VS_DIRECTORY, MF_BYCOMMAND) & MF_CHECKED);
    main->SendMessage(WM_COMMAND, ID_DISK_VS_DIRECTORY);
    EXPECT_EQ(doc->m_bRelativeToFolder, 0);
    main->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    EXPECT_TRUE(GetMenuState(popup, ID_DISK_VS_DIRECTORY, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(GetMenuState(popup, ID_DISK_VS_DIRECTORY, MF_BYCOMMAND) & MF_GRAYED);
    main->SendMessage(WM_COMMAND, ID_DISK_VS_DIRECTORY);
    EXPECT_EQ(doc->m_bRelativeToFolder, 1);
    DestroyMenu(popup);
}

TEST_F(DriveWindowTest, UpOneLevelSelectsTheParentAndStopsAtTheRoot)
{
    FixtureDrive drive('T');
    drive.Folder("a\\b");
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CTreeCtrl& tree = *doc->m_pTreeCtrl;
    HTREEITEM a = Child(tree, doc->m_hRootItem, "a");
    HTREEITEM b = Child(tree, a, "b");
    ASSERT_NE(b, nullptr);
    tree.SelectItem(b);
    SetFocus(TreeView(doc)->m_hWnd);
    main->SendMessage(WM_COMMAND, ID_UP_ONE_LEVEL);
    EXPECT_EQ(tree.GetSelectedItem(), a);
    main->SendMessage(WM_COMMAND, ID_UP_ONE_LEVEL);
    EXPECT_EQ(tree.GetSelectedItem(), doc->m_hRootItem);
    main->SendMessage(WM_COMMAND, ID_UP_ONE_LEVEL);
    EXPECT_EQ(tree.GetSelectedItem(), doc->m_hRootItem);
}

TEST_F(DriveWindowTest, ClosingWindowsFreesEveryRecordOnce)
{
    FixtureDrive t('T');
    FixtureDrive u('U');
    t.Folder("a\\b\\c");
    u.Folder("x\\y");
    ASSERT_NE(Open(t), nullptr);
    ASSERT_NE(Open(u), nullptr);
    EXPECT_EQ(DocumentCount(), 2);
    EXPECT_GT(CDirEntry::LiveCount(), liveBefore + 6);
    ActiveChild(main)->SendMessage(WM_CLOSE);
    EXPECT_EQ(DocumentCount(), 1);
    main->SendMessage(WM_CLOSE);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_EQ(CDirEntry::LiveCount(), liveBefore);
}

// ---- the recursive delete ----

TEST_F(DriveWindowTest, DeleteFolderTreeRemovesEverythingDeepestFirst)
{
    FixtureDrive drive('T');
    drive.File("victim\\a.bin", 100);
    drive.File("victim\\sub\\b.bin", 20);
    drive.File("victim\\sub\\deeper\\c.bin", 3);
    drive.Folder("victim\\empty");
    drive.File("keep\\k.bin", 1);
    CHeftDoc doc;
    std::int64_t removed = -1;
    EXPECT_TRUE(doc.DeleteFolderTree(drive.Path("victim"), &removed));
    EXPECT_EQ(removed, 123);
    EXPECT_FALSE(Exists(drive.Path("victim")));
    EXPECT_TRUE(Exists(drive.Path("keep\\k.bin")));
}

TEST_F(DriveWindowTest, DeleteFolderTreeReportsAReadOnlyFileItCouldNotRemove)
{
    FixtureDrive drive('T');
    drive.File("victim\\plain.bin", 50);
    drive.File("victim\\inner\\locked.bin", 7);
    ASSERT_TRUE(SetFileAttributesW(ToWidePath(drive.Path("victim\\inner\\locked.bin")).c_str(),
                                   FILE_ATTRIBUTE_READONLY));
    CHeftDoc doc;
    std::int64_t removed = -1;
    EXPECT_FALSE(doc.DeleteFolderTree(drive.Path("victim"), &removed)) << "not reported as done";
    EXPECT_EQ(removed, 50);
    EXPECT_TRUE(Exists(drive.Path("victim\\inner\\locked.bin")));
    EXPECT_FALSE(Exists(drive.Path("victim\\plain.bin")));
    SetFileAttributesW(ToWidePath(drive.Path("victim\\inner\\locked.bin")).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(DriveWindowTest, DeleteFolderTreeNeverFollowsALinkAndReportsTheTruth)
{
    FixtureDrive drive('T');
    drive.File("precious\\data.bin", 999);
    drive.File("precious\\more\\deep.bin", 5);
    drive.File("victim\\own.bin", 1);
    drive.Folder("hollow");
    drive.LinkToFolder("victim\\shortcut", "precious");
    drive.LinkToFolder("victim\\emptylink", "hollow");
    CHeftDoc doc;
    std::int64_t removed = -1;
    BOOL gone = doc.DeleteFolderTree(drive.Path("victim"), &removed);
    EXPECT_EQ(removed, 1) << "only the folder's own file; nothing behind the link";
    EXPECT_FALSE(Exists(drive.Path("victim\\own.bin")));
    EXPECT_TRUE(Exists(drive.Path("precious\\data.bin"))) << "the link's target is untouched";
    EXPECT_TRUE(Exists(drive.Path("precious\\more\\deep.bin")));
    EXPECT_TRUE(Exists(drive.Path("hollow"))) << "an empty target folder stays too";
    // Windows removes the link itself; Wine 8 offers no call that removes a
    // Unix symbolic link, so there the link stays. Either way the result says
    // whether the folder is gone.
    EXPECT_EQ(gone != FALSE, !Exists(drive.Path("victim")));
    EXPECT_EQ(gone != FALSE, !Exists(drive.Path("victim\\shortcut")));
}

namespace {
FixtureDrive* g_swapDrive = nullptr;
// Another process's move, between the listing of "victim" and the removal of
// its entries: its subfolder "sub" goes elsewhere and a link to "precious"
// takes its place.
void SwapInALink(const CString& folderPath)
{
    if (!g_swapDrive || folderPath != g_swapDrive->Path("victim")) return;
    MoveFileW(ToWidePath(g_swapDrive->Path("victim\\sub")).c_str(), ToWidePath(g_swapDrive->Path("moved")).c_str());
    g_swapDrive->LinkToFolder("victim\\sub", "precious");
}
} // namespace

TEST_F(DriveWindowTest, DeleteFolderTreeNeverFollowsALinkSwappedInAfterTheListing)
{
    FixtureDrive drive('T');
    drive.File("precious\\data.bin", 999);
    drive.File("victim\\own.bin", 1);
    drive.File("victim\\sub\\inner.bin", 2);
    g_swapDrive = &drive;
    CHeftDoc::SetDeleteListedHook(&SwapInALink);
    CHeftDoc doc;
    std::int64_t removed = -1;
    DeleteFailure failure;
    const BOOL gone = doc.DeleteFolderTree(drive.Path("victim"), &removed, &failure);
    CHeftDoc::SetDeleteListedHook(nullptr);
    g_swapDrive = nullptr;

    ASSERT_TRUE(Exists(drive.Path("moved\\inner.bin"))) << "the swap took place";
    EXPECT_TRUE(Exists(drive.Path("precious\\data.bin"))) << "nothing behind the link was deleted";
    EXPECT_FALSE(gone);
    EXPECT_EQ(removed, 1);
    EXPECT_EQ(failure.path, drive.Path("victim\\sub"));
}

TEST_F(DriveWindowTest, DeleteFolderTreeRefusesADriveRootAndPathsWithEmptyOrRelativeComponents)
{
    FixtureDrive drive('T');
    drive.File("victim\\inner\\a.bin", 5);
    CHeftDoc doc;
    const std::string root = drive.Drive().str();
    for (const std::string& path : {root, root + "\\", root + "\\\\victim", root + "\\victim\\",
                                    root + "\\victim\\\\inner", root + "\\victim\\..", root + "\\.",
                                    root + "\\victim\\inner\\..\\.."}) {
        SCOPED_TRACE(path);
        std::int64_t removed = -1;
        DeleteFailure failure;
        EXPECT_FALSE(doc.DeleteFolderTree(path.c_str(), &removed, &failure));
        EXPECT_EQ(removed, 0);
        EXPECT_EQ(failure.error, static_cast<DWORD>(ERROR_INVALID_NAME));
        EXPECT_TRUE(Exists(drive.Path("victim\\inner\\a.bin")));
    }
}

TEST_F(DriveWindowTest, OpenCommandOpensTheDriveOfTheChosenFileUnderTheFilesTitle)
{
    FixtureDrive drive('T');
    drive.File("a\\chosen.bin", 10);
    drive.File("b\\other.bin", 20);
    main->RebuildDriveBar();
    // The file dialog's name field takes a full path; OK opens it.
    DialogAnswerer open("Open", IDOK, [&](HWND dialog) {
        HWND name = GetDlgItem(dialog, 0x47C); // the combo box of the file name
        if (!name) name = GetDlgItem(dialog, 0x480);
        SetWindowTextUtf8(name, drive.Path("a\\chosen.bin"));
    });
    main->SendMessage(WM_COMMAND, ID_FILE_OPEN);
    ASSERT_EQ(open.Answered(), 1);
    ASSERT_EQ(DocumentCount(), 1);
    auto* doc = static_cast<CHeftDoc*>(app.GetDocTemplates().front()->GetDocuments().front());
    EXPECT_EQ(doc->m_strDrive, "T:");
    EXPECT_EQ(doc->m_nDriveTotal, 30);
    EXPECT_EQ(doc->GetTitle(), "chosen.bin");
}
