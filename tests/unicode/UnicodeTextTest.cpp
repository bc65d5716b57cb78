// The program's texts outside any code page, in a process that runs with the
// system's code page (this executable's manifest leaves the UTF-8 code page
// out, as Windows before 10 1903 ignores it): names in Greek, Chinese and an
// emoji reach the tree, the list, the window captions, a dialog and a message
// box unchanged. Each text is read back from the control in UTF-16 and
// compared in UTF-8.
#include "framework/CWnd.h"
#include "framework/Utf16.h"
#include "resources/resource.h"
#include "tests/common/DialogAnswerer.h"
#include "tests/views/ListTestBase.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* const kGreek = "Ελληνικά";
const char* const kChinese = "文件夹";
const char* const kEmojiFile = "😀 emoji.txt";
const char* const kLabel = "Δίσκος 文件 😀";

// A tree item's text as the control holds it.
std::string TreeItemText(HWND tree, HTREEITEM item)
{
    std::wstring buffer(512, L'\0');
    TVITEMW info{};
    info.mask = TVIF_TEXT | TVIF_HANDLE;
    info.hItem = item;
    info.pszText = buffer.data();
    info.cchTextMax = static_cast<int>(buffer.size());
    if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info))) return "<no item>";
    return WideToUtf8(info.pszText).str();
}

std::vector<std::string> TreeChildTexts(HWND tree, HTREEITEM parent)
{
    std::vector<std::string> texts;
    for (auto item = reinterpret_cast<HTREEITEM>(
             SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
         item; item = reinterpret_cast<HTREEITEM>(
                   SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item))))
        texts.push_back(TreeItemText(tree, item));
    return texts;
}

// The texts of a list's rows as the control shows them (it asks the view).
std::vector<std::string> ListRowTexts(HWND list)
{
    std::vector<std::string> texts;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        std::wstring buffer(512, L'\0');
        LVITEMW item{};
        item.iSubItem = 0;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        texts.push_back(WideToUtf8(item.pszText).str());
    }
    return texts;
}

class UnicodeTextTest : public ListTest {
protected:
    // The drive's label, which the shell's drive name and so the captions
    // carry. Wine reads it from a file in the drive's root when the drive
    // letter is defined.
    static void SetLabel(FixtureDrive& drive, const char* label)
    {
        HANDLE file = CreateFileW(ToWidePath(drive.Path(".windows-label")).c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        const std::string text(label);
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
        drive.Unmount();
        drive.Mount();
    }
};

TEST_F(UnicodeTextTest, TheProcessRunsWithTheSystemCodePageNotUtf8)
{
    // Otherwise the narrow functions would carry UTF-8 and the cases below
    // could pass without the program's texts being wide.
    EXPECT_NE(GetACP(), static_cast<UINT>(CP_UTF8));
}

TEST_F(UnicodeTextTest, NamesOutsideTheCodePageShowUnchangedInTreeListCaptionsDialogAndMessageBox)
{
    ASSERT_NE(GetACP(), static_cast<UINT>(CP_UTF8));
    FixtureDrive drive('T');
    drive.Folder(kGreek);
    drive.File((std::string(kChinese) + "\\" + kEmojiFile).c_str(), 10);
    SetLabel(drive, kLabel);

    CHeftDoc* doc = nullptr;
    CHeftList* list = nullptr;
    ASSERT_TRUE(OpenShowing(drive, kChinese, doc, list));
    HWND tree = doc->m_pTreeCtrl->m_hWnd;

    // The tree: the drive's own item and both folders.
    const std::string root = TreeItemText(tree, doc->m_hRootItem);
    EXPECT_NE(root.find(kLabel), std::string::npos) << root;
    std::vector<std::string> folders = TreeChildTexts(tree, doc->m_hRootItem);
    std::sort(folders.begin(), folders.end());
    std::vector<std::string> wantFolders{kGreek, kChinese};
    std::sort(wantFolders.begin(), wantFolders.end());
    EXPECT_EQ(folders, wantFolders);

    // The list, showing the folder with the file.
    EXPECT_EQ(ListRowTexts(list->m_hWnd), (std::vector<std::string>{kEmojiFile}));

    // The captions: the drive window's, and the main window's that names it.
    CFrameWnd* child = list->GetParentFrame();
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetWindowTextUtf8(child->m_hWnd), root);
    EXPECT_EQ(GetWindowTextUtf8(main->m_hWnd), "Heftscope - " + root);

    // The item's Properties dialog names the file.
    list->GetListCtrl().SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    std::string shownName;
    {
        DialogAnswerer ok("Properties", IDOK, [&shownName](HWND dialog) {
            shownName = GetWindowTextUtf8(GetDlgItem(dialog, IDC_ITEM_NAME)).str();
        });
        list->SendMessage(WM_COMMAND, ID_ITEM_PROPERTIES);
        ASSERT_EQ(ok.Answered(), 1);
    }
    EXPECT_EQ(shownName, kEmojiFile);

    // The delete confirmation names its path; No keeps the file.
    {
        DialogAnswerer no("Delete", IDNO);
        list->SendMessage(WM_COMMAND, ID_ACTION_DELETE);
        ASSERT_EQ(no.Answered(), 1);
        EXPECT_EQ(no.LastText(), std::string("Do you want to permanently delete this?\nT:\\") + kChinese + "\\" +
                                     kEmojiFile);
    }
    EXPECT_NE(GetFileAttributesW(ToWidePath(drive.Path((std::string(kChinese) + "\\" + kEmojiFile).c_str())).c_str()),
              INVALID_FILE_ATTRIBUTES);
}

} // namespace
