// The file-system layer against a real folder: every test works in its own
// folder under the temporary folder and removes it afterwards.
#include <gtest/gtest.h>

#include <windows.h>
#include <winioctl.h>

#include <cstdint>
#include <map>
#include <string>

#include "framework/CFileFind.h"
#include "model/CDirEntry.h"

namespace {

// Fixture files are made and checked with the wide functions directly, so a
// fault of the layer cannot hide itself.
std::wstring Prefixed(const std::wstring& path) { return L"\\\\?\\" + path; }

bool MakeFile(const std::wstring& path, std::int64_t size)
{
    HANDLE h = CreateFileW(Prefixed(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    // Marked sparse where the file system knows the idea, so a size beyond
    // 4 GiB costs no disk; Wine's Unix files are sparse anyway.
    DWORD returned = 0;
    DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = size;
    bool ok = SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h);
    CloseHandle(h);
    return ok;
}

bool SetWriteTime(const std::wstring& path, std::uint64_t ticks)
{
    HANDLE h = CreateFileW(Prefixed(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
    ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    bool ok = SetFileTime(h, nullptr, nullptr, &ft) != FALSE;
    CloseHandle(h);
    return ok;
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(Prefixed(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Removes a tree without entering links, so a link made by a test never
// leads the clean-up outside the test's folder.
void RemoveTree(const std::wstring& path)
{
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW(Prefixed(path + L"\\*").c_str(), &data);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring child = path + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) RemoveDirectoryW(Prefixed(child).c_str());
                else RemoveTree(child);
            } else {
                DeleteFileW(Prefixed(child).c_str());
            }
        } while (FindNextFileW(h, &data));
        FindClose(h);
    }
    RemoveDirectoryW(Prefixed(path).c_str());
}

// A drive letter that names no drive, so a search on it cannot start.
CString UnusedDrive()
{
    const DWORD used = GetLogicalDrives();
    for (int i = 25; i >= 0; --i) {
        if (!(used & (1u << i))) return CString(static_cast<char>('A' + i)) + ":";
    }
    return CString();
}

struct Found {
    std::int64_t size = 0;
    bool directory = false;
    bool dots = false;
    bool link = false;
    std::uint64_t written = 0;
};

// Every entry a search of the pattern returns, by UTF-8 name.
std::map<std::string, Found> List(const CString& pattern)
{
    std::map<std::string, Found> entries;
    CFileFind find;
    if (!find.FindFile(pattern)) return entries;
    do {
        Found f;
        f.size = find.GetLength();
        f.directory = find.IsDirectory();
        f.dots = find.IsDots();
        f.link = find.IsNameSurrogateLink();
        f.written = find.GetLastWriteTime();
        entries[find.GetFileName().str()] = f;
    } while (find.FindNextFile());
    return entries;
}

class FileSystemLayer : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH + 1] = {};
        DWORD len = GetTempPathW(MAX_PATH + 1, temp);
        ASSERT_GT(len, 0u);
        std::wstring base(temp, len);
        if (base.back() == L'\\') base.pop_back();
        for (int attempt = 0; attempt < 100 && m_root.empty(); ++attempt) {
            std::wstring candidate = base + L"\\heft-fs-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                     std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(attempt);
            if (CreateDirectoryW(candidate.c_str(), nullptr)) m_root = candidate;
        }
        ASSERT_FALSE(m_root.empty());
        m_rootUtf8 = WideToUtf8(m_root);
    }

    void TearDown() override
    {
        if (!m_root.empty()) {
            RemoveTree(m_root);
            EXPECT_FALSE(Exists(m_root));
        }
    }

    std::wstring m_root;
    CString m_rootUtf8;
};

} // namespace

TEST(ToWidePath, PrefixesAbsoluteDrivePaths)
{
    EXPECT_EQ(ToWidePath("C:\\a\\b"), L"\\\\?\\C:\\a\\b");
    EXPECT_EQ(ToWidePath("C:\\*.*"), L"\\\\?\\C:\\*.*");
    EXPECT_EQ(ToWidePath(CString("C:") + "\\*.*"), L"\\\\?\\C:\\*.*");
    EXPECT_EQ(ToWidePath("C:\\"), L"\\\\?\\C:\\");
    EXPECT_EQ(ToWidePath("d:\\Windows\\System\\"), L"\\\\?\\d:\\Windows\\System\\");
    EXPECT_EQ(ToWidePath("C:/a/b"), L"\\\\?\\C:\\a\\b");
    EXPECT_EQ(ToWidePath("\\\\server\\share\\dir"), L"\\\\?\\UNC\\server\\share\\dir");
}

TEST(ToWidePath, ConvertsUtf8ToUtf16)
{
    EXPECT_EQ(ToWidePath("C:\\naïve-文件.txt"), L"\\\\?\\C:\\na\u00EFve-\u6587\u4EF6.txt");
    // A character beyond the 16-bit range becomes a surrogate pair.
    EXPECT_EQ(ToWidePath("C:\\\xF0\x9F\x98\x80"), L"\\\\?\\C:\\\xD83D\xDE00");
    EXPECT_EQ(ToWidePath(""), L"");
}

TEST(ToWidePath, LeavesPathsThePrefixCannotCarry)
{
    // The prefix turns off normalisation, so these keep the ordinary parsing.
    EXPECT_EQ(ToWidePath("C:"), L"C:");
    EXPECT_EQ(ToWidePath("C:dir\\x"), L"C:dir\\x");
    EXPECT_EQ(ToWidePath("dir\\x"), L"dir\\x");
    EXPECT_EQ(ToWidePath("C:\\a\\..\\b"), L"C:\\a\\..\\b");
    EXPECT_EQ(ToWidePath("C:\\a\\.\\b"), L"C:\\a\\.\\b");
    EXPECT_EQ(ToWidePath("C:\\a\\\\b"), L"C:\\a\\\\b");
    EXPECT_EQ(ToWidePath("\\\\server"), L"\\\\server");
    EXPECT_EQ(ToWidePath("\\\\?\\C:\\x"), L"\\\\?\\C:\\x");
    EXPECT_EQ(ToWidePath("\\\\.\\C:"), L"\\\\.\\C:");
    // A component that merely starts with dots is a real name.
    EXPECT_EQ(ToWidePath("C:\\a\\...\\.b"), L"\\\\?\\C:\\a\\...\\.b");
}

TEST_F(FileSystemLayer, ListsNamesSizesAndKindsInUtf8)
{
    ASSERT_TRUE(MakeFile(m_root + L"\\na\u00EFve-\u6587\u4EF6.txt", 1234));
    ASSERT_TRUE(MakeFile(m_root + L"\\empty.bin", 0));
    ASSERT_TRUE(CreateDirectoryW(Prefixed(m_root + L"\\r\u00E9pertoire-\u76EE\u5F55").c_str(), nullptr));
    // 7 March 2002, 14:05:09, stored as is.
    const std::uint64_t written = 126599835090000000ULL;
    ASSERT_TRUE(SetWriteTime(m_root + L"\\na\u00EFve-\u6587\u4EF6.txt", written));

    auto entries = List(m_rootUtf8 + "\\*.*");
    ASSERT_EQ(entries.size(), 5u);

    ASSERT_TRUE(entries.count("."));
    ASSERT_TRUE(entries.count(".."));
    EXPECT_TRUE(entries["."].dots);
    EXPECT_TRUE(entries[".."].dots);
    EXPECT_TRUE(entries["."].directory);

    ASSERT_TRUE(entries.count("naïve-文件.txt"));
    const Found& file = entries["naïve-文件.txt"];
    EXPECT_EQ(file.size, 1234);
    EXPECT_FALSE(file.directory);
    EXPECT_FALSE(file.dots);
    EXPECT_FALSE(file.link);
    EXPECT_EQ(file.written, written);
    EXPECT_EQ(FormatDateText(file.written), "3/07/2002 14:05:09");

    ASSERT_TRUE(entries.count("empty.bin"));
    EXPECT_EQ(entries["empty.bin"].size, 0);

    ASSERT_TRUE(entries.count("répertoire-目录"));
    EXPECT_TRUE(entries["répertoire-目录"].directory);
    EXPECT_FALSE(entries["répertoire-目录"].dots);
    EXPECT_FALSE(entries["répertoire-目录"].link);

    // A pattern narrows the search like the system's own matching.
    auto texts = List(m_rootUtf8 + "\\*.txt");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts.begin()->first, "naïve-文件.txt");
}

TEST_F(FileSystemLayer, SearchThatCannotStartReportsFalse)
{
    CFileFind find;
    EXPECT_FALSE(find.FindFile(m_rootUtf8 + "\\missing\\*.*"));
    EXPECT_FALSE(find.FindNextFile());
    EXPECT_TRUE(find.GetFileName().IsEmpty());
    EXPECT_FALSE(find.FindFile(m_rootUtf8 + "\\*.none"));
    const CString unused = UnusedDrive();
    if (!unused.IsEmpty()) {
        EXPECT_FALSE(find.FindFile(unused + "\\*.*"));
    }

    // The same object starts again after a failure, and stops at the end for good.
    ASSERT_TRUE(MakeFile(m_root + L"\\only.dat", 3));
    ASSERT_TRUE(find.FindFile(m_rootUtf8 + "\\only.dat"));
    EXPECT_EQ(find.GetFileName(), "only.dat");
    EXPECT_EQ(find.GetLength(), 3);
    EXPECT_FALSE(find.FindNextFile());
    EXPECT_FALSE(find.FindNextFile());
    find.Close();
    EXPECT_FALSE(find.FindNextFile());
}

TEST_F(FileSystemLayer, ReportsSizesBeyondFourGigabytes)
{
    const std::int64_t size = 5LL * 1024 * 1024 * 1024 + 3;
    ASSERT_TRUE(MakeFile(m_root + L"\\big.bin", size));
    // Exactly 4 GiB: the low half is 0, only the high half carries the size.
    ASSERT_TRUE(MakeFile(m_root + L"\\four.bin", 4294967296LL));

    auto entries = List(m_rootUtf8 + "\\*.bin");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries["big.bin"].size, size);
    EXPECT_EQ(entries["four.bin"].size, 4294967296LL);

    CDirEntry record;
    record.SetSize(entries["four.bin"].size);
    EXPECT_EQ(record.GetSizeText(), "4,294,967,296");
}

TEST_F(FileSystemLayer, ReachesAndDeletesBeyondTheLegacyPathLimit)
{
    // Seven nested folders of 45 characters each.
    std::wstring deep = m_root;
    for (int level = 0; level < 7; ++level) {
        deep += L"\\" + std::to_wstring(level) + std::wstring(44, static_cast<wchar_t>(L'a' + level));
        ASSERT_TRUE(CreateDirectoryW(Prefixed(deep).c_str(), nullptr)) << level;
    }
    const std::wstring file = deep + L"\\deep-\u6587\u4EF6.txt";
    ASSERT_TRUE(MakeFile(file, 777));
    const CString deepUtf8 = WideToUtf8(deep);
    ASSERT_GT(deepUtf8.GetLength() + 20, 300);

    auto entries = List(deepUtf8 + "\\*.*");
    ASSERT_TRUE(entries.count("deep-文件.txt"));
    EXPECT_EQ(entries["deep-文件.txt"].size, 777);

    // The parent sees the deepest folder as a folder too.
    const size_t cut = deep.rfind(L'\\');
    auto parent = List(WideToUtf8(deep.substr(0, cut)) + "\\*.*");
    EXPECT_TRUE(parent[WideToUtf8(deep.substr(cut + 1)).str()].directory);

    EXPECT_FALSE(RemoveDirectoryUtf8(deepUtf8)); // not empty yet
    EXPECT_TRUE(Exists(deep));
    EXPECT_TRUE(DeleteFileUtf8(deepUtf8 + "\\deep-文件.txt"));
    EXPECT_FALSE(Exists(file));
    EXPECT_FALSE(DeleteFileUtf8(deepUtf8 + "\\deep-文件.txt"));
    EXPECT_TRUE(RemoveDirectoryUtf8(deepUtf8));
    EXPECT_FALSE(Exists(deep));
}

TEST_F(FileSystemLayer, DeletesFilesAndFoldersByUtf8Name)
{
    ASSERT_TRUE(MakeFile(m_root + L"\\na\u00EFve-\u6587\u4EF6.txt", 10));
    ASSERT_TRUE(CreateDirectoryW(Prefixed(m_root + L"\\r\u00E9pertoire-\u76EE\u5F55").c_str(), nullptr));

    EXPECT_TRUE(DeleteFileUtf8(m_rootUtf8 + "\\naïve-文件.txt"));
    EXPECT_FALSE(Exists(m_root + L"\\na\u00EFve-\u6587\u4EF6.txt"));
    EXPECT_TRUE(RemoveDirectoryUtf8(m_rootUtf8 + "\\répertoire-目录"));
    EXPECT_FALSE(Exists(m_root + L"\\r\u00E9pertoire-\u76EE\u5F55"));
    EXPECT_FALSE(RemoveDirectoryUtf8(m_rootUtf8 + "\\répertoire-目录"));
}

TEST(ReparsePoints, OnlyFoldersThatNameAnotherPlaceAreLinks)
{
    const DWORD folder = FILE_ATTRIBUTE_DIRECTORY;
    const DWORD reparse = FILE_ATTRIBUTE_REPARSE_POINT;
    EXPECT_TRUE(CFileFind::IsNameSurrogateLink(folder | reparse, IO_REPARSE_TAG_MOUNT_POINT));
    EXPECT_TRUE(CFileFind::IsNameSurrogateLink(folder | reparse, IO_REPARSE_TAG_SYMLINK));
    // Wine's symbolic links carry no tag.
    EXPECT_TRUE(CFileFind::IsNameSurrogateLink(folder | reparse, 0));
    EXPECT_TRUE(CFileFind::IsNameSurrogateLink(folder | reparse | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,
                                               IO_REPARSE_TAG_MOUNT_POINT));
    // Cloud placeholders and deduplicated data are ordinary folders.
    EXPECT_FALSE(CFileFind::IsNameSurrogateLink(folder | reparse, 0x9000601Au));
    EXPECT_FALSE(CFileFind::IsNameSurrogateLink(folder | reparse, 0x80000013u));
    // A tag without the attribute means nothing, and files are never entered anyway.
    EXPECT_FALSE(CFileFind::IsNameSurrogateLink(folder, IO_REPARSE_TAG_SYMLINK));
    EXPECT_FALSE(CFileFind::IsNameSurrogateLink(folder, 0));
    EXPECT_FALSE(CFileFind::IsNameSurrogateLink(reparse, IO_REPARSE_TAG_SYMLINK));
    EXPECT_FALSE(CFileFind::IsNameSurrogateLink(FILE_ATTRIBUTE_ARCHIVE, 0));
}

TEST(ReparsePoints, ProfileLinksAreReportedAsLinks)
{
    // The user profile holds links made by the system itself: junctions such
    // as "Application Data" on Windows, symbolic links to the Unix home for
    // Desktop and Documents under Wine. Only the listing is read.
    wchar_t profile[32768] = {};
    DWORD len = GetEnvironmentVariableW(L"USERPROFILE", profile, 32768);
    if (len == 0 || len >= 32768) GTEST_SKIP() << "no user profile";
    const CString pattern = WideToUtf8(std::wstring(profile, len)) + "\\*.*";

    int links = 0, folders = 0;
    CFileFind find;
    ASSERT_TRUE(find.FindFile(pattern));
    do {
        if (!find.IsDirectory() || find.IsDots()) continue;
        if (find.GetAttributes() & FILE_ATTRIBUTE_REPARSE_POINT) {
            EXPECT_TRUE(find.IsNameSurrogateLink()) << find.GetFileName().str() << " tag " << find.GetReparseTag();
            ++links;
        } else {
            EXPECT_FALSE(find.IsNameSurrogateLink()) << find.GetFileName().str();
            EXPECT_EQ(find.GetReparseTag(), 0u);
            ++folders;
        }
    } while (find.FindNextFile());
    EXPECT_GT(folders, 0);
    if (links == 0) GTEST_SKIP() << "the profile holds no linked folder";
}

TEST_F(FileSystemLayer, SymbolicLinkToAFolderIsALink)
{
    const std::wstring target = m_root + L"\\target";
    ASSERT_TRUE(CreateDirectoryW(Prefixed(target).c_str(), nullptr));
    ASSERT_TRUE(MakeFile(target + L"\\inside.txt", 5));
    const std::wstring link = m_root + L"\\link";
    // Wine 8 answers TRUE without making the link; only a link that exists counts.
    if (!CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) || !Exists(link)) {
        GTEST_SKIP() << "symbolic links cannot be made here";
    }

    CFileFind find;
    ASSERT_TRUE(find.FindFile(m_rootUtf8 + "\\link"));
    EXPECT_TRUE(find.IsDirectory());
    EXPECT_TRUE(find.IsNameSurrogateLink());
    EXPECT_TRUE(find.GetReparseTag() == 0 || find.GetReparseTag() == IO_REPARSE_TAG_SYMLINK) << find.GetReparseTag();

    ASSERT_TRUE(find.FindFile(m_rootUtf8 + "\\target"));
    EXPECT_FALSE(find.IsNameSurrogateLink());

    // Removing the link leaves what it points at.
    EXPECT_TRUE(RemoveDirectoryUtf8(m_rootUtf8 + "\\link"));
    EXPECT_FALSE(Exists(link));
    EXPECT_TRUE(Exists(target + L"\\inside.txt"));
}

TEST_F(FileSystemLayer, VolumeQueriesAnswerForTheTemporaryDrive)
{
    const CString root = m_rootUtf8.Left(3); // "C:\"
    DWORD sectors = 0, bytes = 0, freeClusters = 0, totalClusters = 0;
    ASSERT_TRUE(GetDiskFreeSpaceUtf8(root, &sectors, &bytes, &freeClusters, &totalClusters));
    EXPECT_GT(sectors, 0u);
    EXPECT_GT(bytes, 0u);
    EXPECT_GT(totalClusters, 0u);

    std::uint64_t available = 0, total = 0, totalFree = 0;
    ASSERT_TRUE(GetDiskFreeSpaceExUtf8(root, &available, &total, &totalFree));
    EXPECT_GT(total, 0u);
    EXPECT_LE(totalFree, total);
    EXPECT_TRUE(GetDiskFreeSpaceExUtf8(m_rootUtf8 + "\\", nullptr, &total, nullptr));

    CString label("unchanged"), fileSystem;
    DWORD serial = 0, maxComponent = 0, flags = 0;
    ASSERT_TRUE(GetVolumeInformationUtf8(root, &label, &serial, &maxComponent, &flags, &fileSystem));
    EXPECT_GT(maxComponent, 0u);
    EXPECT_FALSE(fileSystem.IsEmpty());
    EXPECT_NE(label, "unchanged");

    const CString unused = UnusedDrive();
    if (!unused.IsEmpty()) {
        EXPECT_FALSE(GetDiskFreeSpaceExUtf8(unused + "\\", &available, &total, &totalFree));
        EXPECT_FALSE(GetVolumeInformationUtf8(unused + "\\", &label, nullptr, nullptr, nullptr, nullptr));
    }
}
