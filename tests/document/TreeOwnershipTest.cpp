// The document's hold on the folder tree: the records its scan makes belong
// to tree items only once an item holds them, and the document never keeps a
// way to the tree once the tree's view is gone.
#include "document/CHeftDoc.h"
#include "model/CDirEntry.h"
#include "resources/resource.h"
#include "tests/common/HeftAppTest.h"
#include "views/CHeftList.h"
#include "views/CHeftTree.h"

#include <gtest/gtest.h>

namespace {

using TreeOwnershipTest = HeftAppTest;

// While it lives, every tree control of the process refuses items at the top
// level, as a control out of memory would refuse the drive's root.
class RefuseTopLevelItems {
public:
    RefuseTopLevelItems()
    {
        // The class's procedure, which the program's tree messages go to.
        m_hSample = CreateWindowExA(0, WC_TREEVIEWA, nullptr, 0, 0, 0, 0, 0, nullptr, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
        s_original = reinterpret_cast<WNDPROC>(GetClassLongPtrA(m_hSample, GCLP_WNDPROC));
        SetClassLongPtrA(m_hSample, GCLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Refuse));
    }
    ~RefuseTopLevelItems()
    {
        SetClassLongPtrA(m_hSample, GCLP_WNDPROC, reinterpret_cast<LONG_PTR>(s_original));
        DestroyWindow(m_hSample);
    }
    RefuseTopLevelItems(const RefuseTopLevelItems&) = delete;
    RefuseTopLevelItems& operator=(const RefuseTopLevelItems&) = delete;

private:
    static LRESULT CALLBACK Refuse(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        // Both structures start with the parent's handle.
        if ((message == TVM_INSERTITEMA || message == TVM_INSERTITEMW) &&
            reinterpret_cast<const TVINSERTSTRUCTA*>(lParam)->hParent == TVI_ROOT)
            return 0;
        return CallWindowProcA(s_original, hWnd, message, wParam, lParam);
    }

    HWND m_hSample = nullptr;
    static WNDPROC s_original;
};
WNDPROC RefuseTopLevelItems::s_original = nullptr;

} // namespace

TEST_F(TreeOwnershipTest, ARootItemTheTreeRefusesFailsTheOpenAndLeavesNothing)
{
    FixtureDrive drive('T');
    drive.File("a\\one.bin", 10);
    drive.File("b\\two.bin", 20);
    CHeftDoc* doc = nullptr;
    {
        RefuseTopLevelItems refuse;
        doc = Open(drive);
    }
    PumpPending();
    EXPECT_EQ(doc, nullptr) << "a drive without its root item is not shown as opened";
    EXPECT_EQ(DocumentCount(), 0);
    EXPECT_EQ(ChildWindowCount(), 0);
    EXPECT_EQ(CDirEntry::LiveCount(), liveBefore) << "no record of the failed scan is left";
}

TEST_F(TreeOwnershipTest, TheDocumentLetsGoOfTheTreeWhenItsViewGoes)
{
    FixtureDrive drive('T');
    drive.File("a\\one.bin", 10);
    drive.File("b\\c\\two.bin", 20);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    auto* tree = dynamic_cast<CHeftTree*>(doc->GetFirstView());
    auto* list = dynamic_cast<CHeftList*>(doc->GetView(1));
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(list, nullptr);
    ASSERT_NE(doc->m_pTreeCtrl, nullptr);

    // The list keeps the document alive without the tree.
    tree->DestroyWindow();
    PumpPending();
    ASSERT_EQ(doc->GetFirstView(), list);
    EXPECT_EQ(doc->m_pTreeCtrl, nullptr);

    // What reaches the tree through the document now finds none, and does nothing.
    list->SendMessage(WM_COMMAND, ID_TOP_TEN);
    list->SendMessage(WM_COMMAND, ID_UP_ONE_LEVEL);
    list->SendMessage(WM_COMMAND, ID_DISK_VS_DIRECTORY);
    EXPECT_EQ(doc->m_pTreeCtrl, nullptr);
}
