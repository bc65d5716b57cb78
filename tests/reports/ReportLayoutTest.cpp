// Geometry of the printed report: line height, rows per page, page count,
// the rows of each page, the lines of a page, the columns of a row and the
// centring of a text. No windows.h: these also run natively.
#include <gtest/gtest.h>

#include "reports/ReportLayout.h"

namespace {

using namespace report;

TEST(ReportLayout, LineHeightIsOnePointTwoTimesTheFontTruncated)
{
    // 11 points at 600 dots per inch is a character height of 92 dots.
    EXPECT_EQ(LineHeight(92), 110);
    EXPECT_EQ(LineHeight(-92), 110) << "a font's height is stored negative";
    // 300 dpi (46) and the screen's 96 dpi (15).
    EXPECT_EQ(LineHeight(46), 55);
    EXPECT_EQ(LineHeight(15), 18);
    // Exact multiples of five: no floating-point shortfall below the whole number.
    EXPECT_EQ(LineHeight(45), 54);
    EXPECT_EQ(LineHeight(5), 6);
    EXPECT_EQ(LineHeight(4), 4);
    EXPECT_EQ(LineHeight(0), 0);
}

TEST(ReportLayout, RowsPerPageLeaveSevenLinesForHeaderAndFoot)
{
    // 600 dpi, 6,600 dots: U = 6600 - 770 = 5830, R = 53.
    EXPECT_EQ(RowsPerPage(6600, 110), 53);
    // A4 at 300 dpi as the PDF queue reports it: 3508 dots, L = 55.
    EXPECT_EQ(RowsPerPage(3508, 55), 56);
    // Exactly eight lines hold one row; a dot less holds none.
    EXPECT_EQ(RowsPerPage(8 * 110, 110), 1);
    EXPECT_EQ(RowsPerPage(8 * 110 - 1, 110), 0);
    // Shorter than the header and the foot themselves: no row, no negative count.
    EXPECT_EQ(RowsPerPage(300, 110), 0);
    EXPECT_EQ(RowsPerPage(0, 110), 0);
    EXPECT_EQ(RowsPerPage(-5, 110), 0);
    // A device without a line height cannot be divided by.
    EXPECT_EQ(RowsPerPage(6600, 0), 0);
}

TEST(ReportLayout, PageCountIsRowsOverRowsPerPageRoundedUpAndAtLeastOne)
{
    EXPECT_EQ(PageCount(53, 53), 1);
    EXPECT_EQ(PageCount(54, 53), 2);
    EXPECT_EQ(PageCount(106, 53), 2);
    EXPECT_EQ(PageCount(107, 53), 3);
    EXPECT_EQ(PageCount(0, 53), 1) << "the header and the foot alone";
    EXPECT_EQ(PageCount(3000, 54), 56);
    // A page too short for a row: one page, no division by zero.
    EXPECT_EQ(PageCount(3000, 0), 1);
    EXPECT_EQ(PageCount(3000, -2), 1);
    // Page numbers stay within the framework's 16 bits.
    EXPECT_EQ(PageCount(std::int64_t{1} << 40, 1), 0xFFFE);
}

TEST(ReportLayout, EachPageTakesItsOwnRows)
{
    // 3,000 rows at 54 a page: 55 full pages, then 30 rows.
    EXPECT_EQ(FirstRowOfPage(1, 54), 0);
    EXPECT_EQ(FirstRowOfPage(2, 54), 54);
    EXPECT_EQ(FirstRowOfPage(56, 54), 2970);
    EXPECT_EQ(RowsOnPage(1, 3000, 54), 54);
    EXPECT_EQ(RowsOnPage(55, 3000, 54), 54);
    EXPECT_EQ(RowsOnPage(56, 3000, 54), 30);
    EXPECT_EQ(RowsOnPage(57, 3000, 54), 0) << "past the end: nothing, not a negative count";
    int total = 0;
    for (int page = 1; page <= PageCount(3000, 54); ++page) total += RowsOnPage(page, 3000, 54);
    EXPECT_EQ(total, 3000) << "every row on exactly one page";
    // No rows, or rows that no longer fit: nothing to print on the page.
    EXPECT_EQ(RowsOnPage(1, 0, 53), 0);
    EXPECT_EQ(RowsOnPage(1, 10, 0), 0);
    // Far pages of a long list do not overflow 32 bits.
    EXPECT_EQ(FirstRowOfPage(0xFFFE, 0x7FFFFFFF), std::int64_t{0xFFFD} * 0x7FFFFFFF);
}

TEST(ReportLayout, LinesOfAPage)
{
    EXPECT_EQ(HeaderLineY(0, 110), 0);
    EXPECT_EQ(HeaderLineY(3, 110), 330);
    EXPECT_EQ(RowY(0, 110), 550) << "rows start below five header lines";
    EXPECT_EQ(RowY(52, 110), 6270);
    // The last of 53 rows ends a full line above the foot rule.
    EXPECT_LE(RowY(52, 110) + 110, FootRuleY(6600, 110) - 110);
    EXPECT_EQ(FootRuleY(6600, 110), 6490);
    EXPECT_EQ(FootTextY(6600, 110), 6500);
}

TEST(ReportLayout, ColumnsAreFifthsOfTheWidthAfterHalfAFifthOfMargin)
{
    // 600 dpi letter paper, 4,800 dots wide: c = 960, h = 480.
    const RowColumns a = ColumnsFor(4800);
    EXPECT_EQ(a.nameLeft, 480);
    EXPECT_EQ(a.sizeLeft, 1920);
    EXPECT_EQ(a.barLeft, 2880);
    EXPECT_EQ(a.percentLeft, 3840);
    EXPECT_EQ(a.percentRight, 4320);
    // A4 at 300 dpi: c = 495, h = 247 (both truncated).
    const RowColumns b = ColumnsFor(2479);
    EXPECT_EQ(b.nameLeft, 247);
    EXPECT_EQ(b.sizeLeft, 989);
    EXPECT_EQ(b.barLeft, 1484);
    EXPECT_EQ(b.percentLeft, 1979);
    EXPECT_EQ(b.percentRight, 2226);
    EXPECT_LE(b.percentRight, 2479) << "the last cell stays on the page";
}

TEST(ReportLayout, CentredTextHalvesEachWidthSeparately)
{
    EXPECT_EQ(CentredX(4800, 1000), 1900);
    // Each half truncated on its own: 2479/2 - 301/2 = 1239 - 150.
    EXPECT_EQ(CentredX(2479, 301), 1089);
    // Wider than the page: starts left of it, centred all the same.
    EXPECT_EQ(CentredX(1000, 1500), -250);
}

} // namespace
