#include "views/CHeftList.h"

#include "app/CMainFrame.h"
#include "document/CHeftDoc.h"
#include "views/ShellAnswers.h"
#include "framework/CCmdUI.h"
#include "framework/CFileFind.h"
#include "framework/Dpi.h"
#include "framework/ShellOpen.h"
#include "model/CDirEntry.h"
#include "resources/resource.h"
#include "views/CItemPropertiesDlg.h"
#include "views/ItemActions.h"
#include "views/ListRules.h"

#include <shellapi.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

const MessageMap* CHeftList::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::Message<WM_CONTEXTMENU, &CHeftList::OnContextMenu>(),
        on::Message<WM_DESTROY, &CHeftList::OnDestroy>(),
        on::NotifyReflect<&CHeftList::OnColumnClick>(LVN_COLUMNCLICK),
        on::Command<&CHeftList::OnOpen>(ID_ACTION_OPEN),
        on::UpdateCommand<&CHeftList::OnUpdateOpenOrDelete>(ID_ACTION_OPEN),
        on::Command<&CHeftList::OnProperties>(ID_ITEM_PROPERTIES),
        on::Command<&CHeftList::OnDelete>(ID_ACTION_DELETE),
        on::UpdateCommand<&CHeftList::OnUpdateOpenOrDelete>(ID_ACTION_DELETE),
        on::Message<WM_SYSKEYDOWN, &CHeftList::OnSysKeyDown>(),
        on::Message<WM_KEYDOWN, &CHeftList::OnKeyDown>(),
        on::Message<WM_LBUTTONDBLCLK, &CHeftList::OnLButtonDblClk>(),
        on::Command<&CHeftList::OnUpOneLevel>(ID_UP_ONE_LEVEL),
        on::NotifyReflect<&CHeftList::OnItemChanged>(LVN_ITEMCHANGED),
        // The control asks for what it shows of a row (the name and the icon)
        // and for the row a typed name starts. It is a Unicode window: it asks
        // in UTF-16, also when a narrow caller asked it.
        on::NotifyReflect<&CHeftList::OnGetDispInfo>(LVN_GETDISPINFOW),
        on::NotifyReflect<&CHeftList::OnFindItem>(LVN_ODFINDITEMW),
        // The header asks its parent, the list, for the notification format;
        // the version-6 list answers Unicode, so both codes can arrive.
        on::Notify<&CHeftList::OnDividerDblClick>(HDN_DIVIDERDBLCLICKA, 0),
        on::Notify<&CHeftList::OnDividerDblClick>(HDN_DIVIDERDBLCLICKW, 0),
        on::Reflected<WM_DRAWITEM, &CHeftList::DrawItem>(),
        on::Reflected<WM_MEASUREITEM, &CHeftList::MeasureItem>(),
        on::Command<&CHeftList::OnFilePrint>(ID_FILE_PRINT),
        on::Command<&CHeftList::OnFilePrintPreview>(ID_FILE_PRINT_PREVIEW),
        on::Command<&CHeftList::OnExportList>(ID_EXPORT_LIST),
        on::UpdateCommand<&CHeftList::OnUpdateExportList>(ID_EXPORT_LIST),
    };
    static const MessageMap map = MessageMap::Of(&CListView::GetThisMessageMap, entries);
    return &map;
}

CHeftList::CHeftList() = default;
CHeftList::~CHeftList() = default;

BOOL CHeftList::PreCreateWindow(CREATESTRUCTW& cs)
{
    // The rows live in the view (see the class), which keeps them in order
    // itself: a list of that kind takes no sort style.
    cs.style |= LVS_REPORT | LVS_SINGLESEL | LVS_SHAREIMAGELISTS | LVS_OWNERDRAWFIXED | LVS_OWNERDATA;
    return CListView::PreCreateWindow(cs);
}

CHeftDoc* CHeftList::GetDocument() const
{
    return static_cast<CHeftDoc*>(m_pDocument);
}

void CHeftList::OnInitialUpdate()
{
    CListView::OnInitialUpdate();
    for (bool& ascending : m_bSortAscending) ascending = true;

    struct Column {
        const char* text;
        int width;
    };
    static const Column columns[] = {{"Name", 150}, {"Size", 100}, {"Size", 150}, {"Percent", 50}};
    for (int i = 0; i < 4; ++i) {
        const std::wstring text = Utf8ToWide(columns[i].text);
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.cx = ScaleToDpi(columns[i].width);
        column.pszText = const_cast<wchar_t*>(text.c_str());
        column.iSubItem = i;
        SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
    }

    // System colours are taken once; a later change of them is not followed.
    m_brMid.Attach(CreateSolidBrush(RGB(255, 255, 0)));
    m_brLow.Attach(CreateSolidBrush(RGB(0, 255, 0)));
    m_brHigh.Attach(CreateSolidBrush(RGB(255, 0, 0)));
    m_brWindow.Attach(CreateSolidBrush(GetSysColor(COLOR_WINDOW)));
    m_brHighlight.Attach(CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT)));
    m_penWindow.Attach(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOW)));
    m_penBlack.Attach(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    m_penHighlight.Attach(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_HIGHLIGHT)));

    TakeLayoutDpi();
}

void CHeftList::TakeLayoutDpi()
{
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(CMainFrame::ControlFont()), TRUE);
    // The shell's list belongs to the main frame (and the shell); the list only
    // shows it, which its share-image-lists style guarantees.
    SendMessage(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(CMainFrame::SystemSmallImages()));
    // The control measures its rows again only when its frame changes.
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void CHeftList::OnLayoutDpiChanged(int oldDpi, int newDpi)
{
    // Each column keeps its share of the screen, whoever chose its width.
    CListCtrl& list = GetListCtrl();
    for (int column = 0; column < ColumnCount(); ++column) {
        list.Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                  MAKELPARAM(MulDiv(list.GetColumnWidth(column), newDpi, oldDpi), 0));
        m_nTextWidth[column] = MulDiv(m_nTextWidth[column], newDpi, oldDpi);
    }
    TakeLayoutDpi();
}

void CHeftList::AddRow(CDirEntry* record, int image)
{
    m_rows.push_back(Row{record, image});
}

int CHeftList::GetRowCount() const
{
    return static_cast<int>(m_nShownRows);
}

CDirEntry* CHeftList::GetRowRecord(int row) const
{
    if (row < 0 || static_cast<size_t>(row) >= m_nShownRows) return nullptr;
    return m_rows[static_cast<size_t>(row)].record;
}

int CHeftList::GetRowImage(int row)
{
    if (row < 0 || static_cast<size_t>(row) >= m_nShownRows) return 0;
    Row& shown = m_rows[static_cast<size_t>(row)];
    if (shown.image == ShellAnswers::kIconOfItem) {
        shown.image = m_pShellAnswers ? m_pShellAnswers->IconOfItem(shown.record->GetName(), shown.record->IsFolder())
                                      : 0;
    }
    return shown.image;
}

ShellAnswers& CHeftList::ShellAnswersFor(const CString& folder)
{
    if (!m_pShellAnswers || m_pShellAnswers->Folder() != folder) m_pShellAnswers = std::make_unique<ShellAnswers>(folder);
    return *m_pShellAnswers;
}

void CHeftList::SortRows(const SortParam& param)
{
    // The control keeps the selection and the focus by row number: they are
    // moved to where their records go.
    CListCtrl& list = GetListCtrl();
    const int selectedRow = list.GetNextItem(-1, LVNI_SELECTED);
    const int focusedRow = list.GetNextItem(-1, LVNI_FOCUSED);
    const CDirEntry* selected = GetRowRecord(selectedRow);
    const CDirEntry* focused = GetRowRecord(focusedRow);

    std::stable_sort(m_rows.begin(), m_rows.end(), [&param](const Row& a, const Row& b) {
        return CompareRows(reinterpret_cast<LPARAM>(a.record), reinterpret_cast<LPARAM>(b.record),
                           reinterpret_cast<LPARAM>(&param)) < 0;
    });
    if (m_nShownRows != m_rows.size()) {
        m_nShownRows = m_rows.size();
        list.Send(LVM_SETITEMCOUNT, m_nShownRows, 0);
    }

    // Only the rows concerned are touched: a change of state on all rows at
    // once visits every row.
    auto newRowOf = [this](const CDirEntry* record) {
        for (size_t i = 0; i < m_nShownRows; ++i) {
            if (m_rows[i].record == record) return static_cast<int>(i);
        }
        return -1;
    };
    if (selected) {
        const int row = newRowOf(selected);
        if (row != selectedRow) {
            list.SetItemState(selectedRow, 0, LVIS_SELECTED);
            list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
        }
    }
    if (focused) {
        const int row = newRowOf(focused);
        if (row != focusedRow) list.SetItemState(row, LVIS_FOCUSED, LVIS_FOCUSED); // the old row loses it by itself
    }
    ShowSortOrder(param);
    Invalidate(FALSE);
}

void CHeftList::ShowSortOrder(const SortParam& param)
{
    const int sorted = param.column >= 0 ? param.column : (param.compare == &CHeftList::CompareNames ? 0 : 1);
    HWND header = reinterpret_cast<HWND>(GetListCtrl().Send(LVM_GETHEADER));
    const int count = static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (int column = 0; column < count; ++column) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        if (!::SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item)))
            continue;
        int format = item.fmt & ~(HDF_SORTUP | HDF_SORTDOWN);
        if (column == sorted) format |= param.bAscending ? HDF_SORTUP : HDF_SORTDOWN;
        if (format == item.fmt) continue;
        item.fmt = format;
        ::SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    }
}

void CHeftList::RemoveRow(int row)
{
    if (row < 0 || static_cast<size_t>(row) >= m_nShownRows) return;
    // The control lets go of the row first: whatever it asks on the way still
    // finds the rows as it knows them.
    GetListCtrl().DeleteItem(row);
    CDirEntry* record = m_rows[static_cast<size_t>(row)].record;
    m_rows.erase(m_rows.begin() + row);
    --m_nShownRows;
    delete record;
    Invalidate(FALSE);
}

void CHeftList::RemoveRowsOfTreeItems(std::vector<HTREEITEM> items)
{
    // A folder row holds its folder's item, a listed file the item of the
    // folder it lies in; the files of a folder's contents hold none.
    std::sort(items.begin(), items.end());
    for (size_t row = m_nShownRows; row-- > 0;) {
        const CDirEntry* record = m_rows[row].record;
        if (record->GetTreeItem() && std::binary_search(items.begin(), items.end(), record->GetTreeItem()))
            RemoveRow(static_cast<int>(row));
    }
}

void CHeftList::ShowExtraColumns(std::vector<CString> titles)
{
    if (titles.size() > static_cast<size_t>(kColumnCount - kBasicColumns)) titles.resize(kColumnCount - kBasicColumns);
    if (titles == m_extraColumns || !m_hWnd) return;
    CListCtrl& list = GetListCtrl();
    for (size_t i = m_extraColumns.size(); i-- > 0;) list.Send(LVM_DELETECOLUMN, kBasicColumns + i);
    m_extraColumns = std::move(titles);
    for (int column = kBasicColumns; column < kColumnCount; ++column) m_nTextWidth[column] = 0;
    if (m_nLastSortColumn >= kBasicColumns) m_nLastSortColumn = -1;
    for (size_t i = 0; i < m_extraColumns.size(); ++i) {
        const std::wstring text = Utf8ToWide(m_extraColumns[i].str());
        LVCOLUMNW column{};
        column.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        // A folder's path wants room; a number does not.
        column.cx = ScaleToDpi(m_extraColumns[i] == "Folder" ? 250 : 100);
        column.pszText = const_cast<wchar_t*>(text.c_str());
        column.iSubItem = static_cast<int>(kBasicColumns + i);
        SendMessage(LVM_INSERTCOLUMNW, kBasicColumns + i, reinterpret_cast<LPARAM>(&column));
    }
}

CString CHeftList::GetExtraColumnTitle(int column) const
{
    return column >= 0 && column < ExtraColumnCount() ? m_extraColumns[static_cast<size_t>(column)] : CString();
}

CString CHeftList::GetExtraColumnText(int row, int column) const
{
    const auto* listed = dynamic_cast<const CListedEntry*>(GetRowRecord(row));
    if (!listed || column < 0 || column >= ExtraColumnCount() || static_cast<size_t>(column) >= listed->m_columns.size())
        return CString();
    return listed->m_columns[static_cast<size_t>(column)].text;
}

CString CHeftList::GetRowPath(int row) const
{
    const CDirEntry* record = GetRowRecord(row);
    const CHeftDoc* doc = GetDocument();
    if (!record || !doc) return CString();
    // A folder row stands for its folder in the tree, wherever that lies.
    if (record->IsFolder()) return record->GetTreeItem() ? doc->FolderPath(record->GetTreeItem()) : CString();
    if (const auto* listed = dynamic_cast<const CListedEntry*>(record))
        return listed->m_strFolder.IsEmpty() ? CString() : listed->m_strFolder + "\\" + record->GetName();
    return doc->m_strListFolder + "\\" + record->GetName();
}

void CHeftList::UpdateFolderRowSizes(const CTreeCtrl& tree)
{
    for (const Row& row : m_rows) {
        if (!row.record->IsFolder() || !row.record->GetTreeItem()) continue;
        if (const auto* folder = reinterpret_cast<const CDirEntry*>(tree.GetItemData(row.record->GetTreeItem())))
            row.record->SetSize(folder->GetSize());
    }
    Invalidate(FALSE);
}

void CHeftList::ReleaseRowRecords()
{
    // The control forgets the rows first, so that nothing it sends on the way
    // can meet a freed record.
    m_nShownRows = 0;
    if (m_hWnd) GetListCtrl().Send(LVM_DELETEALLITEMS);
    for (const Row& row : m_rows) delete row.record;
    m_rows.clear();
    m_pShellAnswers.reset();
}

namespace {

} // namespace

void CHeftList::OnGetDispInfo(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    auto* info = reinterpret_cast<NMLVDISPINFOW*>(pNMHDR);
    LVITEMW& item = info->item;
    const CDirEntry* record = GetRowRecord(item.iItem);
    if (!record) return;
    if (item.mask & LVIF_IMAGE) item.iImage = GetRowImage(item.iItem);
    if (item.mask & LVIF_TEXT) {
        // Only the name column has a text; the other cells are drawn.
        const CString text = item.iSubItem == 0 ? record->GetName() : CString();
        if (item.cchTextMax > 0) CopyToWideBuffer(text.str(), item.pszText, static_cast<size_t>(item.cchTextMax));
    }
}

void CHeftList::OnFindItem(NMHDR* pNMHDR, LRESULT* pResult)
{
    // Typing a name's first letters moves to the next row whose name starts
    // with them, in any letter case.
    *pResult = -1;
    auto* find = reinterpret_cast<NMLVFINDITEMW*>(pNMHDR);
    const LVFINDINFOW& how = find->lvfi;
    if (!(how.flags & (LVFI_STRING | LVFI_PARTIAL)) || !how.psz || m_nShownRows == 0) return;
    CString wanted = WideToUtf8(how.psz);
    wanted.MakeUpper();
    const bool partial = (how.flags & LVFI_PARTIAL) != 0;
    const size_t count = m_nShownRows;
    size_t start = find->iStart >= 0 && static_cast<size_t>(find->iStart) < count ? static_cast<size_t>(find->iStart)
                                                                                   : 0;
    const size_t steps = (how.flags & LVFI_WRAP) ? count : count - start;
    for (size_t step = 0; step < steps; ++step) {
        const size_t row = (start + step) % count;
        CString name = m_rows[row].record->GetName();
        name.MakeUpper();
        const bool match = partial ? name.str().compare(0, wanted.str().size(), wanted.str()) == 0 : name == wanted;
        if (match) {
            *pResult = static_cast<LRESULT>(row);
            return;
        }
    }
}

void CHeftList::OnDestroy()
{
    m_bClosing = true;
    ReleaseRowRecords();
    if (CHeftDoc* doc = GetDocument(); doc && doc->m_pListCtrl && doc->m_pListCtrl->m_hWnd == m_hWnd)
        doc->m_pListCtrl = nullptr;
    CListView::OnDestroy();
}

// ---- sorting ----------------------------------------------------------------

int CHeftList::CompareNames(const CDirEntry* a, const CDirEntry* b)
{
    return listrules::CompareNames(a->GetName(), b->GetName());
}

int CHeftList::CompareSizes(const CDirEntry* a, const CDirEntry* b)
{
    return listrules::CompareSizes(a->GetSize(), b->GetSize());
}

int CHeftList::CompareExtraColumn(const CDirEntry* a, const CDirEntry* b, int column)
{
    const auto* listedA = dynamic_cast<const CListedEntry*>(a);
    const auto* listedB = dynamic_cast<const CListedEntry*>(b);
    const auto at = static_cast<size_t>(column);
    if (!listedA || !listedB || column < 0 || at >= listedA->m_columns.size() || at >= listedB->m_columns.size())
        return 0;
    const CListedEntry::Column& x = listedA->m_columns[at];
    const CListedEntry::Column& y = listedB->m_columns[at];
    // Numbers sort signed: a change of -5 comes before one of +3.
    if (x.isNumber && y.isNumber) return x.value < y.value ? -1 : (x.value > y.value ? 1 : 0);
    return listrules::CompareNames(x.text, y.text);
}

int CALLBACK CHeftList::CompareRows(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort)
{
    const auto* param = reinterpret_cast<const SortParam*>(lParamSort);
    const auto* a = reinterpret_cast<const CDirEntry*>(lParam1);
    const auto* b = reinterpret_cast<const CDirEntry*>(lParam2);
    if (!param || !a || !b) return 0;
    const int order = param->column >= kBasicColumns ? CompareExtraColumn(a, b, param->column - kBasicColumns)
                                                     : param->compare(a, b);
    return listrules::Directed(order, param->bAscending != FALSE);
}

void CHeftList::OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const int column = reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iSubItem;
    if (column < 0 || column >= ColumnCount()) return;
    CWaitCursor wait;
    // The size, bar and percent columns all sort by size.
    SortParam param{column == 0 ? &CHeftList::CompareNames : &CHeftList::CompareSizes, TRUE, column};
    // A new column starts ascending; the same column again goes the other way.
    if (column != m_nLastSortColumn) m_bSortAscending[column] = true;
    param.bAscending = m_bSortAscending[column] ? TRUE : FALSE;
    m_nLastSortColumn = column;
    SortRows(param);
    m_bSortAscending[column] = !m_bSortAscending[column];
}

// ---- header, menu, keys -----------------------------------------------------

void CHeftList::OnDividerDblClick(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    // The item index sits at the same place in the narrow and the wide block.
    const int column = reinterpret_cast<NMHEADERW*>(pNMHDR)->iItem;
    if (column < 0 || column >= ColumnCount()) return;
    HDITEMW item{};
    item.mask = HDI_WIDTH;
    item.cxy = listrules::DividerWidth(column, m_nTextWidth[column], ScaleToDpi(4), IconSize().cx, ScaleToDpi(125));
    ::SendMessageW(pNMHDR->hwndFrom, HDM_SETITEMW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
}

void CHeftList::OnContextMenu(HWND, POINT point)
{
    // The menu key and Shift+F10 give no point: the menu then opens near the
    // list's top-left corner.
    if (point.x == -1 && point.y == -1) {
        RECT client{};
        GetClientRect(&client);
        POINT corner{client.left, client.top};
        ::ClientToScreen(m_hWnd, &corner);
        point.x = corner.x + 5;
        point.y = corner.y + 5;
    }
    struct MenuHolder {
        HMENU h;
        ~MenuHolder()
        {
            if (h) DestroyMenu(h);
        }
    } menu{LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_CONTEXTMENU))};
    if (!menu.h) return;
    HMENU popup = GetSubMenu(menu.h, 0);
    if (!popup) return;
    // The main window owns the menu, so the chosen command takes the
    // framework's route to the active view.
    HWND owner = GetSafeOwner(m_hWnd);
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, point.x, point.y, 0, owner ? owner : m_hWnd, nullptr);
}

// The keys and the double-click give their commands the way the menu does,
// so that a command held back (while a scan runs) is held for them too.
void CHeftList::OnKeyDown(UINT nChar, UINT, UINT)
{
    UINT command = 0;
    switch (nChar) {
    case VK_BACK: command = ID_UP_ONE_LEVEL; break;
    case VK_RETURN: command = ID_ACTION_OPEN; break;
    case VK_DELETE: command = ID_ACTION_DELETE; break;
    default: break;
    }
    // The command may close the list (the window closed while Delete asks).
    if (command != 0 && !SendMessageKeepsWindow(WM_COMMAND, command)) return;
    Default();
}

void CHeftList::OnSysKeyDown(UINT nChar, UINT, UINT nFlags)
{
    // Alt is down when the key flags carry the context code.
    if (nChar == VK_RETURN && (nFlags & KF_ALTDOWN) && !SendMessageKeepsWindow(WM_COMMAND, ID_ITEM_PROPERTIES))
        return;
    Default();
}

void CHeftList::OnLButtonDblClk(UINT, POINT)
{
    if (!SendMessageKeepsWindow(WM_COMMAND, ID_ACTION_OPEN)) return;
    Default();
}

void CHeftList::OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    CHeftDoc* doc = GetDocument();
    if (!doc || !doc->ShowsDriveListing() || !doc->m_pTreeCtrl) return;
    const int row = reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iItem;
    if (row < 0) return;
    CDirEntry* record = GetRowRecord(row);
    if (!record) return;
    // Rows of a listing of the whole drive come from anywhere on it: the
    // tree follows the row to its folder.
    HTREEITEM item = record->GetTreeItem();
    if (item && item != doc->m_pTreeCtrl->GetSelectedItem()) doc->m_pTreeCtrl->SelectItem(item);
}

// ---- commands ---------------------------------------------------------------

CDirEntry* CHeftList::GetSelectedRecord()
{
    return GetRowRecord(GetListCtrl().GetNextItem(-1, LVNI_SELECTED));
}

void CHeftList::OnUpdateOpenOrDelete(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(!GetRowPath(GetListCtrl().GetNextItem(-1, LVNI_SELECTED)).IsEmpty());
}

void CHeftList::OnOpen()
{
    CHeftDoc* doc = GetDocument();
    const int row = GetListCtrl().GetNextItem(-1, LVNI_SELECTED);
    CDirEntry* record = GetRowRecord(row);
    if (!doc || !record) return;
    if (record->IsFolder()) {
        // Selecting the folder in the tree refills the list with its contents.
        if (doc->m_pTreeCtrl && record->GetTreeItem()) doc->m_pTreeCtrl->SelectItem(record->GetTreeItem());
        return;
    }
    const CString path = GetRowPath(row);
    if (!path.IsEmpty()) ShellOpen(m_hWnd, path);
}

void CHeftList::OnDelete()
{
    CHeftDoc* doc = GetDocument();
    const int selectedRow = GetListCtrl().GetNextItem(-1, LVNI_SELECTED);
    CDirEntry* record = GetRowRecord(selectedRow);
    if (!doc || !record) return;
    if (record->IsFolder()) {
        // A folder row stands for its folder in the tree, wherever that lies
        // (the ten largest directories come from all over the drive).
        if (record->GetTreeItem()) DeleteTreeFolder(*this, *doc, record->GetTreeItem());
        return;
    }
    const CString path = GetRowPath(selectedRow);
    if (path.IsEmpty()) return;
    // The folder the file lies in: the one listed, or the listed file's own.
    const auto* listed = dynamic_cast<const CListedEntry*>(record);
    const CString folder = listed ? listed->m_strFolder : doc->m_strListFolder;
    if (!ConfirmDelete(*this, path)) return;
    if (!DeleteFileUtf8(path)) {
        ReportDeleteFailure(*this, path, DeleteFailure{path, GetLastError()});
        return;
    }
    for (int row = 0; row < GetRowCount(); ++row) {
        if (GetRowRecord(row) == record) {
            const std::int64_t size = record->GetSize();
            const CString name = record->GetName();
            RemoveRow(row);
            // Its folder's own bytes are counted again as it holds them now.
            doc->RecountFolderFiles(doc->FindFolderItem(folder), name, size);
            break;
        }
    }
}

void CHeftList::OnProperties()
{
    CHeftDoc* doc = GetDocument();
    const CDirEntry* record = GetSelectedRecord();
    if (!doc || !record) return;
    CItemPropertiesDlg dialog;
    dialog.SetEntry(*record, doc->m_nDriveTotal);
    dialog.DoModal();
}

void CHeftList::OnUpOneLevel()
{
    if (CHeftDoc* doc = GetDocument(); doc && doc->m_pTreeCtrl) SelectParentFolder(*doc->m_pTreeCtrl);
}

// ---- drawing ----------------------------------------------------------------

namespace {

// Puts back the colours and the alignment a drawing routine changed.
class DcStateKeeper {
public:
    explicit DcStateKeeper(HDC hdc)
        : m_hdc(hdc), m_text(GetTextColor(hdc)), m_back(GetBkColor(hdc)), m_align(GetTextAlign(hdc))
    {
    }
    ~DcStateKeeper()
    {
        SetTextColor(m_hdc, m_text);
        SetBkColor(m_hdc, m_back);
        SetTextAlign(m_hdc, m_align);
    }
    DcStateKeeper(const DcStateKeeper&) = delete;
    DcStateKeeper& operator=(const DcStateKeeper&) = delete;

private:
    HDC m_hdc;
    COLORREF m_text;
    COLORREF m_back;
    UINT m_align;
};


} // namespace

int CHeftList::Px(const CDC* pDC, int pixels)
{
    // The printed report keeps its lengths in the printer's dots.
    return pDC->m_bPrinting ? pixels : ScaleToDpi(pixels);
}

SIZE CHeftList::IconSize()
{
    SIZE size{ScaleToDpi(16), ScaleToDpi(16)};
    if (m_hWnd) {
        auto images = reinterpret_cast<HIMAGELIST>(GetListCtrl().Send(LVM_GETIMAGELIST, LVSIL_SMALL));
        int cx = 0, cy = 0;
        if (images && ImageList_GetIconSize(images, &cx, &cy)) size = SIZE{cx, cy};
    }
    return size;
}

void CHeftList::MeasureItem(MEASUREITEMSTRUCT* pMeasureItem)
{
    // A row holds its icon and a line of the list's font with a pixel (at
    // 96 DPI) to spare, at any DPI.
    CClientDC dc(m_hWnd);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    const int text = metrics.tmHeight + ScaleToDpi(1);
    const int icon = IconSize().cy + ScaleToDpi(1);
    pMeasureItem->itemHeight = static_cast<UINT>(std::max(text, icon));
}

void CHeftList::FitTextToCell(CDC* pDC, CString& text, int limit, int cellWidth)
{
    // Measured where the text will be laid out: in print preview that is the
    // printer, not the screen that shows the page.
    int fullWidth = -1;
    listrules::FitText(text, limit, cellWidth,
                       [pDC](std::string_view part, int* width) {
                           SIZE size{};
                           if (!pDC->GetTextExtent(part, &size)) return false;
                           *width = size.cx;
                           return true;
                       },
                       &fullWidth, Px(pDC, 4));
    // Only screen widths count for the divider double-click; a printer's
    // dots would make the columns far too wide.
    if (!pDC->m_bPrinting && fullWidth >= 0 && m_nDrawColumn >= 0 && m_nDrawColumn < kColumnCount &&
        fullWidth > m_nTextWidth[m_nDrawColumn]) {
        m_nTextWidth[m_nDrawColumn] = fullWidth;
    }
}

void CHeftList::DrawCellText(CDC* pDC, CString text, const RECT& cell)
{
    FitTextToCell(pDC, text, 256, cell.right - cell.left);
    pDC->ExtTextOut(cell.left + Px(pDC, 2), cell.top + Px(pDC, 1), ETO_OPAQUE | ETO_CLIPPED, &cell, text.str());
}

void CHeftList::DrawCellTextRight(CDC* pDC, CString text, const RECT& cell)
{
    FitTextToCell(pDC, text, 256, cell.right - cell.left);
    const UINT previous = pDC->SetTextAlign(TA_RIGHT);
    pDC->ExtTextOut(cell.right - Px(pDC, 1), cell.top + Px(pDC, 1), ETO_OPAQUE | ETO_CLIPPED, &cell, text.str());
    pDC->SetTextAlign(previous == GDI_ERROR ? TA_LEFT | TA_TOP : previous);
}

double CHeftList::RowShare(std::int64_t size) const
{
    const CHeftDoc* doc = GetDocument();
    if (!doc) return 0.0;
    return listrules::EntryShare(size, doc->m_nFolderTotal, doc->m_nDriveTotal, doc->m_bRelativeToFolder != FALSE);
}

double CHeftList::DrawPercentBar(CDC* pDC, std::int64_t size, const RECT& cell, BOOL bSelected)
{
    CHeftDoc* doc = GetDocument();
    if (!doc || doc->m_nFolderTotal <= 0) return 0.0;
    const double share = RowShare(size);

    HDC hdc = pDC->GetSafeHdc();
    const CSelectedObject cellBrush(hdc, bSelected ? m_brHighlight : m_brWindow);
    const CSelectedObject cellPen(hdc, bSelected ? m_penHighlight : m_penWindow);
    Rectangle(hdc, cell.left, cell.top, cell.right, cell.bottom);

    const listrules::BarColour colour = listrules::BarColourFor(share);
    if (colour != listrules::BarColour::None) {
        const CSelectedObject barBrush(hdc, colour == listrules::BarColour::High ? m_brHigh
                                            : colour == listrules::BarColour::Mid ? m_brMid
                                                                                   : m_brLow);
        const CSelectedObject barPen(hdc, m_penBlack);
        Rectangle(hdc, cell.left + Px(pDC, 2), cell.top + Px(pDC, 1),
                  listrules::BarRight(cell.left, cell.right, share), cell.bottom - Px(pDC, 1));
    }
    return share;
}

void CHeftList::DrawItem(DRAWITEMSTRUCT* pDrawItem)
{
    if (!pDrawItem || pDrawItem->itemID == static_cast<UINT>(-1)) return;
    const int row = static_cast<int>(pDrawItem->itemID);

    const CDirEntry* record = GetRowRecord(row);
    if (!record) return;

    CDC dc(pDrawItem->hDC);
    DcStateKeeper keepState(dc);
    const bool selected = (pDrawItem->itemState & ODS_SELECTED) != 0;
    UINT iconStyle = ILD_TRANSPARENT;
    if (selected) {
        dc.SetTextColor(GetSysColor(COLOR_HIGHLIGHTTEXT));
        dc.SetBkColor(GetSysColor(COLOR_HIGHLIGHT));
        iconStyle = ILD_TRANSPARENT | ILD_BLEND50;
    } else {
        dc.SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
        dc.SetBkColor(GetSysColor(COLOR_WINDOW));
    }

    const RECT& r = pDrawItem->rcItem;
    CListCtrl& list = GetListCtrl();
    const CHeftDoc* doc = GetDocument();
    if (record->IsLink() && doc) iconStyle |= doc->m_linkMark.overlay;
    const SIZE icon = IconSize();
    if (HIMAGELIST images = CMainFrame::SystemSmallImages()) {
        const int top = r.top + std::max(0L, (r.bottom - r.top - icon.cy) / 2);
        ImageList_Draw(images, GetRowImage(row), dc, r.left, top, iconStyle);
        if (record->IsLink() && doc) doc->m_linkMark.DrawArrow(images, dc, r.left, top);
    }

    // Widths are read at every drawing, so the cells follow the user's resizing.
    auto width = [&list](int column) { return list.GetColumnWidth(column); };
    const int width0 = width(0);
    RECT name{r.left + icon.cx, r.top, r.left + width0, r.bottom};
    RECT sizeCell{r.left + width0, r.top, r.left + width0 + width(1), r.bottom};
    RECT bar{sizeCell.right, r.top, sizeCell.right + width(2), r.bottom};
    RECT percent{bar.right, r.top, bar.right + width(3), r.bottom};

    m_nDrawColumn = 0;
    // A folder that could not be read shows its name greyed, as in the tree.
    const bool greyed = record->IsUnreadable() && !selected;
    if (greyed) dc.SetTextColor(GetSysColor(COLOR_GRAYTEXT));
    DrawCellText(&dc, record->GetName(), name);
    if (greyed) dc.SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
    m_nDrawColumn = 1;
    DrawCellTextRight(&dc, record->GetSizeText(), sizeCell);
    m_nDrawColumn = 2;
    const double share = DrawPercentBar(&dc, record->GetSize(), bar, selected ? TRUE : FALSE);
    m_nDrawColumn = 3;
    DrawCellTextRight(&dc, listrules::PercentText(share), percent);
    RECT extra{percent.right, r.top, percent.right, r.bottom};
    const auto* listed = dynamic_cast<const CListedEntry*>(record);
    for (int column = 0; column < ExtraColumnCount(); ++column) {
        m_nDrawColumn = kBasicColumns + column;
        extra.left = extra.right;
        extra.right = extra.left + width(kBasicColumns + column);
        const auto at = static_cast<size_t>(column);
        const bool number = listed && at < listed->m_columns.size() && listed->m_columns[at].isNumber;
        if (number) DrawCellTextRight(&dc, listed->m_columns[at].text, extra);
        else DrawCellText(&dc, GetExtraColumnText(row, column), extra);
    }

    if (selected) {
        dc.SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
        dc.SetBkColor(GetSysColor(COLOR_WINDOW));
    }
    if (pDrawItem->itemState & ODS_FOCUS) {
        // The focus ends with the last column, not at the window's edge.
        RECT focus = r;
        focus.right = std::max(percent.right, extra.right);
        DrawFocusRect(dc, &focus);
    }
}
