#include "reports/FolderReport.h"

#include "document/CHeftDoc.h"
#include "model/CDirEntry.h"
#include "reports/CsvReport.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

const char* const kFolderReportColumns[7] = {"Path",       "Size",       "Files",   "Folders",
                                             "Last Written", "Unreadable", "Searched"};

namespace {

using Walked = std::deque<CHeftDoc::WalkedFolder>;

// Where the folders below walked[first] end: the next folder no deeper.
size_t SubtreeEnd(const Walked& walked, size_t first)
{
    size_t end = first + 1;
    while (end < walked.size() && walked[end].depth > walked[first].depth) ++end;
    return end;
}

} // namespace

bool WriteFolderReport(CHeftDoc& doc, HTREEITEM top, CCsvReport& report, const std::atomic<bool>* stop)
{
    const Walked& walked = doc.m_walkOrder;
    const auto* topRecord = doc.m_pTreeCtrl && top ? reinterpret_cast<const CDirEntry*>(doc.m_pTreeCtrl->GetItemData(top))
                                                   : nullptr;
    size_t first = 0;
    while (first < walked.size() && walked[first].record != topRecord) ++first;
    if (first == walked.size()) return false;
    const size_t end = SubtreeEnd(walked, first);

    // The rows: the top, then the folders below it. Below the drive's root
    // they stand in the walk's order; the root's own subfolders stand as the
    // tree sorted them, each followed by everything below it.
    std::vector<std::pair<size_t, size_t>> runs; // [begin, end) of the walk
    if (first == 0 && top == doc.m_hRootItem) {
        std::unordered_map<const CDirEntry*, size_t> placeOf;
        for (size_t i = 1; i < end; ++i)
            if (walked[i].depth == 1) placeOf.emplace(walked[i].record, i);
        runs.emplace_back(0, 1);
        const CTreeCtrl& tree = *doc.m_pTreeCtrl;
        for (HTREEITEM child = tree.GetChildItem(top); child; child = tree.GetNextSiblingItem(child)) {
            const auto place = placeOf.find(reinterpret_cast<const CDirEntry*>(tree.GetItemData(child)));
            if (place != placeOf.end()) runs.emplace_back(place->second, SubtreeEnd(walked, place->second));
        }
    } else {
        runs.emplace_back(first, end);
    }

    // What lies below each folder is known only once the walk has gone past
    // it: added up from the last folder back, one sum per depth.
    const size_t count = end - first;
    std::vector<std::uint64_t> files(count);
    std::vector<std::uint32_t> folders(count);
    std::vector<std::pair<std::uint64_t, std::uint32_t>> deeper; // by depth below the top: what the folders there hold
    for (size_t i = end; i-- > first;) {
        const size_t depth = walked[i].depth - walked[first].depth;
        if (deeper.size() < depth + 2) deeper.resize(depth + 2);
        const std::pair<std::uint64_t, std::uint32_t> inside = deeper[depth + 1];
        deeper[depth + 1] = {0, 0};
        files[i - first] = walked[i].record->GetFileCount() + inside.first;
        folders[i - first] = inside.second;
        deeper[depth].first += files[i - first];
        deeper[depth].second += folders[i - first] + 1;
    }

    CCsvWriter& csv = report.Csv();
    for (const char* column : kFolderReportColumns) csv.Text(column);
    if (!report.EndRow()) return false;
    const std::string searched = CsvTimeText(doc.m_nSearchTime);
    // The path of every depth's latest folder is the start of `path`.
    std::string path = doc.FolderPath(top).str();
    std::vector<size_t> pathLength{path.size()};
    for (const auto& [begin, stopAt] : runs) {
        for (size_t i = begin; i < stopAt; ++i) {
            if (stop && stop->load()) return false;
            const CDirEntry& record = *walked[i].record;
            const size_t depth = walked[i].depth - walked[first].depth;
            if (depth > 0) {
                path.resize(pathLength[depth - 1]);
                path += '\\';
                path += record.GetName().str();
                pathLength.resize(depth);
                pathLength.push_back(path.size());
            }
            csv.Text(path);
            csv.Integer(record.GetSize());
            csv.Count(files[i - first]);
            csv.Count(folders[i - first]);
            csv.Time(record.GetWriteTime());
            csv.Count(record.IsUnreadable() ? 1 : 0);
            csv.Text(searched);
            if (!report.EndRow()) return false;
        }
    }
    return true;
}
