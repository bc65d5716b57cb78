#pragma once
// Linux programs run from a test under Wine (pdftotext for the printed
// reports, Python's csv module for the exported ones), and the Unix paths
// they take. Wine starts a Linux program like any other, but neither waits
// for it nor learns its exit code: the shell writes the code into a file.
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "framework/Utf16.h"

namespace unixcmd {

// A Unix path as this Windows process reaches it ("Z:\...").
inline std::string WindowsPath(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

// A folder for scratch files: the fixtures folder, emptied after every test executable.
inline std::string Scratch()
{
    const char* fixtures = std::getenv("HEFT_FIXTURES_UNIX");
    return fixtures ? fixtures : "/tmp";
}

// Runs a shell command line of Linux and waits for it; its exit code, or -1.
inline int Run(const std::string& command, int seconds = 60)
{
    static int serial = 0;
    const std::string base =
        Scratch() + "/unix-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++serial);
    const std::string done = base + ".status";
    std::string line = "/bin/sh -c \"" + command + "; echo $? > '" + base + ".tmp' && mv '" + base + ".tmp' '" +
                       done + "'\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return -1;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int waited = 0; waited < seconds * 50; ++waited) {
        std::ifstream status(WindowsPath(done));
        int code = -1;
        if (status >> code) {
            status.close();
            DeleteFileW(Utf8ToWide(WindowsPath(done)).c_str());
            return code;
        }
        Sleep(20);
    }
    return -1;
}

// Its standard output, through a file in the scratch folder; empty when it failed.
inline std::string Output(const std::string& command)
{
    const std::string out = Scratch() + "/unix-output.txt";
    if (Run(command + " > '" + out + "'") != 0) return std::string();
    std::ifstream file(WindowsPath(out), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace unixcmd
