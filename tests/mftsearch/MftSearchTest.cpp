// The search of an NTFS drive through its master file table, on volumes that
// tests/ntfs_volumes.py makes: one drive letter shows the volume's read-only
// mount (what the walk reads) and its image (what "\\.\X:" reads), a second
// letter the mount alone, where the raw read fails and the walk runs. Both
// must give the same tree and records.
#include "document/CFolderReader.h"
#include "framework/CRawVolume.h"
#include "resources/resource.h"
#include "tests/common/CsvReadBack.h"
#include "tests/common/DialogAnswerer.h"
#include "tests/common/HeftAppTest.h"
#include "tests/common/ProgramRun.h"
#include "tests/common/ProgressWatcher.h"
#include "tests/common/ReportFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

// The folder the volumes live in (tests/ntfs_volumes.py), as a Unix path.
std::string VolumesUnix()
{
    const char* folder = std::getenv("HEFT_NTFS_UNIX");
    return folder ? folder : "";
}

// The same path as this Windows process reaches it.
std::string OnZ(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& ch : path)
        if (ch == '/') ch = '\\';
    return path;
}

std::string ReadText(const std::string& unixPath)
{
    std::ifstream in(OnZ(unixPath));
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class MftSearchTest : public HeftAppTest {
protected:
    void SetUp() override
    {
        if (VolumesUnix().empty()) GTEST_SKIP() << "HEFT_NTFS_UNIX is not set: run through ctest";
        HeftAppTest::SetUp();
    }
    void TearDown() override
    {
        app.CloseAllDocuments();
        PumpPending();
        if (!VolumesUnix().empty()) HeftAppTest::TearDown();
    }

    // A drive over the mounted volume `name`, raw as `image` (none: the mount alone).
    static FixtureDrive Volume(char letter, const std::string& name, const std::string& image)
    {
        return FixtureDrive(letter, VolumesUnix() + "/" + name,
                            image.empty() ? std::string() : VolumesUnix() + "/" + image);
    }

    struct Search {
        std::vector<std::string> tree; // Describe() without the root's line, which names the letter
        std::vector<std::string> files; // DescribeFiles() without the letter
        std::int64_t total = -1;
        ScanSummary summary;
        CString statusText;
    };
    Search Open(const FixtureDrive& drive)
    {
        Search search;
        CHeftDoc* doc = HeftAppTest::Open(drive);
        EXPECT_NE(doc, nullptr) << drive.Drive().GetString();
        if (!doc) return search;
        search.tree = Describe(doc);
        search.tree.erase(search.tree.begin());
        for (std::string line : DescribeFiles(doc)) {
            line.erase(line.find(drive.Drive().str()), 2);
            search.files.push_back(line);
        }
        search.total = doc->m_nDriveTotal;
        search.summary = doc->m_summary;
        search.statusText = main->m_wndStatusBar.GetPaneText(0);
        app.CloseAllDocuments();
        PumpPending();
        return search;
    }

    // Wine's walk lists links other than Windows does (tests/ntfs_volumes.py,
    // full.winewalk): a symbolic link to a file with its target's size, where
    // Windows lists the link with 0 bytes, as the MFT search does; a link to a
    // folder with its target's last-write time, where Windows shows the
    // link's own. The walk's tree is put right by Windows' rule.
    static void ByWindowsRule(Search& walk, const std::string& rules)
    {
        std::istringstream lines(rules);
        std::string kind, where, value;
        while (std::getline(lines, kind, '\t') && std::getline(lines, where, '\t') && std::getline(lines, value)) {
            const std::int64_t bytes = kind == "size" ? std::stoll(value) : 0;
            walk.total -= bytes;
            std::vector<std::string> path; // the names from the root down to the line
            for (std::string& line : walk.tree) {
                std::vector<std::string> fields; // depth|text|size|name|type|date[|marks]
                for (size_t start = 0, bar = 0; bar != std::string::npos; start = bar + 1) {
                    bar = line.find('|', start);
                    fields.push_back(line.substr(start, bar == std::string::npos ? bar : bar - start));
                }
                path.resize(std::stoul(fields[0]) - 1);
                path.push_back(fields[1]);
                std::string joined;
                for (const std::string& name : path) joined += (joined.empty() ? "" : "\\") + name;
                const bool at = joined == where;
                const bool above = where.rfind(joined + "\\", 0) == 0;
                if (kind == "size" && (at || above)) fields[2] = std::to_string(std::stoll(fields[2]) - bytes);
                if (kind == "date" && at) fields[5] = value;
                line.clear();
                for (const std::string& field : fields) line += (line.empty() ? "" : "|") + field;
            }
            // The link is a file of its folder: its type counts what Wine counted.
            for (std::string& line : walk.files) {
                if (kind != "size" || line.rfind("\\" + where + "|", 0) != 0) continue;
                const size_t space = line.rfind(' ');
                const std::int64_t counted = std::stoll(line.substr(space + 1));
                if (counted < bytes) continue;
                line = line.substr(0, space + 1) + std::to_string(counted - bytes);
                break;
            }
        }
    }

    // The comparison every volume goes through: the first line that differs.
    static void ExpectSameTree(const Search& mft, const Search& walk)
    {
        EXPECT_EQ(mft.total, walk.total);
        ASSERT_EQ(mft.tree.size(), walk.tree.size());
        for (size_t i = 0; i < mft.tree.size(); ++i)
            ASSERT_EQ(mft.tree[i], walk.tree[i]) << "line " << i << " of the tree";
    }
};

TEST_F(MftSearchTest, ReadsTheSameTreeAndRecordsAsTheWalk)
{
    FixtureDrive raw = Volume('X', "full", "full.img");
    FixtureDrive mountOnly = Volume('Y', "full", "");
    const Search mft = Open(raw);
    Search walk = Open(mountOnly);
    EXPECT_EQ(mft.summary.method, ScanSummary::Method::MasterFileTable);
    EXPECT_EQ(mft.summary.skippedRecords, 0u);
    EXPECT_EQ(walk.summary.method, ScanSummary::Method::Walk);
    EXPECT_FALSE(walk.summary.administratorWouldHelp) << "the volume opened; its bytes could not be read";
    EXPECT_EQ(mft.statusText.Find("Searched the master file table in "), 0) << mft.statusText.GetString();

    ByWindowsRule(walk, ReadText(VolumesUnix() + "/full.winewalk"));
    ExpectSameTree(mft, walk);
    // The file types of every folder and the largest files of the drive.
    EXPECT_EQ(mft.files, walk.files);
    auto hasFile = [&mft](const std::string& line) {
        return std::find(mft.files.begin(), mft.files.end(), line) != mft.files.end();
    };
    EXPECT_TRUE(hasFile(std::to_string(5ll << 30) + "|\\sparse\\huge.bin"));
    EXPECT_TRUE(hasFile("\\links\\other|(no extension) 6 25926")) << "each name of a hard-linked file is a file";
    EXPECT_TRUE(hasFile("\\many|.txt 5000 3740500"));
    // The volume holds what the comparison is meant to cover.
    ASSERT_GT(mft.tree.size(), 120u);
    auto has = [&mft](const std::string& start) {
        return std::any_of(mft.tree.begin(), mft.tree.end(),
                           [&start](const std::string& line) { return line.rfind(start, 0) == 0; });
    };
    EXPECT_TRUE(has("2|naïve-文件|")) << "names outside Latin-1";
    EXPECT_TRUE(has("2|emoji-😀|"));
    EXPECT_TRUE(has("101|d99|999|")) << "100 folders deep";
    EXPECT_TRUE(has("2|to-folder|0|to-folder|File Folder|")) << "a link to a folder is listed";
    const auto link = std::find_if(mft.tree.begin(), mft.tree.end(),
                                   [](const std::string& line) { return line.rfind("2|to-folder|", 0) == 0; });
    ASSERT_NE(link, mft.tree.end());
    EXPECT_TRUE(link + 1 == mft.tree.end() || (link + 1)->rfind("3|", 0) != 0) << "a link to a folder is never entered";
    EXPECT_TRUE(has("1|many|")) << "the folder of 5,000 files";
    EXPECT_TRUE(has("1|sparse|" + std::to_string((5ll << 30) + (3 << 20) + 3) + "|")) << "logical sizes of sparse files";
}

// The command line's report of the volume (the program run as a process of
// its own) equals the window's search of it row by row, and counts the same
// files and folders below every folder as a report of the walk of its mount.
TEST_F(MftSearchTest, ACommandLineReportEqualsTheWindowsSearchAndCountsAsTheWalk)
{
    FixtureDrive raw = Volume('X', "full", "full.img");
    FixtureDrive mountOnly = Volume('Y', "full", "");
    const ProgramRun mft = RunProgram({"/export", ReportWindows("mft.csv"), "X:"});
    EXPECT_EQ(mft.exitCode, 0u) << mft.output;
    EXPECT_NE(mft.output.find(": Searched the master file table in "), std::string::npos) << mft.output;
    const ProgramRun walk = RunProgram({"/export", ReportWindows("walk.csv"), "Y:"});
    EXPECT_EQ(walk.exitCode, 0u) << walk.output;
    EXPECT_NE(walk.output.find(": Searched folder by folder in "), std::string::npos) << walk.output;
    const csvback::Rows mftRows = csvback::ReadFile(ReportUnix("mft.csv"));
    const csvback::Rows walkRows = csvback::ReadFile(ReportUnix("walk.csv"));

    CHeftDoc* doc = HeftAppTest::Open(raw);
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(doc->m_summary.method, ScanSummary::Method::MasterFileTable);
    const auto window = WindowFolderRows(doc, doc->m_hRootItem);
    ASSERT_GT(window.size(), 120u);
    EXPECT_EQ(ReportFolderRows(mftRows), window);

    ASSERT_EQ(mftRows.size(), walkRows.size());
    for (size_t i = 1; i < mftRows.size(); ++i) {
        ASSERT_GE(mftRows[i].size(), 4u);
        ASSERT_GE(walkRows[i].size(), 4u);
        EXPECT_EQ(mftRows[i][0].substr(1), walkRows[i][0].substr(1)) << "the same folder, on the other letter";
        EXPECT_EQ(mftRows[i][2], walkRows[i][2]) << mftRows[i][0] << ": files below";
        EXPECT_EQ(mftRows[i][3], walkRows[i][3]) << mftRows[i][0] << ": folders below";
    }
    EXPECT_GT(std::stoll(mftRows[1][2]), 5000) << "the volume's files, the folder of 5,000 among them";
}

TEST_F(MftSearchTest, DamagedBootSectorOrFirstRecordMeansTheWalk)
{
    FixtureDrive mountOnly = Volume('Y', "small", "");
    const Search walk = Open(mountOnly);
    ASSERT_EQ(walk.summary.method, ScanSummary::Method::Walk);
    for (const char* image : {"small-boot.img", "small-record0.img"}) {
        SCOPED_TRACE(image);
        FixtureDrive damaged = Volume('X', "small", image);
        const Search search = Open(damaged);
        EXPECT_EQ(search.summary.method, ScanSummary::Method::Walk);
        ExpectSameTree(search, walk);
    }
    // The intact image is searched through its table: the damage is what made the difference.
    FixtureDrive intact = Volume('X', "small", "small.img");
    const Search mft = Open(intact);
    EXPECT_EQ(mft.summary.method, ScanSummary::Method::MasterFileTable);
    ExpectSameTree(mft, walk);
}

TEST_F(MftSearchTest, DamagedRecordsAreSkippedCountedAndNamed)
{
    FixtureDrive damaged = Volume('X', "small", "small-records.img");
    const Search search = Open(damaged);
    const unsigned long skipped = std::stoul(ReadText(VolumesUnix() + "/small-records.skipped"));
    EXPECT_EQ(search.summary.method, ScanSummary::Method::MasterFileTable);
    EXPECT_EQ(search.summary.skippedRecords, skipped);
    EXPECT_NE(search.statusText.Find(("; " + std::to_string(skipped) + " damaged records skipped").c_str()), -1)
        << search.statusText.GetString();
}

TEST_F(MftSearchTest, CancelWhileTheTableIsReadLeavesNothingBehind)
{
    FixtureDrive raw = Volume('X', "full", "full.img");
    const int threadsBefore = ThreadCount();
    ProgressWatcher watcher;
    bool pressed = false;
    int percentsWhenPressed = 0;
    watcher.onPercent = [&](HWND dialog, const std::string&) {
        if (pressed) return;
        // The bar has moved through the table once: Cancel.
        pressed = true;
        percentsWhenPressed = static_cast<int>(watcher.percents.size());
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    };
    EXPECT_EQ(HeftAppTest::Open(raw), nullptr);
    EXPECT_TRUE(pressed);
    EXPECT_EQ(watcher.statuses, std::vector<std::string>{"X:\\$MFT"}) << "cancelled before any folder was walked";
    EXPECT_LE(static_cast<int>(watcher.percents.size()), percentsWhenPressed + 1);
    EXPECT_EQ(DocumentCount(), 0);
    EXPECT_EQ(ChildWindowCount(), 0);
    EXPECT_TRUE(main->IsWindowEnabled());
    EXPECT_EQ(CFolderReader::LiveWorkers(), 0);
    EXPECT_EQ(ThreadCountSettlingAt(threadsBefore), threadsBefore);
    PumpPending();
    EXPECT_EQ(CDirEntry::LiveCount(), liveBefore);
}

// The volume goes while its table is read: the search asks Retry or Cancel, as
// a walk does. Cancel leaves nothing; Retry, once the drive is back, reads the
// table again from the start. Under Wine an open image reads on after its
// letter went, so the read hook fails the reads from then on.
TEST_F(MftSearchTest, AVolumeGoneWhileItsTableIsReadAsksRetryOrCancel)
{
    FixtureDrive raw = Volume('X', "small", "small.img");
    const Search whole = Open(raw);
    ASSERT_EQ(whole.summary.method, ScanSummary::Method::MasterFileTable);

    static bool s_gone = false;
    CRawVolume::SetReadHook([](std::uint64_t) { return !s_gone; });
    int departures = 0;
    ProgressWatcher watcher;
    watcher.onPercent = [&](HWND, const std::string&) {
        if (departures == 0 || s_gone) return;
        --departures;
        raw.Unmount();
        s_gone = true;
    };
    const int threadsBefore = ThreadCount();
    departures = 1;
    {
        DialogAnswerer cancel("Error", IDCANCEL);
        EXPECT_EQ(HeftAppTest::Open(raw), nullptr);
        EXPECT_EQ(cancel.Answered(), 1);
        EXPECT_EQ(cancel.LastText(), "Error reading drive X:");
    }
    EXPECT_EQ(departures, 0);
    EXPECT_EQ(DocumentCount(), 0);
    EXPECT_EQ(ChildWindowCount(), 0);
    EXPECT_TRUE(main->IsWindowEnabled());
    EXPECT_EQ(ThreadCountSettlingAt(threadsBefore), threadsBefore);
    PumpPending();
    EXPECT_EQ(CDirEntry::LiveCount(), liveBefore);

    raw.Mount();
    s_gone = false;
    departures = 1;
    Search again;
    {
        DialogAnswerer retry("Error", IDRETRY, [&](HWND) {
            raw.Mount();
            s_gone = false;
        });
        again = Open(raw);
        EXPECT_EQ(retry.Answered(), 1);
    }
    CRawVolume::SetReadHook(nullptr);
    EXPECT_EQ(departures, 0);
    EXPECT_EQ(again.summary.method, ScanSummary::Method::MasterFileTable);
    ExpectSameTree(again, whole);
}

TEST_F(MftSearchTest, RawReadsAreWholeSectorsOfTheVolume)
{
    FixtureDrive raw = Volume('X', "small", "small.img");
    CRawVolume volume;
    ASSERT_EQ(volume.Open(raw.Drive()), CRawVolume::OpenResult::Opened);
    ASSERT_EQ(volume.SectorSize(), 512u) << "Wine cannot tell an image file's sector size";

    std::ifstream image(OnZ(VolumesUnix() + "/small.img"), std::ios::binary);
    std::vector<char> expected(4096);
    image.seekg(8192);
    image.read(expected.data(), static_cast<std::streamsize>(expected.size()));
    alignas(4096) static std::uint8_t buffer[2 * 4096];
    ASSERT_TRUE(volume.Read(8192, std::span(buffer, 4096)));
    ASSERT_TRUE(image.good());
    EXPECT_EQ(std::memcmp(expected.data(), buffer, expected.size()), 0);

    const struct {
        std::uint64_t offset;
        size_t start, length;
    } refused[] = {{8192 + 1, 0, 512}, {8192, 0, 100}, {8192, 0, 513}, {8192, 8, 512}};
    for (const auto& read : refused)
        EXPECT_FALSE(volume.Read(read.offset, std::span(buffer + read.start, read.length)))
            << read.offset << " " << read.start << " " << read.length;
}

} // namespace
