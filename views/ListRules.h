#pragma once
// The contents list's rules that need no window: the share of an entry and
// the bar that shows it, the percent text, the row comparisons and the
// shortening of a text to its cell. They stay free of windows.h so that they
// are tested natively as well, and the printed report uses the same ones.
#include <charconv>
#include <cstdint>
#include <cstring>
#include <system_error>
#include <string>
#include <string_view>
#include <vector>

#include "framework/CString.h"

namespace listrules {

// The entry's share of the basis: the folder shown, or the whole drive. While
// the folder shown has no bytes there is no share at all, whatever the basis.
inline double EntryShare(std::int64_t size, std::int64_t folderTotal, std::int64_t driveTotal,
                         bool relativeToFolder)
{
    if (folderTotal <= 0) return 0.0;
    const std::int64_t basis = relativeToFolder ? folderTotal : driveTotal;
    // Only sizes that disagree with each other leave a drive without bytes here.
    if (basis <= 0) return 0.0;
    return static_cast<double>(size) / static_cast<double>(basis);
}

enum class BarColour { None, Low, Mid, High };

// Up to 1 % no bar; then green, over a quarter yellow, over a half red.
inline BarColour BarColourFor(double share)
{
    if (!(share > 0.01)) return BarColour::None;
    if (share > 0.5) return BarColour::High;
    if (share > 0.25) return BarColour::Mid;
    return BarColour::Low;
}

// Right edge of the bar of a cell from left to right. A share above 1 (sizes
// and totals that disagree) ends at the cell's edge instead of running into
// the next cell.
inline int BarRight(int left, int right, double share)
{
    if (share >= 1.0) return right;
    return static_cast<int>(static_cast<double>(left) + static_cast<double>(right - left) * share);
}

// "12.3" for a share of 0.1234: one decimal behind a dot, whatever the
// user's locale (std::to_chars knows none), so that an exported percent reads
// as a number anywhere. A share that sizes in disagreement made huge still
// fits: a double has at most 309 digits before the point.
inline CString PercentNumber(double share)
{
    char digits[320];
    const std::to_chars_result end =
        std::to_chars(digits, digits + sizeof(digits), share * 100.0, std::chars_format::fixed, 1);
    if (end.ec != std::errc()) return CString();
    return CString(digits, static_cast<size_t>(end.ptr - digits));
}

// "12.3%" for a share of 0.1234, as the list and the printed report show it.
inline CString PercentText(double share)
{
    return PercentNumber(share) + "%";
}

// The file name the export offers for a listing, made from what the list
// shows: "C:\Users\ana" gives "C-Users-ana.csv" and the drive alone "C.csv".
// A character no file name may hold becomes "_"; the end of a name may not
// be a dot or a blank either.
inline CString ExportFileName(std::string_view shown)
{
    std::string name;
    for (const char c : shown) {
        if (c == '\\' || c == '/') name += '-';
        else if (c == ':') continue;
        else if (static_cast<unsigned char>(c) < 0x20 || std::strchr("<>\"|?*", c)) name += '_';
        else name += c;
    }
    while (!name.empty() && (name.back() == '-' || name.back() == '.' || name.back() == ' ')) name.pop_back();
    if (name.empty()) name = "List";
    return CString(name + ".csv");
}

// Names compare without regard to letter case: 1, -1 or 0.
inline int CompareNames(const CString& a, const CString& b)
{
    CString upperA(a), upperB(b);
    upperA.MakeUpper();
    upperB.MakeUpper();
    const int r = std::strcmp(upperA, upperB);
    return r > 0 ? 1 : (r < 0 ? -1 : 0);
}

// Sizes compare as unsigned byte counts: 1, -1 or 0.
inline int CompareSizes(std::int64_t a, std::int64_t b)
{
    const auto ua = static_cast<std::uint64_t>(a);
    const auto ub = static_cast<std::uint64_t>(b);
    return ua > ub ? 1 : (ua < ub ? -1 : 0);
}

// A comparison's result in the given direction.
inline int Directed(int r, bool ascending)
{
    return (!ascending && r != 0) ? -r : r;
}

// Width a divider double-click gives a column: the widest text drawn in it so
// far plus its margins; the name column also holds the icon, and the bar
// column has a width of its own. The lengths are those of the screen's DPI;
// the defaults, of 96 DPI.
inline int DividerWidth(int column, int widestText, int margins = 4, int iconWidth = 16, int barWidth = 125)
{
    if (column == 2) return barWidth;
    int width = widestText + margins;
    if (column == 0) width += iconWidth;
    return width;
}

// Byte offsets at which the characters of a UTF-8 text start, plus its end.
inline std::vector<size_t> CharacterStarts(std::string_view text)
{
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    }
    starts.push_back(text.size());
    return starts;
}

// Shortens `text` to the longest prefix that fits a cell `cellWidth` pixels
// wide with "..." behind it, keeping `margins` pixels (4 at 96 DPI); a cut never splits a
// character. `measure(std::string_view, int* width)` gives a text's width and
// false when it cannot. `fullWidth` receives the width of the whole text when
// it was measured. The room is compared unsigned, so a cell narrower than the
// margin takes any text whole; a cell too narrow for "..." keeps the whole
// text too (the drawing clips it). `limit` caps the shortened text's length in
// characters. Returns false when the text could not be measured.
template <class Measure>
bool FitText(CString& text, int limit, int cellWidth, Measure&& measure, int* fullWidth, int margins = 4)
{
    const auto room = static_cast<unsigned>(cellWidth - margins);
    int width = 0;
    if (!measure(std::string_view(text.str()), &width)) return false;
    if (fullWidth) *fullWidth = width;
    if (static_cast<unsigned>(width) <= room) return true;

    int dotsWidth = 0;
    if (!measure(std::string_view("..."), &dotsWidth)) return true;

    const std::string& whole = text.str();
    const std::vector<size_t> starts = CharacterStarts(whole);
    const long long characters = static_cast<long long>(starts.size()) - 1;
    long long longest = characters - 1;
    if (longest > static_cast<long long>(limit) - 3) longest = static_cast<long long>(limit) - 3;
    auto fits = [&](long long n) {
        int prefixWidth = 0;
        if (!measure(std::string_view(whole).substr(0, starts[static_cast<size_t>(n)]), &prefixWidth))
            return false;
        return static_cast<unsigned>(prefixWidth) + static_cast<unsigned>(dotsWidth) <= room;
    };
    // Widths grow with the prefix, so the longest fitting prefix is found by halving.
    long long low = 0, high = longest, best = -1;
    while (low <= high) {
        const long long mid = low + (high - low) / 2;
        if (fits(mid)) {
            best = mid;
            low = mid + 1;
        } else {
            high = mid - 1;
        }
    }
    if (best < 0) return true;
    text = CString(whole.substr(0, starts[static_cast<size_t>(best)]) + "...");
    return true;
}

} // namespace listrules
