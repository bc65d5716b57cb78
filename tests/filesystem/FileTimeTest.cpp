// The model's own calendar conversion of file times must give what the
// system's FileTimeToSystemTime gives, over the whole range the system takes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>

#include "model/CDirEntry.h"

namespace {

void ExpectSameAsSystem(std::uint64_t ticks)
{
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    SYSTEMTIME st;
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &st)) << ticks;
    const CalendarTime t = FileTimeToCalendar(ticks);
    ASSERT_EQ(t.year, st.wYear) << ticks;
    ASSERT_EQ(t.month, st.wMonth) << ticks;
    ASSERT_EQ(t.day, st.wDay) << ticks;
    ASSERT_EQ(t.hour, st.wHour) << ticks;
    ASSERT_EQ(t.minute, st.wMinute) << ticks;
    ASSERT_EQ(t.second, st.wSecond) << ticks;
    ASSERT_EQ(t.milliseconds, st.wMilliseconds) << ticks;
    ASSERT_EQ(t.dayOfWeek, st.wDayOfWeek) << ticks;
}

} // namespace

TEST(FileTimeConversion, AgreesWithTheSystemAtBoundaries)
{
    const std::uint64_t day = 864000000000ULL;
    const std::uint64_t anchors[] = {
        0,                      // 1 January 1601
        116444736000000000ULL,  // 1 January 1970
        125911584000000000ULL,  // 1 January 2000
        0x7FFFFFFFFFFFFFFFULL,  // the last time the system converts
    };
    for (std::uint64_t anchor : anchors) {
        for (std::uint64_t delta : {0ULL, 1ULL, 9999ULL, 10000ULL, day - 1, day, 59 * day, 60 * day, 366 * day}) {
            if (anchor <= 0x7FFFFFFFFFFFFFFFULL - delta) ExpectSameAsSystem(anchor + delta);
            if (anchor >= delta) ExpectSameAsSystem(anchor - delta);
        }
    }
}

TEST(FileTimeConversion, AgreesWithTheSystemAcrossTheRange)
{
    // A fixed pseudo-random walk over every magnitude of file time.
    std::uint64_t state = 0x9E3779B97F4A7C15ULL;
    for (int i = 0; i < 200000; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        const int shift = i % 40;
        ExpectSameAsSystem((state >> 1) >> shift);
    }
}
