// The drive toolbar of the main window: one button per present drive, built
// again when devices come and go, and the tooltips of its buttons.
#include "app/CChildFrame.h"
#include "app/CHeftApp.h"
#include "app/CMainFrame.h"
#include "app/DriveList.h"
#include "framework/Utf16.h"
#include "resources/resource.h"
#include "tests/common/DialogAnswerer.h"
#include "tests/common/FixtureDrive.h"
#include "tests/common/HeftAppTest.h"
#include "tests/common/ProgressWatcher.h"
#include "tests/common/TestWindows.h"

#include <gtest/gtest.h>

#include <dbt.h>

#include <string>
#include <vector>

namespace {

// "C:" for letter index 2.
std::string DriveText(int letter)
{
    return std::string(1, static_cast<char>('A' + letter)) + ":";
}

// Letter indexes (0 = A) of the present drives, in letter order.
std::vector<int> PresentLetters()
{
    std::vector<int> letters;
    DWORD mask = GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter)
        if (mask & (1u << letter)) letters.push_back(letter);
    return letters;
}

TBBUTTON ButtonAt(CToolBar& bar, int index)
{
    TBBUTTON button{};
    EXPECT_TRUE(bar.SendMessage(TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button)));
    return button;
}

// The position of a drive's button, or -1.
int ButtonIndexOf(CToolBar& bar, char letter)
{
    return static_cast<int>(bar.SendMessage(TB_COMMANDTOINDEX, static_cast<WPARAM>(ID_DRIVE_A + (letter - 'A'))));
}

int ToolbarsOf(HWND hFrame)
{
    int count = 0;
    for (HWND h = GetWindow(hFrame, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (GetDlgCtrlID(h) == AFX_IDW_TOOLBAR) ++count;
    return count;
}

class DriveBarTest : public ::testing::Test {
protected:
    // The main frame as the start-up makes it; made by each test once its
    // fixture drives are in place.
    void CreateFrame()
    {
        app.SetRegistryKey("Tamrisk Architects");
        frame = new CMainFrame;
        ASSERT_TRUE(frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE));
        app.m_pMainWnd = frame;
        frame->ShowWindow(SW_SHOW);
        ASSERT_NE(frame->m_wndDriveBar.m_hWnd, nullptr);
    }
    void TearDown() override
    {
        if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
        PumpPending();
    }
    void SendDeviceChange(UINT event, char letter)
    {
        DEV_BROADCAST_VOLUME volume{};
        volume.dbcv_size = sizeof(volume);
        volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
        volume.dbcv_unitmask = 1u << (letter - 'A');
        frame->SendMessage(WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&volume));
    }

    CHeftApp app;
    CMainFrame* frame = nullptr;
};

} // namespace

TEST_F(DriveBarTest, OneButtonPerDriveInLetterOrderWithTheImageOfItsType)
{
    FixtureDrive floppy('Q');
    floppy.SetType("floppy");
    FixtureDrive hd('R');
    hd.SetType("hd");
    FixtureDrive cdrom('S');
    cdrom.SetType("cdrom");
    FixtureDrive network('U');
    network.SetType("network");
    CreateFrame();

    CToolBar& bar = frame->m_wndDriveBar;
    EXPECT_EQ(bar.GetDlgCtrlID(), AFX_IDW_TOOLBAR);
    const std::vector<int> letters = PresentLetters();
    ASSERT_EQ(bar.GetButtonCount(), static_cast<int>(letters.size()));
    for (size_t k = 0; k < letters.size(); ++k) {
        TBBUTTON button = ButtonAt(bar, static_cast<int>(k));
        EXPECT_EQ(button.idCommand, ID_DRIVE_A + letters[k]) << "button " << k;
        EXPECT_EQ(frame->m_nDriveCommand[k], static_cast<UINT>(ID_DRIVE_A + letters[k])) << "button " << k;
        EXPECT_TRUE(button.fsState & TBSTATE_ENABLED) << "button " << k;
    }
    for (size_t k = letters.size(); k < 26; ++k) EXPECT_EQ(frame->m_nDriveCommand[k], 0u) << "entry " << k;

    EXPECT_EQ(ButtonAt(bar, ButtonIndexOf(bar, 'Q')).iBitmap, 0);
    EXPECT_EQ(ButtonAt(bar, ButtonIndexOf(bar, 'R')).iBitmap, 1);
    EXPECT_EQ(ButtonAt(bar, ButtonIndexOf(bar, 'S')).iBitmap, 3);
    EXPECT_EQ(ButtonAt(bar, ButtonIndexOf(bar, 'U')).iBitmap, 2);
    EXPECT_EQ(ButtonAt(bar, ButtonIndexOf(bar, 'C')).iBitmap, 1);

    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(bar.SendMessage(TB_GETIMAGELIST)), frame->m_ilDriveBar.GetSafeHandle());
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(bar.SendMessage(TB_GETDISABLEDIMAGELIST)),
              frame->m_ilDriveBarDisabled.GetSafeHandle());
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(bar.SendMessage(TB_GETHOTIMAGELIST)),
              frame->m_ilDriveBarHot.GetSafeHandle());

    // The application handles every drive command, so the idle update keeps them enabled.
    app.OnIdle(0);
    for (int letter : letters)
        EXPECT_TRUE(bar.SendMessage(TB_ISBUTTONENABLED, static_cast<WPARAM>(ID_DRIVE_A + letter))) << letter;

    // The names are those of the same drives, by the same positions.
    ASSERT_EQ(g_arrShellDriveNames.size(), letters.size());
    for (size_t k = 0; k < letters.size(); ++k) {
        EXPECT_GE(g_arrShellDriveNames[k].Find(DriveText(letters[k]).c_str()), 0) << g_arrShellDriveNames[k].str();
    }
}

TEST_F(DriveBarTest, DriveBarHasARowOfItsOwnBelowTheCommandToolbar)
{
    CreateFrame();
    RECT commands{}, drives{}, client{};
    frame->m_wndToolBar.GetWindowRect(&commands);
    frame->m_wndDriveBar.GetWindowRect(&drives);
    GetWindowRect(frame->m_hWndMDIClient, &client);
    EXPECT_TRUE(frame->m_wndDriveBar.IsWindowVisible());
    EXPECT_GT(drives.bottom, drives.top);
    EXPECT_EQ(drives.top, commands.bottom);
    EXPECT_GE(client.top, drives.bottom);
    EXPECT_TRUE(frame->m_wndDriveBar.GetBarStyle() & CBRS_TOOLTIPS);
}

TEST_F(DriveBarTest, ArrivalAndRemovalBuildTheBarAgainOtherEventsDoNot)
{
    CreateFrame();
    const int before = frame->m_wndDriveBar.GetButtonCount();
    HWND barBefore = frame->m_wndDriveBar.m_hWnd;

    FixtureDrive v('V');
    SendDeviceChange(DBT_DEVICEQUERYREMOVE, 'V');
    SendDeviceChange(DBT_DEVNODES_CHANGED, 'V');
    EXPECT_EQ(frame->m_wndDriveBar.m_hWnd, barBefore);
    EXPECT_EQ(frame->m_wndDriveBar.GetButtonCount(), before);

    SendDeviceChange(DBT_DEVICEARRIVAL, 'V');
    CToolBar& bar = frame->m_wndDriveBar;
    EXPECT_EQ(bar.GetButtonCount(), before + 1);
    int index = ButtonIndexOf(bar, 'V');
    ASSERT_GE(index, 0);
    EXPECT_EQ(frame->m_nDriveCommand[index], static_cast<UINT>(ID_DRIVE_A + ('V' - 'A')));
    ASSERT_EQ(g_arrShellDriveNames.size(), static_cast<size_t>(before + 1));
    EXPECT_GE(g_arrShellDriveNames[static_cast<size_t>(index)].Find("V:"), 0);
    // The bar is refilled, not replaced.
    EXPECT_EQ(frame->m_wndDriveBar.m_hWnd, barBefore);
    EXPECT_EQ(ToolbarsOf(frame->m_hWnd), 2);

    v.Unmount();
    SendDeviceChange(DBT_DEVICEREMOVECOMPLETE, 'V');
    EXPECT_EQ(frame->m_wndDriveBar.GetButtonCount(), before);
    EXPECT_LT(ButtonIndexOf(frame->m_wndDriveBar, 'V'), 0);
    EXPECT_EQ(frame->m_nDriveCommand[before], 0u);
    EXPECT_EQ(g_arrShellDriveNames.size(), static_cast<size_t>(before));
    EXPECT_EQ(ToolbarsOf(frame->m_hWnd), 2);

    // Laid out again below the command toolbar after every rebuild.
    RECT commands{}, drives{};
    frame->m_wndToolBar.GetWindowRect(&commands);
    frame->m_wndDriveBar.GetWindowRect(&drives);
    EXPECT_EQ(drives.top, commands.bottom);
}

TEST_F(DriveBarTest, WithoutADriveWindowTooltipsAreTheDriveLetters)
{
    CreateFrame();
    HWND tips = reinterpret_cast<HWND>(frame->m_wndDriveBar.SendMessage(TB_GETTOOLTIPS));
    for (int letter : PresentLetters()) {
        UINT id = ID_DRIVE_A + static_cast<UINT>(letter);
        NMTTDISPINFOW info{};
        info.hdr.hwndFrom = tips;
        info.hdr.idFrom = id;
        info.hdr.code = TTN_NEEDTEXTW;
        frame->SendMessage(WM_NOTIFY, id, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(WideToUtf8(info.szText).str(), DriveText(letter));
    }
}

TEST_F(DriveBarTest, ChildFrameTooltipIsTheShellNameAtTheButtonsPosition)
{
    FixtureDrive t('T');
    CreateFrame();
    const std::vector<int> letters = PresentLetters();
    for (size_t k = 0; k < letters.size(); ++k) {
        CString text;
        ASSERT_TRUE(CChildFrame::GetDriveToolTip(ID_DRIVE_A + static_cast<UINT>(letters[k]), text)) << k;
        EXPECT_EQ(text, g_arrShellDriveNames[k]);
        EXPECT_GE(text.Find(DriveText(letters[k]).c_str()), 0) << text.str();
    }

    CString text;
    EXPECT_FALSE(CChildFrame::GetDriveToolTip(ID_REFRESH, text));
    // Entries past the last button hold 0, which is no command.
    EXPECT_FALSE(CChildFrame::GetDriveToolTip(0, text));
    DWORD mask = GetLogicalDrives();
    for (UINT letter = 0; letter < 26; ++letter) {
        if (mask & (1u << letter)) continue;
        EXPECT_FALSE(CChildFrame::GetDriveToolTip(ID_DRIVE_A + letter, text)) << letter;
    }
}

TEST_F(DriveBarTest, RebuildingTheDriveBarFiftyTimesLeavesTheLayoutAsItWas)
{
    CreateFrame();
    struct Layout {
        RECT status, commands, drives, client;
        bool operator==(const Layout& other) const
        {
            return EqualRect(&status, &other.status) && EqualRect(&commands, &other.commands) &&
                   EqualRect(&drives, &other.drives) && EqualRect(&client, &other.client);
        }
    };
    auto layout = [this] {
        Layout now{};
        frame->m_wndStatusBar.GetWindowRect(&now.status);
        frame->m_wndToolBar.GetWindowRect(&now.commands);
        frame->m_wndDriveBar.GetWindowRect(&now.drives);
        GetWindowRect(frame->m_hWndMDIClient, &now.client);
        return now;
    };
    const Layout before = layout();
    ASSERT_GT(before.status.bottom - before.status.top, 0);
    for (int i = 0; i < 50; ++i) frame->RebuildDriveBar();
    const Layout after = layout();
    EXPECT_EQ(after.status.bottom - after.status.top, before.status.bottom - before.status.top);
    EXPECT_TRUE(after == before) << "the bars and the client area stand where they stood";

    // Laying the frame out again, or resizing it and back, changes no height either.
    for (int i = 0; i < 20; ++i) frame->RecalcLayout();
    RECT window{};
    frame->GetWindowRect(&window);
    frame->MoveWindow(RECT{window.left, window.top, window.right + 40, window.bottom + 30});
    frame->MoveWindow(window);
    EXPECT_TRUE(layout() == before);
}

namespace {

// The whole program, with the drive bar clicked as a user clicks it.
class DriveBarClickTest : public HeftAppTest {
protected:
    void TearDown() override
    {
        app.CloseAllDocuments();
        PumpPending();
        HeftAppTest::TearDown();
    }
    // Button down and up in the middle of a drive's button; returns the bar
    // window that was clicked.
    HWND ClickDrive(char letter)
    {
        CToolBar& bar = main->m_wndDriveBar;
        RECT button{};
        const auto id = static_cast<WPARAM>(ID_DRIVE_A + (letter - 'A'));
        EXPECT_TRUE(bar.SendMessage(TB_GETRECT, id, reinterpret_cast<LPARAM>(&button)));
        const LPARAM point = MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
        bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, point);
        bar.SendMessage(WM_LBUTTONUP, 0, point);
        return bar.m_hWnd;
    }
    void SendArrival(char letter)
    {
        DEV_BROADCAST_VOLUME volume{};
        volume.dbcv_size = sizeof(volume);
        volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
        volume.dbcv_unitmask = 1u << (letter - 'A');
        main->SendMessage(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&volume));
    }
    // Lets the frame's retry timer refill the bar once it may.
    void PumpUntilRefilled()
    {
        for (int i = 0; i < 100 && main->IsDriveBarRebuildDeferred(); ++i) {
            Sleep(20);
            PumpPending();
        }
    }
};

} // namespace

// A device arriving while a drive button's own click runs (during the search,
// or while the drive error asks Retry) must not take the bar away under the
// click: the refill waits, then the bar shows the new drive.
TEST_F(DriveBarClickTest, ADeviceArrivingDuringTheClicksSearchOrRetryBoxRefillsTheBarAfterwards)
{
    FixtureDrive t('T');
    for (int i = 0; i < 50; ++i) t.File(("f" + std::to_string(i) + "\\a.bin").c_str(), 10);
    FixtureDrive u('U');
    main->RebuildDriveBar();

    FixtureDrive v('V');
    v.Unmount();
    bool deferredDuringSearch = false;
    {
        ProgressWatcher watcher;
        watcher.AtFirstStatus([&] {
            v.Mount();
            SendArrival('V');
            deferredDuringSearch = main->IsDriveBarRebuildDeferred() != FALSE;
        });
        const HWND clicked = ClickDrive('T');
        ASSERT_TRUE(watcher.Fired());
        EXPECT_TRUE(IsWindow(clicked)) << "the clicked bar outlived its click";
        EXPECT_EQ(main->m_wndDriveBar.m_hWnd, clicked);
    }
    EXPECT_TRUE(deferredDuringSearch);
    EXPECT_EQ(DocumentCount(), 1) << "the search went on and opened the drive";
    PumpUntilRefilled();
    EXPECT_GE(ButtonIndexOf(main->m_wndDriveBar, 'V'), 0);

    // U no longer answers: its click asks Retry, and a device arrives then.
    u.Unmount();
    FixtureDrive w('W');
    w.Unmount();
    bool deferredDuringBox = false;
    {
        DialogAnswerer cancel("Error", IDCANCEL, [&](HWND) {
            w.Mount();
            SendArrival('W');
            deferredDuringBox = main->IsDriveBarRebuildDeferred() != FALSE;
        });
        const HWND clicked = ClickDrive('U');
        EXPECT_EQ(cancel.Answered(), 1);
        EXPECT_TRUE(IsWindow(clicked));
    }
    EXPECT_TRUE(deferredDuringBox);
    EXPECT_EQ(DocumentCount(), 1) << "the failed drive opened nothing";
    PumpUntilRefilled();
    EXPECT_FALSE(main->IsDriveBarRebuildDeferred());
    EXPECT_GE(ButtonIndexOf(main->m_wndDriveBar, 'W'), 0);
    EXPECT_LT(ButtonIndexOf(main->m_wndDriveBar, 'U'), 0);
}
