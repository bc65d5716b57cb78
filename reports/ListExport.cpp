// The export of the contents list: the rows the list holds, in the order it
// shows them, as a CSV file, whichever listing it shows. The texts come from
// what the list and the printed report use: the record's name, size and
// type, the list's share of a row and its percent rule.
#include "views/CHeftList.h"

#include "document/CHeftDoc.h"
#include "framework/CCmdUI.h"
#include "framework/Utf16.h"
#include "model/CDirEntry.h"
#include "reports/CsvReport.h"
#include "views/ListRules.h"

#include <string>


CString CHeftList::GetExportFileName() const
{
    const CHeftDoc* doc = GetDocument();
    if (!doc) return listrules::ExportFileName("");
    // The ten largest directories come from all over the drive: named after
    // the listing, as the printed report's heading names it.
    const CString shown = doc->m_bTopTen ? doc->m_strDrive + "\\" + GetReportTitle() : GetReportTitle();
    return listrules::ExportFileName(shown.str());
}

BOOL CHeftList::ExportRows(const CString& path, CString* pFailure)
{
    CWaitCursor wait;
    CCsvReport report(path);
    const BOOL done = report.Begin() && WriteRows(report) && report.Finish();
    if (!done && pFailure) *pFailure = report.FailureText();
    return done;
}

bool CHeftList::WriteRows(CCsvReport& report) const
{
    CCsvWriter& csv = report.Csv();
    for (const char* column : {"Name", "Path", "Size", "Percent", "Type", "Last Written"}) csv.Text(column);
    for (int column = 0; column < ExtraColumnCount(); ++column) csv.Text(GetExtraColumnTitle(column).str());
    if (!report.EndRow()) return false;
    for (int row = 0; row < GetRowCount(); ++row) {
        const CDirEntry* record = GetRowRecord(row);
        csv.Text(record->GetName().str());
        csv.Text(GetRowPath(row).str());
        csv.Integer(record->GetSize());
        csv.Text(listrules::PercentNumber(RowShare(record->GetSize())).str());
        csv.Text(record->GetType().str());
        csv.Time(record->GetWriteTime());
        // A listing's own columns: a number as a plain integer.
        const auto* listed = dynamic_cast<const CListedEntry*>(record);
        for (int column = 0; column < ExtraColumnCount(); ++column) {
            const auto at = static_cast<size_t>(column);
            if (listed && at < listed->m_columns.size() && listed->m_columns[at].isNumber)
                csv.Integer(listed->m_columns[at].value);
            else
                csv.Text(GetExtraColumnText(row, column).str());
        }
        if (!report.EndRow()) return false;
    }
    return true;
}

void CHeftList::OnExportList()
{
    if (GetRowCount() == 0) return;
    const CString path = AskCsvFile(GetSafeOwner(m_hWnd), CsvFileDialog::Save, GetExportFileName());
    if (path.IsEmpty()) return;
    CString failure;
    if (!ExportRows(path, &failure)) MessageBox(failure, "Export List", MB_OK | MB_ICONEXCLAMATION);
}

void CHeftList::OnUpdateExportList(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(GetRowCount() > 0);
}
