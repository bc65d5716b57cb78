#pragma once
// Rows of a CSV file as spreadsheets read it: UTF-8 behind a byte-order mark,
// CRLF at the end of every row, and a field in quotes when it holds a comma,
// a quote or a line break, its quotes doubled. Numbers are plain digits and
// times are "YYYY-MM-DD HH:MM:SS", whatever the user's locale, so that any
// reader takes them as numbers and dates. Pure C++ (no windows.h).
#include <cstdint>
#include <string>
#include <string_view>

class CCsvWriter {
public:
    // What a file starts with, so that a spreadsheet reads it as UTF-8 and
    // not in the system's code page.
    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

    // Appends every row to `out`; the caller writes it away and empties it
    // as it likes, between rows or within them.
    explicit CCsvWriter(std::string& out) : m_out(out) {}

    void Text(std::string_view text);
    void Integer(std::int64_t value);
    void Count(std::uint64_t value);
    // A file time (100-nanosecond ticks since 1601) as the model keeps it;
    // an empty field for 0, a time there is none of.
    void Time(std::uint64_t fileTime);
    void EndRow();

private:
    void NextField();

    std::string& m_out;
    bool m_bInRow = false;
};

// "2026-11-10 02:00:00" of a file time, taken as stored (no time-zone shift);
// empty for 0.
std::string CsvTimeText(std::uint64_t fileTime);
