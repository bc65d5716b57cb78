// The program's start-up and its document-free commands, on the real main window.
#include "app/CHeftApp.h"
#include "app/CMainFrame.h"
#include "framework/CGdiObject.h"
#include "resources/resource.h"
#include "tests/common/DialogAnswerer.h"
#include "tests/common/HeftAppTest.h"
#include "tests/common/TestWindows.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> MenuTexts(HMENU hMenu)
{
    std::vector<std::string> texts;
    int count = GetMenuItemCount(hMenu);
    for (int i = 0; i < count; ++i) {
        texts.push_back(MenuItemText(hMenu, i));
    }
    return texts;
}

using StartupTest = HeftAppTest;

} // namespace

TEST_F(StartupTest, MainWindowOpensWithMenu128ToolbarStatusBarAndNoDocument)
{
    EXPECT_TRUE(main->IsWindowVisible());
    EXPECT_EQ(main->GetWindowText(), "Heftscope");
    EXPECT_EQ(CountChildren(main->m_hWndMDIClient), 0);

    HMENU expected = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
    EXPECT_EQ(MenuTexts(::GetMenu(main->m_hWnd)), MenuTexts(expected));
    DestroyMenu(expected);

    // The command toolbar: nine buttons and two separators, all disabled
    // while no document is open, drawn from the disabled images.
    CToolBar& bar = main->m_wndToolBar;
    ASSERT_EQ(bar.GetButtonCount(), 11);
    const UINT ids[] = {ID_FILE_PRINT, 0, ID_REFRESH, ID_UP_ONE_LEVEL, 0, ID_DISK_VS_DIRECTORY, ID_TOP_TEN,
                        ID_LARGEST_FILES, ID_FILE_TYPES, ID_ACTION_DELETE, ID_ITEM_PROPERTIES};
    for (int i = 0; i < 11; ++i) EXPECT_EQ(bar.GetItemID(i), ids[i]) << "button " << i;
    app.OnIdle(0);
    for (UINT id : ids) {
        if (id != 0) {
            EXPECT_FALSE(bar.SendMessage(TB_ISBUTTONENABLED, id)) << id;
        }
    }
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(bar.SendMessage(TB_GETDISABLEDIMAGELIST)),
              main->m_ilToolbarDisabled.GetSafeHandle());
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(bar.SendMessage(TB_GETIMAGELIST)), main->m_ilToolbar.GetSafeHandle());
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(bar.SendMessage(TB_GETHOTIMAGELIST)), main->m_ilToolbarHot.GetSafeHandle());
    EXPECT_EQ(main->m_ilToolbar.GetImageCount(), 9);
    EXPECT_EQ(main->m_ilDriveBar.GetImageCount(), 5);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(main->m_ilToolbar, &cx, &cy);
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 15);
    EXPECT_NE(main->m_ilSystemSmall.GetSafeHandle(), nullptr);

    EXPECT_EQ(main->m_wndStatusBar.GetPaneText(0), "Ready");
    EXPECT_EQ(main->m_wndStatusBar.GetDlgCtrlID(), AFX_IDW_STATUS_BAR);
    EXPECT_EQ(bar.GetDlgCtrlID(), AFX_IDW_TOOLBAR);
}

TEST_F(StartupTest, NewOpensNothing)
{
    main->SendMessage(WM_COMMAND, ID_FILE_NEW);
    EXPECT_EQ(CountChildren(main->m_hWndMDIClient), 0);
    EXPECT_TRUE(app.GetDocTemplates().front()->GetDocuments().empty());
}

TEST_F(StartupTest, ViewMenuHidesAndShowsTheCommandToolbar)
{
    ASSERT_TRUE(main->m_wndToolBar.IsWindowVisible());
    main->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR);
    EXPECT_FALSE(main->m_wndToolBar.IsWindowVisible());
    main->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR);
    EXPECT_TRUE(main->m_wndToolBar.IsWindowVisible());
    main->SendMessage(WM_COMMAND, ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(main->m_wndStatusBar.IsWindowVisible());
}

TEST_F(StartupTest, StatusBarShowsCommandPromptsAndReadyAgain)
{
    main->SendMessage(WM_MENUSELECT, MAKEWPARAM(ID_APP_ABOUT, MF_STRING), 0);
    CString prompt;
    prompt.LoadFromResource(ID_APP_ABOUT);
    EXPECT_EQ(main->m_wndStatusBar.GetPaneText(0), prompt.Left(prompt.Find('\n')));
    main->SendMessage(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_EQ(main->m_wndStatusBar.GetPaneText(0), "Ready");
}

TEST_F(StartupTest, ToolbarTooltipIsTheSecondLineOfTheCommandString)
{
    NMTTDISPINFOW info{};
    info.hdr.hwndFrom = reinterpret_cast<HWND>(main->m_wndToolBar.SendMessage(TB_GETTOOLTIPS));
    info.hdr.idFrom = ID_REFRESH;
    info.hdr.code = TTN_NEEDTEXTW;
    main->SendMessage(WM_NOTIFY, ID_REFRESH, reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(info.szText, L"Refresh");
}

TEST_F(StartupTest, HelpContentsOpensContextOneOfTheHelpFileBesideTheProgram)
{
    main->SendMessage(WM_COMMAND, ID_HELP_CONTENTS);
    EXPECT_EQ(app.m_strLastHelpTopic, app.m_strHelpFilePath + "#context-1");
    CString module = app.m_strHelpFilePath;
    EXPECT_EQ(module.Right(4), ".htm");

    // The build puts the program's help file beside it, with that topic.
    CString folder = module.Left(module.ReverseFind('\\') + 1);
    std::ifstream help((folder + "heftscope.htm").GetString());
    ASSERT_TRUE(help.good()) << folder.GetString();
    std::stringstream text;
    text << help.rdbuf();
    EXPECT_NE(text.str().find("id=\"context-1\""), std::string::npos);
}

TEST_F(StartupTest, HelpContentsThatCannotBeShownSaysSoWithTheFileAndTheReason)
{
    FixtureDrive drive('T');
    app.m_bShowHelp = true;
    app.m_strHelpFilePath = drive.Path("missing.htm");
    DialogAnswerer answer("Heftscope", IDOK);
    main->SendMessage(WM_COMMAND, ID_HELP_CONTENTS);
    ASSERT_EQ(answer.Answered(), 1);
    EXPECT_NE(answer.LastText().find("\"" + drive.Path("missing.htm").str() + "\""), std::string::npos)
        << answer.LastText();
    wchar_t reason[256] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_FILE_NOT_FOUND, 0,
                   reason, static_cast<DWORD>(std::size(reason)), nullptr);
    std::string firstLine = WideToUtf8(reason).str();
    firstLine = firstLine.substr(0, firstLine.find_first_of("\r\n"));
    EXPECT_NE(answer.LastText().find(firstLine), std::string::npos) << answer.LastText();
}

TEST_F(StartupTest, AboutBoxIsCentredOverTheMainWindow)
{
    RECT mainRect{};
    main->GetWindowRect(&mainRect);
    RECT aboutRect{};
    DialogAnswerer answer("About Heft", IDOK, [&](HWND about) { GetWindowRect(about, &aboutRect); });
    main->SendMessage(WM_COMMAND, ID_APP_ABOUT);
    ASSERT_EQ(answer.Answered(), 1);
    int mainCentreX = (mainRect.left + mainRect.right) / 2;
    int aboutCentreX = (aboutRect.left + aboutRect.right) / 2;
    int mainCentreY = (mainRect.top + mainRect.bottom) / 2;
    int aboutCentreY = (aboutRect.top + aboutRect.bottom) / 2;
    EXPECT_NEAR(aboutCentreX, mainCentreX, 1);
    EXPECT_NEAR(aboutCentreY, mainCentreY, 1);
}

TEST_F(StartupTest, ExitClosesTheMainWindowAndWritesTheRecentFileList)
{
    app.AddToRecentFileList("Q:\\");
    main->SendMessage(WM_COMMAND, ID_APP_EXIT);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the message loop is told to end";
    app.ExitInstance();
    EXPECT_EQ(app.GetProfileString("Recent File List", "File1"), "Q:\\");
}

TEST(Toolbars, SilverBecomesButtonFaceAndOtherColoursStay)
{
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = 80;
    bmi.bmiHeader.biHeight = 16;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    CBitmap section(CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0));
    ASSERT_NE(section.GetSafeHandle(), nullptr);
    auto* px = static_cast<BYTE*>(bits);
    const size_t count = 80 * 16;
    for (size_t i = 0; i < count; ++i) {
        BYTE v = (i % 2) ? 192 : 191; // silver and its near neighbour
        px[3 * i] = px[3 * i + 1] = px[3 * i + 2] = v;
    }
    CMainFrame::MapSilverToButtonFace(section);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (size_t i : {size_t{1}, size_t{79}, count - 1}) {
        EXPECT_EQ(px[3 * i], GetBValue(face));
        EXPECT_EQ(px[3 * i + 1], GetGValue(face));
        EXPECT_EQ(px[3 * i + 2], GetRValue(face));
    }
    EXPECT_EQ(px[0], 191);
    EXPECT_EQ(px[3 * (count - 2) + 2], 191);
}

// A path given at start-up, as Explorer's "Open in Heftscope" gives it: the
// drive opens, and the folder (a file's folder) is selected and listed.
TEST_F(StartupTest, AStartPathSelectsAndListsItsFolderOrSaysItIsNotThere)
{
    FixtureDrive drive('T');
    drive.File("docs\\2024\\report.bin", 300);
    drive.File("docs\\2024\\notes.bin", 100);
    drive.Folder("docs\\2024\\old");
    drive.Folder("music");
    main->RebuildDriveBar();
    struct Case {
        const char* path;
        const char* folder; // the folder selected and listed
        const char* status; // how the status bar's text afterwards begins
    };
    const Case cases[] = {
        {"T:\\docs\\2024", "T:\\docs\\2024", "Searched "},
        {"t:\\DOCS\\2024\\", "T:\\docs\\2024", "Searched "},
        {"T:\\docs\\2024\\notes.bin", "T:\\docs\\2024", "Searched "},
        {"T:\\", "T:", "Searched "},
        {"T:\\docs\\missing", "T:", "Folder not found: T:\\docs\\missing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        main->SetMessageText(AFX_IDS_IDLEMESSAGE);
        CHeftDoc* doc = app.OpenStartPath(c.path);
        ASSERT_NE(doc, nullptr);
        CTreeCtrl& tree = *doc->m_pTreeCtrl;
        const HTREEITEM selected = tree.GetSelectedItem();
        EXPECT_EQ(doc->FolderPath(selected).CompareNoCase(c.folder), 0) << doc->FolderPath(selected).str();
        EXPECT_EQ(doc->m_strListFolder.CompareNoCase(c.folder), 0) << doc->m_strListFolder.str();
        for (HTREEITEM parent = tree.GetParentItem(selected); parent; parent = tree.GetParentItem(parent))
            EXPECT_TRUE(tree.GetItemState(parent, TVIS_EXPANDED) & TVIS_EXPANDED) << "a parent is open";
        // A folder that is found leaves the search's own summary there.
        EXPECT_EQ(main->m_wndStatusBar.GetPaneText(0).str().rfind(c.status, 0), 0u)
            << main->m_wndStatusBar.GetPaneText(0).str();
        // The drive's own document: its button brings it forward, nothing opens twice.
        main->SendMessage(WM_COMMAND, ID_DRIVE_A + ('T' - 'A'));
        EXPECT_EQ(DocumentCount(), 1);
        app.CloseAllDocuments();
        PumpPending();
    }
    // The listed folder's rows: its subfolder and its two files.
    CHeftDoc* doc = app.OpenStartPath("T:\\docs\\2024");
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->m_pListCtrl->GetItemCount(), 3);
    app.CloseAllDocuments();
    PumpPending();
}
