#pragma once
// The report the command line asks for, written with no window at all:
//     heftscope.exe /export REPORT.csv PATH [/listing NAME]
// searches PATH (a drive "D:" or a folder "D:\Data") with the drive
// document's own search, hidden, and writes REPORT.csv. The program then ends
// with one of the exit codes below.
#include "framework/CString.h"

#include <vector>

namespace cmdreport {

enum ExitCode : int {
    kWritten = 0,
    kBadCommandLine = 1,
    kCannotSearch = 2,
    kCannotWrite = 3,
    kCancelled = 4,
};

// What a report holds: one row per folder, or one of the list's listings.
enum class Listing { Folders, LargestFiles, FileTypes, Changes };

struct Request {
    CString report; // REPORT.csv as given
    CString path;   // PATH as given
    Listing listing = Listing::Folders;
    CString since;  // the earlier folders report of /listing changes
};

// Whether the arguments (without the program's name) ask for a report.
bool AsksForReport(const std::vector<CString>& args);
// The request the arguments make; false, with what is wrong, when they make
// none the program can write.
bool Parse(const std::vector<CString>& args, Request& request, CString& problem);
// Printed after the problem of a bad command line.
extern const char* const kUsage;

} // namespace cmdreport
