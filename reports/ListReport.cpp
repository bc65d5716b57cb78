// The printed directory report of the contents list: on every page a header
// (date and page number, the product, the heading, the folder shown or the
// ten largest directories), then the list's rows in their order, each with
// its name, size, bar and percent drawn by the list's own cell routines, and
// at the foot a rule and a line of text. Everything is measured in the
// printer's dots, one logical unit per dot.
#include "views/CHeftList.h"

#include "document/CHeftDoc.h"
#include "framework/CPrintInfo.h"
#include "framework/CTime.h"
#include "model/CDirEntry.h"
#include "reports/ReportLayout.h"
#include "views/ListRules.h"

#include <string_view>

const char* const CHeftList::kReportFootText =
    "Heftscope: the size of a folder counts every file in it and in all the folders below it";
const char* const CHeftList::kPageTooShortText =
    "This page is too short for the rows of the report: choose a longer paper in Print Setup.";

namespace {

int TextWidth(CDC* pDC, std::string_view text)
{
    SIZE size{};
    return pDC->GetTextExtent(text, &size) ? size.cx : 0;
}

void TextCentred(CDC* pDC, int pageWidth, int y, std::string_view text)
{
    pDC->TextOut(report::CentredX(pageWidth, TextWidth(pDC, text)), y, text);
}

} // namespace

BOOL CHeftList::OnPreparePrinting(CPrintInfo* pInfo)
{
    return DoPreparePrinting(pInfo);
}

void CHeftList::OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo)
{
    // Each job measures its own printer: the font, the lines and the pages
    // of the last one say nothing about this one.
    const int pageHeight = pDC->GetDeviceCaps(VERTRES);
    const int fontHeight = MulDiv(11, pDC->GetDeviceCaps(LOGPIXELSY), 72);
    m_fontReport.Attach(CreateFontW(-fontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, L"Arial"));
    m_nReportLineHeight = -report::LineHeight(fontHeight);
    m_nRowsPerPage = report::RowsPerPage(pageHeight, -m_nReportLineHeight);
    pInfo->SetMinPage(1);
    pInfo->SetMaxPage(static_cast<UINT>(report::PageCount(GetRowCount(), m_nRowsPerPage)));
}

void CHeftList::OnPrepareDC(CDC* pDC, CPrintInfo* pInfo)
{
    // The framework's default mapping: one logical unit per printer dot.
    CListView::OnPrepareDC(pDC, pInfo);
}

CString CHeftList::GetReportTitle() const
{
    const CHeftDoc* doc = GetDocument();
    if (!doc) return CString();
    const CString folder = doc->FolderPath(doc->m_pTreeCtrl ? doc->m_pTreeCtrl->GetSelectedItem() : nullptr);
    switch (doc->m_listState) {
    case ListState::TopTen: return "Top 10 largest directories";
    case ListState::LargestFiles: return "Largest files of " + doc->m_strDrive;
    case ListState::FileTypes: return "File types of " + folder;
    case ListState::Changes:
        return doc->m_pEarlierReport ? CString("Changes since " + doc->m_pEarlierReport->searched.substr(0, 16))
                                     : CString("Changes");
    case ListState::Contents: break;
    }
    return folder;
}

void CHeftList::OnPrint(CDC* pDC, CPrintInfo* pInfo)
{
    CSelectedObject font(*pDC, m_fontReport);
    const int line = -m_nReportLineHeight;
    const int page = static_cast<int>(pInfo->m_nCurPage);
    const int width = pDC->GetDeviceCaps(HORZRES);
    const int height = pDC->GetDeviceCaps(VERTRES);

    pDC->TextOut(0, report::HeaderLineY(0, line), CTime::GetCurrentTime().Format("%B %d, %Y %H:%M").str());
    CString pageText;
    pageText.Format("Page: %d", page);
    pDC->TextOut(width - TextWidth(pDC, pageText.str()), report::HeaderLineY(0, line), pageText.str());
    TextCentred(pDC, width, report::HeaderLineY(1, line), "Heftscope");
    TextCentred(pDC, width, report::HeaderLineY(2, line), "Directory Report");
    TextCentred(pDC, width, report::HeaderLineY(3, line), GetReportTitle().str());

    if (m_nRowsPerPage < 1) {
        // Not even one row fits between the header and the foot: the page
        // says so instead of staying silently empty.
        pDC->TextOut(0, report::RowY(0, line), kPageTooShortText);
    } else {
        // The page count was fixed when the job began; the rows are read as
        // they are now.
        const report::RowColumns columns = report::ColumnsFor(width);
        const auto first = static_cast<int>(report::FirstRowOfPage(page, m_nRowsPerPage));
        const int rows = report::RowsOnPage(page, GetRowCount(), m_nRowsPerPage);
        for (int i = 0; i < rows; ++i) {
            const CDirEntry* record = GetRowRecord(first + i);
            if (!record) break;
            const int top = report::RowY(i, line);
            const RECT name{columns.nameLeft, top, columns.sizeLeft, top + line};
            const RECT size{columns.sizeLeft, top, columns.barLeft, top + line};
            const RECT bar{columns.barLeft, top, columns.percentLeft, top + line};
            const RECT percent{columns.percentLeft, top, columns.percentRight, top + line};
            DrawCellText(pDC, record->GetName(), name);
            DrawCellTextRight(pDC, record->GetSizeText(), size);
            const double share = DrawPercentBar(pDC, record->GetSize(), bar, FALSE);
            DrawCellTextRight(pDC, listrules::PercentText(share), percent);
            // A listing's own columns share the room right of the percent.
            const int room = width - columns.percentRight;
            for (int column = 0; column < ExtraColumnCount(); ++column) {
                const RECT extra{columns.percentRight + room * column / ExtraColumnCount() + columns.nameLeft / 4, top,
                                 columns.percentRight + room * (column + 1) / ExtraColumnCount(), top + line};
                DrawCellText(pDC, GetExtraColumnText(first + i, column), extra);
            }
        }
    }

    {
        CSelectedObject pen(*pDC, GetStockObject(BLACK_PEN));
        pDC->MoveTo(0, report::FootRuleY(height, line));
        pDC->LineTo(width, report::FootRuleY(height, line));
    }
    pDC->TextOut(0, report::FootTextY(height, line), kReportFootText);
}

void CHeftList::OnEndPrinting(CDC*, CPrintInfo*)
{
    m_fontReport.DeleteObject();
}
