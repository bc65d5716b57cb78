#pragma once
// The folders report of the command line: one row per folder of a part of the
// drive's tree, in the tree's order (depth first, each folder's subfolders as
// the tree holds them), with the folder's path, its total bytes, how many
// files and folders lie below it, its last-write time, whether it could not
// be read (wholly or part-way), and when the search began.
#include "framework/CTreeView.h"

#include <atomic>

class CCsvReport;
class CHeftDoc;

// The header's names, in their order.
extern const char* const kFolderReportColumns[7];

// Writes the header and the rows of the folder `top` and everything below it.
// False when the report could not be written, or when `stop` went up.
bool WriteFolderReport(CHeftDoc& doc, HTREEITEM top, CCsvReport& report, const std::atomic<bool>* stop);
