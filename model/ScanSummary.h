#pragma once
// What the status bar says once a drive has been searched: which search ran
// and how long it took, then what the user should know about its result.
// Pure C++ (no windows.h), tested natively.
#include <cstdint>

#include "framework/CString.h"

struct ScanSummary {
    enum class Method { Walk, MasterFileTable } method = Method::Walk;
    double seconds = 0;
    std::uint64_t skippedRecords = 0; // damaged records of the master file table
    int unreadableFolders = 0;        // folders the walk could not search
    // An NTFS volume this user may not open: an administrator gets the fast search.
    bool administratorWouldHelp = false;
};

CString ScanSummaryText(const ScanSummary& summary);
