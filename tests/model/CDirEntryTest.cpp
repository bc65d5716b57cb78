// The record, its size text and the date text. No windows.h: these also run
// natively under the sanitizers.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "model/CDirEntry.h"

namespace {

// File time of a calendar moment, counted day by day so that it shares no
// arithmetic with the conversion under test.
std::uint64_t Ticks(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                    int milliseconds = 0)
{
    auto leap = [](int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; };
    static const int monthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    std::uint64_t days = 0;
    for (int y = 1601; y < year; ++y) days += leap(y) ? 366 : 365;
    for (int m = 1; m < month; ++m) days += monthDays[m - 1] + (m == 2 && leap(year) ? 1 : 0);
    days += static_cast<std::uint64_t>(day - 1);
    std::uint64_t seconds = ((days * 24 + static_cast<std::uint64_t>(hour)) * 60 +
                             static_cast<std::uint64_t>(minute)) * 60 + static_cast<std::uint64_t>(second);
    return (seconds * 1000 + static_cast<std::uint64_t>(milliseconds)) * 10000;
}

} // namespace

TEST(CDirEntry, FreshRecordIsEmpty)
{
    CDirEntry entry;
    EXPECT_EQ(entry.GetSize(), 0);
    EXPECT_EQ(entry.IsFolder(), 0);
    EXPECT_EQ(entry.GetTreeItem(), nullptr);
    EXPECT_TRUE(entry.GetName().IsEmpty());
    EXPECT_TRUE(entry.GetType().IsEmpty());
    EXPECT_TRUE(entry.GetDate().IsEmpty());
    EXPECT_TRUE(entry.GetSizeText().IsEmpty());
}

TEST(CDirEntry, ACopyKeepsEveryMarkAndCountsAsARecordOfItsOwn)
{
    const long before = CDirEntry::LiveCount();
    CDirEntry folder;
    EXPECT_FALSE(folder.IsUnreadable());
    folder.SetSize(0);
    folder.SetName("locked");
    folder.SetFolder();
    folder.SetUnreadable();
    CDirEntry link;
    link.SetLink();
    {
        const CDirEntry copy(folder);
        EXPECT_TRUE(copy.IsUnreadable()) << "the ten-largest listing copies tree records";
        EXPECT_FALSE(copy.IsLink());
        EXPECT_EQ(copy.IsFolder(), 1);
        EXPECT_EQ(copy.GetName(), "locked");
        const CDirEntry linkCopy(link);
        EXPECT_TRUE(linkCopy.IsLink());
        EXPECT_FALSE(linkCopy.IsUnreadable());
        EXPECT_EQ(CDirEntry::LiveCount(), before + 4);
    }
    EXPECT_EQ(CDirEntry::LiveCount(), before + 2);
}

TEST(CDirEntry, AccessorsKeepWhatTheyAreGiven)
{
    CDirEntry entry;
    entry.SetSize(INT64_MAX);
    entry.SetName("naïve-文件.txt");
    entry.SetType("File Folder");
    entry.SetWriteTime(126599835090000000); // 7 March 2002, 14:05:09
    entry.SetFolder();
    entry.SetFolder(); // raising the flag twice still reads 1, never toggles
    auto item = reinterpret_cast<TreeItemHandle>(static_cast<std::uintptr_t>(0x1234));
    entry.SetTreeItem(item);

    EXPECT_EQ(entry.GetSize(), INT64_MAX);
    EXPECT_EQ(entry.GetName(), "naïve-文件.txt");
    EXPECT_EQ(entry.GetType(), "File Folder");
    EXPECT_EQ(entry.GetDate(), "3/07/2002 14:05:09");
    EXPECT_EQ(entry.IsFolder(), 1);
    EXPECT_EQ(entry.GetTreeItem(), item);

    // The getters hand out copies: changing one leaves the record alone.
    CString name = entry.GetName();
    name += "x";
    EXPECT_EQ(entry.GetName(), "naïve-文件.txt");

    // Destroyed through the base class, as the views free records.
    CObject* owned = new CDirEntry(entry);
    delete owned;
}

TEST(CDirEntrySizeText, GroupsDigitsInThrees)
{
    EXPECT_EQ(SizeText(0), "");
    EXPECT_EQ(SizeText(7), "7");
    EXPECT_EQ(SizeText(42), "42");
    EXPECT_EQ(SizeText(999), "999");
    EXPECT_EQ(SizeText(1000), "1,000");
    EXPECT_EQ(SizeText(12345), "12,345");
    EXPECT_EQ(SizeText(100000), "100,000");
    EXPECT_EQ(SizeText(999999), "999,999");
    EXPECT_EQ(SizeText(1000000), "1,000,000");
    EXPECT_EQ(SizeText(1234567), "1,234,567");
}

TEST(CDirEntrySizeText, KeepsAllSixtyFourBits)
{
    EXPECT_EQ(SizeText(4294967295LL), "4,294,967,295");
    EXPECT_EQ(SizeText(4294967296LL), "4,294,967,296");
    EXPECT_EQ(SizeText(5LL * 1024 * 1024 * 1024), "5,368,709,120");
    EXPECT_EQ(SizeText(INT64_MAX), "9,223,372,036,854,775,807");
}

TEST(CDirEntrySizeText, NegativeSizeKeepsItsSignOutsideTheGroups)
{
    EXPECT_EQ(SizeText(-1), "-1");
    EXPECT_EQ(SizeText(-999), "-999");
    EXPECT_EQ(SizeText(-1234), "-1,234");
    EXPECT_EQ(SizeText(-123456), "-123,456");
    EXPECT_EQ(SizeText(INT64_MIN), "-9,223,372,036,854,775,808");
}

TEST(DateText, FormatsMonthDayYearAndTwentyFourHourTime)
{
    EXPECT_EQ(FormatDateText(Ticks(2002, 3, 7, 14, 5, 9)), "3/07/2002 14:05:09");
    EXPECT_EQ(FormatDateText(Ticks(2001, 1, 1)), "1/01/2001 00:00:00");
    EXPECT_EQ(FormatDateText(Ticks(1999, 12, 31, 23, 59, 59)), "12/31/1999 23:59:59");
    // Fractions of a second are dropped, never rounded up into the next second.
    EXPECT_EQ(FormatDateText(Ticks(1999, 12, 31, 23, 59, 59, 999) + 9999), "12/31/1999 23:59:59");
}

TEST(DateText, HandlesLeapYearsAndCenturies)
{
    EXPECT_EQ(FormatDateText(Ticks(2000, 2, 29, 12, 0, 0)), "2/29/2000 12:00:00");
    EXPECT_EQ(FormatDateText(Ticks(2000, 2, 29) + 864000000000ULL), "3/01/2000 00:00:00");
    EXPECT_EQ(FormatDateText(Ticks(2000, 12, 31, 23, 59, 59)), "12/31/2000 23:59:59");
    // 1900 and 2100 are not leap years: 28 February is followed by 1 March.
    EXPECT_EQ(FormatDateText(Ticks(1900, 2, 28) + 864000000000ULL), "3/01/1900 00:00:00");
    EXPECT_EQ(FormatDateText(Ticks(2100, 2, 28) + 864000000000ULL), "3/01/2100 00:00:00");
    EXPECT_EQ(FormatDateText(Ticks(2024, 2, 29, 6, 7, 8)), "2/29/2024 06:07:08");
}

TEST(DateText, CoversTheWholeRangeOfFileTimes)
{
    EXPECT_EQ(FormatDateText(0), "1/01/1601 00:00:00");
    // The Unix epoch, a constant every file-time converter knows.
    EXPECT_EQ(Ticks(1970, 1, 1), 116444736000000000ULL);
    EXPECT_EQ(FormatDateText(116444736000000000ULL), "1/01/1970 00:00:00");
    // One second past the end of 32-bit Unix time.
    EXPECT_EQ(FormatDateText(Ticks(2038, 1, 19, 3, 14, 8)), "1/19/2038 03:14:08");
    EXPECT_EQ(FormatDateText(Ticks(9999, 12, 31, 23, 59, 59)), "12/31/9999 23:59:59");
    // The largest time the system converts.
    EXPECT_EQ(FormatDateText(0x7FFFFFFFFFFFFFFFULL), "9/14/30828 02:48:05");
}

TEST(DateText, CalendarFieldsMatchADayByDayCount)
{
    // Every day of a stretch of years that crosses centuries, leap and not,
    // with a time of day that moves through all hours, minutes and seconds.
    std::uint64_t ticks = Ticks(1696, 1, 1);
    const std::uint64_t end = Ticks(2104, 1, 1);
    const std::uint64_t day = 864000000000ULL;
    int year = 1696, month = 1, dayOfMonth = 1, dayOfWeek = 0; // 1 January 1696 was a Sunday
    auto leap = [](int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; };
    static const int monthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int n = 0;
    for (; ticks < end; ticks += day, ++n) {
        const int secondOfDay = (n * 7919) % 86400;
        const int ms = n % 1000;
        const std::uint64_t at = ticks + static_cast<std::uint64_t>(secondOfDay) * 10000000ULL +
                                 static_cast<std::uint64_t>(ms) * 10000ULL;
        const CalendarTime t = FileTimeToCalendar(at);
        ASSERT_EQ(t.year, year) << n;
        ASSERT_EQ(t.month, month) << n;
        ASSERT_EQ(t.day, dayOfMonth) << n;
        ASSERT_EQ(t.hour, secondOfDay / 3600) << n;
        ASSERT_EQ(t.minute, secondOfDay / 60 % 60) << n;
        ASSERT_EQ(t.second, secondOfDay % 60) << n;
        ASSERT_EQ(t.milliseconds, ms) << n;
        ASSERT_EQ(t.dayOfWeek, dayOfWeek) << n;

        dayOfWeek = (dayOfWeek + 1) % 7;
        if (++dayOfMonth > monthDays[month - 1] + (month == 2 && leap(year) ? 1 : 0)) {
            dayOfMonth = 1;
            if (++month > 12) {
                month = 1;
                ++year;
            }
        }
    }
}
