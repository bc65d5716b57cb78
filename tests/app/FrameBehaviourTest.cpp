// What a user meets in the frames with drive windows open: Drive > Close, the
// bar toggles in the View menu, the Window menu's list of drive windows, and
// the windows that a layout change must draw afresh.
#include "app/CChildFrame.h"
#include "resources/resource.h"
#include "tests/common/HeftAppTest.h"
#include "tests/common/TestWindows.h"
#include "views/CHeftList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class FrameBehaviourTest : public HeftAppTest {
protected:
    void TearDown() override
    {
        app.CloseAllDocuments();
        PumpPending();
        HeftAppTest::TearDown();
    }

    CChildFrame* ActiveChild() const { return dynamic_cast<CChildFrame*>(main->MDIGetActive()); }

    // The popup of the menu the main window shows whose first item has this text.
    HMENU Popup(const char* title) const
    {
        HMENU bar = ::GetMenu(main->m_hWnd);
        for (int i = 0; i < GetMenuItemCount(bar); ++i) {
            if (MenuItemText(bar, i) == title) return GetSubMenu(bar, i);
        }
        return nullptr;
    }
    // The state of a command's item after the popup was opened, as the user sees it.
    UINT StateIn(const char* popupTitle, UINT id) const
    {
        HMENU popup = Popup(popupTitle);
        if (!popup) return static_cast<UINT>(-1);
        main->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
        return GetMenuState(popup, id, MF_BYCOMMAND);
    }
    // The drive windows the Window menu lists, with their check marks.
    std::vector<std::string> WindowList() const
    {
        std::vector<std::string> items;
        HMENU popup = Popup("&Window");
        for (int i = 0; popup && i < GetMenuItemCount(popup); ++i) {
            UINT id = GetMenuItemID(popup, i);
            if (id < AFX_IDM_FIRST_MDICHILD || id == static_cast<UINT>(-1)) continue;
            const std::string text = MenuItemText(popup, i);
            bool checked = (GetMenuState(popup, static_cast<UINT>(i), MF_BYPOSITION) & MF_CHECKED) != 0;
            items.push_back(std::string(checked ? "* " : "") + text);
        }
        return items;
    }
    static std::string Title(CHeftDoc* doc) { return doc->GetTitle().str(); }

    // Takes the whole window tree's pending drawing away, as a finished paint does.
    void ValidateEverything() const
    {
        RedrawWindow(main->m_hWnd, nullptr, nullptr, RDW_VALIDATE | RDW_NOERASE | RDW_NOFRAME | RDW_ALLCHILDREN);
    }
    // True when the whole client area of the window is waiting to be drawn.
    static bool WhollyInvalid(HWND hWnd)
    {
        RECT client{}, update{};
        GetClientRect(hWnd, &client);
        if (!GetUpdateRect(hWnd, &update, FALSE)) return false;
        return EqualRect(&client, &update) != FALSE;
    }
};

} // namespace

TEST_F(FrameBehaviourTest, DriveCloseClosesTheActiveDriveWindowOnly)
{
    FixtureDrive t('T'), u('U');
    t.File("a.bin", 1);
    u.File("b.bin", 2);
    CHeftDoc* first = Open(t);
    CHeftDoc* second = Open(u);
    ASSERT_TRUE(first && second);
    ASSERT_EQ(ActiveChild()->GetActiveDocument(), second);

    EXPECT_FALSE(StateIn("&Drive", ID_FILE_CLOSE) & MF_GRAYED);
    main->SendMessage(WM_COMMAND, ID_FILE_CLOSE);
    EXPECT_EQ(DocumentCount(), 1);
    EXPECT_EQ(ChildWindowCount(), 1);
    ASSERT_NE(ActiveChild(), nullptr);
    EXPECT_EQ(ActiveChild()->GetActiveDocument(), first);

    main->SendMessage(WM_COMMAND, ID_FILE_CLOSE);
    EXPECT_EQ(DocumentCount(), 0);
    EXPECT_EQ(ChildWindowCount(), 0);
    EXPECT_EQ(::GetMenu(main->m_hWnd), main->m_hMenuDefault) << "back to the menu without a drive";
}

TEST_F(FrameBehaviourTest, ToolbarAndStatusBarTogglesWorkAndShowTheirStateWithOrWithoutADriveWindow)
{
    FixtureDrive t('T');
    t.File("a.bin", 1);
    auto expectShown = [&](bool toolbar, bool statusBar) {
        for (auto [id, shown] : {std::pair{ID_VIEW_TOOLBAR, toolbar}, std::pair{ID_VIEW_STATUS_BAR, statusBar}}) {
            SCOPED_TRACE(id);
            UINT state = StateIn("&View", id);
            EXPECT_FALSE(state & MF_GRAYED);
            EXPECT_EQ((state & MF_CHECKED) != 0, shown);
        }
        EXPECT_EQ(main->m_wndToolBar.IsWindowVisible() != FALSE, toolbar);
        EXPECT_EQ(main->m_wndStatusBar.IsWindowVisible() != FALSE, statusBar);
    };
    expectShown(true, true);

    ASSERT_NE(Open(t), nullptr);
    expectShown(true, true);
    main->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR);
    expectShown(false, true);
    main->SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR);
    expectShown(false, false);
    main->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR);
    main->SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR);
    expectShown(true, true);

    // A maximised drive window changes the menu bar, not the commands.
    ::SendMessageW(main->m_hWndMDIClient, WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(ActiveChild()->m_hWnd), 0);
    main->SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR);
    expectShown(true, false);

    app.CloseAllDocuments();
    expectShown(true, false);
    main->SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR);
    expectShown(true, true);
}

TEST_F(FrameBehaviourTest, WindowMenuListsEveryDriveWindowByNumberAndTitleWithTheActiveOneChecked)
{
    FixtureDrive t('T'), u('U'), v('V');
    CHeftDoc* first = Open(t);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(WindowList(), (std::vector<std::string>{"* &1 " + Title(first)}));
    CHeftDoc* second = Open(u);
    CHeftDoc* third = Open(v);
    ASSERT_TRUE(second && third);
    EXPECT_EQ(WindowList(), (std::vector<std::string>{"&1 " + Title(first), "&2 " + Title(second),
                                                      "* &3 " + Title(third)}));

    // Choosing an entry brings its window forward.
    main->SendMessage(WM_COMMAND, AFX_IDM_FIRST_MDICHILD);
    EXPECT_EQ(ActiveChild()->GetActiveDocument(), first);
    EXPECT_EQ(WindowList(), (std::vector<std::string>{"* &1 " + Title(first), "&2 " + Title(second),
                                                      "&3 " + Title(third)}));

    ActiveChild()->SendMessage(WM_CLOSE);
    ASSERT_EQ(DocumentCount(), 2);
    std::vector<std::string> left = WindowList();
    ASSERT_EQ(left.size(), 2u);
    EXPECT_NE(left[0].find(Title(second)), std::string::npos);
    EXPECT_NE(left[1].find(Title(third)), std::string::npos);

    // All closed and one opened again: the list is back.
    app.CloseAllDocuments();
    PumpPending();
    CHeftDoc* again = Open(u);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(WindowList(), (std::vector<std::string>{"* &1 " + Title(again)}));
}

TEST_F(FrameBehaviourTest, MovingTheSplitBarRedrawsTheListAndItsHeaderWhole)
{
    FixtureDrive t('T');
    t.File("a.bin", 10);
    t.File("b\\c.bin", 20);
    CHeftDoc* doc = Open(t);
    ASSERT_NE(doc, nullptr);
    CSplitterWnd& splitter = ActiveChild()->m_wndSplitter;
    HWND list = splitter.GetPane(0, 1);
    HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int bar = splitter.GetColumnWidth(0) + CSplitterWnd::BarWidth() / 2;

    // Dragged with the mouse.
    ValidateEverything();
    splitter.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(bar, 50));
    splitter.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(bar + 40, 50));
    splitter.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(bar + 40, 50));
    const int dragged = splitter.GetColumnWidth(0);
    EXPECT_GT(dragged, 230);
    EXPECT_TRUE(WhollyInvalid(list));
    EXPECT_TRUE(WhollyInvalid(header));

    // Moved with the keyboard after Window > Split.
    ValidateEverything();
    main->SendMessage(WM_COMMAND, ID_WINDOW_SPLIT);
    splitter.SendMessage(WM_KEYDOWN, VK_LEFT, 0);
    splitter.SendMessage(WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(splitter.GetColumnWidth(0), dragged - 8);
    EXPECT_TRUE(WhollyInvalid(list));
    EXPECT_TRUE(WhollyInvalid(header));
}

TEST_F(FrameBehaviourTest, LayoutChangesRedrawWhatTheyUncover)
{
    FixtureDrive t('T');
    t.File("a.bin", 10);
    ASSERT_NE(Open(t), nullptr);
    EXPECT_TRUE(main->GetStyle() & WS_CLIPCHILDREN) << "the frame never paints its background over its bars";
    EXPECT_TRUE(ActiveChild()->GetStyle() & WS_CLIPCHILDREN);
    HWND list = ActiveChild()->m_wndSplitter.GetPane(0, 1);
    HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));

    // The toolbar off and on: the windows below it move up and back down.
    for (int i = 0; i < 2; ++i) {
        ValidateEverything();
        main->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR);
        EXPECT_TRUE(WhollyInvalid(main->m_wndDriveBar.m_hWnd));
        EXPECT_TRUE(WhollyInvalid(main->m_hWndMDIClient));
    }

    // A larger drive window: the list and its header are drawn anew.
    ValidateEverything();
    RECT frame{};
    ActiveChild()->GetWindowRect(&frame);
    SetWindowPos(ActiveChild()->m_hWnd, nullptr, 0, 0, frame.right - frame.left + 120, frame.bottom - frame.top + 60,
                 SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(WhollyInvalid(list));
    EXPECT_TRUE(WhollyInvalid(header));
}

TEST_F(FrameBehaviourTest, WhileTheFrameIsDisabledEveryToolbarButtonShowsDisabled)
{
    FixtureDrive t('T');
    t.File("a.bin", 1);
    ASSERT_NE(Open(t), nullptr);
    CToolBar& commands = main->m_wndToolBar;
    CToolBar& drives = main->m_wndDriveBar;
    auto enabled = [](CToolBar& bar, UINT id) { return bar.SendMessage(TB_ISBUTTONENABLED, id) != 0; };
    main->OnIdleUpdateCmdUI();
    ASSERT_TRUE(enabled(commands, ID_REFRESH));
    ASSERT_TRUE(enabled(drives, ID_DRIVE_A + ('T' - 'A')));

    // As the scan's progress dialog holds it.
    main->EnableWindow(FALSE);
    for (CToolBar* bar : {&commands, &drives}) {
        for (int i = 0; i < bar->GetButtonCount(); ++i) {
            UINT id = bar->GetItemID(i);
            if (id != 0) {
                EXPECT_FALSE(enabled(*bar, id)) << id;
            }
        }
    }
    main->EnableWindow(TRUE);
    EXPECT_TRUE(enabled(commands, ID_REFRESH));
    EXPECT_TRUE(enabled(drives, ID_DRIVE_A + ('T' - 'A')));
}
