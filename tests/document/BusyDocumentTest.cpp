// Commands that reach the program while a scan runs: the scan's message pump
// dispatches them, and every one that would change or read the model is
// refused and shown greyed until the scan is over.
#include "document/CFolderReader.h"
#include "resources/resource.h"
#include "tests/common/HeftAppTest.h"
#include "tests/common/ProgressWatcher.h"
#include "views/CHeftList.h"
#include "views/CHeftTree.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// The commands that change or read a drive's model, or open or bring forward a drive.
const UINT kModelCommands[] = {
    ID_REFRESH,        ID_ACTION_DELETE,   ID_TOP_TEN,          ID_ITEM_PROPERTIES, ID_DRIVE_PROPERTIES,
    ID_FILE_PRINT,     ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP, ID_DISK_VS_DIRECTORY, ID_ACTION_OPEN,
    ID_UP_ONE_LEVEL,   ID_FILE_OPEN,       ID_FILE_MRU_FILE1,   ID_DRIVE_A + ('T' - 'A'), ID_DRIVE_A + ('U' - 'A'),
    ID_LARGEST_FILES,  ID_FILE_TYPES,      ID_CHANGES_SINCE,
    ID_EXPORT_LIST,
};

class BusyDocumentTest : public HeftAppTest {
protected:
    void SetUp() override
    {
        HeftAppTest::SetUp();
        // The walk reads every folder itself: the status hook then lands while
        // most of the drive is still to be read, whatever the machine's speed.
        CFolderReader::SetScanWorkers(0);
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 150; ++j)
                drive.File(("r" + std::to_string(i) + "\\s" + std::to_string(j) + "\\f.bin").c_str(), 10);
        }
        other.File("x.bin", 1);
        main->RebuildDriveBar();
    }
    void TearDown() override
    {
        CFolderReader::SetScanWorkers(-1);
        app.CloseAllDocuments();
        PumpPending();
        HeftAppTest::TearDown();
    }

    // At the first status of the scan: posts every model command to the main
    // window, and the refresh key to the views, and notes which of the
    // commands show enabled. Every progress dialog seen is recorded.
    void PostCommandsAtTheFirstStatus(ProgressWatcher& watcher)
    {
        watcher.onStatus = [this](HWND dialog, const std::string&) {
            dialogs.insert(dialog);
            if (posted) return;
            posted = true;
            for (UINT id : kModelCommands) {
                main->PostMessage(WM_COMMAND, id);
                if (CommandEnabled(id)) enabledDuringScan.push_back(id);
            }
            for (CHeftDoc* doc : Documents()) {
                for (int view = 0; view < 2; ++view)
                    if (CView* v = doc->GetView(view)) v->PostMessage(WM_KEYDOWN, VK_F5, 0);
            }
            // The scan pumps when 30 ms have passed since its last pump: the
            // very next check for Cancel dispatches everything posted here.
            Sleep(40);
        };
    }
    std::vector<CHeftDoc*> Documents() const
    {
        std::vector<CHeftDoc*> docs;
        for (CDocument* doc : app.GetDocTemplates().front()->GetDocuments())
            if (auto* heft = dynamic_cast<CHeftDoc*>(doc)) docs.push_back(heft);
        return docs;
    }

    FixtureDrive drive{'T'};
    FixtureDrive other{'U'};
    std::set<HWND> dialogs;
    bool posted = false;
    std::vector<UINT> enabledDuringScan;
};

} // namespace

TEST_F(BusyDocumentTest, CommandsPostedDuringARefreshAreRefusedAndTheWindowIsEnabledAfter)
{
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    for (UINT id : {ID_REFRESH, ID_TOP_TEN, ID_DISK_VS_DIRECTORY, ID_DRIVE_PROPERTIES})
        EXPECT_TRUE(CommandEnabled(id)) << id << " is offered while no scan runs";

    ProgressWatcher watcher;
    PostCommandsAtTheFirstStatus(watcher);
    main->SendMessage(WM_COMMAND, ID_REFRESH);
    ASSERT_TRUE(posted);
    PumpPending(); // whatever the scan's pump left waiting arrives now, after the scan

    EXPECT_EQ(dialogs.size(), 1u) << "one scan, one progress dialog";
    EXPECT_TRUE(enabledDuringScan.empty()) << "first command shown enabled: " << enabledDuringScan.front();
    EXPECT_TRUE(main->IsWindowEnabled());
    ASSERT_EQ(Documents().size(), 1u) << "no drive was opened during the scan";
    EXPECT_EQ(doc->m_nDriveTotal, 4500);
    EXPECT_EQ(doc->m_bRelativeToFolder, TRUE) << "Disk vs. Directory did not run";
    EXPECT_EQ(doc->m_listState, ListState::Contents) << "no listing ran";
    EXPECT_FALSE(doc->m_bBusy);
    EXPECT_TRUE(CommandEnabled(ID_REFRESH)) << "offered again once the scan is over";
    EXPECT_TRUE(CommandEnabled(ID_TOP_TEN));
}

TEST_F(BusyDocumentTest, CommandsPostedDuringAnOpenAreRefused)
{
    ProgressWatcher watcher;
    PostCommandsAtTheFirstStatus(watcher);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(posted);
    PumpPending();
    EXPECT_EQ(dialogs.size(), 1u);
    EXPECT_TRUE(enabledDuringScan.empty()) << "first command shown enabled: " << enabledDuringScan.front();
    EXPECT_TRUE(main->IsWindowEnabled());
    EXPECT_EQ(Documents().size(), 1u) << "the other drive was not opened";
    EXPECT_EQ(doc->m_nDriveTotal, 4500);
    EXPECT_EQ(doc->m_bRelativeToFolder, TRUE);
    // The idle update after the scan offers the commands again.
    EXPECT_TRUE(CommandEnabled(ID_DRIVE_A + ('U' - 'A')));
}

TEST_F(BusyDocumentTest, ClosingTheDriveWindowOrTheMainWindowDuringARefreshEndsItAsCancelled)
{
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    {
        ProgressWatcher watcher;
        watcher.AtFirstStatus([&] { doc->GetView(0)->GetParentFrame()->PostMessage(WM_CLOSE); });
        main->SendMessage(WM_COMMAND, ID_REFRESH);
        ASSERT_TRUE(watcher.Fired());
        PumpPending();
        EXPECT_EQ(DocumentCount(), 0);
        EXPECT_EQ(ChildWindowCount(), 0);
        EXPECT_TRUE(main->IsWindowEnabled());
    }

    ASSERT_NE(Open(drive), nullptr);
    ProgressWatcher watcher;
    watcher.AtFirstStatus([&] { main->PostMessage(WM_CLOSE); });
    main->SendMessage(WM_COMMAND, ID_REFRESH);
    ASSERT_TRUE(watcher.Fired());
    // The main window closes once the scan has returned.
    for (int i = 0; i < 200 && app.m_pMainWnd; ++i) {
        PumpPending();
        Sleep(10);
    }
    EXPECT_EQ(app.m_pMainWnd, nullptr) << "the main window is gone";
    EXPECT_EQ(DocumentCount(), 0);
    main = nullptr;
}
