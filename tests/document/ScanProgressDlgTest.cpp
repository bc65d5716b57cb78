// The scan's progress dialog on real windows: a plain top-level owner window
// that counts its WM_ENABLE messages, a child of it that asks for the dialog,
// and the dialog made from its resource template.
#include "document/CScanProgressDlg.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// A top-level window of the test's own class, with a child that stands for
// the view asking for the dialog: the dialog must find the top-level owner.
class OwnerWindow {
public:
    OwnerWindow()
    {
        static const ATOM atom = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = &OwnerWindow::WndProc;
            wc.cbWndExtra = sizeof(OwnerWindow*);
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"HeftTestOwner";
            return RegisterClassExW(&wc);
        }();
        m_hWnd = CreateWindowExW(0, reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(atom)), L"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), this);
        RECT rc{0, 0, 100, 20};
        m_asker.CreateControl(0, L"STATIC", "", WS_CHILD | WS_VISIBLE, rc, m_hWnd, 100);
    }
    ~OwnerWindow()
    {
        if (m_hWnd) DestroyWindow(m_hWnd);
    }
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;

    HWND m_hWnd = nullptr;
    CWnd m_asker;
    int m_nEnables = 0;
    int m_nDisables = 0;
    bool m_bEnabledWhenDialogDestroyed = false;

private:
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(hWnd, 0, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        }
        auto* self = reinterpret_cast<OwnerWindow*>(GetWindowLongPtrW(hWnd, 0));
        if (self && message == WM_ENABLE) ++(wParam ? self->m_nEnables : self->m_nDisables);
        if (self && message == WM_NCDESTROY) {
            SetWindowLongPtrW(hWnd, 0, 0);
            self->m_hWnd = nullptr;
        }
        return DefWindowProcW(hWnd, message, wParam, lParam);
    }
};

// Counts WM_SETTEXT reaching a control.
LRESULT CALLBACK CountSetText(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref)
{
    if (message == WM_SETTEXT) ++*reinterpret_cast<int*>(ref);
    return DefSubclassProc(hWnd, message, wParam, lParam);
}

// Notes, when the dialog's window goes, whether its owner was enabled by then.
LRESULT CALLBACK WatchDestroy(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref)
{
    if (message == WM_DESTROY) {
        auto* owner = reinterpret_cast<OwnerWindow*>(ref);
        owner->m_bEnabledWhenDialogDestroyed = IsWindowEnabled(owner->m_hWnd) != FALSE;
    }
    return DefSubclassProc(hWnd, message, wParam, lParam);
}

// Makes every dialog window of this thread fail to be created while it exists.
class DialogCreationBlocker {
public:
    DialogCreationBlocker() : m_hHook(SetWindowsHookExW(WH_CBT, &Hook, nullptr, GetCurrentThreadId())) {}
    ~DialogCreationBlocker()
    {
        if (m_hHook) UnhookWindowsHookEx(m_hHook);
    }
    DialogCreationBlocker(const DialogCreationBlocker&) = delete;
    DialogCreationBlocker& operator=(const DialogCreationBlocker&) = delete;
    bool Active() const { return m_hHook != nullptr; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_CREATEWND) {
            wchar_t name[16] = {};
            GetClassNameW(reinterpret_cast<HWND>(wParam), name, static_cast<int>(std::size(name)));
            if (std::wstring_view(name) == L"#32770") return 1;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    HHOOK m_hHook;
};

class ScanProgressDlgTest : public ::testing::Test {
protected:
    void Open(UINT nCaptionID = 0)
    {
        m_pDlg = std::make_unique<CScanProgressDlg>(nCaptionID);
        ASSERT_TRUE(m_pDlg->Create(&m_owner.m_asker));
        ASSERT_TRUE(IsWindow(Dlg()));
    }
    HWND Dlg() const { return m_pDlg->m_hWnd; }
    HWND Item(int id) const { return GetDlgItem(Dlg(), id); }
    std::string Percent() const { return GetWindowTextUtf8(Item(IDC_PERCENT)).str(); }
    LRESULT BarPos() const { return SendMessageW(Item(IDC_PROGRESS), PBM_GETPOS, 0, 0); }

    OwnerWindow m_owner;
    std::unique_ptr<CScanProgressDlg> m_pDlg; // declared after the owner: goes first
};

TEST_F(ScanProgressDlgTest, StartsWithStoredRangeStepAndLowerBoundAndDefaultCaption)
{
    m_pDlg = std::make_unique<CScanProgressDlg>(0);
    m_pDlg->SetRange(5, 50);
    m_pDlg->SetStep(3);
    ASSERT_TRUE(m_pDlg->Create(&m_owner.m_asker));

    EXPECT_EQ(GetWindowTextUtf8(Dlg()).str(), "Scanning Drive");
    PBRANGE range{};
    SendMessageW(Item(IDC_PROGRESS), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 5);
    EXPECT_EQ(range.iHigh, 50);
    EXPECT_EQ(BarPos(), 5);
    EXPECT_EQ(Percent(), " 0 %");

    EXPECT_EQ(m_pDlg->StepIt(), 5);
    EXPECT_EQ(BarPos(), 8);
}

TEST_F(ScanProgressDlgTest, DefaultsAndGivenCaption)
{
    Open(IDR_MAINFRAME);
    EXPECT_EQ(GetWindowTextUtf8(Dlg()).str(), "Heftscope");
    PBRANGE range{};
    SendMessageW(Item(IDC_PROGRESS), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 100);
    EXPECT_EQ(m_pDlg->StepIt(), 0);
    EXPECT_EQ(Percent(), "10%");
}

TEST_F(ScanProgressDlgTest, StepsThroughRangeOfThreeRootFolders)
{
    Open();
    m_pDlg->SetRange(1, 4);
    m_pDlg->SetStep(1);
    EXPECT_EQ(m_pDlg->StepIt(), 1);
    EXPECT_EQ(Percent(), "33%");
    EXPECT_EQ(m_pDlg->StepIt(), 2);
    EXPECT_EQ(Percent(), "66%");
    EXPECT_EQ(m_pDlg->StepIt(), 3);
    EXPECT_EQ(Percent(), "100%");
    EXPECT_EQ(BarPos(), 4);
}

TEST_F(ScanProgressDlgTest, PercentOnlyHundredStaysHundredAndTruncates)
{
    Open();
    m_pDlg->SetRange(0, 100);
    m_pDlg->SetPos(150);
    EXPECT_EQ(Percent(), "50%");
    EXPECT_EQ(m_pDlg->SetPos(100), 100); // the bar kept 150 inside its range
    EXPECT_EQ(Percent(), "100%");
    m_pDlg->SetPos(250);
    EXPECT_EQ(Percent(), "50%");
    m_pDlg->SetPos(200);
    EXPECT_EQ(Percent(), "0%");

    m_pDlg->SetPos(10);
    EXPECT_EQ(m_pDlg->OffsetPos(15), 10);
    EXPECT_EQ(BarPos(), 25);
    EXPECT_EQ(Percent(), "25%");

    m_pDlg->SetRange(0, 3);
    m_pDlg->SetPos(2);
    EXPECT_EQ(Percent(), "66%");

    m_pDlg->SetRange(10, 20);
    m_pDlg->SetPos(5);
    EXPECT_EQ(Percent(), "-50%");
}

TEST_F(ScanProgressDlgTest, SamePercentDoesNotSetTextAgain)
{
    Open();
    int nSetTexts = 0;
    ASSERT_TRUE(SetWindowSubclass(Item(IDC_PERCENT), &CountSetText, 1, reinterpret_cast<DWORD_PTR>(&nSetTexts)));
    m_pDlg->SetRange(0, 200);
    m_pDlg->SetPos(20);
    EXPECT_EQ(Percent(), "10%");
    EXPECT_EQ(nSetTexts, 1);
    m_pDlg->SetPos(21);
    m_pDlg->OffsetPos(-1);
    EXPECT_EQ(nSetTexts, 1);
    m_pDlg->SetPos(40);
    EXPECT_EQ(Percent(), "20%");
    EXPECT_EQ(nSetTexts, 2);
    RemoveWindowSubclass(Item(IDC_PERCENT), &CountSetText, 1);
}

TEST_F(ScanProgressDlgTest, EqualBoundsKeepTheText)
{
    Open();
    m_pDlg->SetRange(5, 5);
    m_pDlg->SetPos(5);
    m_pDlg->OffsetPos(1);
    m_pDlg->StepIt();
    EXPECT_EQ(Percent(), " 0 %");
}

TEST_F(ScanProgressDlgTest, StatusTextShowsLastTextAfterPump)
{
    Open();
    m_pDlg->SetStatusText("C:\\PROGRAM FILES");
    m_pDlg->SetStatusText("C:\\WINDOWS");
    m_pDlg->SetStatusText("C:\\WINDOWS\\SYSTEM");
    m_pDlg->PumpMessages();
    EXPECT_EQ(GetWindowTextUtf8(Item(IDC_STATUS)).str(), "C:\\WINDOWS\\SYSTEM");
}

TEST_F(ScanProgressDlgTest, OwnerDisabledWhileOpenAndEnabledOnceBeforeWindowGoes)
{
    Open();
    EXPECT_FALSE(IsWindowEnabled(m_owner.m_hWnd));
    EXPECT_TRUE(IsWindowEnabled(m_owner.m_asker.m_hWnd)); // only the top-level owner is disabled
    EXPECT_EQ(m_owner.m_nDisables, 1);
    EXPECT_EQ(m_owner.m_nEnables, 0);
    ASSERT_TRUE(SetWindowSubclass(Dlg(), &WatchDestroy, 1, reinterpret_cast<DWORD_PTR>(&m_owner)));

    HWND hDlg = Dlg();
    EXPECT_TRUE(m_pDlg->DestroyWindow());
    EXPECT_FALSE(IsWindow(hDlg));
    EXPECT_TRUE(m_owner.m_bEnabledWhenDialogDestroyed);
    EXPECT_TRUE(IsWindowEnabled(m_owner.m_hWnd));
    EXPECT_EQ(m_owner.m_nEnables, 1);

    // Something else disables the owner now: deleting the dialog must not undo that.
    EnableWindow(m_owner.m_hWnd, FALSE);
    m_pDlg.reset();
    EXPECT_FALSE(IsWindowEnabled(m_owner.m_hWnd));
    EXPECT_EQ(m_owner.m_nEnables, 1);
}

TEST_F(ScanProgressDlgTest, OpensCentredOverItsOwnerWherever)
{
    // Away from the corner where a dialog without a place of its own appears.
    MoveWindow(m_owner.m_hWnd, 240, 170, 520, 380, FALSE);
    Open();
    RECT owner{}, dialog{};
    GetWindowRect(m_owner.m_hWnd, &owner);
    GetWindowRect(Dlg(), &dialog);
    EXPECT_NEAR((dialog.left + dialog.right) / 2, (owner.left + owner.right) / 2, 1);
    EXPECT_NEAR((dialog.top + dialog.bottom) / 2, (owner.top + owner.bottom) / 2, 1);
}

TEST_F(ScanProgressDlgTest, DeletingOpenDialogDestroysItAndEnablesOwnerFirst)
{
    Open();
    ASSERT_TRUE(SetWindowSubclass(Dlg(), &WatchDestroy, 1, reinterpret_cast<DWORD_PTR>(&m_owner)));
    HWND hDlg = Dlg();
    m_pDlg.reset();
    EXPECT_FALSE(IsWindow(hDlg));
    EXPECT_TRUE(m_owner.m_bEnabledWhenDialogDestroyed);
    EXPECT_TRUE(IsWindowEnabled(m_owner.m_hWnd));
    EXPECT_EQ(m_owner.m_nEnables, 1);
}

TEST_F(ScanProgressDlgTest, OwnerDisabledBeforeStaysDisabled)
{
    EnableWindow(m_owner.m_hWnd, FALSE);
    Open();
    EXPECT_TRUE(m_pDlg->DestroyWindow());
    m_pDlg.reset();
    EXPECT_FALSE(IsWindowEnabled(m_owner.m_hWnd));
    EXPECT_EQ(m_owner.m_nEnables, 0);
    EXPECT_EQ(m_owner.m_nDisables, 1); // only the test's own
}

TEST_F(ScanProgressDlgTest, FailedCreationEnablesOwnerOnce)
{
    m_pDlg = std::make_unique<CScanProgressDlg>(0);
    {
        DialogCreationBlocker blocker;
        ASSERT_TRUE(blocker.Active());
        EXPECT_FALSE(m_pDlg->Create(&m_owner.m_asker));
    }
    EXPECT_EQ(Dlg(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(m_owner.m_hWnd));
    EXPECT_EQ(m_owner.m_nDisables, 1);
    EXPECT_EQ(m_owner.m_nEnables, 1);

    EnableWindow(m_owner.m_hWnd, FALSE);
    m_pDlg.reset();
    EXPECT_FALSE(IsWindowEnabled(m_owner.m_hWnd));
    EXPECT_EQ(m_owner.m_nEnables, 1);
}

TEST_F(ScanProgressDlgTest, CancelButtonSetsFlagThatCheckCancelReportsOnce)
{
    Open();
    m_pDlg->PumpMessages();
    EXPECT_FALSE(m_pDlg->CheckCancel());
    // Pressed twice before the scan looks: still one report. The flag is read
    // on every call, whether or not that call pumps.
    SendMessageW(Item(IDCANCEL), BM_CLICK, 0, 0);
    SendMessageW(Item(IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_TRUE(m_pDlg->CheckCancel());
    EXPECT_FALSE(m_pDlg->CheckCancel());
    EXPECT_TRUE(IsWindow(Dlg())); // cancelling only asks; the scan closes the dialog
}

TEST_F(ScanProgressDlgTest, EscapeAndEnterReachCancelThroughDialogKeys)
{
    Open();
    m_pDlg->PumpMessages();
    HWND hFocus = GetFocus();
    ASSERT_TRUE(hFocus == Dlg() || IsChild(Dlg(), hFocus));
    for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
        SCOPED_TRACE(key == VK_ESCAPE ? "Escape" : "Enter");
        ASSERT_TRUE(PostMessageW(hFocus, WM_KEYDOWN, key, 1));
        m_pDlg->PumpMessages();
        EXPECT_TRUE(m_pDlg->CheckCancel());
        EXPECT_FALSE(m_pDlg->CheckCancel());
        EXPECT_TRUE(IsWindow(Dlg()));
    }
}

TEST_F(ScanProgressDlgTest, CloseBoxReachesCancelAndOkDoesNothing)
{
    Open();
    SendMessageW(Dlg(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    m_pDlg->PumpMessages();
    EXPECT_FALSE(m_pDlg->CheckCancel());
    EXPECT_TRUE(IsWindow(Dlg()));

    SendMessageW(Dlg(), WM_SYSCOMMAND, SC_CLOSE, 0);
    m_pDlg->PumpMessages();
    EXPECT_TRUE(m_pDlg->CheckCancel());
    EXPECT_FALSE(m_pDlg->CheckCancel());
    EXPECT_TRUE(IsWindow(Dlg()));
}

TEST_F(ScanProgressDlgTest, PumpLeavesQuitRequestForApplicationLoop)
{
    Open();
    PostQuitMessage(7);
    ASSERT_TRUE(PostMessageW(Item(IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 1));
    m_pDlg->PumpMessages();
    EXPECT_TRUE(m_pDlg->CheckCancel()); // the rest of the queue was still served
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

} // namespace
