#include "model/ScanSummary.h"

CString ScanSummaryText(const ScanSummary& summary)
{
    CString text;
    text.Format(summary.method == ScanSummary::Method::MasterFileTable ? "Searched the master file table in %.1f s"
                                                                       : "Searched folder by folder in %.1f s",
                summary.seconds);
    CString part;
    if (summary.skippedRecords > 0) {
        part.Format("; %llu damaged record%s skipped", static_cast<unsigned long long>(summary.skippedRecords),
                    summary.skippedRecords == 1 ? "" : "s");
        text += part;
    }
    if (summary.unreadableFolders > 0) {
        part.Format("; %d folder%s could not be read", summary.unreadableFolders,
                    summary.unreadableFolders == 1 ? "" : "s");
        text += part;
    }
    if (summary.administratorWouldHelp) text += "; run Heftscope as administrator for the fast search";
    return text;
}
