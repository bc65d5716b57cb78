// The command-line report: parsing its arguments, and CHeftApp's run of it,
// which searches with the drive document of the window, hidden and
// unattended, and writes the report through the same CSV writer and the same
// safe write as the list's export.
#include "app/CommandLineReport.h"

#include "app/CHeftApp.h"
#include "document/CHeftDoc.h"
#include "framework/CFileFind.h"
#include "framework/CReportFile.h"
#include "framework/ParentConsole.h"
#include "framework/SystemError.h"
#include "reports/CsvReport.h"
#include "model/CDirEntry.h"
#include "reports/FolderReport.h"
#include "views/CHeftList.h"

#include <atomic>
#include <cctype>

namespace cmdreport {

const char* const kUsage =
    "Usage: heftscope.exe /export REPORT.csv PATH [/listing files|types|changes /since OLD.csv]\r\n"
    "Searches PATH, a drive such as D: or a folder such as D:\\Data, and writes REPORT.csv\r\n"
    "with one row per folder: Path, Size, Files, Folders, Last Written, Unreadable, Searched.\r\n"
    "/listing files writes the largest files of PATH instead, /listing types its file types:\r\n"
    "Name, Path, Size, Percent, Type, Last Written, then Folder or Files.\r\n"
    "/listing changes /since OLD.csv writes what changed since that folders report:\r\n"
    "Path, Change, Size now, Size then, State.\r\n"
    "Exit code: 0 written, 1 bad command line, 2 PATH cannot be searched,\r\n"
    "3 the report cannot be written, 4 cancelled.";

namespace {

using ListingWriter = bool (*)(CHeftDoc& doc, HTREEITEM top, CCsvReport& report, const std::atomic<bool>* stop);

// A listing of the list, of the folder `top`, as Export List writes it: the
// largest files of the drive that lie in the folder, or the folder's types.
bool WriteListing(CHeftDoc& doc, HTREEITEM top, CCsvReport& report, ListState state)
{
    auto* list = dynamic_cast<CHeftList*>(doc.GetView(1));
    if (!list || !doc.m_pTreeCtrl) return false;
    doc.m_pTreeCtrl->SelectItem(top);
    doc.SetListState(state);
    doc.FillListing(*list);
    const CString folder = doc.FolderPath(top);
    for (int row = list->GetRowCount(); row-- > 0;) {
        const auto* listed = dynamic_cast<const CListedEntry*>(list->GetRowRecord(row));
        if (listed && !listed->m_strFolder.IsEmpty() && !CHeftDoc::IsSameOrInside(listed->m_strFolder, folder))
            list->RemoveRow(row);
    }
    return list->WriteRows(report);
}

bool WriteLargestFiles(CHeftDoc& doc, HTREEITEM top, CCsvReport& report, const std::atomic<bool>*)
{
    return WriteListing(doc, top, report, ListState::LargestFiles);
}

bool WriteFileTypes(CHeftDoc& doc, HTREEITEM top, CCsvReport& report, const std::atomic<bool>*)
{
    return WriteListing(doc, top, report, ListState::FileTypes);
}

// The changes since the earlier report the document holds, of PATH's part.
bool WriteChanges(CHeftDoc& doc, HTREEITEM top, CCsvReport& report, const std::atomic<bool>*)
{
    CCsvWriter& csv = report.Csv();
    for (const char* column : {"Path", "Change", "Size now", "Size then", "State"}) csv.Text(column);
    if (!report.EndRow()) return false;
    const CString folder = doc.FolderPath(top);
    for (const FolderChange& change : doc.ChangesNow()) {
        if (!CHeftDoc::IsSameOrInside(CString(change.path), folder)) continue;
        csv.Text(change.path);
        csv.Integer(change.change);
        csv.Integer(change.now);
        csv.Integer(change.then);
        csv.Text(change.state == FolderChange::State::New    ? "new"
                 : change.state == FolderChange::State::Gone ? "gone"
                                                             : "changed");
        if (!report.EndRow()) return false;
    }
    return true;
}

// Which listing the command line writes, and with what: the one place that
// knows. A listing without a writer is refused as a bad command line.
ListingWriter WriterOf(Listing listing)
{
    switch (listing) {
    case Listing::Folders: return &WriteFolderReport;
    case Listing::LargestFiles: return &WriteLargestFiles;
    case Listing::FileTypes: return &WriteFileTypes;
    case Listing::Changes: return &WriteChanges;
    }
    return nullptr;
}

// An argument that is an option ("/export", "-export"): its name in lower
// case; empty for any other argument.
CString OptionName(const CString& arg)
{
    if (arg.GetLength() < 2 || (arg[0] != '/' && arg[0] != '-')) return CString();
    CString name = arg.Mid(1);
    name.MakeLower();
    return name;
}

} // namespace

bool AsksForReport(const std::vector<CString>& args)
{
    for (const CString& arg : args) {
        if (OptionName(arg) == "export") return true;
    }
    return false;
}

bool Parse(const std::vector<CString>& args, Request& request, CString& problem)
{
    request = Request();
    std::vector<CString> operands;
    bool exporting = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const CString option = OptionName(args[i]);
        if (option.IsEmpty()) {
            operands.push_back(args[i]);
        } else if (option == "export") {
            exporting = true;
        } else if (option == "listing") {
            if (i + 1 == args.size()) {
                problem = "/listing needs the name of a listing.";
                return false;
            }
            CString name = args[++i];
            name.MakeLower();
            if (name == "folders") request.listing = Listing::Folders;
            else if (name == "files") request.listing = Listing::LargestFiles;
            else if (name == "types") request.listing = Listing::FileTypes;
            else if (name == "changes") request.listing = Listing::Changes;
            if ((name != "folders" && name != "files" && name != "types" && name != "changes") ||
                !WriterOf(request.listing)) {
                problem = "Unknown listing: " + args[i];
                return false;
            }
        } else if (option == "since") {
            if (i + 1 == args.size()) {
                problem = "/since needs an earlier folders report.";
                return false;
            }
            request.since = args[++i];
        } else {
            problem = "Unknown option: " + args[i];
            return false;
        }
    }
    if ((request.listing == Listing::Changes) != !request.since.IsEmpty()) {
        problem = "/listing changes and /since OLD.csv go together.";
        return false;
    }
    if (!exporting) {
        problem = "/export is missing.";
        return false;
    }
    if (operands.size() != 2) {
        problem = operands.size() < 2 ? "/export needs the report's file and the path to search."
                                      : "Too many arguments: " + operands[2];
        return false;
    }
    request.report = operands[0];
    request.path = operands[1];
    return true;
}

namespace {

// PATH as the search takes it: its drive ("D:") and the folder the report
// starts at ("D:" for the drive itself, else "D:\Data", without a trailing
// separator). A bare "D:" is the drive, not its current folder. False when
// the path lies on no drive letter.
bool ResolvePath(const CString& given, CString& drive, CString& folder)
{
    CString full = given.GetLength() == 2 && given[1] == ':' ? given : GetFullPathUtf8(given);
    while (full.GetLength() > 2 && (full[full.GetLength() - 1] == '\\' || full[full.GetLength() - 1] == '/'))
        full = full.Left(full.GetLength() - 1);
    if (full.GetLength() < 2 || full[1] != ':' || !std::isalpha(static_cast<unsigned char>(full[0]))) return false;
    if (full.GetLength() > 2 && full[2] != '\\') return false;
    drive = CString(static_cast<char>(std::toupper(static_cast<unsigned char>(full[0])))) + ":";
    folder = drive + full.Mid(2);
    return true;
}

struct Outcome {
    int code;
    CString line;
};

// "Cannot search D:\Data: File not found."; a drive reads "Cannot search drive D: Path not found."
Outcome CannotSearch(const CString& folder, const CString& reason)
{
    return {kCannotSearch, "Cannot search " + (folder.GetLength() == 2 ? "drive " + folder + " " : folder + ": ") +
                               reason};
}

} // namespace

} // namespace cmdreport

int CHeftApp::RunCommandLineReport(const std::vector<CString>& args)
{
    using namespace cmdreport;
    const CParentConsole console;
    Request request;
    CString problem;
    if (!Parse(args, request, problem)) {
        console.WriteLine(problem + "\r\n" + kUsage);
        return kBadCommandLine;
    }
    // Nobody may be there to answer a box: a drive without its medium, a
    // file the system cannot open, a crash fail instead of waiting.
    const UINT errorMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    const Outcome outcome = [&]() -> Outcome {
        CString drive, folder;
        if (!ResolvePath(request.path, drive, folder))
            return CannotSearch(request.path, "It is not on a drive.");
        const DWORD attributes = GetFileAttributesUtf8(folder == drive ? drive + "\\" : folder);
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return CannotSearch(folder, SystemErrorText(GetLastError()));
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return CannotSearch(folder, "It is a file, not a folder.");

        // A report that cannot be written is told before the search, not
        // after it; the trial leaves nothing behind.
        if (CReportFile trial(request.report); !trial.Open()) return {kCannotWrite, trial.FailureText()};

        m_pUnattendedStop = &CParentConsole::StopRequested();
        if (!MakeMainFrame()) return CannotSearch(folder, "The program could not start.");
        CHeftDoc* doc = OpenDrive(drive);
        if (CParentConsole::StopRequested()) return {kCancelled, "Cancelled: the report was not written."};
        if (!doc) return {kCannotSearch, "Error reading drive " + drive};
        const HTREEITEM top = doc->FolderItem(folder);
        if (!top) return {kCannotSearch, kFolderNotFoundText + folder};

        if (request.listing == Listing::Changes) {
            CString problem;
            if (!doc->CompareWithReport(request.since, &problem)) return {kBadCommandLine, problem};
        }
        CCsvReport report(request.report);
        if (!report.Begin() || !WriterOf(request.listing)(*doc, top, report, m_pUnattendedStop) || !report.Finish()) {
            if (CParentConsole::StopRequested()) return {kCancelled, "Cancelled: the report was not written."};
            return {kCannotWrite, report.FailureText()};
        }
        return {kWritten, report.TargetPath() + ": " + ScanSummaryText(doc->m_summary)};
    }();
    m_pUnattendedStop = nullptr;
    SetErrorMode(errorMode);
    console.WriteLine(outcome.line);
    return outcome.code;
}
