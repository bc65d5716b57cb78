// The profile under the registry key, the recent-file list and the command line.
#include "framework/CWinApp.h"

#include <gtest/gtest.h>

namespace {

class ProfileApp : public CWinApp {
public:
    ProfileApp() : CWinApp("HEFT") {}
};

void DeleteProfile()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tamrisk Architects\\HEFT");
}

CString ReadRegistryString(const char* valueName)
{
    char value[1024] = {};
    DWORD bytes = sizeof(value);
    if (RegGetValueA(HKEY_CURRENT_USER, "Software\\Tamrisk Architects\\HEFT\\Recent File List", valueName,
                     RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS)
        return CString("<absent>");
    return CString(value);
}

CCommandLineInfo Parse(const char* commandLine)
{
    ProfileApp app;
    CCommandLineInfo info;
    app.ParseCommandLine(info, SplitCommandLine(commandLine));
    return info;
}

} // namespace

TEST(Profile, RecentFileListRoundTripUnderCompanyKey)
{
    DeleteProfile();
    {
        ProfileApp app;
        app.SetRegistryKey("Tamrisk Architects");
        app.LoadStdProfileSettings(4);
        EXPECT_EQ(app.GetProfileKeyPath(), "Software\\Tamrisk Architects\\HEFT");
        ASSERT_NE(app.GetRecentFileList(), nullptr);
        EXPECT_EQ(app.GetRecentFileList()->GetCount(), 0);
        for (const char* path : {"A:\\", "C:\\", "D:\\", "E:\\", "F:\\"}) app.AddToRecentFileList(path);
        // The same path in other letters moves to the front instead of appearing twice.
        app.AddToRecentFileList("d:\\");
        EXPECT_EQ(app.ExitInstance(), 0); // what Exit runs: the list is written back
    }
    EXPECT_EQ(ReadRegistryString("File1"), "d:\\");
    EXPECT_EQ(ReadRegistryString("File2"), "F:\\");
    EXPECT_EQ(ReadRegistryString("File3"), "E:\\");
    EXPECT_EQ(ReadRegistryString("File4"), "C:\\");
    EXPECT_EQ(ReadRegistryString("File5"), "<absent>");

    ProfileApp again;
    again.SetRegistryKey("Tamrisk Architects");
    again.LoadStdProfileSettings(4);
    const CRecentFileList& list = *again.GetRecentFileList();
    ASSERT_EQ(list.GetCount(), 4);
    EXPECT_EQ(list[0], "d:\\");
    EXPECT_EQ(list[3], "C:\\");
    DeleteProfile();
}

TEST(Profile, StringsAndNumbersRoundTrip)
{
    DeleteProfile();
    ProfileApp app;
    app.SetRegistryKey("Tamrisk Architects");
    EXPECT_EQ(app.GetProfileString("Settings", "Missing", "fallback"), "fallback");
    EXPECT_EQ(app.GetProfileInt("Settings", "Missing", 42), 42u);
    EXPECT_TRUE(app.WriteProfileString("Settings", "Name", "naïve-文件"));
    EXPECT_TRUE(app.WriteProfileInt("Settings", "Pages", 3));
    EXPECT_EQ(app.GetProfileString("Settings", "Name"), "naïve-文件");
    EXPECT_EQ(app.GetProfileInt("Settings", "Pages", 0), 3u);
    EXPECT_TRUE(app.WriteProfileString("Settings", "Name", nullptr));
    EXPECT_EQ(app.GetProfileString("Settings", "Name", "gone"), "gone");
    DeleteProfile();
}

TEST(CommandLine, SplitsLikeTheRuntime)
{
    auto args = SplitCommandLine("prog.exe  \"C:\\Program Files\\x\" plain\\path \"a\\\"b\" \"\"");
    ASSERT_EQ(args.size(), 5u);
    EXPECT_EQ(args[0], "prog.exe");
    EXPECT_EQ(args[1], "C:\\Program Files\\x");
    EXPECT_EQ(args[2], "plain\\path");
    EXPECT_EQ(args[3], "a\"b");
    EXPECT_EQ(args[4], "");
    EXPECT_TRUE(SplitCommandLine("   ").empty());
}

TEST(CommandLine, FirstArgumentThatIsNotAFlagIsTheFile)
{
    CCommandLineInfo none = Parse("");
    EXPECT_EQ(none.m_nShellCommand, CCommandLineInfo::FileNew);
    EXPECT_TRUE(none.m_strFileName.IsEmpty());

    CCommandLineInfo drive = Parse("D:");
    EXPECT_EQ(drive.m_nShellCommand, CCommandLineInfo::FileOpen);
    EXPECT_EQ(drive.m_strFileName, "D:");

    CCommandLineInfo folder = Parse("/nologo \"E:\\My Folder\\sub\" extra");
    EXPECT_EQ(folder.m_nShellCommand, CCommandLineInfo::FileOpen);
    EXPECT_EQ(folder.m_strFileName, "E:\\My Folder\\sub");

    CCommandLineInfo print = Parse("/p C:");
    EXPECT_EQ(print.m_nShellCommand, CCommandLineInfo::FilePrint);
    EXPECT_EQ(print.m_strFileName, "C:");

    CCommandLineInfo printTo = Parse("-pt C: \"HP LaserJet\" winspool LPT1:");
    EXPECT_EQ(printTo.m_nShellCommand, CCommandLineInfo::FilePrintTo);
    EXPECT_EQ(printTo.m_strFileName, "C:");
    EXPECT_EQ(printTo.m_strPrinterName, "HP LaserJet");
    EXPECT_EQ(printTo.m_strDriverName, "winspool");
    EXPECT_EQ(printTo.m_strPortName, "LPT1:");

    CCommandLineInfo dde = Parse("/dde");
    EXPECT_EQ(dde.m_nShellCommand, CCommandLineInfo::FileDDE);
    CCommandLineInfo embedded = Parse("/Embedding");
    EXPECT_TRUE(embedded.m_bRunEmbedded);
    EXPECT_FALSE(embedded.m_bShowSplash);
}
