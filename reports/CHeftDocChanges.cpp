// The Changes listing: where the bytes came and went since an earlier
// folders report of the drive, worked out from the model as it is whenever
// the listing is filled.
#include "document/CHeftDoc.h"

#include "framework/CCmdUI.h"
#include "framework/CFileFind.h"
#include "framework/CFrameWnd.h"
#include "framework/OwnedHandle.h"
#include "framework/SystemError.h"
#include "framework/Utf16.h"
#include "model/CDirEntry.h"
#include "reports/CsvReport.h"
#include "views/CHeftList.h"

#include <string>
#include <vector>

namespace {

// The whole of a file no larger than a folders report can be; false with
// the system's reason (or the size) in `problem`.
bool ReadWholeFile(const CString& path, std::string& bytes, std::string& problem)
{
    OwnedHandle file(CreateFileW(ToWidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file.Valid() || !GetFileSizeEx(file.Get(), &size)) {
        problem = SystemErrorText(GetLastError()).str();
        return false;
    }
    if (static_cast<unsigned long long>(size.QuadPart) > kLargestReportBytes) {
        problem = "it is larger than any folders report.";
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        if (!ReadFile(file.Get(), bytes.data() + done, chunk, &read, nullptr)) {
            problem = SystemErrorText(GetLastError()).str();
            return false;
        }
        if (read == 0) break; // the file grew shorter meanwhile
        done += read;
    }
    bytes.resize(done);
    return true;
}

} // namespace

void CHeftDoc::OnChangesSince()
{
    if (m_listState == ListState::Changes) {
        ToggleListing(ListState::Changes); // back to the contents
        return;
    }
    CWnd* main = AfxGetMainWnd();
    const CString path = AskCsvFile(main ? main->m_hWnd : nullptr, CsvFileDialog::Open);
    if (path.IsEmpty()) return;
    CString problem;
    if (!CompareWithReport(path, &problem))
        MessageBoxUtf8(main ? main->m_hWnd : nullptr, problem, "Changes Since", MB_OK | MB_ICONEXCLAMATION);
}

void CHeftDoc::OnUpdateChangesSince(CCmdUI* pCmdUI)
{
    pCmdUI->SetCheck(m_listState == ListState::Changes ? 1 : 0);
}

BOOL CHeftDoc::CompareWithReport(const CString& path, CString* pProblem)
{
    CWaitCursor wait;
    std::string bytes, problem;
    auto report = std::make_unique<EarlierReport>();
    if (!ReadWholeFile(path, bytes, problem) || !ReadFolderReport(bytes, *report, problem)) {
        if (pProblem) *pProblem = path + " is not a folders report of Heftscope: " + CString(problem);
        return FALSE;
    }
    if (CString(report->Top()).Left(2).CompareNoCase(m_strDrive) != 0 || report->Top().size() < 2 ||
        report->Top()[1] != ':') {
        if (pProblem) *pProblem = path + " is a report of " + CString(report->Top()) + ", not of drive " + m_strDrive + ".";
        return FALSE;
    }
    m_pEarlierReport = std::move(report);
    if (m_listState == ListState::Changes) {
        ListingFollowsModel();
        return TRUE;
    }
    ToggleListing(ListState::Changes);
    return TRUE;
}

std::vector<FolderChange> CHeftDoc::ChangesNow() const
{
    std::vector<FolderNow> now;
    if (!m_pEarlierReport || !m_pTreeCtrl) return {};
    // The folders of the report's part of the drive, as the tree holds them.
    CString top = m_pEarlierReport->Top().c_str();
    top = m_strDrive + top.Mid(2);
    if (!m_bWalkOrderStale && !m_walkOrder.empty()) {
        // The search's own order: paths from the names on the way down, and
        // each folder's own bytes once the folders below it are past.
        std::vector<std::string> names;                 // by depth, the latest folder's path
        std::vector<std::size_t> parents;               // by depth, the latest folder's place in `now`
        for (const WalkedFolder& walked : m_walkOrder) {
            const std::size_t depth = walked.depth;
            names.resize(depth + 1);
            parents.resize(depth + 1);
            names[depth] = depth == 0 ? m_strDrive.str() : names[depth - 1] + "\\" + walked.record->GetName().str();
            parents[depth] = now.size();
            if (depth > 0) now[parents[depth - 1]].own -= walked.record->GetSize();
            now.push_back(FolderNow{names[depth], walked.record->GetSize(), walked.record->GetSize(),
                                    reinterpret_cast<std::uintptr_t>(walked.record->GetTreeItem())});
        }
        std::erase_if(now, [&top](const FolderNow& folder) { return !IsSameOrInside(CString(folder.path), top); });
    } else if (HTREEITEM item = FolderItem(top)) {
        std::vector<std::pair<HTREEITEM, CString>> pending{{item, FolderPath(item)}};
        while (!pending.empty()) {
            const auto [at, path] = pending.back();
            pending.pop_back();
            const auto* record = reinterpret_cast<const CDirEntry*>(m_pTreeCtrl->GetItemData(at));
            FolderNow folder{path.str(), record ? record->GetSize() : 0, record ? record->GetSize() : 0,
                             reinterpret_cast<std::uintptr_t>(at)};
            for (HTREEITEM child = m_pTreeCtrl->GetChildItem(at); child; child = m_pTreeCtrl->GetNextSiblingItem(child)) {
                if (const auto* sub = reinterpret_cast<const CDirEntry*>(m_pTreeCtrl->GetItemData(child)))
                    folder.own -= sub->GetSize();
                pending.emplace_back(child, path + "\\" + m_pTreeCtrl->GetItemText(child));
            }
            now.push_back(std::move(folder));
        }
    }
    return CompareFolders(*m_pEarlierReport, now);
}

void CHeftDoc::FillChanges(CHeftList& view)
{
    // Shares of the whole drive, as in the other listings of the drive.
    m_nFolderTotal = m_nDriveTotal;
    if (!m_pEarlierReport) return;
    std::int64_t totalThen = m_pEarlierReport->folders.front().total;
    std::int64_t totalNow = 0;
    CString top = m_pEarlierReport->Top().c_str();
    top = m_strDrive + top.Mid(2);
    if (HTREEITEM item = FolderItem(top)) {
        if (const auto* record = reinterpret_cast<const CDirEntry*>(m_pTreeCtrl->GetItemData(item)))
            totalNow = record->GetSize();
    }
    for (const FolderChange& change : ChangesNow()) {
        auto* record = new CListedEntry;
        const CString path(change.path);
        const int slash = path.ReverseFind('\\');
        record->SetName(slash < 0 ? path : path.Mid(slash + 1));
        record->SetFolder();
        record->SetType("File Folder");
        const bool gone = change.state == FolderChange::State::Gone;
        // A folder that is gone shows its earlier total, greyed, and stands
        // for nothing that could be opened or deleted.
        record->SetSize(gone ? change.then : change.now);
        if (gone) record->SetUnreadable();
        else record->SetTreeItem(reinterpret_cast<HTREEITEM>(change.item));
        const CString below = path.Mid(m_strDrive.GetLength());
        record->m_columns = {CListedEntry::Column{below.IsEmpty() ? CString("\\") : below},
                             CListedEntry::Column{SignedSizeText(change.change), change.change, true}};
        view.AddRow(record, m_nFolderImage);
    }
    CString status = "Compared with the report of " + CString(m_pEarlierReport->searched.substr(0, 16)) + ": " +
                     CString(SignedSizeText(totalNow - totalThen)) + " bytes";
    if (auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd())) frame->SetMessageText(status);
}
