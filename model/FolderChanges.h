#pragma once
// What changed in a drive since an earlier folders report: the report read
// back, safely, and compared with the folders as they are now. Pure C++ (no
// windows.h) so that it is tested natively too.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A folders report as the command line writes it: one row per folder of a
// part of the drive, the part's own folder first.
struct EarlierReport {
    struct Folder {
        std::string path;
        std::int64_t total = 0;
    };
    std::vector<Folder> folders;
    std::string searched; // when the search began, "2026-11-10 02:00:00"
    const std::string& Top() const { return folders.front().path; }
};

// The most a report may hold: a file larger than this is refused unread.
inline constexpr std::size_t kLargestReportBytes = std::size_t{512} << 20;

// Reads the bytes of a folders report. False, with what is wrong in `problem`
// (a sentence), for anything that is not one: another header, a row of
// other fields, a size that is no byte count, a path twice or outside the
// report's first folder, a line that never ends.
bool ReadFolderReport(std::string_view bytes, EarlierReport& report, std::string& problem);

// A folder as the drive holds it now: its path, its total and the bytes of
// its own files (its total less its subfolders').
struct FolderNow {
    std::string path;
    std::int64_t total = 0;
    std::int64_t own = 0;
    std::uintptr_t item = 0; // the caller's own handle of the folder
};

struct FolderChange {
    enum class State { Changed, New, Gone };
    std::string path;
    std::int64_t change = 0; // of its own bytes: now less then
    std::int64_t now = 0;    // its total now (0 when gone)
    std::int64_t then = 0;   // its total then (0 when new)
    State state = State::Changed;
    std::uintptr_t item = 0; // FolderNow::item of a folder still there
};

// The folders whose own bytes changed, and those new or gone (paths compared
// without regard to letter case), at most `limit` of them, the largest
// changes kept; growth first, largest first, losses after it.
std::vector<FolderChange> CompareFolders(const EarlierReport& then, const std::vector<FolderNow>& now,
                                         std::size_t limit = 1000);

// "+1,234,567", "-12,345", "0".
std::string SignedSizeText(std::int64_t change);
