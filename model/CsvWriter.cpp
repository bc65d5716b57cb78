#include "model/CsvWriter.h"

#include "model/CDirEntry.h"

#include <charconv>

namespace {

// Digits of an integer: std::to_chars knows no locale, and 24 characters hold
// any 64-bit value with its sign.
template <class Integer>
void AppendDigits(std::string& out, Integer value)
{
    char digits[24];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof(digits), value);
    out.append(digits, end.ptr);
}

} // namespace

void CCsvWriter::NextField()
{
    if (m_bInRow) m_out += ',';
    m_bInRow = true;
}

void CCsvWriter::Text(std::string_view text)
{
    NextField();
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        m_out += text;
        return;
    }
    m_out += '"';
    for (const char c : text) {
        if (c == '"') m_out += '"';
        m_out += c;
    }
    m_out += '"';
}

void CCsvWriter::Integer(std::int64_t value)
{
    NextField();
    AppendDigits(m_out, value);
}

void CCsvWriter::Count(std::uint64_t value)
{
    NextField();
    AppendDigits(m_out, value);
}

void CCsvWriter::Time(std::uint64_t fileTime)
{
    NextField();
    m_out += CsvTimeText(fileTime);
}

void CCsvWriter::EndRow()
{
    m_out += "\r\n";
    m_bInRow = false;
}

std::string CsvTimeText(std::uint64_t fileTime)
{
    if (fileTime == 0) return std::string();
    const CalendarTime t = FileTimeToCalendar(fileTime);
    CString text;
    text.Format("%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return text.str();
}
