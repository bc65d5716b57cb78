#pragma once
// Geometry of the printed directory report, in the printer's own dots: the
// line height, how many rows a page holds, the page count, where the columns
// of a row and the lines of a page lie, and where a centred text starts. No
// windows.h: these also run natively under the sanitizers.
#include <cstdint>

namespace report {

// Lines above the rows (date and page, product, heading, title, a blank
// line) and below them (the foot rule and the foot text's line).
constexpr int kHeaderLines = 5;
constexpr int kFootLines = 2;
// The foot text stands this far below the foot rule.
constexpr int kFootTextGap = 10;

// Report line height for a font of the given character height (either
// sign): 1.2 times it, truncated toward zero.
inline int LineHeight(int fontHeight)
{
    const int height = fontHeight < 0 ? -fontHeight : fontHeight;
    return height * 6 / 5;
}

// Rows that fit on a page `pageHeight` dots high below the header and above
// the foot. 0 when not even one row fits: such a page prints its header, a
// notice and its foot (see ListReport.cpp).
inline int RowsPerPage(int pageHeight, int lineHeight)
{
    if (lineHeight <= 0) return 0;
    const int room = pageHeight - (kHeaderLines + kFootLines) * lineHeight;
    if (room < lineHeight) return 0;
    return room / lineHeight;
}

// Pages for `rows` rows at `rowsPerPage` a page: always at least one, which
// then carries the header and the foot alone.
inline int PageCount(std::int64_t rows, int rowsPerPage)
{
    if (rows <= 0 || rowsPerPage <= 0) return 1;
    const std::int64_t pages = (rows + rowsPerPage - 1) / rowsPerPage;
    // The framework numbers pages in 16 bits; a report that long ends there.
    return pages > 0xFFFE ? 0xFFFE : static_cast<int>(pages);
}

// The first row a page prints (pages count from 1).
inline std::int64_t FirstRowOfPage(int page, int rowsPerPage)
{
    if (page < 1 || rowsPerPage < 1) return 0;
    return static_cast<std::int64_t>(page - 1) * rowsPerPage;
}

// How many rows a page prints of a list of `rows` rows.
inline int RowsOnPage(int page, std::int64_t rows, int rowsPerPage)
{
    const std::int64_t left = rows - FirstRowOfPage(page, rowsPerPage);
    if (rowsPerPage < 1 || left <= 0) return 0;
    return left < rowsPerPage ? static_cast<int>(left) : rowsPerPage;
}

// Top of header line `line` (0 = date and page number) and of the row at
// `index` on its page.
inline int HeaderLineY(int line, int lineHeight)
{
    return line * lineHeight;
}
inline int RowY(int index, int lineHeight)
{
    return (kHeaderLines + index) * lineHeight;
}
inline int FootRuleY(int pageHeight, int lineHeight)
{
    return pageHeight - lineHeight;
}
inline int FootTextY(int pageHeight, int lineHeight)
{
    return pageHeight - lineHeight + kFootTextGap;
}

// Left edge of a text `textWidth` wide centred on a page `pageWidth` wide.
inline int CentredX(int pageWidth, int textWidth)
{
    return pageWidth / 2 - textWidth / 2;
}

// The cells of a row across a page `pageWidth` wide: a fifth of the width per
// column, half a fifth of margin on the left; each cell's right edge is the
// next one's left edge.
struct RowColumns {
    int nameLeft;
    int sizeLeft;
    int barLeft;
    int percentLeft;
    int percentRight;
};

inline RowColumns ColumnsFor(int pageWidth)
{
    const int c = pageWidth / 5;
    const int h = c / 2;
    return RowColumns{h, 2 * h + c, 2 * h + 2 * c, 2 * h + 3 * c, 3 * h + 3 * c};
}

} // namespace report
