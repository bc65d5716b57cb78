#pragma once
#include "framework/CDC.h"
#include "framework/CGdiObject.h"
#include "framework/CListView.h"

#include <cstdint>
#include <memory>
#include <vector>

class CCmdUI;
class CCsvReport;
class CDirEntry;
class CTreeCtrl;
class ShellAnswers;
class CHeftDoc;
class CCmdUI;
class CListedEntry;

// The contents list of a drive window: one owner-drawn row per subfolder and
// file of the folder selected in the tree, each drawn from its record with
// icon, name, size, a bar of its share and that share in percent. The list
// owns the records of its rows.
//
// The rows live here, not in the control: the control holds only their count
// and the selection (a virtual list) and asks for what it shows. A control
// that keeps rows of its own costs several microseconds a row to fill and,
// under Wine, time that grows with the square of the rows to empty: seconds
// for a folder of 100,000 files.
class CHeftList : public CListView {
    DECLARE_MESSAGE_MAP()
public:
    CHeftList();
    ~CHeftList() override;

    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    void OnInitialUpdate() override;
    void OnLayoutDpiChanged(int oldDpi, int newDpi) override;
    void OnDraw(CDC*) override {}
    CHeftDoc* GetDocument() const;

    // Frees the record of every row, then deletes all rows.
    void ReleaseRowRecords();
    // Adds a row for a record, which the list owns from then on. The rows
    // added since the last SortRows appear with the next one, in their sorted
    // places.
    void AddRow(CDirEntry* record, int image);
    // The rows the list shows: their number, and each row's record and icon
    // (an index into the system image list).
    int GetRowCount() const;
    CDirEntry* GetRowRecord(int row) const;
    // Takes one row out of the list and frees its record.
    void RemoveRow(int row);
    // Takes out every row that stands for one of these folders of the tree,
    // or for a file in one of them.
    void RemoveRowsOfTreeItems(std::vector<HTREEITEM> items);
    // A listing's own columns after Percent ("Folder", "Files"), or none: they
    // are there only while a listing that has them is shown.
    void ShowExtraColumns(std::vector<CString> titles);
    int ExtraColumnCount() const { return static_cast<int>(m_extraColumns.size()); }
    // The listing's own column after Percent: its title, empty while the list has four columns.
    CString GetExtraColumnTitle(int column = 0) const;
    // That column's text in a row.
    CString GetExtraColumnText(int row, int column = 0) const;
    // The full path of what a row stands for: a folder row's folder, a file
    // row's file (wherever on the drive it lies); empty for a file type.
    CString GetRowPath(int row) const;
    int ColumnCount() const { return kBasicColumns + ExtraColumnCount(); }
    // Folder rows show their tree records' sizes again, after a deletion took
    // bytes off them.
    void UpdateFolderRowSizes(const CTreeCtrl& tree);
    // An icon that is the entry's own is asked for here, when the row is first
    // shown.
    int GetRowImage(int row);
    // The shell's answers for the rows of a folder: the ones in use when they
    // are for that folder, new ones otherwise. They go with the rows.
    ShellAnswers& ShellAnswersFor(const CString& folder);
    // True once the window is being destroyed: nothing may fill it any more.
    bool IsClosing() const { return m_bClosing; }

    // ---- the printed report (reports/ListReport.cpp): the rows as the list
    // shows them, a page at a time, under a header and above a foot
    BOOL OnPreparePrinting(CPrintInfo* pInfo) override;
    // The report font, line height, rows per page and page count for this
    // job's printer.
    void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) override;
    void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo = nullptr) override;
    // Draws the page the print information names.
    void OnPrint(CDC* pDC, CPrintInfo* pInfo) override;
    void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) override;
    // The report's third heading: the folder shown, or the ten-largest listing.
    CString GetReportTitle() const;
    // The line at the foot of every page, and what a page too short for a
    // row prints in place of the rows.
    static const char* const kReportFootText;
    static const char* const kPageTooShortText;

    // ---- the export (reports/ListExport.cpp): the rows as the list shows
    // them, in a CSV file
    // Asks for a file with the Save As dialog and writes the rows into it; a
    // failure is named in a message.
    void OnExportList();
    // Greyed while the list has no rows (and, as every command that reads
    // the model, while the drive is busy).
    void OnUpdateExportList(CCmdUI* pCmdUI);
    // The name the Save As dialog offers: the drive and the folder shown.
    CString GetExportFileName() const;
    // Writes the rows, in the order shown, into a CSV file: a header, then per
    // row its name, full path, size in bytes, percent as shown, type, last
    // write time and the listing's own column. The file is written whole or
    // not at all; FALSE with pFailure saying why.
    BOOL ExportRows(const CString& path, CString* pFailure);
    // The header and the rows of that file, into a report begun already;
    // false when it could not be written.
    bool WriteRows(CCsvReport& report) const;

    // ---- drawing: on the screen and, with a printer DC, for the printed report
    // Draws one whole row, whatever drawing action the control asks for.
    void DrawItem(DRAWITEMSTRUCT* pDrawItem);
    // Text shortened to the cell, left-aligned; the whole cell is painted in
    // the current background colour.
    void DrawCellText(CDC* pDC, CString text, const RECT& cell);
    // The same, right-aligned.
    void DrawCellTextRight(CDC* pDC, CString text, const RECT& cell);
    // Shortens the text with "..." to fit a cell; on the screen it also keeps
    // the widest full text drawn in the current column (for the divider
    // double-click).
    void FitTextToCell(CDC* pDC, CString& text, int limit, int cellWidth);
    // The height of a row: its icon or a line of text, whichever is taller.
    void MeasureItem(MEASUREITEMSTRUCT* pMeasureItem);
    // The size of the rows' icons (those of the shell's small image list).
    SIZE IconSize();
    // A length of the row drawing given in pixels at 96 DPI, in the DC's
    // units: the screen's DPI, or the printer's dots unchanged.
    static int Px(const CDC* pDC, int pixels);
    // A row's share as the list shows it: of the folder shown or of the drive
    // (0 while the folder shown has no bytes).
    double RowShare(std::int64_t size) const;
    // Paints the cell's background and the bar of the entry's share; returns
    // the share (0 while the folder shown has no bytes).
    double DrawPercentBar(CDC* pDC, std::int64_t size, const RECT& cell, BOOL bSelected);

    // ---- sorting
    static int CompareNames(const CDirEntry* a, const CDirEntry* b);
    static int CompareSizes(const CDirEntry* a, const CDirEntry* b);
    // By one of a listing's own columns: its number where it is one, else its text.
    static int CompareExtraColumn(const CDirEntry* a, const CDirEntry* b, int column);
    // What CompareRows applies: a comparison and its direction.
    struct SortParam {
        int (*compare)(const CDirEntry*, const CDirEntry*);
        BOOL bAscending;
        // The column whose header shows the order; -1: the comparison's own
        // (the name column for names, the first size column for sizes). One
        // of a listing's own columns sorts by that column, whatever `compare`.
        int column = -1;
    };
    // The control's sort callback; lParamSort points to a SortParam.
    static int CALLBACK CompareRows(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);
    // Sorts all rows through CompareRows, the rows added since the last sort
    // included. A selected or focused row keeps its state in its new place,
    // and the header shows the order by which the rows now stand.
    void SortRows(const SortParam& param);

    // ---- commands on the selected row (also reached by keys and the context menu)
    void OnOpen();
    void OnDelete();
    void OnProperties();
    void OnUpOneLevel();
    // Open and Delete are greyed on a row that stands for no one entry (a file type).
    void OnUpdateOpenOrDelete(CCmdUI* pCmdUI);

    CBrush m_brMid;
    CBrush m_brLow;
    CBrush m_brHigh;
    CBrush m_brWindow;
    CBrush m_brHighlight;
    CPen m_penWindow;
    CPen m_penBlack;
    CPen m_penHighlight;
    // Name, size, bar and percent, and a listing's own columns.
    static constexpr int kBasicColumns = 4;
    static constexpr int kColumnCount = 7;
    int m_nLastSortColumn = -1;
    bool m_bSortAscending[kColumnCount] = {true, true, true, true, true, true, true};
    int m_nDrawColumn = 0;
    int m_nTextWidth[kColumnCount] = {};
    CFont m_fontReport;
    int m_nReportLineHeight = 0;
    int m_nRowsPerPage = 0;

protected:
    void OnDestroy();
    void OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult);
    void OnFindItem(NMHDR* pNMHDR, LRESULT* pResult);
    void OnContextMenu(HWND hwnd, POINT point);
    void OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDividerDblClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnLButtonDblClk(UINT nFlags, POINT point);

    // The sort arrow on the header of the column the rows are sorted by, and
    // on no other.
    void ShowSortOrder(const SortParam& param);
    // The record behind the selected row, or null.
    CDirEntry* GetSelectedRecord();
    // The font and icons of the layout DPI, and rows measured for them.
    void TakeLayoutDpi();

private:
    struct Row {
        CDirEntry* record;
        int image;
    };
    // The rows shown, in their order; then the rows added since the last sort.
    std::vector<Row> m_rows;
    size_t m_nShownRows = 0;
    std::unique_ptr<ShellAnswers> m_pShellAnswers;
    bool m_bClosing = false;
    std::vector<CString> m_extraColumns;
};
