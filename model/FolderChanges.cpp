#include "model/FolderChanges.h"

#include "framework/CString.h"
#include "model/CDirEntry.h"

#include <algorithm>
#include <unordered_map>

namespace {

constexpr std::size_t kLongestLine = 65536;
const char* const kColumns[] = {"Path", "Size", "Files", "Folders", "Last Written", "Unreadable", "Searched"};
constexpr std::size_t kColumnCount = std::size(kColumns);

// The next record of a CSV text from `at`: its fields, quotes undone. False
// with `problem` when a quote never closes or the record is too long.
bool NextRecord(std::string_view text, std::size_t& at, std::vector<std::string>& fields, std::string& problem)
{
    fields.assign(1, std::string());
    const std::size_t start = at;
    bool quoted = false;
    while (at < text.size()) {
        if (at - start > kLongestLine) {
            problem = "a line is longer than 65,536 bytes.";
            return false;
        }
        const char c = text[at++];
        if (quoted) {
            if (c != '"') fields.back() += c;
            else if (at < text.size() && text[at] == '"') fields.back() += text[at++];
            else quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c == '\n') {
            return true;
        } else if (c == '\r') {
            if (at < text.size() && text[at] == '\n') ++at;
            return true;
        } else {
            fields.back() += c;
        }
    }
    if (quoted) {
        problem = "it ends inside a quoted field.";
        return false;
    }
    return true;
}

bool ParseSize(const std::string& text, std::int64_t& size)
{
    if (text.empty() || text.size() > 19) return false;
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > static_cast<std::uint64_t>(INT64_MAX)) return false;
    size = static_cast<std::int64_t>(value);
    return true;
}

std::string Key(const std::string& path)
{
    CString key(path);
    key.MakeUpper();
    return key.str();
}

bool IsSameOrInside(const std::string& path, const std::string& top)
{
    return path == top || (path.size() > top.size() && path.compare(0, top.size(), top) == 0 && path[top.size()] == '\\');
}

std::string ParentOf(const std::string& path)
{
    const std::size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

} // namespace

bool ReadFolderReport(std::string_view bytes, EarlierReport& report, std::string& problem)
{
    report = EarlierReport();
    if (bytes.size() > kLargestReportBytes) {
        problem = "it is larger than any folders report.";
        return false;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    std::size_t at = 0;
    std::vector<std::string> fields;
    if (bytes.empty() || !NextRecord(bytes, at, fields, problem) ||
        !std::equal(fields.begin(), fields.end(), std::begin(kColumns), std::end(kColumns))) {
        if (problem.empty()) problem = "it does not begin with the header of a folders report.";
        return false;
    }
    std::unordered_map<std::string, std::size_t> seen;
    for (std::size_t line = 2; at < bytes.size(); ++line) {
        if (!NextRecord(bytes, at, fields, problem)) return false;
        if (fields.size() == 1 && fields[0].empty()) continue; // an empty line, such as the last one
        EarlierReport::Folder folder;
        if (fields.size() != kColumnCount || fields[0].empty() || !ParseSize(fields[1], folder.total)) {
            problem = "line " + std::to_string(line) + " is no folder's row.";
            return false;
        }
        folder.path = fields[0];
        if (report.folders.empty()) {
            report.searched = fields[6];
        } else if (!IsSameOrInside(folder.path, report.Top())) {
            problem = folder.path + " lies outside " + report.Top() + ", the report's first folder.";
            return false;
        }
        if (!seen.emplace(Key(folder.path), report.folders.size()).second) {
            problem = folder.path + " is in it twice.";
            return false;
        }
        report.folders.push_back(std::move(folder));
    }
    if (report.folders.empty()) {
        problem = "it holds no folders.";
        return false;
    }
    return true;
}

std::vector<FolderChange> CompareFolders(const EarlierReport& then, const std::vector<FolderNow>& now, std::size_t limit)
{
    // The earlier own bytes of each folder: its total less its subfolders'.
    std::unordered_map<std::string, std::size_t> earlier;
    std::vector<std::int64_t> ownThen(then.folders.size());
    for (std::size_t i = 0; i < then.folders.size(); ++i) {
        earlier.emplace(Key(then.folders[i].path), i);
        ownThen[i] = then.folders[i].total;
    }
    for (std::size_t i = 1; i < then.folders.size(); ++i) {
        const auto parent = earlier.find(Key(ParentOf(then.folders[i].path)));
        if (parent != earlier.end()) ownThen[parent->second] -= then.folders[i].total;
    }

    std::vector<FolderChange> changes;
    std::vector<bool> stillThere(then.folders.size());
    for (const FolderNow& folder : now) {
        const auto found = earlier.find(Key(folder.path));
        if (found == earlier.end()) {
            changes.push_back(
                FolderChange{folder.path, folder.own, folder.total, 0, FolderChange::State::New, folder.item});
            continue;
        }
        stillThere[found->second] = true;
        if (folder.own != ownThen[found->second])
            changes.push_back(FolderChange{folder.path, folder.own - ownThen[found->second], folder.total,
                                           then.folders[found->second].total, FolderChange::State::Changed,
                                           folder.item});
    }
    for (std::size_t i = 0; i < then.folders.size(); ++i) {
        if (!stillThere[i])
            changes.push_back(FolderChange{then.folders[i].path, -ownThen[i], 0, then.folders[i].total,
                                           FolderChange::State::Gone});
    }
    // The largest changes, either way, and of those growth first.
    const auto magnitude = [](const FolderChange& c) {
        return c.change < 0 ? 0 - static_cast<std::uint64_t>(c.change) : static_cast<std::uint64_t>(c.change);
    };
    const auto larger = [&](const FolderChange& a, const FolderChange& b) {
        if (magnitude(a) != magnitude(b)) return magnitude(a) > magnitude(b);
        return a.path < b.path;
    };
    if (changes.size() > limit) {
        std::nth_element(changes.begin(), changes.begin() + static_cast<std::ptrdiff_t>(limit), changes.end(), larger);
        changes.resize(limit);
    }
    std::sort(changes.begin(), changes.end(), [](const FolderChange& a, const FolderChange& b) {
        if (a.change != b.change) return a.change > b.change;
        return a.path < b.path;
    });
    return changes;
}

std::string SignedSizeText(std::int64_t change)
{
    if (change == 0) return "0";
    const std::string digits = SizeText(change).str();
    return change > 0 ? "+" + digits : digits;
}
