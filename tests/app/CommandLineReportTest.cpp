// The report of the command line, heftscope.exe /export REPORT.csv PATH: the
// program itself run as a process of its own on fixture drives, its report
// read back with Python's csv module and compared, row by row, with what the
// window's search of the same drive shows; its exit codes and its line.
#include "app/CHeftApp.h"
#include "document/CFolderReader.h"
#include "framework/ParentConsole.h"
#include "framework/SystemError.h"
#include "tests/common/CsvReadBack.h"
#include "tests/common/HeftAppTest.h"
#include "tests/common/HeldFolder.h"
#include "tests/common/ProgramRun.h"
#include "tests/common/ReportFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;

const std::vector<std::string> kHeader = {"Path", "Size", "Files", "Folders", "Last Written", "Unreadable",
                                          "Searched"};
const char* const kUsageLine = "Usage: heftscope.exe /export REPORT.csv PATH";

// A drive letter nothing uses.
std::string FreeDrive()
{
    for (char letter = 'Q'; letter <= 'Y'; ++letter) {
        if (!(GetLogicalDrives() & (1u << (letter - 'A')))) return std::string(1, letter) + ":";
    }
    return "Q:";
}

class CommandLineReportTest : public HeftAppTest {
protected:
    void TearDown() override
    {
        app.CloseAllDocuments();
        PumpPending();
        HeftAppTest::TearDown();
    }

    // The fixture drive: names with a comma, CJK and an emoji, a file above
    // 4 GiB, an empty folder, a folder nobody can read while it is held, and
    // root folders that the tree sorts otherwise than a listing gives them
    // (a hyphen weighs nothing in its order of names).
    void Fill(FixtureDrive& drive)
    {
        for (const char* name : {"a-c", "ab", "B", "a"}) drive.Folder(name);
        drive.File("root.bin", 11);
        drive.File("a,b\\one.bin", 100);
        drive.File("a,b\\two.bin", 200);
        drive.File("a,b\\inner\\x.bin", 5);
        drive.File("文件\\big.bin", (5ull << 30) + 3);
        drive.File("emoji-😀\\e.bin", 7);
        drive.Folder("emoji-😀\\empty");
        drive.File("locked\\hidden.bin", 9);
    }
    // Files and folders below each folder of the fixture, counted by hand.
    const std::map<std::string, std::pair<std::string, std::string>> kBelow = {
        {"T:", {"6", "10"}},          {"T:\\a-c", {"0", "0"}},      {"T:\\ab", {"0", "0"}},
        {"T:\\B", {"0", "0"}},        {"T:\\a", {"0", "0"}},          {"T:\\a,b", {"3", "1"}},        {"T:\\a,b\\inner", {"1", "0"}},
        {"T:\\文件", {"1", "0"}},     {"T:\\emoji-😀", {"1", "1"}},    {"T:\\emoji-😀\\empty", {"0", "0"}},
        {"T:\\locked", {"0", "0"}},
    };
};

TEST_F(CommandLineReportTest, AReportOfADriveEqualsTheWindowsSearchRowByRow)
{
    FixtureDrive drive('T');
    Fill(drive);
    const HeldFolder locked(drive.Path("locked"));
    ASSERT_TRUE(locked.Held());

    const ProgramRun run = RunProgram({"/export", ReportWindows("drive.csv"), "T:"});
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(run.output.rfind(ReportWindows("drive.csv") + ": Searched folder by folder in ", 0), 0u) << run.output;
    EXPECT_NE(run.output.find("; 1 folder could not be read\r\n"), std::string::npos) << run.output;
    const Rows report = csvback::ReadFile(ReportUnix("drive.csv"));
    ASSERT_FALSE(report.empty());
    EXPECT_EQ(report[0], kHeader);

    main->RebuildDriveBar();
    CHeftDoc* doc = app.OpenDrive("T:");
    ASSERT_NE(doc, nullptr);
    const Rows window = WindowFolderRows(doc, doc->m_hRootItem);
    ASSERT_EQ(window.size(), kBelow.size()) << "the window's search sees every folder";
    EXPECT_EQ(ReportFolderRows(report), window);

    const std::regex time("\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}");
    for (size_t i = 1; i < report.size(); ++i) {
        const std::vector<std::string>& row = report[i];
        ASSERT_EQ(row.size(), 7u);
        const auto below = kBelow.find(row[0]);
        ASSERT_NE(below, kBelow.end()) << row[0];
        EXPECT_EQ(std::make_pair(row[2], row[3]), below->second) << row[0] << ": files and folders below";
        EXPECT_TRUE(std::regex_match(row[6], time)) << row[6];
        EXPECT_EQ(row[6], report[1][6]) << "one search, one time";
        EXPECT_EQ(row[5], row[0] == "T:\\locked" ? "1" : "0") << row[0];
    }
    EXPECT_EQ(report[1][1], "5368709446") << "the drive's total, above 4 GiB, exact";
    EXPECT_EQ(report[1][4], "") << "the drive's root has no time of its own";
}

TEST_F(CommandLineReportTest, AReportOfAFolderStartsThereWithTheFoldersOwnNames)
{
    FixtureDrive drive('T');
    Fill(drive);
    const ProgramRun run = RunProgram({"/export", ReportWindows("folder.csv"), "t:\\A,B\\"});
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    const Rows report = csvback::ReadFile(ReportUnix("folder.csv"));

    main->RebuildDriveBar();
    CHeftDoc* doc = app.OpenDrive("T:");
    ASSERT_NE(doc, nullptr);
    const Rows window = WindowFolderRows(doc, doc->FolderItem("T:\\a,b"));
    ASSERT_EQ(window.size(), 2u);
    EXPECT_EQ(ReportFolderRows(report), window);
    ASSERT_EQ(report.size(), 3u);
    EXPECT_EQ(report[1][0], "T:\\a,b");
    EXPECT_EQ(report[2][0], "T:\\a,b\\inner");

    // The folder's largest files and its file types, in the columns of Export List.
    const struct {
        const char* listing;
        Rows rows; // name, path, size, and the listing's own column
    } listings[] = {
        {"files",
         {{"Name", "Path", "Size", "Folder"},
          {"two.bin", "T:\\a,b\\two.bin", "200", "\\a,b"},
          {"one.bin", "T:\\a,b\\one.bin", "100", "\\a,b"},
          {"x.bin", "T:\\a,b\\inner\\x.bin", "5", "\\a,b\\inner"}}},
        {"types", {{"Name", "Path", "Size", "Files"}, {".bin", "", "305", "3"}}},
    };
    for (const auto& listing : listings) {
        const ProgramRun listed =
            RunProgram({"/export", ReportWindows("listing.csv"), "t:\\A,B\\", "/listing", listing.listing});
        EXPECT_EQ(listed.exitCode, 0u) << listed.output;
        Rows rows;
        for (const std::vector<std::string>& row : csvback::ReadFile(ReportUnix("listing.csv"))) {
            ASSERT_EQ(row.size(), 7u) << listing.listing;
            rows.push_back({row[0], row[1], row[2], row[6]});
        }
        EXPECT_EQ(rows, listing.rows) << listing.listing;
    }
}

TEST_F(CommandLineReportTest, EveryFailureHasItsExitCodeAndLineAndWritesNothing)
{
    FixtureDrive drive('T');
    drive.File("x.bin", 1);
    const std::string nowhere = FreeDrive();
    const std::string report = ReportWindows("r.csv");
    const struct {
        std::vector<std::string> args;
        DWORD code;
        std::string starts;
    } cases[] = {
        {{"/export"}, 1, "/export needs the report's file and the path to search.\r\n"},
        {{"/export", report}, 1, "/export needs the report's file and the path to search.\r\n"},
        {{"/export", report, "T:", "U:"}, 1, "Too many arguments: U:\r\n"},
        {{"/export", report, "T:", "/listing"}, 1, "/listing needs the name of a listing.\r\n"},
        {{"/export", report, "T:", "/listing", "sizes"}, 1, "Unknown listing: sizes\r\n"},
        {{"/export", report, "T:", "/fast"}, 1, "Unknown option: /fast\r\n"},
        {{"/export", report, "T:\\nope"}, 2, "Cannot search T:\\nope: "},
        {{"/export", report, "T:\\x.bin"}, 2, "Cannot search T:\\x.bin: It is a file, not a folder.\r\n"},
        {{"/export", report, nowhere}, 2, "Cannot search drive " + nowhere + " "},
        {{"/export", ReportWindows("missing\\r.csv"), "T:"}, 3,
         "Cannot write " + ReportWindows("missing\\r.csv") + ": "},
    };
    for (const auto& c : cases) {
        const ProgramRun run = RunProgram(c.args);
        EXPECT_EQ(run.exitCode, c.code) << c.starts << run.output;
        EXPECT_EQ(run.output.rfind(c.starts, 0), 0u) << run.output;
        EXPECT_EQ(run.output.find(kUsageLine) != std::string::npos, c.code == 1) << run.output;
        EXPECT_EQ(ReportNames(), std::vector<std::string>()) << c.starts;
    }
    // The listing the command line writes now, named.
    const ProgramRun folders = RunProgram({"/export", report, "T:", "/listing", "folders"});
    EXPECT_EQ(folders.exitCode, 0u) << folders.output;
    EXPECT_EQ(ReportNames(), std::vector<std::string>{"r.csv"});
    // Made read-only, that report is not replaced, and the search is not even begun.
    const std::string written = ReadWhole(report);
    SetFileAttributesW(Utf8ToWide(report).c_str(), FILE_ATTRIBUTE_READONLY);
    const ProgramRun readOnly = RunProgram({"/export", report, "T:"});
    SetFileAttributesW(Utf8ToWide(report).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(readOnly.exitCode, 3u) << readOnly.output;
    EXPECT_EQ(readOnly.output, "Cannot write " + report + ": " + SystemErrorText(ERROR_ACCESS_DENIED).str() + "\r\n");
    EXPECT_EQ(ReadWhole(report), written);
    EXPECT_EQ(ReportNames(), std::vector<std::string>{"r.csv"});
}

// Ctrl+C (here: the flag its handler raises) while the drive is searched:
// exit code 4, and an earlier report of that name stays as it was.
TEST(CommandLineReportInProcess, ACancelledSearchLeavesTheEarlierReport)
{
    const long liveBefore = CDirEntry::LiveCount();
    FixtureDrive drive('T');
    for (int i = 0; i < 20; ++i) drive.File(("d" + std::to_string(i) + "\\f.bin").c_str(), 10);
    const std::string report = ReportWindows("earlier.csv");
    std::ofstream(report, std::ios::binary) << "the earlier report\r\n";
    CFolderReader::SetEntryHook([](const CString& folder) {
        if (folder.Find("d1") >= 0) CParentConsole::RequestStop();
    });
    int code = -1;
    {
        CHeftApp app;
        code = app.RunCommandLineReport({"/export", report.c_str(), "T:"});
        app.CloseAllDocuments();
        if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
    }
    CFolderReader::SetEntryHook(nullptr);
    PumpPending();
    EXPECT_EQ(code, 4);
    EXPECT_EQ(ReadWhole(report), "the earlier report\r\n");
    EXPECT_EQ(ReportNames(), std::vector<std::string>{"earlier.csv"});
    EXPECT_EQ(CFolderReader::LiveWorkers(), 0);
    EXPECT_EQ(CDirEntry::LiveCount(), liveBefore);
}

} // namespace
