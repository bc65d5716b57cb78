#pragma once
// A test fixture with the whole program running in-process: the application
// object started, its main frame, and helpers to open fixture drives and to
// read the folder tree. Every record must be freed once the windows are gone.
#include "app/CHeftApp.h"
#include "app/CMainFrame.h"
#include "document/CHeftDoc.h"
#include "model/CDirEntry.h"
#include "tests/common/FixtureDrive.h"
#include "tests/common/TestWindows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

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
