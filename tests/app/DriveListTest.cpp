// The drive list: the present drives' roots, and the shell's name and small
// icon of each drive at the drive's position.
#include "app/CMainFrame.h"
#include "app/DriveList.h"
#include "framework/Utf16.h"
#include "tests/common/FixtureDrive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// "A:\", "C:\", ... for the bits of a drive mask, in letter order.
std::vector<std::string> RootsOfMask(DWORD mask)
{
    std::vector<std::string> roots;
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        if (mask & (1u << (letter - 'A'))) roots.push_back(std::string(1, letter) + ":\\");
    return roots;
}

std::vector<std::string> Strings(const std::vector<CString>& texts)
{
    std::vector<std::string> out;
    for (const CString& text : texts) out.push_back(text.str());
    return out;
}

bool Contains(const std::vector<std::string>& list, const std::string& item)
{
    return std::find(list.begin(), list.end(), item) != list.end();
}

int SmallIconOf(const char* path)
{
    SHFILEINFOW sfi{};
    SHGetFileInfoW(Utf8ToWide(path).c_str(), 0, &sfi, sizeof(sfi), SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    return sfi.iIcon;
}

// A letter that names no drive at the moment.
char AbsentLetter()
{
    DWORD mask = GetLogicalDrives();
    for (char letter = 'Y'; letter >= 'D'; --letter)
        if (!(mask & (1u << (letter - 'A')))) return letter;
    return 0;
}

// Every position names the drive of the root at the same position, with the
// shell's own name (not the bare root) and the shell's icon of that root.
void ExpectNamesMatchRoots(const std::vector<CString>& roots)
{
    ASSERT_EQ(g_arrShellDriveNames.size(), roots.size());
    for (size_t i = 0; i < roots.size(); ++i) {
        const CString& root = roots[i];
        const CString& name = g_arrShellDriveNames[i];
        SCOPED_TRACE("position " + std::to_string(i) + ", root " + root.str() + ", name " + name.str());
        EXPECT_GE(name.Find(root.Left(2)), 0);
        EXPECT_NE(name, root);
        EXPECT_NE(name, root.Left(2));
        EXPECT_EQ(g_nShellDriveIcon[i], SmallIconOf(root));
    }
}

} // namespace

TEST(DriveListTest, RootsAreThePresentDrivesInLetterOrderAndAreReadAfresh)
{
    FixtureDrive t('T');
    CMainFrame frame;
    frame.ReadLogicalDrives();
    EXPECT_EQ(frame.m_dwLogicalDrives, GetLogicalDrives());
    EXPECT_EQ(Strings(frame.m_arrRootPaths), RootsOfMask(GetLogicalDrives()));
    EXPECT_TRUE(Contains(Strings(frame.m_arrRootPaths), "T:\\"));

    // The old roots are replaced, not kept beside the new ones.
    t.Unmount();
    frame.ReadLogicalDrives();
    EXPECT_EQ(frame.m_dwLogicalDrives, GetLogicalDrives());
    EXPECT_EQ(Strings(frame.m_arrRootPaths), RootsOfMask(GetLogicalDrives()));
    EXPECT_FALSE(Contains(Strings(frame.m_arrRootPaths), "T:\\"));
}

TEST(DriveListTest, EachPositionHoldsTheShellNameAndIconOfItsDrive)
{
    // A CD-ROM drive among fixed ones: its icon differs, so an icon taken
    // from a neighbour's position shows.
    FixtureDrive t('T');
    t.SetType(DRIVE_CDROM);
    FixtureDrive w('W');
    ASSERT_NE(SmallIconOf("T:\\"), SmallIconOf("W:\\"));

    CMainFrame frame;
    frame.ReadLogicalDrives();
    CollectShellDriveNames(frame.m_arrRootPaths);
    ExpectNamesMatchRoots(frame.m_arrRootPaths);

    // Collected again for changed drives: the arrays are refilled, not appended to.
    w.Unmount();
    FixtureDrive u('U');
    frame.ReadLogicalDrives();
    CollectShellDriveNames(frame.m_arrRootPaths);
    ExpectNamesMatchRoots(frame.m_arrRootPaths);
    EXPECT_FALSE(Contains(Strings(frame.m_arrRootPaths), "W:\\"));
}

TEST(DriveListTest, NamesGoByDriveLetterNotByTheShellsOrder)
{
    FixtureDrive t('T');
    char absent = AbsentLetter();
    ASSERT_NE(absent, 0);
    const std::string absentRoot = std::string(1, absent) + ":\\";

    // Roots in an order the shell does not list them in, and a root the
    // shell does not know: each keeps its position.
    std::vector<CString> roots = {CString("T:\\"), CString(absentRoot), CString("C:\\")};
    CollectShellDriveNames(roots);
    ASSERT_EQ(g_arrShellDriveNames.size(), 3u);
    EXPECT_GE(g_arrShellDriveNames[0].Find("T:"), 0) << g_arrShellDriveNames[0].str();
    EXPECT_EQ(g_arrShellDriveNames[1], absentRoot.substr(0, 2).c_str());
    EXPECT_GE(g_arrShellDriveNames[2].Find("C:"), 0) << g_arrShellDriveNames[2].str();
    EXPECT_EQ(g_nShellDriveIcon[0], SmallIconOf("T:\\"));
    EXPECT_EQ(g_nShellDriveIcon[2], SmallIconOf("C:\\"));

    CollectShellDriveNames({});
    EXPECT_TRUE(g_arrShellDriveNames.empty());
}

TEST(DriveListTest, MyComputerGivesOneItemPerDriveAndNothingElse)
{
    FixtureDrive t('T');
    LPITEMIDLIST computer = nullptr;
    ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer)));
    IShellFolder* desktop = nullptr;
    IShellFolder* folder = nullptr;
    ASSERT_TRUE(SUCCEEDED(SHGetDesktopFolder(&desktop)));
    ASSERT_TRUE(SUCCEEDED(desktop->BindToObject(computer, nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder))));

    std::vector<ShellDriveItem> items;
    EnumShellDriveItems(folder, computer, items);
    folder->Release();
    desktop->Release();
    CoTaskMemFree(computer);

    // My Computer lists more than drives (Control Panel, and on Windows the
    // user's folders); only the drives come back, each once.
    std::string letters;
    for (const ShellDriveItem& item : items) letters += item.chLetter;
    std::string expected;
    for (const std::string& root : RootsOfMask(GetLogicalDrives())) expected += root[0];
    std::string sorted = letters;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, expected);

    auto fixture = std::find_if(items.begin(), items.end(), [](const ShellDriveItem& item) { return item.chLetter == 'T'; });
    ASSERT_NE(fixture, items.end());
    EXPECT_GE(fixture->strDisplayName.Find("T:"), 0) << fixture->strDisplayName.str();
    EXPECT_NE(fixture->strDisplayName, "T:\\");
    EXPECT_EQ(fixture->nIcon, SmallIconOf("T:\\"));
}
