#include "reports/FolderReport.h"

#include "document/CHeftDoc.h"
#include "model/CDirEntry.h"
#include "reports/CsvReport.h"

#include <cstdint>
#include <string>
#include <vector>

const char* const kFolderReportColumns[7] = {"Path",       "Size",       "Files",   "Folders",
                                             "Last Written", "Unreadable", "Searched"};

namespace {

// What lies below a folder, itself not counted.
struct Below {
    std::uint64_t files = 0;
    std::uint64_t folders = 0;
};

// The counts of every folder from `top` down, in the order the rows are
// written: a folder's row comes before its subfolders', but its counts are
// theirs added up, so they are known only once the walk has left it.
std::vector<Below> CountBelow(const CTreeCtrl& tree, HTREEITEM top)
{
    std::vector<Below> below;
    struct Open {
        HTREEITEM next; // the subfolder to enter next
        size_t row;
    };
    std::vector<Open> open;
    auto enter = [&](HTREEITEM item) {
        const auto* record = reinterpret_cast<const CDirEntry*>(tree.GetItemData(item));
        below.push_back(Below{record ? record->GetFileCount() : 0u, 0});
        open.push_back(Open{tree.GetChildItem(item), below.size() - 1});
    };
    enter(top);
    while (!open.empty()) {
        if (const HTREEITEM child = open.back().next) {
            open.back().next = tree.GetNextSiblingItem(child);
            enter(child);
            continue;
        }
        const Below done = below[open.back().row];
        open.pop_back();
        if (open.empty()) break;
        Below& parent = below[open.back().row];
        parent.files += done.files;
        parent.folders += done.folders + 1;
    }
    return below;
}

} // namespace

bool WriteFolderReport(const CHeftDoc& doc, HTREEITEM top, CCsvReport& report, const std::atomic<bool>* stop)
{
    if (!doc.m_pTreeCtrl || !top) return false;
    const CTreeCtrl& tree = *doc.m_pTreeCtrl;
    CCsvWriter& csv = report.Csv();
    for (const char* column : kFolderReportColumns) csv.Text(column);
    if (!report.EndRow()) return false;

    const std::vector<Below> below = CountBelow(tree, top);
    const std::string searched = CsvTimeText(doc.m_nSearchTime);
    size_t row = 0;
    std::string path = doc.FolderPath(top).str();
    auto write = [&](HTREEITEM item) {
        if (stop && stop->load()) return false;
        const auto* record = reinterpret_cast<const CDirEntry*>(tree.GetItemData(item));
        const Below& counts = below[row++];
        csv.Text(path);
        csv.Integer(record ? record->GetSize() : 0);
        csv.Count(counts.files);
        csv.Count(counts.folders);
        csv.Time(record ? record->GetWriteTime() : 0);
        csv.Count(record && record->IsUnreadable() ? 1 : 0);
        csv.Text(searched);
        return report.EndRow();
    };
    // The same walk as the count's, so that every row meets its own counts.
    struct Open {
        HTREEITEM next;
        size_t pathLength; // the folder's path is the first so many bytes of `path`
    };
    if (!write(top)) return false;
    std::vector<Open> open{Open{tree.GetChildItem(top), path.size()}};
    while (!open.empty()) {
        Open& at = open.back();
        path.resize(at.pathLength);
        const HTREEITEM child = at.next;
        if (!child) {
            open.pop_back();
            continue;
        }
        at.next = tree.GetNextSiblingItem(child);
        path += '\\';
        path += tree.GetItemText(child).str();
        if (!write(child)) return false;
        open.push_back(Open{tree.GetChildItem(child), path.size()});
    }
    return true;
}
