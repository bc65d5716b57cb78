// Folders the scan could not read: they count 0 as before, but the tree and
// the list show their names greyed, and the status bar says how many there were.
#include "framework/CTreeView.h"
#include "resources/resource.h"
#include "tests/common/HeldFolder.h"
#include "tests/views/Canvas.h"
#include "tests/views/ListTestBase.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const COLORREF kUntouched = RGB(255, 0, 255);

class UnreadableFolderTest : public ListTest {
protected:
    // Pixels of a colour in a rectangle of the canvas.
    static int CountColour(const Canvas& canvas, const RECT& area, COLORREF colour)
    {
        int count = 0;
        for (int y = std::max(0L, area.top); y < std::min<LONG>(canvas.Height(), area.bottom); ++y)
            for (int x = std::max(0L, area.left); x < std::min<LONG>(canvas.Width(), area.right); ++x)
                if (canvas.At(x, y) == colour) ++count;
        return count;
    }
    // The name cell of a list row as DrawItem draws it into a canvas of its own.
    void DrawNameCell(Canvas& canvas, int row, RECT* nameCell)
    {
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_LISTVIEW;
        draw.CtlID = static_cast<UINT>(list->GetDlgCtrlID());
        draw.itemID = static_cast<UINT>(row);
        draw.itemAction = ODA_DRAWENTIRE;
        draw.hwndItem = list->m_hWnd;
        draw.hDC = canvas.Dc();
        draw.rcItem = RECT{0, 0, canvas.Width(), canvas.Height()};
        if (auto font = reinterpret_cast<HFONT>(list->SendMessage(WM_GETFONT))) SelectObject(canvas.Dc(), font);
        list->DrawItem(&draw);
        *nameCell = RECT{list->IconSize().cx, 0, list->GetListCtrl().GetColumnWidth(0), canvas.Height()};
    }
    // The text rectangle of a tree item, painted by the control into a canvas.
    static RECT TreeItemText(CTreeCtrl& tree, HTREEITEM item)
    {
        RECT text{};
        static_assert(sizeof(item) <= sizeof(text));
        std::memcpy(&text, &item, sizeof(item));
        tree.Send(TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&text));
        return text;
    }

    FixtureDrive drive{'T'};
    CHeftList* list = nullptr;
};

} // namespace

TEST_F(UnreadableFolderTest, UnreadableFoldersAreGreyedInBothViewsAndCountedOnTheStatusBar)
{
    drive.File("open\\a.bin", 10);
    drive.File("locked\\b.bin", 20);
    drive.File("deep\\locked too\\c.bin", 30);
    auto held = std::make_unique<HeldFolder>(drive.Path("locked"));
    auto heldToo = std::make_unique<HeldFolder>(drive.Path("deep\\locked too"));
    ASSERT_TRUE(held->Held() && heldToo->Held());
    CFileFind probe;
    const bool searchable = probe.FindFile(drive.Path("locked\\*.*"));
    probe.Close();
    if (searchable) GTEST_SKIP() << "this system lets a folder held without sharing be searched";

    CHeftDoc* doc = Open(drive);
    held->Release();
    heldToo->Release();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->m_nDriveTotal, 10) << "an unreadable folder still counts 0";
    EXPECT_EQ(doc->m_nUnreadableFolders, 2);
    EXPECT_TRUE(main->m_wndStatusBar.GetPaneText(0).str().ends_with("; 2 folders could not be read"))
        << main->m_wndStatusBar.GetPaneText(0).GetString();

    CTreeCtrl& tree = *doc->m_pTreeCtrl;
    HTREEITEM open = Child(tree, doc->m_hRootItem, "open");
    HTREEITEM locked = Child(tree, doc->m_hRootItem, "locked");
    HTREEITEM deep = Child(tree, doc->m_hRootItem, "deep");
    ASSERT_TRUE(open && locked && deep);
    HTREEITEM lockedToo = Child(tree, deep, "locked too");
    ASSERT_NE(lockedToo, nullptr);
    EXPECT_TRUE(Record(tree, locked)->IsUnreadable());
    EXPECT_TRUE(Record(tree, lockedToo)->IsUnreadable());
    EXPECT_FALSE(Record(tree, open)->IsUnreadable());
    EXPECT_FALSE(Record(tree, deep)->IsUnreadable()) << "its parent was read";
    EXPECT_FALSE(Record(tree, doc->m_hRootItem)->IsUnreadable());

    const COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    ASSERT_NE(grey, text);

    // The tree, painted by the control itself with the program's custom drawing.
    {
        RECT client{};
        ::GetClientRect(tree.m_hWnd, &client);
        ASSERT_GT(client.bottom, 0);
        Canvas canvas(client.right, client.bottom, kUntouched);
        tree.Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.Dc()), PRF_CLIENT | PRF_ERASEBKGND);
        const RECT lockedText = TreeItemText(tree, locked);
        const RECT openText = TreeItemText(tree, open);
        ASSERT_GT(lockedText.right, lockedText.left);
        EXPECT_GT(CountColour(canvas, lockedText, grey), 0) << "the unreadable folder's name is greyed";
        EXPECT_EQ(CountColour(canvas, lockedText, text), 0);
        EXPECT_GT(CountColour(canvas, openText, text), 0) << "a readable folder's name is not";
        EXPECT_EQ(CountColour(canvas, openText, grey), 0);
    }

    // The list of the root, drawn row by row.
    list = ListOf(doc);
    ASSERT_NE(list, nullptr);
    Show(doc, doc->m_hRootItem);
    const int lockedRow = FindRow(list, "locked");
    const int openRow = FindRow(list, "open");
    ASSERT_GE(lockedRow, 0);
    ASSERT_GE(openRow, 0);
    EXPECT_TRUE(Row(list, lockedRow)->IsUnreadable());
    EXPECT_EQ(Row(list, lockedRow)->GetSize(), 0);
    {
        Canvas canvas(500, 17, kUntouched);
        RECT name{};
        DrawNameCell(canvas, lockedRow, &name);
        EXPECT_GT(CountColour(canvas, name, grey), 0);
        EXPECT_EQ(CountColour(canvas, name, text), 0);
    }
    {
        Canvas canvas(500, 17, kUntouched);
        RECT name{};
        DrawNameCell(canvas, openRow, &name);
        EXPECT_GT(CountColour(canvas, name, text), 0);
        EXPECT_EQ(CountColour(canvas, name, grey), 0);
    }

    // The idle text returns as usual once a menu closes.
    main->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(main->m_wndStatusBar.GetPaneText(0).Find("could not be read"), -1)
        << main->m_wndStatusBar.GetPaneText(0).GetString();
}

TEST_F(UnreadableFolderTest, ARefreshThatReadsEverythingClearsTheMarksAndTheCount)
{
    drive.File("locked\\b.bin", 20);
    {
        HeldFolder held(drive.Path("locked"));
        ASSERT_TRUE(held.Held());
        CFileFind probe;
        const bool searchable = probe.FindFile(drive.Path("locked\\*.*"));
        probe.Close();
        if (searchable) GTEST_SKIP() << "this system lets a folder held without sharing be searched";
        CHeftDoc* doc = Open(drive);
        ASSERT_NE(doc, nullptr);
        EXPECT_TRUE(main->m_wndStatusBar.GetPaneText(0).str().ends_with("; 1 folder could not be read"))
            << main->m_wndStatusBar.GetPaneText(0).GetString();
    }
    CHeftDoc* doc = dynamic_cast<CHeftDoc*>(app.GetDocTemplates().front()->GetDocuments().front());
    ASSERT_NE(doc, nullptr);
    main->SendMessage(WM_COMMAND, ID_REFRESH);
    EXPECT_EQ(doc->m_nDriveTotal, 20);
    EXPECT_EQ(doc->m_nUnreadableFolders, 0);
    CTreeCtrl& tree = *doc->m_pTreeCtrl;
    EXPECT_FALSE(Record(tree, Child(tree, doc->m_hRootItem, "locked"))->IsUnreadable());
    EXPECT_EQ(main->m_wndStatusBar.GetPaneText(0).Find("could not be read"), -1)
        << main->m_wndStatusBar.GetPaneText(0).GetString();
}
