// Export List: the rows the list holds, in the order it shows them, as a CSV
// file read back with Python's csv module; the command greyed while there is
// nothing to export; and a write that fails, which leaves an earlier file of
// the name as it was and nothing else behind.
#include "framework/SystemError.h"
#include "resources/resource.h"
#include "tests/common/CsvReadBack.h"
#include "tests/common/ReportFolder.h"
#include "tests/views/ListTestBase.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;

const std::vector<std::string> kHeader = {"Name", "Path", "Size", "Percent", "Type", "Last Written"};

class ListExportTest : public ListTest {
protected:
    // Drive T: with names with a comma, CJK and an emoji, and a folder above
    // 4 GiB (the root's other rows add up to 1,000 bytes), open at its root.
    void OpenFilled()
    {
        drive = std::make_unique<FixtureDrive>('T');
        drive->File("a,b.txt", 125);
        drive->File("文件.bin", 250);
        drive->File("emoji-😀.dat", 500);
        drive->File("sub,dir\\x.bin", 125);
        drive->File("big\\huge.bin", (5ull << 30) + 7);
        drive->SetLastWriteTime("a,b.txt", SYSTEMTIME{2024, 2, 4, 29, 23, 59, 59, 0});
        ASSERT_TRUE(OpenShowing(*drive, "", doc, list));
    }
    void TearDown() override
    {
        ListTest::TearDown();
        drive.reset();
    }
    // The list's export into the test's report folder, read back.
    Rows Export(CHeftList* list, const std::string& name)
    {
        CString failure;
        EXPECT_TRUE(list->ExportRows(ReportWindows(name).c_str(), &failure)) << failure.GetString();
        return csvback::ReadFile(ReportUnix(name));
    }
    static std::vector<std::string> Column(const Rows& rows, size_t column)
    {
        std::vector<std::string> values;
        for (size_t i = 1; i < rows.size(); ++i) values.push_back(column < rows[i].size() ? rows[i][column] : "?");
        return values;
    }
    // One decimal of a share, worked out here.
    static std::string Percent(long long size, long long basis)
    {
        char text[32];
        std::snprintf(text, sizeof(text), "%.1f", 100.0 * static_cast<double>(size) / static_cast<double>(basis));
        return text;
    }

    std::unique_ptr<FixtureDrive> drive;
    CHeftDoc* doc = nullptr;
    CHeftList* list = nullptr;
};

TEST_F(ListExportTest, TheRowsAsShownSurviveAReaderWithTheirPathsExactSizesAndPercents)
{
    ASSERT_NO_FATAL_FAILURE(OpenFilled());
    EXPECT_EQ(list->GetExportFileName(), "T.csv");

    const long long total = 1000 + (5ll << 30) + 7;
    const std::map<std::string, long long> sizes = {{"a,b.txt", 125}, {"文件.bin", 250}, {"emoji-😀.dat", 500},
                                                    {"sub,dir", 125}, {"big", (5ll << 30) + 7}};
    const Rows rows = Export(list, "root.csv");
    ASSERT_EQ(rows.size(), sizes.size() + 1);
    EXPECT_EQ(rows[0], kHeader);
    EXPECT_EQ(Column(rows, 0), RowNames(list)) << "the rows in the order shown";
    for (size_t i = 1; i < rows.size(); ++i) {
        const std::vector<std::string>& row = rows[i];
        ASSERT_EQ(row.size(), kHeader.size());
        const long long size = sizes.at(row[0]);
        EXPECT_EQ(row[1], "T:\\" + row[0]);
        EXPECT_EQ(row[2], std::to_string(size));
        EXPECT_EQ(row[3], Percent(size, total)) << row[0];
        EXPECT_EQ(row[4], Row(list, static_cast<int>(i - 1))->GetType().str()) << "the type the list holds";
    }
    EXPECT_EQ(rows[1][2], "5368709127") << "above 4 GiB, exact";
    EXPECT_EQ(rows[FindRow(list, "a,b.txt") + 1][5], "2024-02-29 23:59:59");

    // Sorted by name, the export follows.
    ClickHeader(list, 0);
    const Rows byName = Export(list, "root.csv");
    EXPECT_EQ(Column(byName, 0), RowNames(list));
    EXPECT_NE(Column(byName, 0), Column(rows, 0));

    // A folder's rows, as shares of the folder and then of the drive.
    Show(doc, Item(doc, "sub,dir"));
    EXPECT_EQ(list->GetExportFileName(), "T-sub,dir.csv");
    const Rows sub = Export(list, "sub.csv");
    ASSERT_EQ(sub.size(), 2u);
    ASSERT_EQ(sub[1].size(), kHeader.size());
    EXPECT_EQ(std::vector<std::string>(sub[1].begin(), sub[1].begin() + 4),
              (std::vector<std::string>{"x.bin", "T:\\sub,dir\\x.bin", "125", "100.0"}));
    doc->OnDiskVsDirectory();
    EXPECT_EQ(Column(Export(list, "sub.csv"), 3), std::vector<std::string>{Percent(125, total)});
}

TEST_F(ListExportTest, TheTenLargestDirectoriesExportTheirFolders)
{
    ASSERT_NO_FATAL_FAILURE(OpenFilled());
    main->SendMessage(WM_COMMAND, ID_TOP_TEN);
    ASSERT_TRUE(doc->m_bTopTen);
    EXPECT_EQ(list->GetExportFileName(), "T-Top 10 largest directories.csv");
    const Rows rows = Export(list, "top.csv");
    EXPECT_EQ(Column(rows, 1), (std::vector<std::string>{"T:\\big", "T:\\sub,dir"}));
}

TEST_F(ListExportTest, ExportIsGreyedWhileTheListIsEmpty)
{
    FixtureDrive empty('U');
    FixtureDrive full('T');
    full.File("one.bin", 1);
    main->RebuildDriveBar();
    ASSERT_NE(app.OpenDrive("U:"), nullptr);
    EXPECT_FALSE(CommandEnabled(ID_EXPORT_LIST)) << "the tree active, nothing listed";
    CHeftDoc* doc = app.OpenDrive("T:");
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(CommandEnabled(ID_EXPORT_LIST)) << "the tree active, the list holds a row";
    auto* frame = dynamic_cast<CFrameWnd*>(ListOf(doc)->GetParentFrame());
    ASSERT_NE(frame, nullptr);
    frame->SetActiveView(ListOf(doc));
    EXPECT_TRUE(CommandEnabled(ID_EXPORT_LIST)) << "the list active, with its row";
    ListOf(doc)->ReleaseRowRecords();
    EXPECT_FALSE(CommandEnabled(ID_EXPORT_LIST)) << "the list active and empty";
}

// A small volume of its own, full to the last page: a tmpfs mounted over a
// folder while the object lives.
class FullVolume {
public:
    explicit FullVolume(const std::string& folderUnix) : m_folder(folderUnix)
    {
        m_mounted = unixcmd::Run("mkdir -p '" + m_folder + "' && mount -t tmpfs -o size=64k heft-full '" + m_folder +
                                 "'") == 0;
    }
    ~FullVolume()
    {
        if (m_mounted) unixcmd::Run("umount '" + m_folder + "'");
    }
    FullVolume(const FullVolume&) = delete;
    FullVolume& operator=(const FullVolume&) = delete;
    bool Mounted() const { return m_mounted; }
    // Takes what room is left.
    void Fill() { unixcmd::Run("dd if=/dev/zero of='" + m_folder + "/filler' bs=4096 2>/dev/null"); }

private:
    std::string m_folder;
    bool m_mounted = false;
};

TEST_F(ListExportTest, AFailedWriteLeavesTheEarlierFileAsItWasAndNothingBehind)
{
    ASSERT_NO_FATAL_FAILURE(OpenFilled());
    const std::string earlier = "the earlier report\r\n";
    auto placeEarlier = [&earlier](const std::string& name) {
        std::ofstream(ReportWindows(name), std::ios::binary) << earlier;
    };
    auto expectFailure = [&](const std::string& target, DWORD error) {
        CString failure;
        EXPECT_FALSE(list->ExportRows(target.c_str(), &failure));
        EXPECT_EQ(failure, "Cannot write " + target + ": " + SystemErrorText(error).str());
    };

    // A read-only file of the name.
    placeEarlier("readonly.csv");
    SetFileAttributesW(Utf8ToWide(ReportWindows("readonly.csv")).c_str(), FILE_ATTRIBUTE_READONLY);
    expectFailure(ReportWindows("readonly.csv"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadWhole(ReportWindows("readonly.csv")), earlier);
    SetFileAttributesW(Utf8ToWide(ReportWindows("readonly.csv")).c_str(), FILE_ATTRIBUTE_NORMAL);
    // A folder that is not there, and a name the system refuses.
    expectFailure(ReportWindows("gone\\list.csv"), ERROR_PATH_NOT_FOUND);
    expectFailure(ReportWindows("a<b.csv"), ERROR_INVALID_NAME);
    EXPECT_EQ(ReportNames(), std::vector<std::string>{"readonly.csv"});

    // A full disk: a volume with no room left beside an earlier report.
    const std::string fullUnix = ReportFolderUnix() + "/full";
    FullVolume volume(fullUnix);
    ASSERT_TRUE(volume.Mounted()) << "a tmpfs could not be mounted (the tests run as root)";
    const std::string onFull = unixcmd::WindowsPath(fullUnix + "/list.csv");
    std::ofstream(onFull, std::ios::binary) << earlier;
    volume.Fill();
    expectFailure(onFull, ERROR_DISK_FULL);
    EXPECT_EQ(ReadWhole(onFull), earlier);
    std::vector<std::string> left;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(Utf8ToWide(unixcmd::WindowsPath(fullUnix + "/*")).c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        left.push_back(WideToUtf8(found.cFileName).str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{".", "..", "filler", "list.csv"}));

    // Written, it replaces the earlier file whole.
    CString failure;
    ASSERT_TRUE(list->ExportRows(ReportWindows("readonly.csv").c_str(), &failure)) << failure.GetString();
    EXPECT_EQ(ReadWhole(ReportWindows("readonly.csv")).rfind("\xEF\xBB\xBFName,Path,", 0), 0u);
}

} // namespace
