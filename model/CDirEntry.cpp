#include "model/CDirEntry.h"

#include <string>

CString CDirEntry::GetSizeText() const
{
    return SizeText(m_nSize);
}

CString SizeText(std::int64_t size)
{
    // Digits of the magnitude, built from the unsigned value so that the most
    // negative size needs no special case. A size of 0 has no digit at all.
    const bool negative = size < 0;
    std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(size)
                                       : static_cast<std::uint64_t>(size);
    std::string digits;
    while (magnitude != 0) {
        digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
    }

    // The first group holds what is left over from groups of three. A negative
    // size keeps its sign in front of the first group and the sign does not
    // count as a digit, so -1234 reads "-1,234" rather than "-,1,234" or
    // "-1234".
    std::string text;
    if (negative) text += '-';
    const size_t length = digits.size();
    size_t nextMark = length % 3;
    for (size_t i = 0; i < length; ++i) {
        if (i == nextMark) {
            if (i != 0) text += ',';
            nextMark += 3;
        }
        text += digits[i];
    }
    return CString(std::move(text));
}

namespace {

constexpr std::uint64_t kTicksPerMillisecond = 10000;
constexpr std::uint64_t kMillisecondsPerDay = 24ull * 60 * 60 * 1000;

// Day counts of the Gregorian cycles. File time starts on 1 January 1601, the
// first day of a 400-year cycle, so the cycles divide the day count evenly:
// the fourth century of a cycle ends with a leap year (1700, 1800 and 1900 are
// not leap years, 2000 is), and so does every 4-year block of a century except
// its last one.
constexpr std::uint64_t kDaysPer400Years = 146097;
constexpr std::uint64_t kDaysPer100Years = 36524;
constexpr std::uint64_t kDaysPer4Years = 1461;
constexpr std::uint64_t kDaysPerYear = 365;

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

} // namespace

CalendarTime FileTimeToCalendar(std::uint64_t fileTime)
{
    const std::uint64_t totalMs = fileTime / kTicksPerMillisecond;
    std::uint64_t days = totalMs / kMillisecondsPerDay;
    const std::uint64_t msOfDay = totalMs % kMillisecondsPerDay;

    CalendarTime t;
    t.milliseconds = static_cast<int>(msOfDay % 1000);
    t.second = static_cast<int>(msOfDay / 1000 % 60);
    t.minute = static_cast<int>(msOfDay / 60000 % 60);
    t.hour = static_cast<int>(msOfDay / 3600000);
    t.dayOfWeek = static_cast<int>((days + 1) % 7); // 1 January 1601 was a Monday

    const std::uint64_t cycles = days / kDaysPer400Years;
    days %= kDaysPer400Years;
    // The last day of a cycle (31 December of its leap year 400) would make a
    // fifth century, and the last day of a 4-year block a fifth year.
    std::uint64_t centuries = days / kDaysPer100Years;
    if (centuries > 3) centuries = 3;
    days -= centuries * kDaysPer100Years;
    const std::uint64_t quads = days / kDaysPer4Years;
    days %= kDaysPer4Years;
    std::uint64_t years = days / kDaysPerYear;
    if (years > 3) years = 3;
    days -= years * kDaysPerYear;

    t.year = static_cast<int>(1601 + cycles * 400 + centuries * 100 + quads * 4 + years);

    static const int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int dayOfYear = static_cast<int>(days);
    int month = 0;
    for (; month < 11; ++month) {
        int length = kMonthDays[month] + (month == 1 && IsLeapYear(t.year) ? 1 : 0);
        if (dayOfYear < length) break;
        dayOfYear -= length;
    }
    t.month = month + 1;
    t.day = dayOfYear + 1;
    return t;
}

CString FormatDateText(std::uint64_t fileTime)
{
    // Times the system's own conversion rejects (2^63 ticks and above, beyond
    // the year 30827) still follow the same calendar here, so a corrupt time
    // stamp gives a strange but well-formed date instead of garbage.
    const CalendarTime t = FileTimeToCalendar(fileTime);
    CString text;
    text.Format("%d/%02d/%02d %02d:%02d:%02d", t.month, t.day, t.year, t.hour, t.minute, t.second);
    return text;
}

CString CDirEntry::GetDate() const
{
    return m_nWriteTime ? FormatDateText(m_nWriteTime) : CString();
}

std::uint64_t CDirEntry::GetFileCount() const
{
    std::uint64_t files = 0;
    for (const FileTypeSum& type : m_fileTypes) files += type.files;
    return files;
}
