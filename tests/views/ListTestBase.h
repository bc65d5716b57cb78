#pragma once
// The program running in-process with a fixture drive open, and helpers to
// read and drive its contents list.
#include "framework/CFileFind.h"
#include "tests/common/HeftAppTest.h"
#include "views/CHeftList.h"
#include "views/CHeftTree.h"

#include <shellapi.h>

#include <string>
#include <vector>

class ListTest : public HeftAppTest {
protected:
    void TearDown() override
    {
        // Drive windows close before the main window goes, as they do when the
        // user closes it: Wine's MDI client writes to its freed child list when
        // an MDI child outlives the client's WM_DESTROY.
        app.CloseAllDocuments();
        PumpPending();
        HeftAppTest::TearDown();
    }

    static CHeftTree* TreeOf(CHeftDoc* doc) { return dynamic_cast<CHeftTree*>(doc->GetView(0)); }
    static CHeftList* ListOf(CHeftDoc* doc) { return dynamic_cast<CHeftList*>(doc->GetView(1)); }
    static void Select(CHeftList* list, int row) { list->GetListCtrl().SetItemState(row, LVIS_SELECTED, LVIS_SELECTED); }

    static bool Exists(const FixtureDrive& drive, const char* rel)
    {
        return GetFileAttributesW(ToWidePath(drive.Path(rel)).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    static void MakeReadOnly(const FixtureDrive& drive, const char* rel, bool readOnly)
    {
        SetFileAttributesW(ToWidePath(drive.Path(rel)).c_str(),
                           readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
    }

    static CDirEntry* Row(CHeftList* list, int row)
    {
        return list->GetRowRecord(row);
    }

    static std::vector<std::string> RowNames(CHeftList* list)
    {
        std::vector<std::string> names;
        CListCtrl& ctrl = list->GetListCtrl();
        for (int i = 0; i < ctrl.GetItemCount(); ++i) {
            CDirEntry* record = Row(list, i);
            names.push_back(record ? record->GetName().str() : std::string("<no record>"));
        }
        return names;
    }

    // Every row as "name|size|the listing's own column".
    static std::vector<std::string> RowLines(CHeftList* list)
    {
        std::vector<std::string> lines;
        for (int row = 0; row < list->GetRowCount(); ++row)
            lines.push_back(Row(list, row)->GetName().str() + "|" + std::to_string(Row(list, row)->GetSize()) + "|" +
                            list->GetExtraColumnText(row).str());
        return lines;
    }

    static int FindRow(CHeftList* list, const char* name)
    {
        CListCtrl& ctrl = list->GetListCtrl();
        for (int i = 0; i < ctrl.GetItemCount(); ++i) {
            if (CDirEntry* record = Row(list, i); record && record->GetName() == name) return i;
        }
        return -1;
    }

    // The tree item of a folder path below the root ("a\\b"), or null.
    static HTREEITEM Item(CHeftDoc* doc, const std::string& path)
    {
        CTreeCtrl& tree = *doc->m_pTreeCtrl;
        HTREEITEM item = doc->m_hRootItem;
        size_t start = 0;
        while (item && start < path.size()) {
            size_t end = path.find('\\', start);
            if (end == std::string::npos) end = path.size();
            item = Child(tree, item, path.substr(start, end - start).c_str());
            start = end + 1;
        }
        return item;
    }

    // Selects a folder in the tree; the selection change fills the list. A
    // folder that is selected already is filled again.
    static void Show(CHeftDoc* doc, HTREEITEM item)
    {
        if (doc->m_pTreeCtrl->GetSelectedItem() == item) doc->FillList();
        else doc->m_pTreeCtrl->SelectItem(item);
    }

    // Opens a fixture drive and shows one of its folders ("" for the root)
    // in the list; false when the drive did not open.
    bool OpenShowing(const FixtureDrive& drive, const std::string& folder, CHeftDoc*& doc, CHeftList*& list)
    {
        doc = Open(drive);
        if (!doc) return false;
        list = ListOf(doc);
        Show(doc, folder.empty() ? doc->m_hRootItem : Item(doc, folder));
        return list != nullptr;
    }

    // What the shell answers about a path itself: small icon index and type name.
    static std::pair<int, std::string> ShellAbout(const CString& path)
    {
        SHFILEINFOW info{};
        SHGetFileInfoW(Utf8ToWide(path.str()).c_str(), 0, &info, sizeof(info),
                       SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_TYPENAME);
        return {info.iIcon, WideToUtf8(info.szTypeName).str()};
    }

    // A header click on a column, as the header reports it to the list; the
    // list tells its parent, which hands the column click back to the list.
    static void ClickHeader(CHeftList* list, int column)
    {
        NMHEADERW click{};
        click.hdr.hwndFrom = reinterpret_cast<HWND>(list->SendMessage(LVM_GETHEADER));
        click.hdr.idFrom = 0;
        click.hdr.code = HDN_ITEMCLICKW;
        click.iItem = column;
        click.iButton = 0;
        list->SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
    }
};
