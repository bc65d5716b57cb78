#pragma once
// A test fixture with the whole program running in-process: the application
// object started, its main frame, and helpers to open fixture drives and to
// read the folder tree. Every record must be freed once the windows are gone.
#include "app/CHeftApp.h"
#include "app/CMainFrame.h"
#include "document/CHeftDoc.h"
#include "framework/CCmdUI.h"
#include "model/CDirEntry.h"
#include "model/CsvWriter.h"
#include "tests/common/FixtureDrive.h"
#include "tests/common/TestWindows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

// Remembers what an update handler (or the framework's default) decided.
class RecordingCmdUI : public CCmdUI {
public:
    explicit RecordingCmdUI(UINT id) : CCmdUI(id) {}
    void Enable(BOOL bOn) override
    {
        enabled = bOn != FALSE;
        m_bEnableChanged = true;
    }
    void SetCheck(int) override {}
    bool enabled = true;
};

class HeftAppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        liveBefore = CDirEntry::LiveCount();
        ASSERT_TRUE(app.InitInstance());
        main = dynamic_cast<CMainFrame*>(app.m_pMainWnd);
        ASSERT_NE(main, nullptr);
        app.m_bShowHelp = false;
    }
    void TearDown() override
    {
        if (app.m_pMainWnd) app.m_pMainWnd->DestroyWindow();
        PumpPending();
        EXPECT_EQ(CDirEntry::LiveCount(), liveBefore) << "every record is freed once the windows are gone";
    }

    // Opens a fixture drive as the drive command does.
    CHeftDoc* Open(const FixtureDrive& drive)
    {
        main->RebuildDriveBar(); // the drive list learns of the fixture drive
        return app.OpenDrive(drive.Drive());
    }
    // Whether the main window shows a command as one that can be chosen now.
    bool CommandEnabled(UINT id)
    {
        RecordingCmdUI ui(id);
        ui.DoUpdate(main, TRUE);
        return ui.enabled;
    }
    int DocumentCount() const { return static_cast<int>(app.GetDocTemplates().front()->GetDocuments().size()); }
    int ChildWindowCount() const { return CountChildren(main->m_hWndMDIClient); }

    // The tree item below `parent` with the given text, or null.
    static HTREEITEM Child(CTreeCtrl& tree, HTREEITEM parent, const char* text)
    {
        for (HTREEITEM item = tree.GetChildItem(parent); item; item = tree.GetNextSiblingItem(item))
            if (tree.GetItemText(item) == text) return item;
        return nullptr;
    }
    static CDirEntry* Record(CTreeCtrl& tree, HTREEITEM item)
    {
        return reinterpret_cast<CDirEntry*>(tree.GetItemData(item));
    }
    static std::vector<std::string> ChildTexts(CTreeCtrl& tree, HTREEITEM parent)
    {
        std::vector<std::string> texts;
        for (HTREEITEM item = tree.GetChildItem(parent); item; item = tree.GetNextSiblingItem(item))
            texts.push_back(tree.GetItemText(item).str());
        return texts;
    }

    // Every item of the tree, depth first, with its record: what a user or a
    // test can see of a scan.
    static std::vector<std::string> Describe(CHeftDoc* doc)
    {
        std::vector<std::string> lines;
        CTreeCtrl& tree = *doc->m_pTreeCtrl;
        std::vector<std::pair<HTREEITEM, int>> pending{{doc->m_hRootItem, 0}};
        while (!pending.empty()) {
            auto [item, depth] = pending.back();
            pending.pop_back();
            const CDirEntry* record = Record(tree, item);
            lines.push_back(std::to_string(depth) + "|" + tree.GetItemText(item).str() + "|" +
                            (record ? std::to_string(record->GetSize()) + "|" + record->GetName().str() + "|" +
                                          record->GetType().str() + "|" + record->GetDate().str() +
                                          (record->IsLink() ? "|link" : "") +
                                          (record->IsUnreadable() ? "|unreadable" : "")
                                    : std::string("no record")));
            std::vector<HTREEITEM> children;
            for (HTREEITEM child = tree.GetChildItem(item); child; child = tree.GetNextSiblingItem(child))
                children.push_back(child);
            for (auto child = children.rbegin(); child != children.rend(); ++child) pending.push_back({*child, depth + 1});
        }
        return lines;
    }

    // What the drive's search kept of its files: every folder's own file types
    // ("C:\\a|.bin 2 30"), then the largest files ("30|C:\\a\\f.bin"), each
    // in a fixed order so that two searches compare line by line.
    static std::vector<std::string> DescribeFiles(CHeftDoc* doc)
    {
        std::vector<std::string> types;
        CTreeCtrl& tree = *doc->m_pTreeCtrl;
        std::vector<HTREEITEM> pending{doc->m_hRootItem};
        while (!pending.empty()) {
            HTREEITEM item = pending.back();
            pending.pop_back();
            if (const CDirEntry* record = Record(tree, item)) {
                for (const FileTypeSum& sum : record->GetFileTypes())
                    types.push_back(doc->FolderPath(item).str() + "|" + doc->m_extensions.Text(sum.extension).str() +
                                    " " + std::to_string(sum.files) + " " + std::to_string(sum.bytes));
            }
            for (HTREEITEM child = tree.GetChildItem(item); child; child = tree.GetNextSiblingItem(child))
                pending.push_back(child);
        }
        std::sort(types.begin(), types.end());
        std::vector<std::string> files;
        for (const FoundFile& file : doc->m_largestFiles.Files())
            files.push_back(std::to_string(file.size) + "|" + file.folder.str() + "\\" + file.name.str());
        std::sort(files.begin(), files.end());
        types.insert(types.end(), files.begin(), files.end());
        return types;
    }

    // What a folders report of the folder `top` must say, as the window's
    // search shows it: per folder of its part of the tree, depth first in the
    // tree's order, its path, total, folders below (counted here), last-write
    // time and whether it could not be read, in the report's columns 0, 1, 3,
    // 4 and 5.
    static std::vector<std::vector<std::string>> WindowFolderRows(CHeftDoc* doc, HTREEITEM top)
    {
        CTreeCtrl& tree = *doc->m_pTreeCtrl;
        auto foldersBelow = [&tree](HTREEITEM item) {
            long count = 0;
            std::vector<HTREEITEM> pending{tree.GetChildItem(item)};
            while (!pending.empty()) {
                HTREEITEM at = pending.back();
                pending.pop_back();
                if (!at) continue;
                ++count;
                pending.push_back(tree.GetNextSiblingItem(at));
                pending.push_back(tree.GetChildItem(at));
            }
            return count;
        };
        std::vector<std::vector<std::string>> rows;
        std::vector<HTREEITEM> pending{top};
        while (!pending.empty()) {
            HTREEITEM item = pending.back();
            pending.pop_back();
            const CDirEntry* record = Record(tree, item);
            rows.push_back({doc->FolderPath(item).str(), std::to_string(record->GetSize()),
                            std::to_string(foldersBelow(item)), CsvTimeText(record->GetWriteTime()),
                            record->IsUnreadable() ? "1" : "0"});
            std::vector<HTREEITEM> children;
            for (HTREEITEM child = tree.GetChildItem(item); child; child = tree.GetNextSiblingItem(child))
                children.push_back(child);
            pending.insert(pending.end(), children.rbegin(), children.rend());
        }
        return rows;
    }
    // The same columns of a report's rows, past its header.
    static std::vector<std::vector<std::string>> ReportFolderRows(const std::vector<std::vector<std::string>>& report)
    {
        std::vector<std::vector<std::string>> rows;
        for (size_t i = 1; i < report.size(); ++i) {
            const std::vector<std::string>& row = report[i];
            if (row.size() != 7) return {{"a row of " + std::to_string(row.size()) + " fields"}};
            rows.push_back({row[0], row[1], row[3], row[4], row[5]});
        }
        return rows;
    }

    // Items of a drive's tree and rows of its list, as a user sees them now.
    struct ViewCounts {
        int treeItems = -1;
        int listRows = -1;
    };
    static ViewCounts CountViews(const CHeftDoc* doc)
    {
        ViewCounts counts;
        if (doc->m_pTreeCtrl) counts.treeItems = static_cast<int>(doc->m_pTreeCtrl->GetCount());
        if (doc->m_pListCtrl) counts.listRows = doc->m_pListCtrl->GetItemCount();
        return counts;
    }

    long liveBefore = 0;
    CHeftApp app;
    CMainFrame* main = nullptr;
};
