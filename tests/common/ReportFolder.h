#pragma once
// A folder of the running test's own for the reports it writes, in the
// scratch folder of the fixtures (emptied after every test executable), and
// what lies in it.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/common/UnixCommand.h"

// The folder, as Linux names it (made on first use).
inline std::string ReportFolderUnix()
{
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string folder = unixcmd::Scratch() + "/reports-" + test->name();
    CreateDirectoryW(Utf8ToWide(unixcmd::WindowsPath(folder)).c_str(), nullptr);
    return folder;
}
inline std::string ReportUnix(const std::string& name)
{
    return ReportFolderUnix() + "/" + name;
}
inline std::string ReportWindows(const std::string& name)
{
    return unixcmd::WindowsPath(ReportUnix(name));
}

inline std::string ReadWhole(const std::string& windowsPath)
{
    std::ifstream in(windowsPath, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The names in the test's report folder.
inline std::vector<std::string> ReportNames()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(Utf8ToWide(ReportWindows("*")).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = WideToUtf8(found.cFileName).str();
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}
