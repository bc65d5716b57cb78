// Drawing the rows of the contents list: bars, cell texts and their
// shortening, the focus rectangle, and the widths kept for the divider
// double-click. Everything is drawn into a DIB section and read back by pixel.
#include "tests/views/Canvas.h"
#include "tests/views/ListTestBase.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const COLORREF kUntouched = RGB(255, 0, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kYellow = RGB(255, 255, 0);
const COLORREF kRed = RGB(255, 0, 0);

class ListDrawTest : public ListTest {
protected:
    // A drive whose list has been set up, with the totals set by hand.
    void SetUpList()
    {
        drive.File("a.bin", 600);
        drive.File("b.bin", 400);
        doc = Open(drive);
        ASSERT_NE(doc, nullptr);
        list = ListOf(doc);
        ASSERT_NE(list, nullptr);
        Show(doc, doc->m_hRootItem);
    }
    void SetTotals(std::int64_t folder, std::int64_t drive, BOOL relative)
    {
        doc->m_nFolderTotal = folder;
        doc->m_nDriveTotal = drive;
        doc->m_bRelativeToFolder = relative;
    }
    double Bar(Canvas& canvas, std::int64_t size, BOOL selected = FALSE)
    {
        CDC dc(canvas.Dc());
        return list->DrawPercentBar(&dc, size, kCell, selected);
    }
    // The list's own font in a canvas, so that widths are those of the screen.
    void UseListFont(Canvas& canvas)
    {
        if (auto font = reinterpret_cast<HFONT>(list->SendMessage(WM_GETFONT))) SelectObject(canvas.Dc(), font);
    }
    static int Width(HDC dc, const CString& text)
    {
        const std::wstring wide = Utf8ToWide(text.str());
        SIZE size{};
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
        return size.cx;
    }
    void DrawRow(Canvas& canvas, int row, UINT state, int right = 500)
    {
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_LISTVIEW;
        draw.CtlID = static_cast<UINT>(list->GetDlgCtrlID());
        draw.itemID = static_cast<UINT>(row);
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = state;
        draw.hwndItem = list->m_hWnd;
        draw.hDC = canvas.Dc();
        draw.rcItem = RECT{0, 0, right, canvas.Height()};
        list->DrawItem(&draw);
    }

    static constexpr RECT kCell{10, 0, 1010, 20}; // 1,000 pixels: one per mille
    FixtureDrive drive{'T'};
    CHeftDoc* doc = nullptr;
    CHeftList* list = nullptr;
};

TEST_F(ListDrawTest, BarsFollowTheShareWithStrictThresholds)
{
    SetUpList();
    SetTotals(1000, 1000, TRUE);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    struct Case {
        std::int64_t size;
        COLORREF colour; // interior of the bar, or the background when there is none
        int right;       // right edge of the bar (one past its outline)
    };
    const Case cases[] = {
        {10, window, 0},      // exactly 1 %: no bar
        {11, kGreen, 21},     // just over 1 %
        {250, kGreen, 260},   // a quarter is still green
        {251, kYellow, 261},  // just over a quarter
        {500, kYellow, 510},  // a half is still yellow
        {501, kRed, 511},     // 50.1 %
        {1000, kRed, 1010},   // the whole basis fills the cell
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        Canvas canvas(1030, 20, kUntouched);
        EXPECT_DOUBLE_EQ(Bar(canvas, c.size), static_cast<double>(c.size) / 1000.0);
        EXPECT_EQ(canvas.At(5, 10), kUntouched) << "nothing left of the cell";
        EXPECT_EQ(canvas.At(1015, 10), kUntouched) << "nothing right of the cell";
        EXPECT_EQ(canvas.At(10, 0), window) << "the cell's background, outlined in its own colour";
        EXPECT_EQ(canvas.At(1009, 19), window);
        EXPECT_EQ(canvas.At(11, 10), window) << "the bar starts two pixels in";
        if (c.right == 0) {
            EXPECT_EQ(canvas.At(12, 10), window);
            EXPECT_EQ(canvas.At(100, 10), window);
            continue;
        }
        EXPECT_EQ(canvas.At(12, 10), kBlack) << "outline on the left";
        EXPECT_EQ(canvas.At(c.right - 1, 10), kBlack) << "outline on the right";
        EXPECT_EQ(canvas.At(14, 1), kBlack) << "outline at the top, one pixel in";
        EXPECT_EQ(canvas.At(14, 18), kBlack) << "outline at the bottom, one pixel in";
        EXPECT_EQ(canvas.At(14, 0), window);
        EXPECT_EQ(canvas.At(14, 19), window);
        EXPECT_EQ(canvas.At(13, 10), c.colour);
        EXPECT_EQ(canvas.At(c.right - 2, 10), c.colour);
        if (c.right < 1010) {
            EXPECT_EQ(canvas.At(c.right, 10), window);
        }
    }
}

TEST_F(ListDrawTest, AShareAboveOneStaysInsideItsCell)
{
    SetUpList();
    SetTotals(1000, 1000, TRUE);
    Canvas canvas(1030, 20, kUntouched);
    EXPECT_DOUBLE_EQ(Bar(canvas, 1500), 1.5);
    EXPECT_EQ(canvas.At(1000, 10), kRed);
    EXPECT_EQ(canvas.At(1009, 10), kBlack);
    EXPECT_EQ(canvas.At(1010, 10), kUntouched);
    EXPECT_EQ(canvas.At(1025, 10), kUntouched);
}

TEST_F(ListDrawTest, ASelectedRowHasTheHighlightBehindItsBar)
{
    SetUpList();
    SetTotals(1000, 1000, TRUE);
    Canvas canvas(1030, 20, kUntouched);
    Bar(canvas, 300, TRUE);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    EXPECT_EQ(canvas.At(10, 0), highlight);
    EXPECT_EQ(canvas.At(11, 10), highlight);
    EXPECT_EQ(canvas.At(400, 10), highlight);
    EXPECT_EQ(canvas.At(30, 10), kYellow);
}

TEST_F(ListDrawTest, NoBarAndNoShareWhileTheFolderHasNoBytes)
{
    SetUpList();
    for (BOOL relative : {TRUE, FALSE}) {
        SetTotals(0, 1000, relative);
        Canvas canvas(1030, 20, kUntouched);
        EXPECT_EQ(Bar(canvas, 500), 0.0);
        for (int x : {10, 12, 50, 1009}) EXPECT_EQ(canvas.At(x, 10), kUntouched) << x;
    }
}

TEST_F(ListDrawTest, DiskVsDirectorySwitchesTheBasisOfEveryShare)
{
    drive.File("big\\x.bin", 600);
    drive.File("small\\y.bin", 200);
    drive.File("small\\z.bin", 200);
    doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    list = ListOf(doc);
    Show(doc, Item(doc, "small"));
    ASSERT_EQ(doc->m_nFolderTotal, 400);
    Canvas canvas(1030, 20, kUntouched);
    EXPECT_DOUBLE_EQ(Bar(canvas, 200), 0.5);
    EXPECT_EQ(canvas.At(30, 10), kYellow);

    doc->OnDiskVsDirectory();
    EXPECT_DOUBLE_EQ(Bar(canvas, 200), 0.2);
    EXPECT_EQ(canvas.At(30, 10), kGreen);
    EXPECT_EQ(canvas.At(300, 10), GetSysColor(COLOR_WINDOW)) << "the bar got shorter";

    doc->OnDiskVsDirectory();
    EXPECT_DOUBLE_EQ(Bar(canvas, 200), 0.5);

    // At the root both bases are the same.
    Show(doc, doc->m_hRootItem);
    const double relative = Bar(canvas, 600);
    doc->OnDiskVsDirectory();
    EXPECT_DOUBLE_EQ(Bar(canvas, 600), relative);
}

TEST_F(ListDrawTest, ARowIsDrawnCellByCellWithItsFocusEndingAtThePercentColumn)
{
    SetUpList();
    ASSERT_EQ(RowNames(list), (std::vector<std::string>{"a.bin", "b.bin"}));
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    // Columns 150, 100, 150 and 50 wide: name to 150, size to 250, bar to
    // 400, percent to 450; the row itself is wider.
    auto focusTouched = [&](Canvas& canvas, COLORREF background) {
        for (int y = 1; y < canvas.Height() - 1; ++y)
            if (canvas.At(449, y) != background) return true;
        return false;
    };
    {
        Canvas canvas(500, 17, kUntouched);
        DrawRow(canvas, 0, ODS_SELECTED | ODS_FOCUS);
        EXPECT_EQ(canvas.At(140, 8), highlight) << "name cell";
        EXPECT_EQ(canvas.At(160, 8), highlight) << "size cell";
        EXPECT_EQ(canvas.At(300, 8), kRed) << "60 % is red";
        EXPECT_EQ(canvas.At(338, 8), kRed);
        EXPECT_EQ(canvas.At(339, 8), kBlack) << "bar ends at 250 + 150 x 0.6";
        EXPECT_EQ(canvas.At(345, 8), highlight);
        EXPECT_EQ(canvas.At(402, 8), highlight) << "percent cell";
        EXPECT_TRUE(focusTouched(canvas, highlight)) << "the focus rectangle's right edge";
        for (int y = 0; y < 17; ++y) EXPECT_EQ(canvas.At(455, y), kUntouched) << "nothing past the last column";
        bool text = false;
        for (int x = 18; x < 60 && !text; ++x)
            for (int y = 1; y < 16 && !text; ++y) text = canvas.At(x, y) != highlight;
        EXPECT_TRUE(text) << "the name is drawn";
    }
    {
        Canvas canvas(500, 17, kUntouched);
        DrawRow(canvas, 1, 0);
        EXPECT_EQ(canvas.At(140, 8), window);
        EXPECT_EQ(canvas.At(300, 8), kYellow) << "40 % is yellow";
        EXPECT_EQ(canvas.At(310, 8), window) << "bar ends at 250 + 150 x 0.4";
        EXPECT_EQ(canvas.At(402, 8), window);
        EXPECT_FALSE(focusTouched(canvas, window)) << "no focus, no rectangle";
        EXPECT_EQ(canvas.At(455, 8), kUntouched);
    }
}

TEST_F(ListDrawTest, DrawingPutsBackEveryObjectAndSettingOfTheDc)
{
    SetUpList();
    Canvas canvas(500, 17, kUntouched);
    HDC dc = canvas.Dc();
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkColor(dc, RGB(4, 5, 6));
    SetTextAlign(dc, TA_BOTTOM);
    HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
    HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    auto unchanged = [&] {
        EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
        EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
        EXPECT_EQ(GetBkColor(dc), RGB(4, 5, 6));
        EXPECT_EQ(GetTextAlign(dc), static_cast<UINT>(TA_BOTTOM));
    };
    CDC cdc(dc);
    list->DrawPercentBar(&cdc, 600, RECT{0, 0, 100, 17}, TRUE);
    unchanged();
    list->DrawCellTextRight(&cdc, "1,234", RECT{0, 0, 100, 17});
    unchanged();
    DrawRow(canvas, 0, ODS_SELECTED | ODS_FOCUS);
    unchanged();
    DrawRow(canvas, 1, 0);
    unchanged();
}

TEST_F(ListDrawTest, LongTextsAreCutWithDotsToTheLongestPrefixThatFits)
{
    SetUpList();
    Canvas canvas(10, 10, kUntouched);
    UseListFont(canvas);
    CDC dc(canvas.Dc());
    const int dots = Width(canvas.Dc(), "...");

    for (const CString& whole : {CString("a_rather_long_file_name_for_a_narrow_cell.txt"),
                                 CString("naïve-文件-δεδομένα-データ-ファイル.bin")}) {
        SCOPED_TRACE(whole.GetString());
        const int cell = 70;
        ASSERT_GT(Width(canvas.Dc(), whole), cell - 4);
        CString text = whole;
        list->FitTextToCell(&dc, text, 256, cell);
        ASSERT_GE(text.GetLength(), 3);
        EXPECT_EQ(text.Right(3), "...");
        const CString prefix = text.Left(text.GetLength() - 3);
        EXPECT_EQ(whole.Left(prefix.GetLength()), prefix);
        EXPECT_EQ(WideToUtf8(Utf8ToWide(prefix.str())), prefix) << "no character is cut in half";
        EXPECT_LE(Width(canvas.Dc(), prefix) + dots, cell - 4);
        // One more character would not fit.
        int next = prefix.GetLength() + 1;
        while (next < whole.GetLength() && (static_cast<unsigned char>(whole[next]) & 0xC0) == 0x80) ++next;
        EXPECT_GT(Width(canvas.Dc(), whole.Left(next)) + dots, cell - 4);
    }

    CString fits("short");
    list->FitTextToCell(&dc, fits, 256, 200);
    EXPECT_EQ(fits, "short");
    CString narrow("a_rather_long_file_name.txt");
    list->FitTextToCell(&dc, narrow, 256, 3);
    EXPECT_EQ(narrow, "a_rather_long_file_name.txt") << "a cell under 4 pixels takes any text";
    CString noRoom("a_rather_long_file_name.txt");
    list->FitTextToCell(&dc, noRoom, 256, 4 + dots - 1);
    EXPECT_EQ(noRoom, "a_rather_long_file_name.txt") << "not even the dots fit: the text is clipped instead";
    CString limited("a_rather_long_file_name_for_a_limit.txt");
    list->FitTextToCell(&dc, limited, 8, 60);
    EXPECT_EQ(limited, "a_rat...") << "at most 8 characters with the dots";
}

TEST_F(ListDrawTest, OnlyScreenWidthsAreKeptForTheDivider)
{
    SetUpList();
    Canvas canvas(10, 10, kUntouched);
    UseListFont(canvas);
    CDC screen(canvas.Dc());
    list->m_nDrawColumn = 0;
    list->m_nTextWidth[0] = 0;
    CString text("a_rather_long_file_name_for_a_narrow_cell.txt");
    list->FitTextToCell(&screen, text, 256, 60);
    EXPECT_EQ(list->m_nTextWidth[0], Width(canvas.Dc(), "a_rather_long_file_name_for_a_narrow_cell.txt"))
        << "the full width, before shortening";

    CDC printer(canvas.Dc());
    printer.m_bPrinting = true;
    CString longer("a_much_much_longer_file_name_for_a_narrow_cell_on_paper.txt");
    list->FitTextToCell(&printer, longer, 256, 60);
    EXPECT_EQ(list->m_nTextWidth[0], Width(canvas.Dc(), "a_rather_long_file_name_for_a_narrow_cell.txt"));
    EXPECT_EQ(longer.Right(3), "...") << "the report shortens as the screen does";

    CString shorter("a.txt");
    list->FitTextToCell(&screen, shorter, 256, 60);
    EXPECT_EQ(list->m_nTextWidth[0], Width(canvas.Dc(), "a_rather_long_file_name_for_a_narrow_cell.txt"))
        << "the width only grows";
}

TEST_F(ListDrawTest, ADividerDoubleClickFitsTheColumnToTheWidestTextDrawn)
{
    drive.File("a_rather_long_file_name_that_does_not_fit_the_name_column.bin", 1234567);
    drive.File("short.bin", 5);
    doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    list = ListOf(doc);
    Show(doc, doc->m_hRootItem);

    Canvas canvas(500, 17, kUntouched);
    UseListFont(canvas);
    DrawRow(canvas, 0, ODS_SELECTED);
    DrawRow(canvas, 1, 0);
    const int name = Width(canvas.Dc(), "a_rather_long_file_name_that_does_not_fit_the_name_column.bin");
    const int size = Width(canvas.Dc(), "1,234,567");
    const int percent = std::max(Width(canvas.Dc(), "100.0%"), Width(canvas.Dc(), "0.0%"));
    ASSERT_GT(name + 20, 150);

    HWND header = reinterpret_cast<HWND>(list->SendMessage(LVM_GETHEADER));
    auto doubleClick = [&](int column, UINT code) {
        NMHEADERW click{};
        click.hdr.hwndFrom = header;
        click.hdr.idFrom = 0;
        click.hdr.code = code;
        click.iItem = column;
        list->SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
        return list->GetListCtrl().GetColumnWidth(column);
    };
    EXPECT_EQ(doubleClick(0, HDN_DIVIDERDBLCLICKW), name + 20) << "the name, its margins and the icon";
    EXPECT_EQ(doubleClick(1, HDN_DIVIDERDBLCLICKA), size + 4);
    EXPECT_EQ(doubleClick(2, HDN_DIVIDERDBLCLICKW), 125) << "the bar column has a width of its own";
    EXPECT_EQ(doubleClick(3, HDN_DIVIDERDBLCLICKW), percent + 4);
}

} // namespace
