// A folders report read back and compared with the folders now. No
// windows.h: also runs natively.
#include <gtest/gtest.h>

#include "model/FolderChanges.h"

#include <string>
#include <vector>

namespace {

const std::string kHeader = "\xEF\xBB\xBFPath,Size,Files,Folders,Last Written,Unreadable,Searched\r\n";

std::string Row(const std::string& path, long long size)
{
    return path + "," + std::to_string(size) + ",0,0,,0,2026-11-10 02:00:00\r\n";
}

TEST(FolderChanges, ReportsThatAreNoReportsSayWhatIsWrong)
{
    const std::string good = kHeader + Row("T:", 30) + Row("\"T:\\a,b\"", 10);
    EarlierReport report;
    std::string problem;
    ASSERT_TRUE(ReadFolderReport(good, report, problem)) << problem;
    ASSERT_EQ(report.folders.size(), 2u);
    EXPECT_EQ(report.folders[1].path, "T:\\a,b") << "quotes undone";
    EXPECT_EQ(report.searched, "2026-11-10 02:00:00");

    const struct {
        const char* what;
        std::string bytes;
        const char* problem;
    } cases[] = {
        {"empty", "", "it does not begin with the header of a folders report."},
        {"no rows", kHeader, "it holds no folders."},
        {"another header", "Name,Path,Size\r\n" + Row("T:", 1), "it does not begin with the header of a folders report."},
        {"binary bytes", std::string("\0\xFF\x01\x02PK\x03\x04", 8), "it does not begin with the header of a folders report."},
        {"truncated mid-line", kHeader + Row("T:", 30) + "\"T:\\a,b", "it ends inside a quoted field."},
        {"a row cut short", kHeader + Row("T:", 30) + "T:\\a,10,0", "line 3 is no folder's row."},
        {"10 MB of one line", kHeader + std::string(10 << 20, 'x'), "a line is longer than 65,536 bytes."},
        {"a size that is no count", kHeader + Row("T:", 30) + "T:\\a,-5,0,0,,0,x\r\n", "line 3 is no folder's row."},
        {"a size past 2^63", kHeader + "T:,9223372036854775808,0,0,,0,x\r\n", "line 2 is no folder's row."},
        {"a path twice", kHeader + Row("T:", 30) + Row("T:\\a", 1) + Row("T:\\A", 1), "T:\\A is in it twice."},
        {"outside its first folder", kHeader + Row("T:\\a", 30) + Row("T:\\b", 1),
         "T:\\b lies outside T:\\a, the report's first folder."},
    };
    for (const auto& c : cases) {
        problem.clear();
        EXPECT_FALSE(ReadFolderReport(c.bytes, report, problem)) << c.what;
        EXPECT_EQ(problem, c.problem) << c.what;
    }
}

TEST(FolderChanges, OwnBytesComparedGrowthFirstNewAndGoneIncluded)
{
    EarlierReport then;
    std::string problem;
    ASSERT_TRUE(ReadFolderReport(kHeader + Row("T:", 1000) + Row("T:\\a", 600) + Row("T:\\a\\b", 100) +
                                     Row("T:\\gone", 300) + Row("T:\\same", 99),
                                 then, problem));
    // Now: a's own 500 became 800, b is unchanged, gone went, fresh came,
    // same kept its bytes (its case changed), the root's own 1 became 0.
    const std::vector<FolderNow> now = {
        {"T:", 1004, 0}, {"T:\\a", 900, 800}, {"T:\\a\\b", 100, 100}, {"T:\\fresh", 5, 5}, {"T:\\SAME", 99, 99}};
    const std::vector<FolderChange> changes = CompareFolders(then, now);
    ASSERT_EQ(changes.size(), 4u);
    using State = FolderChange::State;
    EXPECT_EQ(changes[0].path, "T:\\a");
    EXPECT_EQ(changes[0].change, 300);
    EXPECT_EQ(changes[0].then, 600);
    EXPECT_EQ(changes[1].path, "T:\\fresh");
    EXPECT_EQ(changes[1].state, State::New);
    EXPECT_EQ(changes[2].path, "T:");
    EXPECT_EQ(changes[2].change, -1);
    EXPECT_EQ(changes[3].path, "T:\\gone");
    EXPECT_EQ(changes[3].state, State::Gone);
    EXPECT_EQ(changes[3].change, -300);
    EXPECT_EQ(changes[3].then, 300);

    // At most the limit, the largest changes either way.
    const std::vector<FolderChange> two = CompareFolders(then, now, 2);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[0].path, "T:\\a");
    EXPECT_EQ(two[1].path, "T:\\gone");

    EXPECT_EQ(SignedSizeText(38211455120), "+38,211,455,120");
    EXPECT_EQ(SignedSizeText(-12345), "-12,345");
    EXPECT_EQ(SignedSizeText(0), "0");
}

} // namespace
