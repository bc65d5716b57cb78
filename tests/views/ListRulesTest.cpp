// The contents list's rules that need no window: shares, bars, percent texts,
// comparisons, divider widths and the shortening of texts. No windows.h: these
// also run natively under the sanitizers.
#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "views/ListRules.h"

namespace {

using namespace listrules;

TEST(ListRules, ShareIsOfTheFolderOrOfTheDriveAndNothingWhileTheFolderIsEmpty)
{
    EXPECT_DOUBLE_EQ(EntryShare(250, 1000, 4000, true), 0.25);
    EXPECT_DOUBLE_EQ(EntryShare(250, 1000, 4000, false), 0.0625);
    EXPECT_EQ(EntryShare(250, 0, 4000, true), 0.0);
    EXPECT_EQ(EntryShare(250, 0, 4000, false), 0.0) << "the folder's total decides, whatever the basis";
    EXPECT_EQ(EntryShare(250, -5, 4000, false), 0.0);
    EXPECT_EQ(EntryShare(250, 1000, 0, false), 0.0) << "no division by a drive without bytes";
    // Beyond 32 bits, in double precision.
    EXPECT_DOUBLE_EQ(EntryShare(3LL << 32, 12LL << 32, 0, true), 0.25);
}

TEST(ListRules, ThresholdsAreStrict)
{
    EXPECT_EQ(BarColourFor(0.0), BarColour::None);
    EXPECT_EQ(BarColourFor(0.01), BarColour::None);
    EXPECT_EQ(BarColourFor(10.0 / 1000.0), BarColour::None) << "exactly 1 % as the list computes it";
    EXPECT_EQ(BarColourFor(0.0101), BarColour::Low);
    EXPECT_EQ(BarColourFor(0.25), BarColour::Low);
    EXPECT_EQ(BarColourFor(0.2501), BarColour::Mid);
    EXPECT_EQ(BarColourFor(0.5), BarColour::Mid);
    EXPECT_EQ(BarColourFor(501.0 / 1000.0), BarColour::High);
    EXPECT_EQ(BarColourFor(1.0), BarColour::High);
    EXPECT_EQ(BarColourFor(3.0), BarColour::High);
    EXPECT_EQ(BarColourFor(-0.5), BarColour::None);
}

TEST(ListRules, BarEndsAtItsShareOfTheCellAndNeverPastIt)
{
    EXPECT_EQ(BarRight(250, 400, 0.6), 340);
    EXPECT_EQ(BarRight(10, 210, 0.501), 110) << "truncated";
    EXPECT_EQ(BarRight(10, 210, 1.0), 210);
    EXPECT_EQ(BarRight(10, 210, 1.5), 210) << "a share above 1 stays in its cell";
    // A row scrolled to the left: truncation goes toward zero.
    EXPECT_EQ(BarRight(-100, 100, 0.2525), -49);
}

TEST(ListRules, PercentTextHasOneDecimal)
{
    EXPECT_EQ(PercentText(0.1234), "12.3%");
    EXPECT_EQ(PercentText(0.0), "0.0%");
    EXPECT_EQ(PercentText(1.0), "100.0%");
    EXPECT_EQ(PercentText(0.00049), "0.0%");
    EXPECT_EQ(PercentNumber(0.125), "12.5");
    EXPECT_EQ(PercentNumber(92233720368547758.07), "9223372036854775808.0") << "a share sizes in disagreement made huge";
}

TEST(ListRules, PercentNumberHasADotWhateverTheLocale)
{
    // A locale whose decimal mark is a comma, where the platform has one.
    const char* commaLocales[] = {"de_DE.UTF-8", "German_Germany.1252", "German"};
    const char* chosen = nullptr;
    for (const char* name : commaLocales) {
        if (std::setlocale(LC_NUMERIC, name)) {
            chosen = name;
            break;
        }
    }
    if (!chosen) GTEST_SKIP() << "no locale with a decimal comma here";
    char formatted[32];
    std::snprintf(formatted, sizeof(formatted), "%.1f", 12.5);
    const CString number = PercentNumber(0.125);
    const CString text = PercentText(0.125);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_STREQ(formatted, "12,5") << chosen << " has a decimal comma";
    EXPECT_EQ(number, "12.5");
    EXPECT_EQ(text, "12.5%");
}

TEST(ListRules, ExportFileNameIsTheShownPathWithDashes)
{
    const struct {
        const char* shown;
        const char* name;
    } cases[] = {
        {"C:", "C.csv"},
        {"C:\\", "C.csv"},
        {"C:\\Users\\ana", "C-Users-ana.csv"},
        {"D:\\Fotos 2024\\naïve 文件 😀", "D-Fotos 2024-naïve 文件 😀.csv"},
        {"C:\\Top 10 largest directories", "C-Top 10 largest directories.csv"},
        {"E:\\a<b>c\"d|e?f*g\x01", "E-a_b_c_d_e_f_g_.csv"},
        {"E:\\end.", "E-end.csv"},
        {"", "List.csv"},
    };
    for (const auto& c : cases) EXPECT_EQ(ExportFileName(c.shown), c.name) << c.shown;
}

TEST(ListRules, NamesCompareWithoutCaseAndSizesUnsigned)
{
    EXPECT_EQ(CompareNames("apple", "Banana"), -1);
    EXPECT_EQ(CompareNames("Banana", "apple"), 1);
    EXPECT_EQ(CompareNames("README.txt", "readme.TXT"), 0);
    // Upper case first, then byte order: "_" (0x5F) sorts after letters,
    // which it would not if names were lowered.
    EXPECT_EQ(CompareNames("_notes", "apple"), 1);
    EXPECT_EQ(CompareNames("[a]", "[A]"), 0);
#ifdef _WIN32
    // Letters outside ASCII map as the system maps them.
    EXPECT_EQ(CompareNames("émile.txt", "ÉMILE.TXT"), 0);
    EXPECT_EQ(CompareNames("straße", "STRASSE"), 1) << "ß has no single upper-case letter";
#endif
    EXPECT_EQ(CompareSizes(5, 500), -1);
    EXPECT_EQ(CompareSizes(500, 5), 1);
    EXPECT_EQ(CompareSizes(7, 7), 0);
    EXPECT_EQ(CompareSizes(-1, LLONG_MAX), 1) << "all bits set is the largest count";
    EXPECT_EQ(Directed(1, true), 1);
    EXPECT_EQ(Directed(1, false), -1);
    EXPECT_EQ(Directed(-1, false), 1);
    EXPECT_EQ(Directed(0, false), 0);
}

TEST(ListRules, DividerWidths)
{
    EXPECT_EQ(DividerWidth(0, 200), 220) << "margins and the icon";
    EXPECT_EQ(DividerWidth(1, 60), 64);
    EXPECT_EQ(DividerWidth(2, 999), 125);
    EXPECT_EQ(DividerWidth(3, 30), 34);
}

// A font of fixed width: 7 pixels a character (UTF-8 continuation bytes do
// not count), 3 pixels for each dot.
struct FixedMeasure {
    int calls = 0;
    bool fail = false;
    bool failDots = false;
    bool operator()(std::string_view text, int* width)
    {
        ++calls;
        if (fail || (failDots && text == "...")) return false;
        int w = 0;
        for (unsigned char c : text) {
            if ((c & 0xC0) == 0x80) continue;
            w += c == '.' ? 3 : 7;
        }
        *width = w;
        return true;
    }
};

TEST(ListRules, FittingKeepsTheLongestPrefixWithDots)
{
    FixedMeasure measure;
    CString text("abcdefghijklmnop"); // 16 x 7 = 112
    int full = -1;
    // Room 60 - 4 = 56: 6 characters (42) + dots (9) = 51 fit, 7 (49 + 9 = 58) do not.
    EXPECT_TRUE(FitText(text, 256, 60, measure, &full));
    EXPECT_EQ(text, "abcdef...");
    EXPECT_EQ(full, 112) << "the width of the whole text";

    CString fits("abcdefgh"); // 56: exactly the room
    EXPECT_TRUE(FitText(fits, 256, 60, measure, &full));
    EXPECT_EQ(fits, "abcdefgh");

    CString narrow("abcdefghijklmnop");
    FitText(narrow, 256, 3, measure, &full);
    EXPECT_EQ(narrow, "abcdefghijklmnop") << "under 4 pixels the room wraps round: anything fits";

    CString noDots("abcdefghijklmnop");
    FitText(noDots, 256, 12, measure, &full); // room 8 < 9 for the dots
    EXPECT_EQ(noDots, "abcdefghijklmnop") << "the whole text stays and is clipped";

    CString limited("abcdefghijklmnop");
    FitText(limited, 5, 100, measure, &full);
    EXPECT_EQ(limited, "ab...") << "at most the limit in characters, dots included";
}

TEST(ListRules, FittingNeverCutsACharacterInHalf)
{
    FixedMeasure measure;
    CString text("文件文件文件文件文件文件"); // 12 characters of 3 bytes, 84 pixels
    int full = 0;
    FitText(text, 256, 50, measure, &full); // room 46: 5 characters (35) + 9
    EXPECT_EQ(text, "文件文件文...");
    EXPECT_EQ(full, 84);
}

TEST(ListRules, FittingGivesUpQuietlyWhenMeasuringFails)
{
    FixedMeasure failing;
    failing.fail = true;
    CString text("abcdefghijklmnop");
    int full = -1;
    EXPECT_FALSE(FitText(text, 256, 20, failing, &full));
    EXPECT_EQ(text, "abcdefghijklmnop");
    EXPECT_EQ(full, -1);

    FixedMeasure noDots;
    noDots.failDots = true;
    EXPECT_TRUE(FitText(text, 256, 20, noDots, &full));
    EXPECT_EQ(text, "abcdefghijklmnop");
    EXPECT_EQ(full, 112);
}

TEST(ListRules, FittingMeasuresFewCandidates)
{
    FixedMeasure measure;
    CString text(std::string(1000, 'x'));
    int full = 0;
    FitText(text, 2000, 100, measure, &full);
    EXPECT_EQ(text, std::string(12, 'x') + "..."); // 12 x 7 + 9 = 93 <= 96
    EXPECT_LT(measure.calls, 20) << "halving, not one measurement per character";
}

} // namespace
