// Printing through a real spooler: the program prints on the CUPS queue
// HeftPDF (see PdfQueue.h), the test answers the print dialog, and the PDF
// that arrives is read back: the header on every page, every row in list
// order with its size and percent, the foot on every page, and as many pages
// as the report's formula gives for that printer's resolution and page.
#include "framework/CPrintInfo.h"
#include "framework/CView.h"
#include "reports/ReportLayout.h"
#include "resources/resource.h"
#include "tests/common/DialogAnswerer.h"
#include "tests/reports/PdfQueue.h"
#include "tests/views/ListTestBase.h"
#include "views/CHeftTree.h"
#include "views/ListRules.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

const unsigned long long MB = 1024 * 1024;

// The dialogs' own controls (the platform's print dialog templates).
constexpr int kLandscape = 0x421;
constexpr int kPrintRangePages = 0x422;
constexpr int kFromPage = 0x480;
constexpr int kToPage = 0x481;

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.find_first_not_of(' ') != std::string::npos) lines.push_back(line);
    }
    return lines;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class SpoolerTest : public ListTest {
protected:
    void SetUp() override
    {
        ListTest::SetUp();
        ASSERT_EQ(PdfQueue::Prepare(app), "") << "the printing tests cannot reach the spooler";
    }
    void TearDown() override
    {
        for (const std::string& pdf : pdfs) PdfQueue::Remove(pdf);
        ListTest::TearDown();
    }

    // The report's line height and rows per page on the printer the
    // application has chosen, from that printer's own resolution and page.
    struct Geometry {
        int dpi, width, height, line, rows;
    };
    Geometry PrinterGeometry()
    {
        CPrintDialog printer(FALSE);
        EXPECT_TRUE(app.GetPrinterDeviceDefaults(&printer.m_pd));
        HDC dc = printer.CreatePrinterDC();
        EXPECT_NE(dc, nullptr);
        Geometry g{};
        if (!dc) return g;
        g.dpi = GetDeviceCaps(dc, LOGPIXELSY);
        g.width = GetDeviceCaps(dc, HORZRES);
        g.height = GetDeviceCaps(dc, VERTRES);
        g.line = report::LineHeight(MulDiv(11, g.dpi, 72));
        g.rows = report::RowsPerPage(g.height, g.line);
        return g;
    }

    // Prints through the print dialog, which `answer` handles, and returns
    // the text of the PDF's pages (none when no PDF came).
    std::vector<std::string> PrintAndRead(CWnd& target, const std::string& title,
                                          std::function<void(HWND)> inDialog = nullptr)
    {
        doc->SetTitle(title.c_str());
        {
            DialogAnswerer ok("Print", IDOK, std::move(inDialog));
            target.SendMessage(WM_COMMAND, ID_FILE_PRINT);
            PumpPending(); // the tree posts the command on to the list
            EXPECT_EQ(ok.Answered(), 1) << "the print dialog came";
        }
        const std::string pdf = PdfQueue::WaitForPdf(title);
        EXPECT_NE(pdf, "") << "no PDF titled " << title << " arrived in " << PdfQueue::OutputFolder()
                           << " within a minute (see /var/log/cups/error_log)";
        if (pdf.empty()) return {};
        pdfs.push_back(pdf);
        lastPdf = pdf;
        return PdfQueue::PageTexts(pdf);
    }

    // Checks the header and the foot of every page.
    void ExpectHeaderAndFoot(const std::vector<std::string>& pages, const std::string& title, int firstPage = 1)
    {
        const std::regex dateAndPage(R"(^\s*[A-Z][a-z]+ \d\d, \d{4} \d\d:\d\d\s+Page: (\d+)\s*$)");
        for (size_t i = 0; i < pages.size(); ++i) {
            const std::vector<std::string> lines = Lines(pages[i]);
            ASSERT_GE(lines.size(), 5u) << "page " << i + 1;
            std::smatch match;
            ASSERT_TRUE(std::regex_match(lines[0], match, dateAndPage)) << lines[0];
            EXPECT_EQ(std::stoi(match[1]), firstPage + static_cast<int>(i));
            EXPECT_EQ(lines[1].substr(lines[1].find_first_not_of(' ')), "Heftscope");
            EXPECT_EQ(lines[2].substr(lines[2].find_first_not_of(' ')), "Directory Report");
            EXPECT_EQ(lines[3].substr(lines[3].find_first_not_of(' ')), title);
            EXPECT_TRUE(Contains(lines.back(), CHeftList::kReportFootText)) << "page " << i + 1 << ": " << lines.back();
        }
    }

    // The row lines of the pages: every line between the header and the foot.
    static std::vector<std::string> RowLines(const std::vector<std::string>& pages)
    {
        std::vector<std::string> rows;
        for (const std::string& page : pages) {
            const std::vector<std::string> lines = Lines(page);
            for (size_t i = 4; i + 1 < lines.size(); ++i) rows.push_back(lines[i]);
        }
        return rows;
    }

    // Each row line shows its row's name, size text and percent, in list order.
    void ExpectRows(const std::vector<std::string>& lines, int firstRow, int count)
    {
        ASSERT_EQ(static_cast<int>(lines.size()), count);
        for (int i = 0; i < count; ++i) {
            const CDirEntry* row = list->GetRowRecord(firstRow + i);
            ASSERT_NE(row, nullptr);
            const std::string& line = lines[static_cast<size_t>(i)];
            const std::string name = row->GetName().str();
            if (name.size() > 40) {
                EXPECT_TRUE(Contains(line, name.substr(0, 12)) && Contains(line, "...") && !Contains(line, name))
                    << "a name wider than its cell is shortened: " << line;
            } else {
                EXPECT_TRUE(Contains(line, name)) << "row " << firstRow + i << " is " << name << ": " << line;
            }
            const double share = listrules::EntryShare(row->GetSize(), doc->m_nFolderTotal, doc->m_nDriveTotal,
                                                       doc->m_bRelativeToFolder == TRUE);
            const std::string percent = listrules::PercentText(share).str();
            const std::string size = row->GetSizeText().str();
            EXPECT_TRUE(std::regex_search(line, std::regex("\\s" + (size.empty() ? std::string() : size + "\\s+") +
                                                           std::regex_replace(percent, std::regex("\\."), "\\.") +
                                                           "\\s*$")))
                << "size \"" << size << "\" and " << percent << " end the line: " << line;
        }
    }

    // A folder of `count` rows: a long-named file first (largest), a file of
    // no bytes last, numbered files between, all of different sizes.
    void OpenFolderOfRows(int count)
    {
        drive.File("rows\\A file whose name is far too long for the name column of the report.bin",
                   1000ull * static_cast<unsigned>(count) + 500);
        for (int i = 1; i < count - 1; ++i) {
            char name[64];
            snprintf(name, sizeof(name), "rows\\file%03d.bin", i);
            drive.File(name, 1000ull * static_cast<unsigned>(count - i) + 7);
        }
        drive.File("rows\\zero.bin", 0);
        drive.File("elsewhere\\other.bin", 123456);
        ASSERT_TRUE(OpenShowing(drive, "rows", doc, list));
        ASSERT_EQ(list->GetRowCount(), count);
    }

    FixtureDrive drive{'T'};
    CHeftDoc* doc = nullptr;
    CHeftList* list = nullptr;
    std::vector<std::string> pdfs;
    std::string lastPdf;
};

TEST_F(SpoolerTest, AFolderReportPrintsEveryRowInListOrderOnThePagesTheFormulaGives)
{
    const Geometry g = PrinterGeometry();
    ASSERT_GT(g.rows, 0);
    // Two full pages and three rows on a third, whatever the printer.
    const int rows = 2 * g.rows + 3;
    OpenFolderOfRows(rows);
    const std::vector<std::string> pages = PrintAndRead(*list, PdfQueue::UniqueTitle("folder"));
    std::printf("printer: %d dpi, %d x %d dots, L = %d, R = %d, %d rows\n", g.dpi, g.width, g.height, g.line,
                g.rows, rows);
    ASSERT_EQ(static_cast<int>(pages.size()), report::PageCount(rows, g.rows));
    ASSERT_EQ(pages.size(), 3u);
    ExpectHeaderAndFoot(pages, "T:\\rows");
    ExpectRows(RowLines({pages[0]}), 0, g.rows);
    ExpectRows(RowLines({pages[1]}), g.rows, g.rows);
    ExpectRows(RowLines({pages[2]}), 2 * g.rows, 3);
    // The last row has no bytes: no size, 0.0%.
    EXPECT_TRUE(std::regex_search(RowLines({pages[2]}).back(), std::regex(R"(zero\.bin\s+0\.0%\s*$)")));
    EXPECT_EQ(list->m_fontReport.GetSafeHandle(), nullptr) << "the job's font went with the job";
}

TEST_F(SpoolerTest, TheTenLargestPrintedFromTheTreeCarryTheirTitleAndTheirRowsInOrder)
{
    for (int i = 1; i <= 12; ++i) {
        char name[32];
        snprintf(name, sizeof(name), "f%02d\\data.bin", i);
        drive.File(name, static_cast<unsigned long long>(i) * MB);
    }
    ASSERT_TRUE(OpenShowing(drive, "", doc, list));
    main->SendMessage(WM_COMMAND, ID_TOP_TEN);
    ASSERT_TRUE(doc->m_bTopTen);
    auto* tree = dynamic_cast<CHeftTree*>(doc->GetView(0));
    ASSERT_NE(tree, nullptr);
    const std::vector<std::string> pages = PrintAndRead(*tree, PdfQueue::UniqueTitle("topten"));
    ASSERT_EQ(pages.size(), 1u);
    ExpectHeaderAndFoot(pages, "Top 10 largest directories");
    const std::vector<std::string> lines = RowLines(pages);
    ExpectRows(lines, 0, 10);
    EXPECT_TRUE(Contains(lines.front(), "f12") && Contains(lines.front(), "12,582,912"));
    EXPECT_TRUE(Contains(lines.back(), "f03") && Contains(lines.back(), "3,145,728"));
}

TEST_F(SpoolerTest, PrintSetupKeepsThePrinterAndItsSettingsForTheNextJob)
{
    {
        DialogAnswerer ok("Print Setup", IDOK,
                          [](HWND dialog) { SendMessageW(GetDlgItem(dialog, kLandscape), BM_CLICK, 0, 0); });
        main->SendMessage(WM_COMMAND, ID_FILE_PRINT_SETUP);
        ASSERT_EQ(ok.Answered(), 1);
    }
    {
        const auto* mode = static_cast<const DEVMODEW*>(GlobalLock(app.GetDevMode()));
        ASSERT_NE(mode, nullptr);
        EXPECT_EQ(mode->dmOrientation, DMORIENT_LANDSCAPE);
        GlobalUnlock(app.GetDevMode());
    }
    const Geometry g = PrinterGeometry();
    ASSERT_GT(g.width, g.height) << "the chosen printer prints across the page";
    const int rows = g.rows + 1;
    OpenFolderOfRows(rows);
    const std::vector<std::string> pages = PrintAndRead(*list, PdfQueue::UniqueTitle("landscape"));
    EXPECT_EQ(static_cast<int>(pages.size()), report::PageCount(rows, g.rows));
    // Landscape pages: wider than high, or high pages turned by a quarter.
    const std::string size = PdfQueue::Info(lastPdf, "Page size"), turn = PdfQueue::Info(lastPdf, "Page rot");
    EXPECT_TRUE(Contains(size, "842 x 595") || (Contains(size, "595 x 842") && (turn == "90" || turn == "270")))
        << size << ", turned " << turn;
    ExpectRows(RowLines({pages.at(0)}), 0, g.rows);
    // The print dialog handed the choice back unchanged: still across.
    const auto* mode = static_cast<const DEVMODEW*>(GlobalLock(app.GetDevMode()));
    ASSERT_NE(mode, nullptr);
    EXPECT_EQ(mode->dmOrientation, DMORIENT_LANDSCAPE);
    GlobalUnlock(app.GetDevMode());
}

TEST_F(SpoolerTest, APageRangeChosenInThePrintDialogPrintsThosePagesOnly)
{
    const Geometry g = PrinterGeometry();
    const int rows = 2 * g.rows + 3;
    OpenFolderOfRows(rows);
    const std::vector<std::string> pages =
        PrintAndRead(*list, PdfQueue::UniqueTitle("range"), [](HWND dialog) {
            SendMessageW(GetDlgItem(dialog, kPrintRangePages), BM_CLICK, 0, 0);
            SetWindowTextUtf8(GetDlgItem(dialog, kFromPage), "2");
            SetWindowTextUtf8(GetDlgItem(dialog, kToPage), "2");
        });
    ASSERT_EQ(pages.size(), 1u);
    ExpectHeaderAndFoot(pages, "T:\\rows", 2);
    ExpectRows(RowLines(pages), g.rows, g.rows);
}

TEST_F(SpoolerTest, ACancelledPrintDialogBeginsNoJob)
{
    OpenFolderOfRows(5);
    DialogAnswerer cancel("Print", IDCANCEL);
    list->SendMessage(WM_COMMAND, ID_FILE_PRINT);
    EXPECT_EQ(cancel.Answered(), 1);
    EXPECT_EQ(list->m_nRowsPerPage, 0) << "the job never began";
    EXPECT_EQ(list->m_fontReport.GetSafeHandle(), nullptr);
}

// A view that records what the framework asks of it while it prints its
// pages, and can make the printer refuse one.
class RecordingView : public CView {
public:
    BOOL OnPreparePrinting(CPrintInfo* pInfo) override
    {
        calls += "P";
        return DoPreparePrinting(pInfo);
    }
    void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo) override
    {
        calls += "B";
        printerContext = pDC->m_bPrinting && pDC->GetDeviceCaps(TECHNOLOGY) == DT_RASPRINTER;
        if (pages) pInfo->SetMaxPage(pages);
    }
    void OnPrepareDC(CDC* pDC, CPrintInfo* pInfo) override
    {
        calls += "D" + std::to_string(pInfo->m_nCurPage);
        CView::OnPrepareDC(pDC, pInfo);
    }
    void OnPrint(CDC* pDC, CPrintInfo* pInfo) override
    {
        calls += "R" + std::to_string(pInfo->m_nCurPage);
        pDC->TextOut(300, 300, "recorded page " + std::to_string(pInfo->m_nCurPage));
        // The printer lets go of the job here: the next page cannot start.
        if (pInfo->m_nCurPage == lastAccepted) EndDoc(*pDC);
    }
    void OnEndPrinting(CDC*, CPrintInfo*) override { calls += "E"; }

    std::string calls;
    UINT pages = 0;
    UINT lastAccepted = 0;
    bool printerContext = false;
};

class SpoolerJobTest : public SpoolerTest {
protected:
    // The document is the fixture's own: the last view going must not delete it.
    SpoolerJobTest() { document.m_bAutoDelete = FALSE; }
    // A recording view in the main window, shown as a document of that title.
    RecordingView* MakeView(const std::string& title)
    {
        auto* view = new RecordingView;
        RECT rc{0, 0, 100, 100};
        EXPECT_TRUE(view->Create(main->m_hWnd, 0x7000, rc, nullptr));
        document.SetTitle(title.c_str());
        document.AddView(view);
        return view;
    }
    void TearDown() override
    {
        for (CView* view : std::vector<CView*>(document.GetViews())) view->DestroyWindow();
        SpoolerTest::TearDown();
    }
    CDocument document;
};

TEST_F(SpoolerJobTest, TheJobAsksTheViewForEachPageInTurnBetweenBeginAndEnd)
{
    const std::string title = PdfQueue::UniqueTitle("calls");
    RecordingView* view = MakeView(title);
    view->pages = 3;
    {
        DialogAnswerer ok("Print", IDOK);
        view->OnFilePrint();
        EXPECT_EQ(ok.Answered(), 1);
    }
    EXPECT_EQ(view->calls, "PBD1R1D2R2D3R3E");
    EXPECT_TRUE(view->printerContext) << "the pages are drawn on the printer's own context";
    const std::string pdf = PdfQueue::WaitForPdf(title);
    ASSERT_NE(pdf, "");
    pdfs.push_back(pdf);
    const std::vector<std::string> pages = PdfQueue::PageTexts(pdf);
    ASSERT_EQ(pages.size(), 3u) << "one page of the job per page of the view";
    for (size_t i = 0; i < pages.size(); ++i) EXPECT_TRUE(Contains(pages[i], "recorded page " + std::to_string(i + 1)));
    EXPECT_EQ(PdfQueue::Info(pdf, "Title"), title) << "the job carries the document's title";
}

TEST_F(SpoolerJobTest, AViewThatDoesNotKnowItsPageCountPrintsItsFirstPage)
{
    const std::string title = PdfQueue::UniqueTitle("unknown");
    RecordingView* view = MakeView(title);
    {
        DialogAnswerer ok("Print", IDOK);
        view->OnFilePrint();
    }
    EXPECT_EQ(view->calls, "PBD1R1D2E");
    const std::string pdf = PdfQueue::WaitForPdf(title);
    ASSERT_NE(pdf, "");
    pdfs.push_back(pdf);
    EXPECT_EQ(PdfQueue::PageTexts(pdf).size(), 1u);
}

TEST_F(SpoolerJobTest, APageThePrinterRefusesEndsTheJobThereAndTheUserIsTold)
{
    const std::string title = PdfQueue::UniqueTitle("refused");
    RecordingView* view = MakeView(title);
    view->pages = 4;
    view->lastAccepted = 2;
    {
        DialogAnswerer ok("Print", IDOK);
        view->OnFilePrint();
        EXPECT_EQ(ok.Answered(), 2) << "the print dialog, then the message";
        EXPECT_EQ(ok.LastText().rfind("Printing failed at page 3; the rest of the job was abandoned.", 0), 0u)
            << ok.LastText();
    }
    EXPECT_EQ(view->calls, "PBD1R1D2R2D3E") << "page 3 does not start, page 4 is not tried, and the job still ends";
    // What the printer took before it let go is its own affair.
    if (const std::string pdf = PdfQueue::WaitForPdf(title, 3); !pdf.empty()) pdfs.push_back(pdf);
}

} // namespace
