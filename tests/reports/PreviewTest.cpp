// Print preview of the report on the PDF queue's printer: it takes the main
// window's client area, menu and bars and gives them back, its bar and keys
// turn and zoom the pages, and it draws the printer's page scaled to the
// screen. Print from the preview ends it and prints.
#include "framework/CPreviewView.h"
#include "reports/ReportLayout.h"
#include "resources/resource.h"
#include "tests/common/DialogAnswerer.h"
#include "tests/reports/PdfQueue.h"
#include "tests/views/Canvas.h"
#include "tests/views/ListTestBase.h"
#include "views/CHeftTree.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

bool Dark(COLORREF c)
{
    return GetRValue(c) < 128 && GetGValue(c) < 128 && GetBValue(c) < 128;
}

class PreviewTest : public ListTest {
protected:
    void SetUp() override
    {
        ListTest::SetUp();
        ASSERT_EQ(PdfQueue::Prepare(app), "") << "the preview needs the printer";
        HDC printer = PrinterDC();
        ASSERT_NE(printer, nullptr);
        line = report::LineHeight(MulDiv(11, GetDeviceCaps(printer, LOGPIXELSY), 72));
        rowsPerPage = report::RowsPerPage(GetDeviceCaps(printer, VERTRES), line);
        ASSERT_GT(rowsPerPage, 0);
    }

    HDC PrinterDC()
    {
        EXPECT_TRUE(app.GetPrinterDeviceDefaults(&printer.m_pd));
        return printer.GetPrinterDC() ? printer.GetPrinterDC() : printer.CreatePrinterDC();
    }

    // A folder of three pages' rows, the first row over half of the folder.
    void OpenThreePages()
    {
        const int rows = 2 * rowsPerPage + 3;
        drive.File("rows\\big.bin", 10'000'000);
        for (int i = 1; i < rows; ++i) {
            char name[64];
            snprintf(name, sizeof(name), "rows\\file%03d.bin", i);
            drive.File(name, 1000ull + static_cast<unsigned>(i));
        }
        ASSERT_TRUE(OpenShowing(drive, "rows", doc, list));
        tree = dynamic_cast<CHeftTree*>(doc->GetView(0));
        ASSERT_EQ(list->GetRowCount(), rows);
    }

    // Print Preview chosen in the tree, which hands it on to the list.
    CPreviewView* StartPreview()
    {
        ::SetFocus(tree->m_hWnd);
        tree->SendMessage(WM_COMMAND, ID_FILE_PRINT_PREVIEW);
        PumpPending();
        return CPreviewView::Showing();
    }

    CToolBar* Bar() { return dynamic_cast<CToolBar*>(main->GetControlBar(AFX_IDW_PREVIEW_BAR)); }
    bool Enabled(UINT id) { return Bar()->SendMessage(TB_ISBUTTONENABLED, id) != 0; }
    std::string ButtonText(UINT id)
    {
        char text[64] = {};
        Bar()->SendMessage(TB_GETBUTTONTEXTA, id, reinterpret_cast<LPARAM>(text));
        return text;
    }
    void Key(CPreviewView* preview, UINT key) { preview->SendMessage(WM_KEYDOWN, key, 0); }
    void Command(UINT id) { main->SendMessage(WM_COMMAND, id); }
    static bool Visible(const CWnd& wnd) { return wnd.m_hWnd && (wnd.GetStyle() & WS_VISIBLE); }

    CPrintDialog printer{FALSE};
    int line = 0;
    int rowsPerPage = 0;
    FixtureDrive drive{'T'};
    CHeftDoc* doc = nullptr;
    CHeftList* list = nullptr;
    CHeftTree* tree = nullptr;
};

TEST_F(PreviewTest, ThePreviewTakesTheClientAreaAndCloseGivesBackMenuBarsAndFocus)
{
    OpenThreePages();
    const HMENU menu = GetMenu(main->m_hWnd);
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(Visible(main->m_wndToolBar));
    ASSERT_TRUE(Visible(main->m_wndDriveBar));

    CPreviewView* preview = StartPreview();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->GetPrintView(), list) << "the tree passes the command to the list";
    EXPECT_EQ(GetMenu(main->m_hWnd), nullptr);
    EXPECT_FALSE(Visible(main->m_wndToolBar));
    EXPECT_FALSE(Visible(main->m_wndDriveBar));
    EXPECT_FALSE(IsWindowVisible(main->m_hWndMDIClient));
    EXPECT_TRUE(Visible(main->m_wndStatusBar));
    EXPECT_TRUE(Visible(*preview));
    EXPECT_EQ(GetFocus(), preview->m_hWnd);
    EXPECT_EQ(main->m_wndStatusBar.GetPaneText(0), "Page 1 of 3");
    // The preview fills what the bars leave.
    RECT bar{}, pages{}, status{};
    GetWindowRect(Bar()->m_hWnd, &bar);
    GetWindowRect(preview->m_hWnd, &pages);
    GetWindowRect(main->m_wndStatusBar.m_hWnd, &status);
    EXPECT_EQ(pages.top, bar.bottom);
    EXPECT_EQ(pages.bottom, status.top);
    // The job began on the printer: three pages of the printer's rows.
    EXPECT_EQ(preview->GetPrintInfo().GetMaxPage(), 3u);
    EXPECT_EQ(list->m_nRowsPerPage, rowsPerPage);
    ASSERT_NE(list->m_fontReport.GetSafeHandle(), nullptr);
    // Commands of the drive window do nothing while the preview shows.
    Command(ID_TOP_TEN);
    EXPECT_FALSE(doc->m_bTopTen);

    Key(preview, VK_ESCAPE);
    EXPECT_EQ(CPreviewView::Showing(), nullptr);
    EXPECT_EQ(main->GetControlBar(AFX_IDW_PREVIEW_BAR), nullptr) << "the bar went with it";
    EXPECT_EQ(GetMenu(main->m_hWnd), menu);
    EXPECT_TRUE(Visible(main->m_wndToolBar));
    EXPECT_TRUE(Visible(main->m_wndDriveBar));
    EXPECT_TRUE(IsWindowVisible(main->m_hWndMDIClient));
    EXPECT_EQ(GetFocus(), tree->m_hWnd) << "the focus goes back where it was";
    EXPECT_EQ(main->m_wndStatusBar.GetPaneText(0), "Ready") << "no page number left behind";
    EXPECT_EQ(list->m_fontReport.GetSafeHandle(), nullptr) << "the job ended";
    Command(ID_TOP_TEN);
    EXPECT_TRUE(doc->m_bTopTen) << "the drive window's commands work again";
}

TEST_F(PreviewTest, TheBarAndTheKeysTurnThePagesShowTwoAndZoom)
{
    OpenThreePages();
    CPreviewView* preview = StartPreview();
    ASSERT_NE(preview, nullptr);
    ASSERT_NE(Bar(), nullptr);
    EXPECT_EQ(Bar()->GetButtonCount(), 7);
    EXPECT_EQ(ButtonText(AFX_ID_PREVIEW_PRINT), "Print...");
    EXPECT_EQ(ButtonText(AFX_ID_PREVIEW_CLOSE), "Close");
    EXPECT_EQ(ButtonText(AFX_ID_PREVIEW_NUMPAGE), "Two Page");
    EXPECT_TRUE(Enabled(AFX_ID_PREVIEW_PRINT));
    EXPECT_TRUE(Enabled(AFX_ID_PREVIEW_NEXT));
    EXPECT_FALSE(Enabled(AFX_ID_PREVIEW_PREV)) << "nothing before the first page";
    EXPECT_TRUE(Enabled(AFX_ID_PREVIEW_ZOOMIN));
    EXPECT_FALSE(Enabled(AFX_ID_PREVIEW_ZOOMOUT));

    Key(preview, VK_NEXT);
    EXPECT_EQ(preview->GetCurrentPage(), 2u);
    Command(AFX_ID_PREVIEW_NEXT);
    EXPECT_EQ(preview->GetCurrentPage(), 3u);
    EXPECT_FALSE(Enabled(AFX_ID_PREVIEW_NEXT)) << "nothing after the last page";
    Key(preview, VK_NEXT);
    EXPECT_EQ(preview->GetCurrentPage(), 3u);
    Key(preview, VK_PRIOR);
    EXPECT_EQ(preview->GetCurrentPage(), 2u);
    Key(preview, VK_HOME);
    EXPECT_EQ(preview->GetCurrentPage(), 1u);
    Key(preview, VK_END);
    EXPECT_EQ(preview->GetCurrentPage(), 3u);

    // Two pages at the end show the last two.
    Command(AFX_ID_PREVIEW_NUMPAGE);
    EXPECT_EQ(preview->GetPagesShown(), 2u);
    EXPECT_EQ(preview->GetCurrentPage(), 2u);
    EXPECT_EQ(ButtonText(AFX_ID_PREVIEW_NUMPAGE), "One Page");
    EXPECT_EQ(main->m_wndStatusBar.GetPaneText(0), "Pages 2-3 of 3");
    EXPECT_FALSE(Enabled(AFX_ID_PREVIEW_NEXT));
    const RECT left = preview->GetPageRect(0), right = preview->GetPageRect(1);
    EXPECT_GT(right.left, left.right) << "side by side";
    EXPECT_EQ(right.top, left.top);

    // Zoomed: one page, larger, with scroll bars; back out: two pages again.
    Command(AFX_ID_PREVIEW_ZOOMIN);
    EXPECT_EQ(preview->GetPagesShown(), 1u);
    EXPECT_FALSE(Enabled(AFX_ID_PREVIEW_NUMPAGE));
    const RECT zoomed = preview->GetPageRect(0);
    EXPECT_GT(zoomed.bottom - zoomed.top, left.bottom - left.top);
    Key(preview, VK_ADD);
    EXPECT_EQ(preview->GetZoom(), CPreviewView::kMaxZoom);
    EXPECT_FALSE(Enabled(AFX_ID_PREVIEW_ZOOMIN));
    EXPECT_TRUE(preview->GetStyle() & WS_VSCROLL) << "a page taller than the window scrolls";
    const RECT before = preview->GetPageRect(0);
    Key(preview, VK_DOWN);
    EXPECT_LT(preview->GetPageRect(0).top, before.top);
    Key(preview, VK_SUBTRACT);
    Command(AFX_ID_PREVIEW_ZOOMOUT);
    EXPECT_EQ(preview->GetZoom(), 0);
    EXPECT_FALSE(preview->GetStyle() & WS_VSCROLL);
    EXPECT_EQ(preview->GetPagesShown(), 2u);
    EXPECT_TRUE(Enabled(AFX_ID_PREVIEW_NUMPAGE));

    Command(AFX_ID_PREVIEW_CLOSE);
    EXPECT_EQ(CPreviewView::Showing(), nullptr);
}

TEST_F(PreviewTest, ThePageIsThePrintersPageScaledToTheScreen)
{
    OpenThreePages();
    CPreviewView* preview = StartPreview();
    ASSERT_NE(preview, nullptr);
    RECT client{};
    preview->GetClientRect(&client);
    Canvas canvas(client.right, client.bottom, RGB(255, 0, 255));
    ASSERT_TRUE(canvas.Valid());
    preview->DrawPages(canvas.Dc(), client);

    HDC dc = PrinterDC();
    const int width = GetDeviceCaps(dc, HORZRES), height = GetDeviceCaps(dc, VERTRES);
    int paperWidth = GetDeviceCaps(dc, PHYSICALWIDTH), paperHeight = GetDeviceCaps(dc, PHYSICALHEIGHT);
    const int offsetX = GetDeviceCaps(dc, PHYSICALOFFSETX), offsetY = GetDeviceCaps(dc, PHYSICALOFFSETY);
    const RECT paper = preview->GetPageRect(0);
    // The paper keeps the printer's proportions.
    EXPECT_NEAR(static_cast<double>(paper.right - paper.left) / (paper.bottom - paper.top),
                static_cast<double>(paperWidth) / paperHeight, 0.01);
    const double sx = static_cast<double>(paper.right - paper.left) / paperWidth;
    const double sy = static_cast<double>(paper.bottom - paper.top) / paperHeight;
    auto screenX = [&](int dots) { return paper.left + static_cast<int>(std::lround((offsetX + dots) * sx)); };
    auto screenY = [&](int dots) { return paper.top + static_cast<int>(std::lround((offsetY + dots) * sy)); };

    EXPECT_EQ(canvas.At((paper.left + paper.right) / 2, screenY(report::RowY(4, line))), RGB(255, 255, 255))
        << "white paper";
    // The foot rule at H - L of the printer's page, across its width.
    const int rule = screenY(report::FootRuleY(height, line));
    for (int x : {screenX(width / 4), screenX(width / 2), screenX(3 * width / 4)}) {
        EXPECT_TRUE(Dark(canvas.At(x, rule - 1)) || Dark(canvas.At(x, rule)) || Dark(canvas.At(x, rule + 1)))
            << "rule at " << x << "," << rule;
    }
    // The first row's red bar starts at the bar column's edge and ends
    // within it: the big file holds most of the folder.
    const report::RowColumns columns = report::ColumnsFor(width);
    const int middle = screenY(report::RowY(0, line) + line / 2);
    EXPECT_EQ(canvas.At(screenX(columns.barLeft + 2) + 2, middle), RGB(255, 0, 0));
    EXPECT_EQ(canvas.At(screenX(columns.barLeft) - 2, middle), RGB(255, 255, 255)) << "left of the bar column";
    EXPECT_NE(canvas.At(screenX(columns.percentLeft) + 2, middle), RGB(255, 0, 0)) << "the bar ends in its column";
    // Outside the paper: the grey around it.
    EXPECT_EQ(canvas.At(paper.left - 5, (paper.top + paper.bottom) / 2), GetSysColor(COLOR_APPWORKSPACE));
    preview->Close();
}

TEST_F(PreviewTest, PrintFromThePreviewEndsItAndPrintsTheReport)
{
    OpenThreePages();
    const std::string title = PdfQueue::UniqueTitle("preview");
    doc->SetTitle(title.c_str());
    ASSERT_NE(StartPreview(), nullptr);
    {
        DialogAnswerer ok("Print", IDOK);
        Command(AFX_ID_PREVIEW_PRINT);
        EXPECT_EQ(CPreviewView::Showing(), nullptr) << "the preview ends first";
        PumpPending();
        EXPECT_EQ(ok.Answered(), 1);
    }
    const std::string pdf = PdfQueue::WaitForPdf(title);
    ASSERT_NE(pdf, "") << "the report reached the printer";
    EXPECT_EQ(PdfQueue::PageTexts(pdf).size(), 3u);
    PdfQueue::Remove(pdf);
}

TEST_F(PreviewTest, ClosingTheMainWindowOrTheDriveWindowEndsThePreviewFirst)
{
    OpenThreePages();
    ASSERT_NE(StartPreview(), nullptr);
    // Closing the main window while previewing closes only the preview.
    main->SendMessage(WM_CLOSE);
    EXPECT_EQ(CPreviewView::Showing(), nullptr);
    ASSERT_NE(app.m_pMainWnd, nullptr);
    EXPECT_EQ(DocumentCount(), 1);
    // The drive window closing under a preview takes the preview with it.
    ASSERT_NE(StartPreview(), nullptr);
    app.CloseAllDocuments();
    PumpPending();
    EXPECT_EQ(CPreviewView::Showing(), nullptr);
    EXPECT_EQ(main->GetControlBar(AFX_IDW_PREVIEW_BAR), nullptr);
    EXPECT_TRUE(IsWindowVisible(main->m_hWndMDIClient));
    EXPECT_NE(GetMenu(main->m_hWnd), nullptr);
}

} // namespace
