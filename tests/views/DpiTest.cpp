// Everything the program draws itself at the DPI it starts under: the list's
// rows, icons, bars and text margins, the toolbar images and the splitter's
// bars. The test command runs these at 96 DPI and again in test prefixes of
// 144 and 192 DPI (HEFT_TEST_DPI, tests/wine-run.sh).
#include "app/CChildFrame.h"
#include "framework/Dpi.h"
#include "tests/views/Canvas.h"
#include "tests/views/ListTestBase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

const COLORREF kUntouched = RGB(255, 0, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlack = RGB(0, 0, 0);

int S(int pixels)
{
    return ScaleToDpi(pixels);
}

class DpiTest : public ListTest {
protected:
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
    int RowHeight()
    {
        RECT row{};
        row.left = LVIR_BOUNDS;
        list->GetListCtrl().Send(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
        return row.bottom - row.top;
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

TEST_F(DpiTest, TheProgramIsDpiAwareAndRunsAtTheScreensDpi)
{
    const char* wanted = std::getenv("HEFT_TEST_DPI");
    EXPECT_EQ(SystemDpi(), wanted ? std::atoi(wanted) : 96);
    EXPECT_TRUE(IsProcessDPIAware());
    HRSRC found = FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(nullptr, found))),
                               SizeofResource(nullptr, found));
    EXPECT_NE(manifest.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true"
                            "</dpiAware>"),
              std::string::npos);
}

TEST_F(DpiTest, ColumnsAndRowsTakeTheirSizeFromTheDpiTheIconsAndTheFont)
{
    OpenList();
    CListCtrl& ctrl = list->GetListCtrl();
    EXPECT_EQ(ctrl.GetColumnWidth(0), S(150));
    EXPECT_EQ(ctrl.GetColumnWidth(1), S(100));
    EXPECT_EQ(ctrl.GetColumnWidth(2), S(150));
    EXPECT_EQ(ctrl.GetColumnWidth(3), S(50));

    const SIZE icon = list->IconSize();
    EXPECT_EQ(icon.cx, GetSystemMetrics(SM_CXSMICON)) << "the shell's small icons, at the screen's DPI";
    TEXTMETRICW metrics{};
    {
        CClientDC dc(list->m_hWnd);
        HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(list->SendMessage(WM_GETFONT)));
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, previous);
    }
    EXPECT_EQ(RowHeight(), std::max(icon.cy, metrics.tmHeight) + S(1));
}

TEST_F(DpiTest, ARowsIconTextsAndBarKeepTheirProportions)
{
    OpenList();
    const SIZE icon = list->IconSize();
    const int height = RowHeight();
    Canvas canvas(S(500), height, kUntouched);
    DrawRow(canvas, 0, ODS_FOCUS); // a.bin, 60 %: a red bar
    const COLORREF window = GetSysColor(COLOR_WINDOW);

    // The icon fills its cell; the name cell starts right of it.
    bool iconDrawn = false;
    for (int x = 0; x < icon.cx && !iconDrawn; ++x)
        for (int y = 0; y < icon.cy && !iconDrawn; ++y) iconDrawn = canvas.At(x, y) != kUntouched;
    EXPECT_TRUE(iconDrawn);
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
    EXPECT_LE(lastText, cell - S(1) + 1);
    bool focus = false;
    for (int y = 0; y < height && !focus; ++y) focus = canvas.At(S(450) - 1, y) != window;
    EXPECT_TRUE(focus);
    for (int y = 0; y < height; ++y) EXPECT_EQ(canvas.At(S(450) + 1, y), kUntouched);
}

TEST_F(DpiTest, ADividerDoubleClickGivesMarginsIconAndBarWidthAtTheDpi)
{
    OpenList();
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

TEST_F(DpiTest, ToolbarImagesAreScaledToTheirButtons)
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
    const RECT drive = PaintedBox(main->m_ilDriveBar, 1);
    EXPECT_GE(drive.right - drive.left, S(12));
}

TEST_F(DpiTest, TheSplittersBarAndTheTreesFirstWidthFollowTheDpi)
{
    OpenList();
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
