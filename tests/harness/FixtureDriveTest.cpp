// The test harness itself: fixture drives behave like real drives to the
// file-system calls the program makes, and every test executable carries the
// program's resources and manifest.
#include <windows.h>

#include <cstring>
#include <map>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "framework/CFileFind.h"
#include "tests/common/FixtureDrive.h"

namespace {

constexpr DWORD kLinkAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;

bool HasLetter(char letter)
{
    return (GetLogicalDrives() & (1u << (letter - 'A'))) != 0;
}

// Name -> find data of every entry of a folder, without "." and "..".
std::map<std::string, WIN32_FIND_DATAA> List(const CString& folder)
{
    std::map<std::string, WIN32_FIND_DATAA> entries;
    WIN32_FIND_DATAA found{};
    HANDLE find = FindFirstFileA((folder + "\\*").GetString(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return entries;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..")
            entries[name] = found;
        found = WIN32_FIND_DATAA{};
    } while (FindNextFileA(find, &found));
    FindClose(find);
    return entries;
}

unsigned long long SizeOf(const WIN32_FIND_DATAA& found)
{
    return (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
}

std::string FixturesFolder()
{
    char buffer[MAX_PATH * 4] = "";
    const DWORD length = GetEnvironmentVariableA("HEFT_FIXTURES", buffer, sizeof(buffer));
    return length < sizeof(buffer) ? std::string(buffer, length) : std::string();
}

} // namespace

TEST(FixtureDrive, AppearsAsAFixedDriveAndVanishesAfterwards)
{
    ASSERT_FALSE(HasLetter('T'));
    {
        FixtureDrive drive('t');
        EXPECT_EQ("T:", drive.Drive());
        EXPECT_EQ("T:\\", drive.Path(""));
        EXPECT_EQ("T:\\a\\b.txt", drive.Path("/a/b.txt"));

        EXPECT_TRUE(HasLetter('T'));
        EXPECT_EQ(static_cast<UINT>(DRIVE_FIXED), GetDriveTypeA("T:\\"));
        char fileSystem[MAX_PATH] = "";
        EXPECT_TRUE(GetVolumeInformationA("T:\\", nullptr, 0, nullptr, nullptr, nullptr, fileSystem, MAX_PATH));
        ULARGE_INTEGER total{};
        EXPECT_TRUE(GetDiskFreeSpaceExA("T:\\", nullptr, &total, nullptr));
        EXPECT_GT(total.QuadPart, 0u);

        char strings[4 * 26 + 1] = "";
        const DWORD length = GetLogicalDriveStringsA(sizeof(strings), strings);
        bool listed = false;
        for (const char* root = strings; root < strings + length && *root; root += strlen(root) + 1)
            listed = listed || std::string(root) == "T:\\";
        EXPECT_TRUE(listed);

        EXPECT_TRUE(List("T:").empty());
        drive.File("x.bin", 1);
    }
    EXPECT_FALSE(HasLetter('T'));
    EXPECT_EQ(static_cast<UINT>(DRIVE_NO_ROOT_DIR), GetDriveTypeA("T:\\"));
    WIN32_FIND_DATAA found{};
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA("T:\\*", &found));

    // Its backing folder is gone too.
    const std::string fixtures = FixturesFolder();
    ASSERT_FALSE(fixtures.empty());
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA((fixtures + "\\t-*").c_str(), &found));
}

TEST(FixtureDrive, FilesHaveExactSizesAndLargeOnesAreSparse)
{
    FixtureDrive drive('T');
    const unsigned long long fiveGiB = 5ull << 30;
    drive.File("empty.bin", 0);
    drive.File("one.bin", 1);
    drive.File("odd.bin", 4097);
    drive.File("4GiB+1.bin", (4ull << 30) + 1);
    drive.File("deep/er/big.bin", fiveGiB);

    const auto root = List(drive.Path(""));
    ASSERT_EQ(5u, root.size());
    EXPECT_EQ(0u, SizeOf(root.at("empty.bin")));
    EXPECT_EQ(1u, SizeOf(root.at("one.bin")));
    EXPECT_EQ(4097u, SizeOf(root.at("odd.bin")));
    EXPECT_EQ(1u, root.at("4GiB+1.bin").nFileSizeHigh);
    EXPECT_EQ(1u, root.at("4GiB+1.bin").nFileSizeLow);
    EXPECT_TRUE(root.at("deep").dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_FALSE(root.at("deep").dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);

    const auto deeper = List(drive.Path("deep\\er"));
    ASSERT_EQ(1u, deeper.size());
    EXPECT_EQ(1u, deeper.at("big.bin").nFileSizeHigh);
    EXPECT_EQ(1u << 30, deeper.at("big.bin").nFileSizeLow);
    EXPECT_EQ(fiveGiB, SizeOf(deeper.at("big.bin")));

    // The five gigabytes take (almost) no room on the disk.
    HANDLE file = CreateFileA(drive.Path("deep\\er\\big.bin"), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    FILE_STANDARD_INFO info{};
    EXPECT_TRUE(GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof(info)));
    CloseHandle(file);
    EXPECT_EQ(static_cast<LONGLONG>(fiveGiB), info.EndOfFile.QuadPart);
    EXPECT_LT(info.AllocationSize.QuadPart, 1 << 20);
}

TEST(FixtureDrive, NamesAreUtf8AndPathsMayBeLong)
{
    FixtureDrive drive('T');
    drive.File("naïve-文件.txt", 3);
    const auto root = List(drive.Path(""));
    ASSERT_EQ(1u, root.count("naïve-文件.txt"));
    EXPECT_EQ(3u, SizeOf(root.at("naïve-文件.txt")));

    // 300 characters below the root: beyond MAX_PATH, reached with \\?\.
    std::string deep;
    while (deep.size() < 300)
        deep += "folder-of-forty-characters-in-its-name\\";
    drive.File((deep + "end.bin").c_str(), 7);
    const std::wstring wide = L"\\\\?\\T:\\" + std::wstring(deep.begin(), deep.end()) + L"*";
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW(wide.c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    bool seen = false;
    do {
        if (std::wstring(found.cFileName) == L"end.bin")
            seen = found.nFileSizeLow == 7;
    } while (FindNextFileW(find, &found));
    FindClose(find);
    EXPECT_TRUE(seen);
}

TEST(FixtureDrive, KeepsTheLastWriteTimeAsGiven)
{
    FixtureDrive drive('T');
    drive.File("dated.txt", 10);
    SYSTEMTIME time{};
    time.wYear = 1998;
    time.wMonth = 7;
    time.wDay = 4;
    time.wHour = 13;
    time.wMinute = 5;
    time.wSecond = 9;
    drive.SetLastWriteTime("dated.txt", time);

    const auto root = List(drive.Path(""));
    SYSTEMTIME seen{};
    ASSERT_TRUE(FileTimeToSystemTime(&root.at("dated.txt").ftLastWriteTime, &seen));
    EXPECT_EQ(1998, seen.wYear);
    EXPECT_EQ(7, seen.wMonth);
    EXPECT_EQ(4, seen.wDay);
    EXPECT_EQ(13, seen.wHour);
    EXPECT_EQ(5, seen.wMinute);
    EXPECT_EQ(9, seen.wSecond);
}

TEST(FixtureDrive, CanVanishAndComeBackMidTest)
{
    FixtureDrive drive('S');
    drive.File("kept.bin", 123);
    drive.Unmount();
    EXPECT_FALSE(drive.IsMounted());
    EXPECT_FALSE(HasLetter('S'));
    EXPECT_EQ(static_cast<UINT>(DRIVE_NO_ROOT_DIR), GetDriveTypeA("S:\\"));

    drive.File("added-meanwhile.bin", 5);
    drive.Mount();
    EXPECT_TRUE(HasLetter('S'));
    const auto root = List(drive.Path(""));
    ASSERT_EQ(2u, root.size());
    EXPECT_EQ(123u, SizeOf(root.at("kept.bin")));
    EXPECT_EQ(5u, SizeOf(root.at("added-meanwhile.bin")));
}

TEST(FixtureDrive, TakesEveryDriveType)
{
    FixtureDrive drive('R');
    drive.File("f.bin", 1);
    const std::pair<const char*, UINT> types[] = {
        {"cdrom", DRIVE_CDROM}, {"floppy", DRIVE_REMOVABLE}, {"network", DRIVE_REMOTE},
        {"ramdisk", DRIVE_RAMDISK}, {"hd", DRIVE_FIXED},
    };
    for (const auto& [name, type] : types) {
        drive.SetType(name);
        EXPECT_EQ(type, GetDriveTypeA("R:\\")) << name;
        EXPECT_EQ(1u, List("R:").size()) << name;
    }
    drive.SetType(DRIVE_CDROM);
    drive.Unmount();
    drive.Mount();
    EXPECT_EQ(static_cast<UINT>(DRIVE_CDROM), GetDriveTypeA("R:\\"));
    EXPECT_THROW(drive.SetType("tape"), std::invalid_argument);
}

TEST(FixtureDrive, SeveralAtOnceButEachLetterOnce)
{
    FixtureDrive first('M');
    FixtureDrive second('N');
    first.File("in-m.bin", 1);
    EXPECT_EQ(1u, List("M:").size());
    EXPECT_TRUE(List("N:").empty());
    EXPECT_THROW(FixtureDrive('M'), std::logic_error);
    EXPECT_THROW(FixtureDrive('C'), std::invalid_argument);
    EXPECT_THROW(FixtureDrive('Z'), std::invalid_argument);
}

TEST(FixtureDrive, LinksToFoldersAreReparsePointsAndMayLoop)
{
    FixtureDrive drive('T');
    drive.File("a\\inner.bin", 11);
    drive.File("target\\held.bin", 22);
    drive.LinkToFolder("a\\loop", "a");
    drive.LinkToFolder("a\\up", "");
    drive.LinkToFolder("link-to-target", "target");

    const auto a = List(drive.Path("a"));
    ASSERT_EQ(3u, a.size());
    EXPECT_EQ(kLinkAttributes, a.at("loop").dwFileAttributes & kLinkAttributes);
    EXPECT_EQ(kLinkAttributes, a.at("up").dwFileAttributes & kLinkAttributes);
    EXPECT_EQ(0u, a.at("inner.bin").dwFileAttributes & kLinkAttributes);

    // A walk that entered links would never end: T:\a\loop\loop\... is T:\a.
    EXPECT_EQ(3u, List(drive.Path("a\\loop\\loop\\loop")).size());
    EXPECT_EQ(1u, List(drive.Path("a\\up\\a\\up\\target")).size());
    EXPECT_EQ(22u, SizeOf(List(drive.Path("link-to-target")).at("held.bin")));
    EXPECT_EQ(kLinkAttributes, GetFileAttributesA(drive.Path("a\\loop")) & kLinkAttributes);
}

TEST(FixtureDrive, TearsDownLoopsWithoutFollowingThem)
{
    {
        FixtureDrive drive('L');
        drive.File("own.bin", 1);
        drive.File("sub\\deeper\\file.bin", 2);
        drive.LinkToFolder("self", "");
        drive.LinkToFolder("sub\\back", "");
        drive.LinkToFolder("sub\\deeper\\here", "sub\\deeper");
        EXPECT_EQ(3u, List("L:").size());
    }
    EXPECT_FALSE(HasLetter('L'));
    const std::string fixtures = FixturesFolder();
    ASSERT_FALSE(fixtures.empty());
    WIN32_FIND_DATAA found{};
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFileA((fixtures + "\\l-*").c_str(), &found));
}

TEST(TestExecutable, CarriesTheProgramsManifestAndResources)
{
    // UTF-8 active code page and common controls 6, both from the manifest.
    // (Wine's side-by-side comctl32 6 reports version 5.81 through
    // DllGetVersion, so the module's origin is what tells them apart.)
    EXPECT_EQ(65001u, GetACP());
    ACTCTX_SECTION_KEYED_DATA redirection{};
    redirection.cbSize = sizeof(redirection);
    EXPECT_TRUE(FindActCtxSectionStringA(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, "comctl32.dll",
                                         &redirection));
    HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
    ASSERT_NE(nullptr, comctl);
    CString path = GetModuleFileNameUtf8(comctl);
    path.MakeLower();
    EXPECT_NE(path.Find("common-controls"), -1) << path.str();

    EXPECT_NE(nullptr, FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)));
    EXPECT_NE(nullptr, FindResourceW(nullptr, MAKEINTRESOURCEW(128), RT_MENU));
}
