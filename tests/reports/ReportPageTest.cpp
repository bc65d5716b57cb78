// Pages of the printed report as the list draws them, without a printer: a
// memory context stands for the device, its page as large as the device it
// reports, and the drawing is read back by pixel. Texts are checked through
// a real spooler in SpoolerTest.cpp; here the geometry: the rows of each
// page, the bars at the column edges, the header lines and the foot rule.
#include "framework/CPrintInfo.h"
#include "resources/resource.h"
#include "reports/ReportLayout.h"
#include "tests/views/Canvas.h"
#include "tests/views/ListTestBase.h"
#include "views/ListRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);

bool Dark(COLORREF c)
{
    return GetRValue(c) < 128 && GetGValue(c) < 128 && GetBValue(c) < 128;
}

// The leftmost and rightmost dark columns in a band of rows, or -1.
struct Span {
    int first;
    int last;
};
Span DarkSpan(const Canvas& canvas, int top, int bottom, int left = 0, int right = -1)
{
    if (right < 0) right = canvas.Width();
    int first = -1, last = -1;
    for (int x = left; x < right; ++x) {
        for (int y = std::max(0, top); y < std::min(bottom, canvas.Height()); ++y) {
            if (Dark(canvas.At(x, y))) {
                if (first < 0) first = x;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

class ReportPageTest : public ListTest {
protected:
    // Opens the drive and shows a folder of `count` files, file000 the
    // largest; a second folder holds one file so that the drive's total
    // differs from the folder's.
    void OpenFolderOfFiles(int count, unsigned long long largest = 0)
    {
        for (int i = 0; i < count; ++i) {
            char name[64];
            snprintf(name, sizeof(name), "rows\\file%03d.bin", i);
            const unsigned long long size = i == 0 && largest ? largest : 1000ull + static_cast<unsigned>(count - i);
            drive.File(name, size);
        }
        drive.File("other\\x.bin", 5);
        ASSERT_TRUE(OpenShowing(drive, "rows", doc, list));
        ASSERT_EQ(list->GetRowCount(), count);
    }

    // A page of the memory context's device, white.
    std::unique_ptr<Canvas> Page()
    {
        HDC screen = GetDC(nullptr);
        const int width = GetDeviceCaps(screen, HORZRES);
        const int height = GetDeviceCaps(screen, VERTRES);
        ReleaseDC(nullptr, screen);
        auto canvas = std::make_unique<Canvas>(width, height, kWhite);
        EXPECT_TRUE(canvas->Valid());
        EXPECT_EQ(GetDeviceCaps(canvas->Dc(), HORZRES), width) << "the page is the device's page";
        EXPECT_EQ(GetDeviceCaps(canvas->Dc(), VERTRES), height);
        return canvas;
    }

    // A printing context on the canvas, and the job begun on it.
    void Begin(CDC& dc, CPrintInfo& info)
    {
        dc.m_bPrinting = true;
        list->OnBeginPrinting(&dc, &info);
    }

    // The whole job on one context: begin, the page, end.
    void PrintPage(Canvas& canvas, CPrintInfo& info, UINT page)
    {
        CDC dc(canvas.Dc());
        Begin(dc, info);
        info.m_nCurPage = page;
        list->OnPrepareDC(&dc, &info);
        list->OnPrint(&dc, &info);
        lineHeight = -list->m_nReportLineHeight;
        rowsPerPage = list->m_nRowsPerPage;
        list->OnEndPrinting(&dc, &info);
    }

    int lineHeight = 0;
    int rowsPerPage = 0;
    FixtureDrive drive{'T'};
    CHeftDoc* doc = nullptr;
    CHeftList* list = nullptr;
};

TEST_F(ReportPageTest, TheJobMeasuresItsDeviceAndCountsItsPages)
{
    OpenFolderOfFiles(40);
    auto canvas = Page();
    CPrintInfo info;
    CDC dc(canvas->Dc());
    Begin(dc, info);
    const int fontHeight = MulDiv(11, GetDeviceCaps(canvas->Dc(), LOGPIXELSY), 72);
    EXPECT_EQ(list->m_nReportLineHeight, -(fontHeight * 6 / 5)) << "negative, like a font's height";
    ASSERT_NE(list->m_fontReport.GetSafeHandle(), nullptr);
    LOGFONTW font{};
    ASSERT_TRUE(GetObjectW(list->m_fontReport, sizeof(font), &font));
    EXPECT_EQ(font.lfHeight, -fontHeight);
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    EXPECT_EQ(font.lfPitchAndFamily, FF_SWISS);
    EXPECT_STREQ(font.lfFaceName, L"Arial");

    const int line = -list->m_nReportLineHeight;
    const int rows = (canvas->Height() - 7 * line) / line;
    EXPECT_EQ(list->m_nRowsPerPage, rows);
    ASSERT_GT(rows, 0);
    EXPECT_EQ(info.GetMinPage(), 1u);
    EXPECT_EQ(info.GetMaxPage(), static_cast<UINT>((40 + rows - 1) / rows));

    list->OnEndPrinting(&dc, &info);
    EXPECT_EQ(list->m_fontReport.GetSafeHandle(), nullptr) << "the font lives as long as the job";
}

TEST_F(ReportPageTest, RowsOfAPageHaveTheirBarsBetweenTheColumnEdgesAndTheFootRuleLiesAtTheBottom)
{
    // The first row holds more than half of the folder: a red bar; the
    // others are too small for one.
    OpenFolderOfFiles(3, 100000);
    auto canvas = Page();
    CPrintInfo info;
    PrintPage(*canvas, info, 1);
    const int width = canvas->Width(), height = canvas->Height(), line = lineHeight;
    const report::RowColumns columns = report::ColumnsFor(width);

    // Row 0: the bar starts 2 dots into its cell and ends at its share of the cell.
    const int middle = report::RowY(0, line) + line / 2;
    const double share = listrules::EntryShare(100000, doc->m_nFolderTotal, doc->m_nDriveTotal, true);
    const int barRight = listrules::BarRight(columns.barLeft, columns.percentLeft, share);
    EXPECT_EQ(canvas->At(columns.barLeft + 1, middle), kWhite);
    EXPECT_EQ(canvas->At(columns.barLeft + 3, middle), kRed);
    EXPECT_EQ(canvas->At(barRight - 2, middle), kRed);
    EXPECT_EQ(canvas->At(barRight + 1, middle), kWhite);
    EXPECT_EQ(canvas->At(columns.percentLeft - 1, middle), kWhite);
    // Rows 1 and 2: up to 1 % of the folder, no bar.
    for (int row = 1; row <= 2; ++row) {
        const COLORREF c = canvas->At(columns.barLeft + 3, report::RowY(row, line) + line / 2);
        EXPECT_EQ(c, kWhite);
    }
    // Below the last row: nothing at all down to the foot.
    EXPECT_EQ(DarkSpan(*canvas, report::RowY(3, line), report::FootRuleY(height, line) - 1).first, -1);

    // The foot rule runs across the page at H - L; the foot text sits below it.
    const int rule = report::FootRuleY(height, line);
    for (int x : {0, width / 3, width - 1}) EXPECT_TRUE(Dark(canvas->At(x, rule))) << "x = " << x;
    EXPECT_FALSE(Dark(canvas->At(width / 3, rule - 2)));
    const auto foot = DarkSpan(*canvas, report::FootTextY(height, line), height);
    EXPECT_GE(foot.first, 0);
    EXPECT_LE(foot.first, line) << "the foot text starts at the left edge";

    // The date starts at the left, the page number ends at the right.
    const auto top = DarkSpan(*canvas, 0, line);
    EXPECT_LE(top.first, line / 2);
    EXPECT_GE(top.last, width - line / 2);
    // "Heftscope" is centred.
    const auto product = DarkSpan(*canvas, report::HeaderLineY(1, line), report::HeaderLineY(2, line));
    ASSERT_GE(product.first, 0);
    EXPECT_NEAR((product.first + product.last) / 2, width / 2, line / 4);
}

TEST_F(ReportPageTest, EachPageDrawsItsOwnRowsAndTheLastOneTheRest)
{
    // Every row over 1 % of the folder: each has a bar.
    OpenFolderOfFiles(50);
    auto first = Page();
    CPrintInfo info;
    PrintPage(*first, info, 1);
    ASSERT_GT(rowsPerPage, 0);
    const int pages = static_cast<int>(info.GetMaxPage());
    ASSERT_EQ(pages, report::PageCount(50, rowsPerPage));
    ASSERT_GE(pages, 2) << "the device's page holds fewer than 50 rows";
    const report::RowColumns columns = report::ColumnsFor(first->Width());
    // A bar this small is its outline only, from 2 dots into the cell.
    auto barsOn = [&](const Canvas& canvas) {
        int bars = 0;
        for (int row = 0; report::RowY(row, lineHeight) + lineHeight <= canvas.Height(); ++row) {
            if (canvas.At(columns.barLeft + 2, report::RowY(row, lineHeight) + lineHeight / 2) != kWhite) ++bars;
        }
        return bars;
    };
    EXPECT_EQ(barsOn(*first), rowsPerPage);

    auto last = Page();
    PrintPage(*last, info, static_cast<UINT>(pages));
    EXPECT_EQ(barsOn(*last), 50 - (pages - 1) * rowsPerPage);
}

TEST_F(ReportPageTest, PrintingLeavesTheWidthsKeptForTheScreenAlone)
{
    drive.File("a name far too long for any cell of a page, and then some more of it.bin", 10);
    drive.File("b.bin", 20);
    ASSERT_TRUE(OpenShowing(drive, "", doc, list));
    const std::vector<int> before(std::begin(list->m_nTextWidth), std::end(list->m_nTextWidth));
    auto canvas = Page();
    CPrintInfo info;
    PrintPage(*canvas, info, 1);
    EXPECT_EQ(std::vector<int>(std::begin(list->m_nTextWidth), std::end(list->m_nTextWidth)), before);
}

TEST_F(ReportPageTest, APageTooShortForARowPrintsItsHeaderANoticeAndItsFootOnOnePage)
{
    OpenFolderOfFiles(5);
    auto canvas = Page();
    CPrintInfo info;
    CDC dc(canvas->Dc());
    Begin(dc, info);
    // The device's page is tall enough; the job is told its pages hold no
    // row, as a printer's short page would make them.
    list->m_nRowsPerPage = report::RowsPerPage(7 * -list->m_nReportLineHeight, -list->m_nReportLineHeight);
    ASSERT_EQ(list->m_nRowsPerPage, 0);
    EXPECT_EQ(report::PageCount(list->GetRowCount(), list->m_nRowsPerPage), 1);
    info.m_nCurPage = 1;
    list->OnPrint(&dc, &info);
    const int line = -list->m_nReportLineHeight;
    const report::RowColumns columns = report::ColumnsFor(canvas->Width());
    // No bar, no row: the notice starts at the left where the rows would.
    for (int row = 0; row < 5; ++row)
        EXPECT_EQ(canvas->At(columns.barLeft + 2, report::RowY(row, line) + line / 2), kWhite);
    const auto notice = DarkSpan(*canvas, report::RowY(0, line), report::RowY(1, line));
    EXPECT_GE(notice.first, 0);
    EXPECT_LE(notice.first, line);
    EXPECT_EQ(DarkSpan(*canvas, report::RowY(1, line), report::FootRuleY(canvas->Height(), line) - 1).first, -1);
    EXPECT_TRUE(Dark(canvas->At(canvas->Width() / 2, report::FootRuleY(canvas->Height(), line))));
    list->OnEndPrinting(&dc, &info);
}

TEST_F(ReportPageTest, TheTitleIsTheFolderShownOrTheTenLargestListing)
{
    drive.File("a\\b\\c.bin", 10);
    drive.File("d\\e.bin", 20);
    ASSERT_TRUE(OpenShowing(drive, "", doc, list));
    EXPECT_EQ(list->GetReportTitle(), "T:") << "the root is the drive alone, never its display name";
    Show(doc, Item(doc, "a\\b"));
    EXPECT_EQ(list->GetReportTitle(), "T:\\a\\b");
    main->SendMessage(WM_COMMAND, ID_TOP_TEN);
    ASSERT_TRUE(doc->m_bTopTen);
    EXPECT_EQ(list->GetReportTitle(), "Top 10 largest directories");
    main->SendMessage(WM_COMMAND, ID_LARGEST_FILES);
    EXPECT_EQ(list->GetReportTitle(), "Largest files of T:");
    doc->m_pTreeCtrl->SelectItem(Item(doc, "a\\b"));
    main->SendMessage(WM_COMMAND, ID_FILE_TYPES);
    EXPECT_EQ(list->GetReportTitle(), "File types of T:\\a\\b");
}

TEST_F(ReportPageTest, AListingPrintsItsOwnColumnRightOfThePercent)
{
    OpenFolderOfFiles(3);
    auto canvas = Page();
    CPrintInfo info;
    PrintPage(*canvas, info, 1);
    const report::RowColumns columns = report::ColumnsFor(canvas->Width());
    const int top = report::RowY(0, lineHeight);
    EXPECT_EQ(DarkSpan(*canvas, top, top + lineHeight, columns.percentRight).first, -1) << "the contents have four columns";

    main->SendMessage(WM_COMMAND, ID_LARGEST_FILES);
    ASSERT_EQ(list->GetExtraColumnText(0), "\\rows");
    canvas = Page();
    PrintPage(*canvas, info, 1);
    const auto folder = DarkSpan(*canvas, top, top + lineHeight, columns.percentRight);
    EXPECT_GT(folder.first, columns.percentRight) << "the folder's path";
    EXPECT_LT(folder.last, canvas->Width());
}

} // namespace
