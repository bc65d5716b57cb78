// The CSV writer, read back by a real CSV reader (Python's csv module, through
// tests/common/read_csv.py, which also checks the byte-order mark, the CRLF
// line ends and the minimal quoting). No windows.h: these also run natively
// under the sanitizers; under Wine the script runs as a Linux program.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include "model/CsvWriter.h"
#include "tests/common/CsvReadBack.h"

namespace {

// The bytes written to a file and read back by the script.
csvback::Rows ReadBack(const std::string& bytes)
{
#if defined(_WIN32)
    const std::string file = unixcmd::Scratch() + "/csv-writer-test.csv";
    std::ofstream(unixcmd::WindowsPath(file), std::ios::binary) << bytes;
#else
    const std::string file = testing::TempDir() + "csv-writer-test.csv";
    std::ofstream(file, std::ios::binary) << bytes;
#endif
    return csvback::ReadFile(file);
}

TEST(CsvWriter, TextsSurviveAsARealReaderReadsThem)
{
    const std::string texts[] = {
        "plain", "", "a,b", "say \"hi\"", "\"", "line\nbreak", "cr\ronly", "crlf\r\nend", ",\",\r\n",
        "naïve 文件 😀", "  spaces kept  ", "tab\there", "semicolon;kept",
    };
    std::string out(CCsvWriter::kByteOrderMark);
    CCsvWriter csv(out);
    for (const std::string& text : texts) {
        csv.Text(text);
        csv.Text("after");
        csv.EndRow();
    }
    const csvback::Rows rows = ReadBack(out);
    ASSERT_EQ(rows.size(), std::size(texts));
    for (size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i], (std::vector<std::string>{texts[i], "after"})) << i;
}

TEST(CsvWriter, NumbersAreExactPlainIntegers)
{
    const std::int64_t sizes[] = {0, -1, 4294967296 + 5, (std::int64_t{1} << 53) + 1,
                                  std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::min()};
    std::string out(CCsvWriter::kByteOrderMark);
    CCsvWriter csv(out);
    for (const std::int64_t size : sizes) {
        csv.Integer(size);
        csv.Count(static_cast<std::uint64_t>(size));
        csv.EndRow();
    }
    const csvback::Rows rows = ReadBack(out);
    ASSERT_EQ(rows.size(), std::size(sizes));
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i], (std::vector<std::string>{std::to_string(sizes[i]),
                                                     std::to_string(static_cast<std::uint64_t>(sizes[i]))}));
    }
    EXPECT_EQ(rows[3][0], "9007199254740993") << "2^53 + 1, which a double cannot hold";
}

TEST(CsvWriter, TimesAreYearFirstAndNoTimeIsAnEmptyField)
{
    EXPECT_EQ(CsvTimeText(134387496000000000ull), "2026-11-10 02:00:00");
    EXPECT_EQ(CsvTimeText(133537247990000000ull + 9999999), "2024-02-29 23:59:59") << "fractions of a second drop";
    EXPECT_EQ(CsvTimeText(10000000), "1601-01-01 00:00:01");
    EXPECT_EQ(CsvTimeText(0), "");
    std::string out;
    CCsvWriter csv(out);
    csv.Time(0);
    csv.Time(134387496000000000ull);
    csv.Time(0);
    csv.EndRow();
    EXPECT_EQ(out, ",2026-11-10 02:00:00,\r\n");
}

} // namespace
