// Windows whose objects end while a message is still being dispatched to
// them: nothing of the framework may touch such an object afterwards, nor a
// flag on a stack that has gone.
#include "framework/CDialog.h"
#include "resources/resource.h"
#include "tests/common/TestWindows.h"
#include "views/CHeftList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

constexpr unsigned char kFreed = 0xDD;

// An object whose memory stays readable after its delete and is filled with
// a mark at the delete, so that any later write to it shows.
template <class Base>
class Marked : public Base {
public:
    using Base::Base;
    static void* operator new(std::size_t size)
    {
        storage.assign(size, 0);
        deleted = false;
        return storage.data();
    }
    static void operator delete(void*)
    {
        std::fill(storage.begin(), storage.end(), kFreed);
        deleted = true;
    }
    static bool UntouchedSinceTheDelete()
    {
        return deleted && std::all_of(storage.begin(), storage.end(), [](unsigned char b) { return b == kFreed; });
    }
    static inline std::vector<unsigned char> storage;
    static inline bool deleted = false;
};

class SelfDeletingDialog : public Marked<CDialog> {
public:
    SelfDeletingDialog() : Marked<CDialog>(IDD_ABOUTBOX) {}

protected:
    void PostNcDestroy() override { delete this; }
};

// A window of the framework's own class that deletes its object (which
// destroys the window) while handling a message.
class SelfDeletingWindow : public Marked<CWnd> {
protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_APP) {
            delete this;
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

// A contents list whose Delete command closes it, as closing the main
// window while the delete confirmation is up does.
class ClosingList : public Marked<CHeftList> {
    DECLARE_MESSAGE_MAP()
    void OnCloseCommand() { DestroyWindow(); }
};

const MessageMap* ClosingList::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::Command<&ClosingList::OnCloseCommand>(ID_ACTION_DELETE),
    };
    static const MessageMap map = MessageMap::Of(&CHeftList::GetThisMessageMap, entries);
    return &map;
}

// A modeless dialog that outlives its window.
class ClosingDialog : public CDialog {
public:
    ClosingDialog() : CDialog(IDD_ABOUTBOX) {}

protected:
    void OnCancel() override { DestroyWindow(); }
};

constexpr unsigned char kPaint = 0x5A;

// Runs `action` with the stack below this call painted, and tells whether
// anything wrote into the paint: a write through the address of a local of a
// call that returned long ago lands there.
template <class Action>
__attribute__((noinline)) bool WritesIntoDeadStack(Action action)
{
    volatile unsigned char paint[64 * 1024];
    for (auto& b : paint) b = kPaint;
    action();
    return std::any_of(std::begin(paint), std::end(paint), [](unsigned char b) { return b != kPaint; });
}

} // namespace

TEST(WindowLifetime, NothingWritesToADialogThatDeletedItselfAsItsWindowEnded)
{
    auto* dialog = new SelfDeletingDialog;
    ASSERT_TRUE(dialog->Create(IDD_ABOUTBOX));
    HWND hWnd = dialog->m_hWnd;
    ASSERT_NE(hWnd, nullptr);
    PumpPending();

    DestroyWindow(hWnd);
    PumpPending();
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_TRUE(SelfDeletingDialog::UntouchedSinceTheDelete());
}

TEST(WindowLifetime, AnObjectDeletedInsideItsOwnHandlerIsNotTouchedByTheDispatchAfterwards)
{
    auto* window = new SelfDeletingWindow;
    ASSERT_TRUE(window->CreateEx(0, nullptr, "self", WS_POPUP, RECT{0, 0, 10, 10}, nullptr, 0));
    HWND hWnd = window->m_hWnd;

    SendMessageW(hWnd, WM_APP, 0, 0);
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_TRUE(SelfDeletingWindow::UntouchedSinceTheDelete());
}

TEST(WindowLifetime, TheListReturnsAtOnceWhenTheCommandOfItsKeyClosedIt)
{
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
    auto* list = new ClosingList;
    ASSERT_TRUE(list->Create(parent, 1, RECT{0, 0, 200, 200}, nullptr));
    HWND hList = list->m_hWnd;

    SendMessageW(hList, WM_KEYDOWN, VK_DELETE, 0x00530001);
    EXPECT_FALSE(IsWindow(hList));
    EXPECT_TRUE(ClosingList::UntouchedSinceTheDelete());
    DestroyWindow(parent);
}

TEST(WindowLifetime, ADialogThatOutlivesItsWindowKeepsNoFlagOfAFinishedMessage)
{
    ClosingDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_ABOUTBOX));
    HWND hWnd = dialog.m_hWnd;
    // The window ends inside the handling of Cancel.
    SendMessageW(hWnd, WM_COMMAND, IDCANCEL, 0);
    ASSERT_FALSE(IsWindow(hWnd));

    // Default processing asked of the object now must write nowhere.
    EXPECT_FALSE(WritesIntoDeadStack([&dialog] { dialog.DefWindowProc(WM_NULL, 0, 0); }));
}
