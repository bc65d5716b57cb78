// A machine without any printer: this executable runs with the printing
// service out of reach (CMakeLists.txt sets CUPS_SERVER), so Wine finds no
// printer at all. Print, Print Preview and Print Setup each say so.
#include "framework/CPreviewView.h"
#include "resources/resource.h"
#include "tests/common/DialogAnswerer.h"
#include "tests/views/ListTestBase.h"
#include "views/CHeftTree.h"

#include <gtest/gtest.h>

namespace {

const char* const kNoPrinter = "No printer is installed.\n\nAdd a printer, then try again.";

class NoPrinterTest : public ListTest {};

TEST_F(NoPrinterTest, PrintPreviewAndPrintSetupSayThatThereIsNoPrinter)
{
    DWORD needed = 0, count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed, &count);
    ASSERT_EQ(needed, 0u) << "this test needs a process without printers: run it through ctest, which "
                             "puts the printing service out of reach";
    FixtureDrive drive('T');
    drive.File("a.bin", 10);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    Show(doc, doc->m_hRootItem);
    auto* tree = dynamic_cast<CHeftTree*>(doc->GetView(0));
    ASSERT_NE(tree, nullptr);

    struct Case {
        CWnd* target;
        UINT command;
        const char* caption;
    };
    const Case cases[] = {
        {list, ID_FILE_PRINT, "Print"},
        {list, ID_FILE_PRINT_PREVIEW, "Print Preview"},
        {tree, ID_FILE_PRINT, "Print"},
        {tree, ID_FILE_PRINT_PREVIEW, "Print Preview"},
        {main, ID_FILE_PRINT_SETUP, "Print Setup"},
    };
    for (const Case& c : cases) {
        DialogAnswerer ok(c.caption, IDOK);
        c.target->SendMessage(WM_COMMAND, c.command);
        PumpPending(); // the tree posts the command on to the list
        EXPECT_EQ(ok.Answered(), 1) << c.caption << " tells the user";
        EXPECT_EQ(ok.LastText(), kNoPrinter) << c.caption;
        EXPECT_EQ(CPreviewView::Showing(), nullptr);
        EXPECT_EQ(list->m_fontReport.GetSafeHandle(), nullptr) << "no job began";
        EXPECT_EQ(app.GetDevNames(), nullptr) << "no printer chosen";
    }
}

} // namespace
