#include "views/CHeftList.h"

#include "app/CMainFrame.h"
#include "document/CHeftDoc.h"
#include "framework/CFileFind.h"
#include "model/CDirEntry.h"
#include "resources/resource.h"
#include "views/ListRules.h"

#include <shellapi.h>

#include <algorithm>
#include <climits>
#include <string>
#include <string_view>
#include <vector>

const MessageMap* CHeftList::GetThisMessageMap()
{
    static const MsgMapEntry entries[] = {
        on::Message<WM_CONTEXTMENU, &CHeftList::OnContextMenu>(),
        on::Message<WM_DESTROY, &CHeftList::OnDestroy>(),
        on::NotifyReflect<&CHeftList::OnColumnClick>(static_cast<int>(LVN_COLUMNCLICK)),
        on::Command<&CHeftList::OnOpen>(ID_ACTION_OPEN),
        on::Command<&CHeftList::OnProperties>(ID_ITEM_PROPERTIES),
        on::Command<&CHeftList::OnDelete>(ID_ACTION_DELETE),
        on::Message<WM_SYSKEYDOWN, &CHeftList::OnSysKeyDown>(),
        on::Message<WM_KEYDOWN, &CHeftList::OnKeyDown>(),
        on::Message<WM_LBUTTONDBLCLK, &CHeftList::OnLButtonDblClk>(),
        on::Command<&CHeftList::OnUpOneLevel>(ID_UP_ONE_LEVEL),
        on::NotifyReflect<&CHeftList::OnItemChanged>(static_cast<int>(LVN_ITEMCHANGED)),
        on::NotifyReflect<&CHeftList::OnDeleteAllItems>(static_cast<int>(LVN_DELETEALLITEMS)),
        // The header asks its parent, the list, for the notification format;
        // the version-6 list answers Unicode, so both codes can arrive.
        on::Notify<&CHeftList::OnDividerDblClick>(static_cast<int>(HDN_DIVIDERDBLCLICKA), 0),
        on::Notify<&CHeftList::OnDividerDblClick>(static_cast<int>(HDN_DIVIDERDBLCLICKW), 0),
        on::Reflected<WM_DRAWITEM, &CHeftList::DrawItem>(),
    };
    static const MessageMap map = MessageMap::Of(&CListView::GetThisMessageMap, entries);
    return &map;
}

BOOL CHeftList::PreCreateWindow(CREATESTRUCTA& cs)
{
    cs.style |= LVS_REPORT | LVS_SINGLESEL | LVS_SORTASCENDING | LVS_SHAREIMAGELISTS | LVS_OWNERDRAWFIXED;
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
        LVCOLUMNA column{};
        column.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.cx = columns[i].width;
        column.pszText = const_cast<char*>(columns[i].text);
        column.iSubItem = i;
        SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column));
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

    // The shell's list belongs to the main frame (and the shell); the list only
    // shows it, which its share-image-lists style guarantees.
    if (auto* frame = dynamic_cast<CMainFrame*>(AfxGetMainWnd())) {
        SendMessage(LVM_SETIMAGELIST, LVSIL_SMALL,
                    reinterpret_cast<LPARAM>(frame->m_ilSystemSmall.GetSafeHandle()));
    }
}

LRESULT CHeftList::SendToControl(UINT message, WPARAM wParam, LPARAM lParam) const
{
    // The class's procedure is the control's own: the view's subclass sits in
    // front of it only through the common controls' subclass chain.
    if (!m_pfnControlProc)
        m_pfnControlProc = reinterpret_cast<WNDPROC>(GetClassLongPtrW(m_hWnd, GCLP_WNDPROC));
    if (!m_pfnControlProc) return ::SendMessageA(m_hWnd, message, wParam, lParam);
    return CallWindowProcW(m_pfnControlProc, m_hWnd, message, wParam, lParam);
}

void CHeftList::AddRow(CDirEntry* record, int image)
{
    m_addedRows.push_back(AddedRow{record, image});
}

void CHeftList::InsertAddedRows()
{
    for (const AddedRow& row : m_addedRows) {
        const CString name = row.record->GetName();
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = INT_MAX;
        item.pszText = const_cast<char*>(name.GetString());
        item.iImage = row.image;
        item.lParam = reinterpret_cast<LPARAM>(row.record);
        if (SendToControl(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) < 0) delete row.record;
    }
    m_addedRows.clear();
}

void CHeftList::SortRows(const SortParam& param)
{
    // Added rows go in already in order; the control's own sort then finds
    // little to do (under Wine it takes half a second for 100,000 rows in no
    // order, 20 ms for rows in order), and it still puts right whatever the
    // control ordered by text as the rows went in.
    std::stable_sort(m_addedRows.begin(), m_addedRows.end(), [&param](const AddedRow& a, const AddedRow& b) {
        return CompareRows(reinterpret_cast<LPARAM>(a.record), reinterpret_cast<LPARAM>(b.record),
                           reinterpret_cast<LPARAM>(&param)) < 0;
    });
    InsertAddedRows();
    SendToControl(LVM_SORTITEMS, reinterpret_cast<WPARAM>(&param), reinterpret_cast<LPARAM>(&CHeftList::CompareRows));
}

void CHeftList::ReleaseRowRecords()
{
    for (const AddedRow& row : m_addedRows) delete row.record;
    m_addedRows.clear();
    const auto count = static_cast<int>(SendToControl(LVM_GETITEMCOUNT));
    std::vector<CDirEntry*> records;
    records.reserve(static_cast<size_t>(count > 0 ? count : 0));
    for (int i = 0; i < count; ++i) {
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        if (SendToControl(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) && item.lParam)
            records.push_back(reinterpret_cast<CDirEntry*>(item.lParam));
    }
    // The rows go first, so that no notification of their deletion can meet a
    // freed record.
    SendToControl(LVM_DELETEALLITEMS);
    for (CDirEntry* record : records) delete record;
}

void CHeftList::OnDeleteAllItems(NMHDR*, LRESULT* pResult)
{
    // Nobody needs to hear of each row: the list frees the records itself.
    *pResult = TRUE;
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

int CALLBACK CHeftList::CompareRows(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort)
{
    const auto* param = reinterpret_cast<const SortParam*>(lParamSort);
    const auto* a = reinterpret_cast<const CDirEntry*>(lParam1);
    const auto* b = reinterpret_cast<const CDirEntry*>(lParam2);
    if (!param || !a || !b) return 0;
    return listrules::Directed(param->compare(a, b), param->bAscending != FALSE);
}

void CHeftList::OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    const int column = reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iSubItem;
    if (column < 0 || column > 3) return;
    CWaitCursor wait;
    // The size, bar and percent columns all sort by size.
    SortParam param{column == 0 ? &CHeftList::CompareNames : &CHeftList::CompareSizes, TRUE};
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
    const int column = reinterpret_cast<NMHEADERA*>(pNMHDR)->iItem;
    if (column < 0 || column > 3) return;
    HDITEMA item{};
    item.mask = HDI_WIDTH;
    item.cxy = listrules::DividerWidth(column, m_nTextWidth[column]);
    ::SendMessageA(pNMHDR->hwndFrom, HDM_SETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
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
    } menu{LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_CONTEXTMENU))};
    if (!menu.h) return;
    HMENU popup = GetSubMenu(menu.h, 0);
    if (!popup) return;
    // The main window owns the menu, so the chosen command takes the
    // framework's route to the active view.
    HWND owner = GetSafeOwner(m_hWnd);
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, point.x, point.y, 0, owner ? owner : m_hWnd, nullptr);
}

void CHeftList::OnKeyDown(UINT nChar, UINT, UINT)
{
    switch (nChar) {
    case VK_BACK:
        OnUpOneLevel();
        break;
    case VK_RETURN:
        OnOpen();
        break;
    case VK_DELETE:
        OnDelete();
        break;
    case VK_F5:
        if (CHeftDoc* doc = GetDocument()) doc->OnRefresh();
        break;
    default:
        break;
    }
    Default();
}

void CHeftList::OnSysKeyDown(UINT nChar, UINT, UINT nFlags)
{
    // Alt is down when the context code (bit 13 of the key flags) is set.
    if (nChar == VK_RETURN && (nFlags & 0x2000)) OnProperties();
    Default();
}

void CHeftList::OnLButtonDblClk(UINT, POINT)
{
    OnOpen();
    Default();
}

void CHeftList::OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
    *pResult = 0;
    CHeftDoc* doc = GetDocument();
    if (!doc || !doc->m_bTopTen || !doc->m_pTreeCtrl) return;
    const int row = reinterpret_cast<NMLISTVIEW*>(pNMHDR)->iItem;
    if (row < 0) return;
    auto* record = reinterpret_cast<CDirEntry*>(GetListCtrl().GetItemData(row));
    if (!record) return;
    // Rows of the ten largest directories come from anywhere on the drive: the
    // tree follows the row to its folder.
    HTREEITEM item = record->GetTreeItem();
    if (item && item != doc->m_pTreeCtrl->GetSelectedItem()) doc->m_pTreeCtrl->SelectItem(item);
}

// ---- commands ---------------------------------------------------------------

CDirEntry* CHeftList::GetSelectedRecord()
{
    CListCtrl& list = GetListCtrl();
    const int row = list.GetNextItem(-1, LVNI_SELECTED);
    if (row < 0) return nullptr;
    return reinterpret_cast<CDirEntry*>(list.GetItemData(row));
}

void CHeftList::OnOpen()
{
    CHeftDoc* doc = GetDocument();
    CDirEntry* record = GetSelectedRecord();
    if (!doc || !record) return;
    if (record->IsFolder()) {
        // Selecting the folder in the tree refills the list with its contents.
        if (doc->m_pTreeCtrl && record->GetTreeItem()) doc->m_pTreeCtrl->SelectItem(record->GetTreeItem());
        return;
    }
    CString path = doc->m_strListFolder + "\\" + record->GetName();
    ShellExecuteA(m_hWnd, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
}

void CHeftList::OnDelete()
{
    // Deleting the selected row from the disk comes with the item actions.
}

void CHeftList::OnProperties()
{
    // The properties dialog of the selected row comes with the item actions.
}

void CHeftList::OnUpOneLevel()
{
    CHeftDoc* doc = GetDocument();
    if (!doc || !doc->m_pTreeCtrl) return;
    CTreeCtrl& tree = *doc->m_pTreeCtrl;
    HTREEITEM selected = tree.GetSelectedItem();
    if (!selected) return;
    HTREEITEM parent = tree.GetParentItem(selected);
    if (!parent) return;
    tree.SelectItem(parent);
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

// Selects GDI objects into a DC and puts the previous ones back when it goes.
class SelectionKeeper {
public:
    explicit SelectionKeeper(HDC hdc) : m_hdc(hdc) {}
    ~SelectionKeeper()
    {
        if (m_brush) SelectObject(m_hdc, m_brush);
        if (m_pen) SelectObject(m_hdc, m_pen);
    }
    SelectionKeeper(const SelectionKeeper&) = delete;
    SelectionKeeper& operator=(const SelectionKeeper&) = delete;
    void Brush(HBRUSH brush)
    {
        HGDIOBJ previous = SelectObject(m_hdc, brush);
        if (!m_brush) m_brush = previous;
    }
    void Pen(HPEN pen)
    {
        HGDIOBJ previous = SelectObject(m_hdc, pen);
        if (!m_pen) m_pen = previous;
    }

private:
    HDC m_hdc;
    HGDIOBJ m_brush = nullptr;
    HGDIOBJ m_pen = nullptr;
};

// Width of a UTF-8 text in the DC's font.
bool MeasureText(HDC hdc, std::string_view text, int* width)
{
    const std::wstring wide = Utf8ToWide(text);
    SIZE size{};
    if (!GetTextExtentPoint32W(hdc, wide.c_str(), static_cast<int>(wide.size()), &size)) return false;
    *width = size.cx;
    return true;
}

void TextInCell(HDC hdc, int x, int y, const RECT& cell, const CString& text)
{
    const std::wstring wide = Utf8ToWide(text.str());
    ExtTextOutW(hdc, x, y, ETO_OPAQUE | ETO_CLIPPED, &cell, wide.c_str(), static_cast<UINT>(wide.size()), nullptr);
}

} // namespace

CString CHeftList::RowText(int row) const
{
    // Names have no fixed limit: the buffer grows until the text fits.
    std::string buffer(256, '\0');
    for (;;) {
        LVITEMA item{};
        item.iSubItem = 0;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        const auto length = static_cast<size_t>(
            SendToControl(LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
        if (length + 1 < buffer.size()) {
            buffer.resize(length);
            return CString(std::move(buffer));
        }
        buffer.assign(buffer.size() * 2, '\0');
    }
}

void CHeftList::FitTextToCell(CDC* pDC, CString& text, int limit, int cellWidth)
{
    HDC hdc = pDC->GetSafeHdc();
    int fullWidth = -1;
    listrules::FitText(text, limit, cellWidth,
                       [hdc](std::string_view part, int* width) { return MeasureText(hdc, part, width); },
                       &fullWidth);
    // Only screen widths count for the divider double-click; a printer's
    // dots would make the columns far too wide.
    if (!pDC->m_bPrinting && fullWidth >= 0 && m_nDrawColumn >= 0 && m_nDrawColumn < 4 &&
        fullWidth > m_nTextWidth[m_nDrawColumn]) {
        m_nTextWidth[m_nDrawColumn] = fullWidth;
    }
}

void CHeftList::DrawCellText(CDC* pDC, CString text, const RECT& cell)
{
    FitTextToCell(pDC, text, 256, cell.right - cell.left);
    TextInCell(pDC->GetSafeHdc(), cell.left + 2, cell.top + 1, cell, text);
}

void CHeftList::DrawCellTextRight(CDC* pDC, CString text, const RECT& cell)
{
    FitTextToCell(pDC, text, 256, cell.right - cell.left);
    const UINT previous = pDC->SetTextAlign(TA_RIGHT);
    TextInCell(pDC->GetSafeHdc(), cell.right - 1, cell.top + 1, cell, text);
    pDC->SetTextAlign(previous == GDI_ERROR ? TA_LEFT | TA_TOP : previous);
}

double CHeftList::DrawPercentBar(CDC* pDC, std::int64_t size, const RECT& cell, BOOL bSelected)
{
    CHeftDoc* doc = GetDocument();
    if (!doc || doc->m_nFolderTotal <= 0) return 0.0;
    const double share =
        listrules::EntryShare(size, doc->m_nFolderTotal, doc->m_nDriveTotal, doc->m_bRelativeToFolder == 1);

    HDC hdc = pDC->GetSafeHdc();
    SelectionKeeper keep(hdc);
    keep.Brush(bSelected ? m_brHighlight : m_brWindow);
    keep.Pen(bSelected ? m_penHighlight : m_penWindow);
    Rectangle(hdc, cell.left, cell.top, cell.right, cell.bottom);

    const listrules::BarColour colour = listrules::BarColourFor(share);
    if (colour != listrules::BarColour::None) {
        keep.Brush(colour == listrules::BarColour::High ? m_brHigh
                   : colour == listrules::BarColour::Mid ? m_brMid
                                                          : m_brLow);
        keep.Pen(m_penBlack);
        Rectangle(hdc, cell.left + 2, cell.top + 1, listrules::BarRight(cell.left, cell.right, share),
                  cell.bottom - 1);
    }
    return share;
}

void CHeftList::DrawItem(DRAWITEMSTRUCT* pDrawItem)
{
    if (!pDrawItem || pDrawItem->itemID == static_cast<UINT>(-1)) return;
    const int row = static_cast<int>(pDrawItem->itemID);

    LVITEMA item{};
    item.mask = LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
    item.iItem = row;
    item.stateMask = static_cast<UINT>(-1);
    SendToControl(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    const CString text = RowText(row);
    const auto* record = reinterpret_cast<const CDirEntry*>(item.lParam);

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
    if (auto images = reinterpret_cast<HIMAGELIST>(SendToControl(LVM_GETIMAGELIST, LVSIL_SMALL)))
        ImageList_Draw(images, item.iImage, dc, r.left, r.top, iconStyle);

    // Widths are read at every drawing, so the cells follow the user's resizing.
    auto width = [this](int column) { return static_cast<int>(SendToControl(LVM_GETCOLUMNWIDTH, column)); };
    const int width0 = width(0);
    RECT name{r.left + 16, r.top, r.left + width0, r.bottom};
    RECT sizeCell{r.left + width0, r.top, r.left + width0 + width(1), r.bottom};
    RECT bar{sizeCell.right, r.top, sizeCell.right + width(2), r.bottom};
    RECT percent{bar.right, r.top, bar.right + width(3), r.bottom};

    m_nDrawColumn = 0;
    DrawCellText(&dc, text, name);
    m_nDrawColumn = 1;
    DrawCellTextRight(&dc, record ? record->GetSizeText() : CString(), sizeCell);
    m_nDrawColumn = 2;
    const double share = DrawPercentBar(&dc, record ? record->GetSize() : 0, bar, selected ? TRUE : FALSE);
    m_nDrawColumn = 3;
    DrawCellTextRight(&dc, listrules::PercentText(share), percent);

    if (selected) {
        dc.SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
        dc.SetBkColor(GetSysColor(COLOR_WINDOW));
    }
    if (pDrawItem->itemState & ODS_FOCUS) {
        // The focus ends with the last column, not at the window's edge.
        RECT focus = r;
        focus.right = percent.right;
        DrawFocusRect(dc, &focus);
    }
}
