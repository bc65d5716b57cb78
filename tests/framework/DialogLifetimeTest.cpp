// A modeless dialog that deletes itself when its window ends: nothing of the
// framework may write to it afterwards.
#include "framework/CDialog.h"
#include "resources/resource.h"
#include "tests/common/TestWindows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

constexpr unsigned char kFreed = 0xDD;

// The dialog's memory stays readable after its delete and is filled with a
// mark at the delete, so that any later write to the object shows.
std::vector<unsigned char> g_storage;

class SelfDeletingDialog : public CDialog {
public:
    SelfDeletingDialog() : CDialog(IDD_ABOUTBOX) {}
    static void* operator new(std::size_t size)
    {
        g_storage.assign(size, 0);
        return g_storage.data();
    }
    static void operator delete(void*) { std::fill(g_storage.begin(), g_storage.end(), kFreed); }
    static bool deleted;

protected:
    void PostNcDestroy() override
    {
        deleted = true;
        delete this;
    }
};
bool SelfDeletingDialog::deleted = false;

bool StorageUntouchedSinceTheDelete()
{
    return std::all_of(g_storage.begin(), g_storage.end(), [](unsigned char b) { return b == kFreed; });
}

} // namespace

TEST(DialogLifetime, NothingWritesToADialogThatDeletedItselfAsItsWindowEnded)
{
    auto* dialog = new SelfDeletingDialog;
    SelfDeletingDialog::deleted = false;
    ASSERT_TRUE(dialog->Create(IDD_ABOUTBOX));
    HWND hWnd = dialog->m_hWnd;
    ASSERT_NE(hWnd, nullptr);
    PumpPending();

    DestroyWindow(hWnd);
    PumpPending();
    ASSERT_TRUE(SelfDeletingDialog::deleted);
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_TRUE(StorageUntouchedSinceTheDelete());
}
