// The contents list's context menu: where it opens, what it offers and who
// owns it.
#include "resources/resource.h"
#include "tests/views/ListTestBase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Watches for the popup menu that TrackPopupMenu shows: a thread timer, which
// the menu's own loop dispatches, notes the menu window's position and items,
// then closes the menu; a hook notes who is told that the menu opens.
class MenuWatcher {
public:
    MenuWatcher()
    {
        s_self = this;
        m_timer = SetTimer(nullptr, 0, 20, &MenuWatcher::OnTimer);
        m_hook = SetWindowsHookExW(WH_CALLWNDPROC, &MenuWatcher::OnCall, nullptr, GetCurrentThreadId());
    }
    ~MenuWatcher()
    {
        KillTimer(nullptr, m_timer);
        UnhookWindowsHookEx(m_hook);
        s_self = nullptr;
    }
    MenuWatcher(const MenuWatcher&) = delete;
    MenuWatcher& operator=(const MenuWatcher&) = delete;

    bool seen = false;
    POINT position{};
    std::vector<std::string> items;
    std::vector<UINT> ids;
    HWND initTarget = nullptr;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD)
    {
        MenuWatcher* self = s_self;
        if (!self || self->seen) return;
        HWND menuWindow = FindWindowW(L"#32768", nullptr);
        if (!menuWindow || !IsWindowVisible(menuWindow)) return;
        self->seen = true;
        RECT rect{};
        GetWindowRect(menuWindow, &rect);
        self->position = POINT{rect.left, rect.top};
        auto menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
        for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
            self->items.push_back(MenuItemText(menu, i));
            self->ids.push_back(GetMenuItemID(menu, i));
        }
        EndMenu();
    }
    static LRESULT CALLBACK OnCall(int code, WPARAM wParam, LPARAM lParam)
    {
        auto* call = reinterpret_cast<CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && s_self && call->message == WM_INITMENUPOPUP && !s_self->initTarget)
            s_self->initTarget = call->hwnd;
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline MenuWatcher* s_self = nullptr;
    UINT_PTR m_timer = 0;
    HHOOK m_hook = nullptr;
};

using ListMenuTest = ListTest;

TEST_F(ListMenuTest, ShiftF10OpensTheMenuNearTheListsTopLeftCorner)
{
    FixtureDrive drive('T');
    drive.File("a.bin", 10);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);

    POINT corner{0, 0};
    ClientToScreen(list->m_hWnd, &corner);
    MenuWatcher watcher;
    // The menu key and Shift+F10 send the menu request without a point.
    list->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list->m_hWnd), MAKELPARAM(-1, -1));
    ASSERT_TRUE(watcher.seen);
    EXPECT_EQ(watcher.position.x, corner.x + 5);
    EXPECT_EQ(watcher.position.y, corner.y + 5);
    EXPECT_EQ(watcher.items, (std::vector<std::string>{"&Open", "&Delete", "", "&Properties"}));
    EXPECT_EQ(watcher.ids, (std::vector<UINT>{ID_ACTION_OPEN, ID_ACTION_DELETE, 0, ID_ITEM_PROPERTIES}));
    EXPECT_EQ(watcher.initTarget, main->m_hWnd) << "the main window owns the menu";
}

TEST_F(ListMenuTest, ARightClickOpensTheMenuWhereTheMouseIs)
{
    FixtureDrive drive('T');
    drive.File("a.bin", 10);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    POINT at{60, 40};
    ClientToScreen(list->m_hWnd, &at);
    MenuWatcher watcher;
    list->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list->m_hWnd), MAKELPARAM(at.x, at.y));
    ASSERT_TRUE(watcher.seen);
    EXPECT_EQ(watcher.position.x, at.x);
    EXPECT_EQ(watcher.position.y, at.y);
}

} // namespace
