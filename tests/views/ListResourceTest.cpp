// Filling the list again and again leaves no GDI object, icon or record behind.
#include "tests/views/GuiObjects.h"
#include "tests/views/ListTestBase.h"

#include <gtest/gtest.h>

namespace {

using ListResourceTest = ListTest;

TEST_F(ListResourceTest, TwentyFillsOfAThousandFilesLeaveNoHandleBehind)
{
    FixtureDrive drive('T');
    // Ordinary files and files whose icon is their own, which are asked
    // about one by one.
    const char* kinds[] = {".txt", ".dat", ".bin", ".log", ".exe", ".ico", ".lnk", ""};
    for (int i = 0; i < 1000; ++i) {
        const std::string name = "file" + std::to_string(i) + kinds[i % std::size(kinds)];
        drive.File(name.c_str(), static_cast<unsigned long long>(i));
    }
    drive.File("sub\\x.bin", 5);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    // The shell fills its own caches on the first answers.
    Show(doc, doc->m_hRootItem);
    Show(doc, doc->m_hRootItem);
    ASSERT_EQ(list->GetListCtrl().GetItemCount(), 1001);

    const long gdi = guiobjects::CountGdiObjects();
    const long user = guiobjects::CountUserObjects();
    const long records = CDirEntry::LiveCount();
    ASSERT_GT(gdi, 0) << "the GDI objects can be counted";

    // The counts do see a leak.
    {
        SHFILEINFOW info{};
        SHGetFileInfoW(Utf8ToWide(drive.Path("file4.exe").str()).c_str(), 0, &info, sizeof(info),
                       SHGFI_ICON | SHGFI_SMALLICON);
        ASSERT_NE(info.hIcon, nullptr);
        HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
        EXPECT_EQ(guiobjects::CountUserObjects(), user + 1);
        EXPECT_GT(guiobjects::CountGdiObjects(), gdi);
        DeleteObject(brush);
        DestroyIcon(info.hIcon);
        ASSERT_EQ(guiobjects::CountUserObjects(), user);
        ASSERT_EQ(guiobjects::CountGdiObjects(), gdi);
    }

    for (int i = 0; i < 20; ++i) Show(doc, doc->m_hRootItem);
    EXPECT_EQ(guiobjects::CountGdiObjects(), gdi);
    EXPECT_EQ(guiobjects::CountUserObjects(), user);
    EXPECT_EQ(CDirEntry::LiveCount(), records) << "every refill frees exactly the records it replaces";
    EXPECT_EQ(list->GetListCtrl().GetItemCount(), 1001);
}

} // namespace
