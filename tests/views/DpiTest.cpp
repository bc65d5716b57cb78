// Everything the program draws itself at the DPI it starts under, and again
// after the main window moves to a monitor of another DPI: the list's rows,
// icons, bars and text margins, the fonts, the toolbar images and the
// splitter's bars. The test command runs these at 96 DPI and again in test
// prefixes of 144 and 192 DPI (HEFT_TEST_DPI, tests/wine-run.sh).
#include "app/CChildFrame.h"
#include "framework/Dpi.h"
#include "resources/resource.h"
#include "tests/views/Canvas.h"
#include "tests/views/ListTestBase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>

namespace {

const COLORREF kUntouched = RGB(255, 0, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlack = RGB(0, 0, 0);

// The screen's DPI the test prefix was made with.
int StartDpi()
{
    const char* wanted = std::getenv("HEFT_TEST_DPI");
    return wanted && *wanted ? std::atoi(wanted) : 96;
}

class DpiTest : public ListTest {
protected:
    // A length in pixels at 96 DPI, at the DPI the test expects the layout at.
    int S(int pixels) const { return MulDiv(pixels, dpi, 96); }

    void OpenList()
    {
        drive.File("a.bin", 600);
        drive.File("b.bin", 400);
        drive.Folder("sub");
        doc = Open(drive);
        ASSERT_NE(doc, nullptr);
        list = ListOf(doc);
        ASSERT_NE(list, nullptr);
        Show(doc, doc->m_hRootItem);
        ASSERT_EQ(RowNames(list), (std::vector<std::string>{"a.bin", "b.bin", "sub"}));
    }
    void DrawRow(Canvas& canvas, int row, UINT state)
    {
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_LISTVIEW;
        draw.itemID = static_cast<UINT>(row);
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = state;
        draw.hwndItem = list->m_hWnd;
        draw.hDC = canvas.Dc();
        draw.rcItem = RECT{0, 0, canvas.Width(), canvas.Height()};
        list->DrawItem(&draw);
    }

    // The main window moves to a monitor of another DPI, as Windows tells it.
    void MoveToDpi(int newDpi)
    {
        dpi = newDpi;
        // A place of its own for each DPI, as much of the test screen as a
        // drive window needs at 288 DPI.
        RECT suggested{newDpi / 16, newDpi / 16, GetSystemMetrics(SM_CXSCREEN) - 8, GetSystemMetrics(SM_CYSCREEN) - 8};
        main->SendMessage(WM_DPICHANGED, MAKEWPARAM(newDpi, newDpi), reinterpret_cast<LPARAM>(&suggested));
        RECT now{};
        main->GetWindowRect(&now);
        EXPECT_TRUE(EqualRect(&now, &suggested)) << "the main window takes the suggested place";
    }
    static int FontHeight(HWND hWnd)
    {
        TEXTMETRICW metrics{};
        CClientDC dc(hWnd);
        HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(hWnd, WM_GETFONT, 0, 0)));
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, previous);
        return metrics.tmHeight;
    }
    static int Height(HWND hWnd)
    {
        RECT rc{};
        ::GetWindowRect(hWnd, &rc);
        return rc.bottom - rc.top;
    }
    // What a drive window and the main window's bars measure now.
    std::map<std::string, int> Layout(CHeftDoc* document) const
    {
        CHeftList* view = ListOf(document);
        CListCtrl& ctrl = view->GetListCtrl();
        auto* child = dynamic_cast<CChildFrame*>(view->GetParentFrame());
        std::map<std::string, int> values{
            {"icon", view->IconSize().cx},
            {"list font", FontHeight(ctrl.m_hWnd)},
            {"row", RowHeightOf(view)},
            {"header", Height(reinterpret_cast<HWND>(view->SendMessage(LVM_GETHEADER)))},
            {"tree font", FontHeight(document->m_pTreeCtrl->m_hWnd)},
            {"tree row", static_cast<int>(document->m_pTreeCtrl->Send(TVM_GETITEMHEIGHT))},
            {"splitter column", child ? child->m_wndSplitter.GetColumnWidth(0) : -1},
            {"status font", FontHeight(main->m_wndStatusBar.m_hWnd)},
            {"status bar", Height(main->m_wndStatusBar.m_hWnd)},
            {"toolbar", Height(main->m_wndToolBar.m_hWnd)},
            {"drive bar", Height(main->m_wndDriveBar.m_hWnd)},
            {"toolbar button", LOWORD(main->m_wndToolBar.SendMessage(TB_GETBUTTONSIZE))},
            {"drive button", LOWORD(main->m_wndDriveBar.SendMessage(TB_GETBUTTONSIZE))},
        };
        for (int i = 0; i < CHeftList::kColumnCount; ++i)
            values["column " + std::to_string(i)] = ctrl.GetColumnWidth(i);
        return values;
    }
    static int RowHeightOf(CHeftList* view)
    {
        RECT row{};
        row.left = LVIR_BOUNDS;
        view->GetListCtrl().Send(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
        return row.bottom - row.top;
    }

    // The checks of a layout at the expected DPI, each also a test of its own
    // for a start at the screen's DPI.
    void CheckColumnsAndRows();
    void CheckRowDrawing();
    void CheckDividerDoubleClick();
    void CheckToolbars();
    void CheckSplitter();

    int dpi = StartDpi();
    FixtureDrive drive{'T'};
    CHeftDoc* doc = nullptr;
    CHeftList* list = nullptr;
};

// The box around the pixels of an image that differ from the first pixel (the background).
RECT PaintedBox(HIMAGELIST images, int index)
{
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    Canvas canvas(cx, cy, RGB(0, 0, 0));
    ImageList_Draw(images, index, canvas.Dc(), 0, 0, ILD_NORMAL);
    const COLORREF background = canvas.At(0, 0);
    RECT box{cx, cy, -1, -1};
    for (int y = 0; y < cy; ++y) {
        for (int x = 0; x < cx; ++x) {
            if (canvas.At(x, y) == background) continue;
            box.left = std::min<LONG>(box.left, x);
            box.top = std::min<LONG>(box.top, y);
            box.right = std::max<LONG>(box.right, x + 1);
            box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    }
    return box;
}

} // namespace

TEST_F(DpiTest, TheProgramIsAwareOfEachMonitorsDpiAndStartsAtTheScreens)
{
    EXPECT_EQ(SystemDpi(), StartDpi());
    EXPECT_EQ(LayoutDpi(), StartDpi());
    EXPECT_TRUE(IsProcessDPIAware());
    // Looked up: the test runs where Windows 10's functions are.
    using GetAwareness = DPI_AWARENESS_CONTEXT(WINAPI*)();
    using SameAwareness = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    const auto getAwareness = reinterpret_cast<GetAwareness>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
    const auto same = reinterpret_cast<SameAwareness>(
        reinterpret_cast<void*>(GetProcAddress(user32, "AreDpiAwarenessContextsEqual")));
    ASSERT_TRUE(getAwareness && same);
    // Wine 8 knows the first version of per-monitor awareness; Windows 10
    // from version 1703 takes the second, which the manifest names first.
    EXPECT_TRUE(same(getAwareness(), DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2) ||
                same(getAwareness(), DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE));
    HRSRC found = FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(nullptr, found))),
                               SizeofResource(nullptr, found));
    // Windows before 10 version 1607 read only the first setting: system DPI.
    EXPECT_NE(manifest.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true"
                            "</dpiAware>"),
              std::string::npos);
    EXPECT_NE(manifest.find("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
                            "PerMonitorV2, system</dpiAwareness>"),
              std::string::npos);
}

void DpiTest::CheckColumnsAndRows()
{
    CListCtrl& ctrl = list->GetListCtrl();
    EXPECT_EQ(ctrl.GetColumnWidth(0), S(150));
    EXPECT_EQ(ctrl.GetColumnWidth(1), S(100));
    EXPECT_EQ(ctrl.GetColumnWidth(2), S(150));
    EXPECT_EQ(ctrl.GetColumnWidth(3), S(50));

    const SIZE icon = list->IconSize();
    EXPECT_EQ(icon.cx, S(16)) << "the shell's small icons, at the DPI";
    EXPECT_EQ(icon.cy, S(16));
    EXPECT_EQ(RowHeightOf(list), std::max<int>(icon.cy, FontHeight(list->m_hWnd)) + S(1));
}

TEST_F(DpiTest, ColumnsAndRowsTakeTheirSizeFromTheDpiTheIconsAndTheFont)
{
    OpenList();
    EXPECT_EQ(list->IconSize().cx, GetSystemMetrics(SM_CXSMICON)) << "the shell's own small icons";
    CheckColumnsAndRows();
}

void DpiTest::CheckRowDrawing()
{
    const SIZE icon = list->IconSize();
    const int height = RowHeightOf(list);
    Canvas canvas(S(500), height, kUntouched);
    DrawRow(canvas, 0, ODS_FOCUS); // a.bin, 60 %: a red bar
    const COLORREF window = GetSysColor(COLOR_WINDOW);

    // The icon fills its cell (the shell's folder and file pictures span
    // most of it); the name cell starts right of it.
    int iconRight = -1;
    for (int x = 0; x < icon.cx; ++x)
        for (int y = 0; y < height; ++y)
            if (canvas.At(x, y) != kUntouched) iconRight = std::max(iconRight, x);
    EXPECT_GE(iconRight, icon.cx * 3 / 4) << "drawn at the cell's size";
    EXPECT_EQ(canvas.At(icon.cx + 1, height / 2), window) << "the name's margin";

    // The bar cell from S(250) to S(400): outline S(2) in and S(1) down.
    const int cell = S(150) + S(100);
    const int barRight = cell + S(150) * 6 / 10;
    EXPECT_EQ(canvas.At(cell + S(2) - 1, height / 2), window);
    EXPECT_EQ(canvas.At(cell + S(2), height / 2), kBlack);
    EXPECT_EQ(canvas.At(cell + S(2) + 1, height / 2), kRed);
    EXPECT_EQ(canvas.At(cell + S(10), S(1) - 1), window);
    EXPECT_EQ(canvas.At(cell + S(10), S(1)), kBlack);
    EXPECT_EQ(canvas.At(cell + S(10), height - S(1)), window);
    EXPECT_EQ(canvas.At(cell + S(10), height - S(1) - 1), kBlack);
    EXPECT_EQ(canvas.At(barRight - 2, height / 2), kRed);
    EXPECT_EQ(canvas.At(barRight - 1, height / 2), kBlack);
    EXPECT_EQ(canvas.At(barRight + 1, height / 2), window);

    // The size text ends at the right of its cell, its margin (S(1)) apart
    // give or take a pixel of the glyphs; the focus ends with the percent column.
    int lastText = -1;
    for (int x = S(150); x < cell; ++x)
        for (int y = 0; y < height; ++y)
            if (canvas.At(x, y) != window) lastText = std::max(lastText, x);
    EXPECT_GT(lastText, cell - S(12)) << "right-aligned";
    EXPECT_LE(lastText, cell - S(1) + dpi / 96);
    bool focus = false;
    for (int y = 0; y < height && !focus; ++y) focus = canvas.At(S(450) - 1, y) != window;
    EXPECT_TRUE(focus);
    for (int y = 0; y < height; ++y) EXPECT_EQ(canvas.At(S(450) + 1, y), kUntouched);
}

TEST_F(DpiTest, ARowsIconTextsAndBarKeepTheirProportions)
{
    OpenList();
    CheckRowDrawing();
}

void DpiTest::CheckDividerDoubleClick()
{
    list->m_nTextWidth[0] = 100;
    list->m_nTextWidth[1] = 40;
    HWND header = reinterpret_cast<HWND>(list->SendMessage(LVM_GETHEADER));
    auto doubleClick = [&](int column) {
        NMHEADERW click{};
        click.hdr.hwndFrom = header;
        click.hdr.code = HDN_DIVIDERDBLCLICKW;
        click.iItem = column;
        list->SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
        return list->GetListCtrl().GetColumnWidth(column);
    };
    EXPECT_EQ(doubleClick(0), 100 + S(4) + list->IconSize().cx);
    EXPECT_EQ(doubleClick(1), 40 + S(4));
    EXPECT_EQ(doubleClick(2), S(125));
}

TEST_F(DpiTest, ADividerDoubleClickGivesMarginsIconAndBarWidthAtTheDpi)
{
    OpenList();
    CheckDividerDoubleClick();
}

void DpiTest::CheckToolbars()
{
    for (CToolBar* bar : {&main->m_wndToolBar, &main->m_wndDriveBar}) {
        auto images = reinterpret_cast<HIMAGELIST>(bar->SendMessage(TB_GETIMAGELIST));
        ASSERT_NE(images, nullptr);
        int cx = 0, cy = 0;
        ImageList_GetIconSize(images, &cx, &cy);
        EXPECT_EQ(cx, S(16));
        EXPECT_EQ(cy, S(15));
        const DWORD button = static_cast<DWORD>(bar->SendMessage(TB_GETBUTTONSIZE));
        EXPECT_GE(LOWORD(button), cx);
        EXPECT_GE(HIWORD(button), cy);
    }
    // The printer of the Print button spans 14 of 16 pixels at 96 DPI: its
    // picture grows with the image, it is not a small one in a large frame.
    for (CImageList* images : {&main->m_ilToolbar, &main->m_ilToolbarDisabled, &main->m_ilToolbarHot}) {
        const RECT box = PaintedBox(*images, 0);
        EXPECT_GE(box.right - box.left, S(14) - 1);
        EXPECT_GE(box.bottom - box.top, S(13) - 1);
    }
    const RECT driveImage = PaintedBox(main->m_ilDriveBar, 1);
    EXPECT_GE(driveImage.right - driveImage.left, S(12));
}

TEST_F(DpiTest, ToolbarImagesAreScaledToTheirButtons)
{
    CheckToolbars();
}

void DpiTest::CheckSplitter()
{
    auto* child = dynamic_cast<CChildFrame*>(main->MDIGetActive());
    ASSERT_NE(child, nullptr);
    CSplitterWnd& splitter = child->m_wndSplitter;
    EXPECT_EQ(CSplitterWnd::BarWidth(), S(6));
    EXPECT_EQ(splitter.GetColumnWidth(0), S(200));
    RECT pane{};
    GetWindowRect(splitter.GetPane(0, 1), &pane);
    MapWindowPoints(HWND_DESKTOP, splitter.m_hWnd, reinterpret_cast<POINT*>(&pane), 2);
    EXPECT_EQ(pane.left, S(200) + S(6));
}

TEST_F(DpiTest, TheSplittersBarAndTheTreesFirstWidthFollowTheDpi)
{
    OpenList();
    CheckSplitter();
}

// From this monitor to one of half as many pixels per inch again, and back:
// at the new DPI everything measures as in a drive window made there, and
// back home exactly as before the move.
TEST_F(DpiTest, AMoveToAMonitorOfAnotherDpiLaysEverythingOutAgainAndBack)
{
    OpenList();
    const std::map<std::string, int> atStart = Layout(doc);
    const HWND driveWindow = list->GetParentFrame()->m_hWnd;
    RECT before{};
    GetWindowRect(driveWindow, &before);
    const int home = dpi;
    MoveToDpi(home * 3 / 2);
    RECT after{};
    GetWindowRect(driveWindow, &after);
    EXPECT_NEAR(after.right - after.left, (before.right - before.left) * 3 / 2, 1) << "the drive window grows too";
    CheckColumnsAndRows();
    CheckRowDrawing();
    CheckToolbars();
    CheckSplitter();
    const std::map<std::string, int> moved = Layout(doc);
    for (const char* font : {"list font", "tree font", "status font"})
        EXPECT_NEAR(moved.at(font), atStart.at(font) * 3 / 2, 1) << font;
    EXPECT_GT(moved.at("status bar"), atStart.at("status bar"));
    EXPECT_GT(moved.at("header"), atStart.at("header"));
    EXPECT_GE(moved.at("tree row"), moved.at("icon"));
    {
        // A drive window opened there: made at that DPI from the start.
        FixtureDrive other{'U'};
        other.File("a.bin", 10);
        other.Folder("sub");
        CHeftDoc* fresh = Open(other);
        ASSERT_NE(fresh, nullptr);
        EXPECT_EQ(Layout(fresh), moved);
        fresh->OnCloseDocument();
        PumpPending();
    }
    // The divider's double-click sets the columns' widths: they are put back.
    CheckDividerDoubleClick();
    for (int i = 0; i < CHeftList::kColumnCount; ++i)
        list->GetListCtrl().Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), moved.at("column " + std::to_string(i)));

    MoveToDpi(home);
    CheckRowDrawing();
    EXPECT_EQ(Layout(doc), atStart);
    GetWindowRect(driveWindow, &after);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
}

// The bars are made again at a new DPI: a command bar the user hid stays
// hidden, and View > Toolbar still reaches it, not the drive bar.
TEST_F(DpiTest, AHiddenCommandBarStaysHiddenAtANewDpi)
{
    main->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR);
    MoveToDpi(dpi * 3 / 2);
    EXPECT_FALSE(main->m_wndToolBar.IsWindowVisible());
    EXPECT_TRUE(main->m_wndDriveBar.IsWindowVisible());
    main->SendMessage(WM_COMMAND, ID_VIEW_TOOLBAR);
    EXPECT_TRUE(main->m_wndToolBar.IsWindowVisible());
    MoveToDpi(StartDpi());
}
