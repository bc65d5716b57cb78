// Changes Since: a fixture drive reported by the command line, then changed
// and searched again, compared with that report; and files that are no
// reports, which leave the view as it was.
#include "resources/resource.h"
#include "tests/common/CsvReadBack.h"
#include "tests/common/DialogAnswerer.h"
#include "tests/common/ProgramRun.h"
#include "tests/common/ReportFolder.h"
#include "tests/views/ListTestBase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

using Files = std::map<std::string, long long>; // path below the root, size

// Each folder's own bytes, worked out from the files alone: "" is the root.
std::map<std::string, long long> OwnBytes(const Files& files, const std::vector<std::string>& emptyFolders)
{
    std::map<std::string, long long> own;
    for (const std::string& folder : emptyFolders) own[folder] += 0;
    for (const auto& [path, size] : files) {
        const size_t slash = path.rfind('\\');
        const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash);
        own[folder] += size;
        for (size_t at = folder.find('\\'); at != std::string::npos; at = folder.find('\\', at + 1))
            own[folder.substr(0, at)] += 0; // a folder above holds what it holds
    }
    return own;
}

class ChangesTest : public ListTest {
protected:
    static void Make(FixtureDrive& drive, const Files& files, const std::vector<std::string>& emptyFolders)
    {
        for (const auto& [path, size] : files) drive.File(path.c_str(), static_cast<unsigned long long>(size));
        for (const std::string& folder : emptyFolders) drive.Folder(folder.c_str());
    }
    static void Remove(FixtureDrive& drive, const std::string& path)
    {
        DeleteFileW(ToWidePath(drive.Path(path.c_str())).c_str());
    }
};

} // namespace

TEST_F(ChangesTest, TheListingIsTheOwnBytesThatChangedSinceTheReport)
{
    FixtureDrive drive('T');
    const Files before = {{"root.bin", 5},         {"grows\\f.bin", 100},  {"shrinks\\a.bin", 70},
                          {"shrinks\\b.bin", 30},  {"same\\s.bin", 9},      {"gone\\deep\\g.bin", 40},
                          {"old-name\\o.bin", 300}, {"same\\in\\x.bin", 1}};
    Make(drive, before, {});
    const std::string report = ReportWindows("earlier.csv");
    const ProgramRun run = RunProgram({"/export", report, "T:"});
    ASSERT_EQ(run.exitCode, 0u) << run.output;

    // Files grown, added and removed; a folder added, one removed, one renamed.
    Files after = before;
    after["grows\\f.bin"] = 1100;
    after["grows\\added.bin"] = 50;
    after.erase("shrinks\\b.bin");
    Remove(drive, "shrinks\\b.bin");
    after["fresh\\n.bin"] = 7;
    for (const char* path : {"gone\\deep\\g.bin", "old-name\\o.bin"}) {
        after.erase(path);
        Remove(drive, path);
    }
    RemoveDirectoryW(ToWidePath(drive.Path("gone\\deep")).c_str());
    RemoveDirectoryW(ToWidePath(drive.Path("gone")).c_str());
    RemoveDirectoryW(ToWidePath(drive.Path("old-name")).c_str());
    after["new-name\\o.bin"] = 300;
    Make(drive, after, {});

    CHeftDoc* doc = nullptr;
    CHeftList* list = nullptr;
    ASSERT_TRUE(OpenShowing(drive, "", doc, list));
    CString problem;
    ASSERT_TRUE(doc->CompareWithReport(report.c_str(), &problem)) << problem.GetString();
    EXPECT_EQ(doc->m_listState, ListState::Changes);
    EXPECT_EQ(list->GetExtraColumnTitle(1), "Change");

    // The same worked out here from the two states: own bytes then and now.
    const auto ownThen = OwnBytes(before, {"gone"});
    const auto ownNow = OwnBytes(after, {});
    auto text = [](long long change) { return (change > 0 ? "+" : "") + std::to_string(change); };
    std::map<std::string, std::string> expected; // folder's path from the root -> change
    for (const auto& [folder, bytes] : ownNow) {
        const auto then = ownThen.find(folder);
        const long long change = bytes - (then == ownThen.end() ? 0 : then->second);
        if (then == ownThen.end() || change != 0) expected["\\" + folder] = text(change);
    }
    for (const auto& [folder, bytes] : ownThen) {
        if (!ownNow.count(folder)) expected["\\" + folder] = text(-bytes);
    }
    std::map<std::string, std::string> shown;
    for (int row = 0; row < list->GetRowCount(); ++row) {
        std::string change = list->GetExtraColumnText(row, 1).str();
        change.erase(std::remove(change.begin(), change.end(), ','), change.end());
        shown[list->GetExtraColumnText(row, 0).str()] = change;
    }
    EXPECT_EQ(shown, expected);
    // Growth first: the largest growth heads the listing.
    EXPECT_EQ(list->GetExtraColumnText(0, 0), "\\grows");
    // A folder that is gone shows its earlier total and stands for nothing to open or delete.
    for (int row = 0; row < list->GetRowCount(); ++row) {
        if (list->GetExtraColumnText(row, 0) != "\\gone") continue;
        EXPECT_EQ(Row(list, row)->GetSize(), 40);
        EXPECT_TRUE(list->GetRowPath(row).IsEmpty());
    }
    EXPECT_EQ(main->m_wndStatusBar.GetPaneText(0).Find("Compared with the report of "), 0);
    EXPECT_NE(main->m_wndStatusBar.GetPaneText(0).Find(": +987 bytes"), -1) << "1,542 bytes now, 555 then";

    // After a delete the listing follows the model.
    Show(doc, Item(doc, "fresh"));
    DialogAnswerer yes("Delete", IDYES);
    TreeOf(doc)->SendMessage(WM_COMMAND, ID_ACTION_DELETE);
    int freshRows = 0;
    for (int row = 0; row < list->GetRowCount(); ++row) freshRows += list->GetExtraColumnText(row, 0) == "\\fresh";
    EXPECT_EQ(freshRows, 0) << "a new folder deleted again is no change";

    // The command line writes the same comparison.
    const ProgramRun changes =
        RunProgram({"/export", ReportWindows("changes.csv"), "T:", "/listing", "changes", "/since", report});
    ASSERT_EQ(changes.exitCode, 0u) << changes.output;
    const csvback::Rows rows = csvback::ReadFile(ReportUnix("changes.csv"));
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0], (std::vector<std::string>{"Path", "Change", "Size now", "Size then", "State"}));
    std::map<std::string, std::string> states;
    for (size_t i = 1; i < rows.size(); ++i) states[rows[i][0]] = rows[i][4] + " " + rows[i][1];
    EXPECT_EQ(states["T:\\gone"], "gone 0");
    EXPECT_EQ(states["T:\\gone\\deep"], "gone -40");
    EXPECT_EQ(states["T:\\new-name"], "new 300");
    EXPECT_EQ(states["T:\\grows"], "changed 1050");
}

TEST_F(ChangesTest, FilesThatAreNoReportsLeaveTheViewAsItWas)
{
    FixtureDrive drive('T');
    drive.File("a\\x.bin", 10);
    CHeftDoc* doc = nullptr;
    CHeftList* list = nullptr;
    ASSERT_TRUE(OpenShowing(drive, "a", doc, list));
    const std::string header = "\xEF\xBB\xBFPath,Size,Files,Folders,Last Written,Unreadable,Searched\r\n";
    const struct {
        const char* name;
        std::string bytes;
        const char* says;
    } cases[] = {
        {"empty.csv", "", "does not begin with the header"},
        {"truncated.csv", header + "T:,10,1,1,,0,2026-11-10 02:00:00\r\n\"T:\\a", "ends inside a quoted field"},
        {"one-line.csv", std::string(10 << 20, 'x'), "longer than 65,536 bytes"},
        {"binary.csv", std::string("\x7F" "ELF\x02\x01\x01\0\0\0", 10), "does not begin with the header"},
        {"other-drive.csv", header + "D:,10,1,1,,0,2026-11-10 02:00:00\r\n", "is a report of D:, not of drive T:"},
        {"twice.csv", header + "T:,10,1,1,,0,x\r\nT:\\a,10,1,0,,0,x\r\nT:\\a,10,1,0,,0,x\r\n", "T:\\a is in it twice"},
    };
    const std::vector<std::string> rowsBefore = RowLines(list);
    for (const auto& c : cases) {
        const std::string path = ReportWindows(c.name);
        std::ofstream(path, std::ios::binary) << c.bytes;
        CString problem;
        EXPECT_FALSE(doc->CompareWithReport(path.c_str(), &problem)) << c.name;
        EXPECT_NE(problem.Find(c.says), -1) << c.name << ": " << problem.GetString();
        EXPECT_EQ(problem.Find(path.c_str()), 0) << "the message names the file";
        EXPECT_EQ(doc->m_listState, ListState::Contents) << c.name;
        EXPECT_EQ(RowLines(list), rowsBefore) << c.name;
        // The command line says the same, with exit code 1.
        if (std::string(c.name) == "twice.csv") {
            const ProgramRun run = RunProgram({"/export", ReportWindows("out.csv"), "T:", "/listing", "changes", "/since", path});
            EXPECT_EQ(run.exitCode, 1u) << run.output;
            EXPECT_NE(run.output.find("is in it twice"), std::string::npos) << run.output;
        }
    }
}
