#pragma once
// Runs the program itself, heftscope.exe beside the test executable, as a
// process of its own with the given arguments, and waits for it: its exit
// code and what it wrote to its standard output.
#include <windows.h>

#include <string>
#include <vector>

#include "framework/CFileFind.h"
#include "framework/Utf16.h"

struct ProgramRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;
};

// One argument as the C runtime splits a command line: in quotes, with the
// backslashes before a quote doubled.
inline std::string QuotedArgument(const std::string& arg)
{
    std::string quoted = "\"";
    size_t slashes = 0;
    for (const char c : arg) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        quoted.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
        slashes = 0;
        quoted += c;
    }
    quoted.append(slashes * 2, '\\');
    return quoted + "\"";
}

inline ProgramRun RunProgram(const std::vector<std::string>& args, DWORD timeoutMs = 120000)
{
    ProgramRun run;
    const CString test = GetModuleFileNameUtf8(nullptr);
    const CString program = test.Left(test.ReverseFind('\\') + 1) + "heftscope.exe";
    std::string line = QuotedArgument(program.str());
    for (const std::string& arg : args) line += " " + QuotedArgument(arg);

    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    std::wstring wide = Utf8ToWide(line);
    const BOOL started = CreateProcessW(nullptr, wide.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                        &process);
    CloseHandle(writeEnd);
    if (started) {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof(buffer), &got, nullptr) && got > 0) run.output.append(buffer, got);
        if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &run.exitCode);
        else
            TerminateProcess(process.hProcess, 0xFFFFFFFF);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    return run;
}
