// Sorting the contents list by a click on a column header, and the widths a
// double-click on a divider gives.
#include "tests/views/ListTestBase.h"

#include <gtest/gtest.h>

namespace {

// Every test starts with the root of this drive listed: apple (10),
// Banana (30), cherry (20). By name with and without regard to letter case,
// and by size, all three orders differ.
class ListSortTest : public ListTest {
protected:
    void SetUp() override
    {
        ListTest::SetUp();
        drive.File("apple", 10);
        drive.File("Banana", 30);
        drive.File("cherry", 20);
        doc = Open(drive);
        ASSERT_NE(doc, nullptr);
        list = ListOf(doc);
        ASSERT_NE(list, nullptr);
        Show(doc, doc->m_hRootItem);
    }

    FixtureDrive drive{'T'};
    CHeftDoc* doc = nullptr;
    CHeftList* list = nullptr;
};

const std::vector<std::string> kByName{"apple", "Banana", "cherry"};
const std::vector<std::string> kByNameDown{"cherry", "Banana", "apple"};
const std::vector<std::string> kBySize{"apple", "cherry", "Banana"};
const std::vector<std::string> kBySizeDown{"Banana", "cherry", "apple"};

TEST_F(ListSortTest, NameSortsWithoutRegardToCaseAndEveryFurtherClickReverses)
{
    ASSERT_EQ(RowNames(list), kBySizeDown);

    ClickHeader(list, 0);
    EXPECT_EQ(RowNames(list), kByName);
    ClickHeader(list, 0);
    EXPECT_EQ(RowNames(list), kByNameDown);
    ClickHeader(list, 0);
    EXPECT_EQ(RowNames(list), kByName);
}

TEST_F(ListSortTest, SizeBarAndPercentColumnsAllSortBySizeEachStartingAscending)
{
    ClickHeader(list, 3); // "Percent"
    EXPECT_EQ(RowNames(list), kBySize);
    ClickHeader(list, 3);
    EXPECT_EQ(RowNames(list), kBySizeDown);
    ClickHeader(list, 2); // the bar column: another column starts ascending
    EXPECT_EQ(RowNames(list), kBySize);
    ClickHeader(list, 1);
    EXPECT_EQ(RowNames(list), kBySize);
    ClickHeader(list, 1);
    EXPECT_EQ(RowNames(list), kBySizeDown);
    ClickHeader(list, 0);
    EXPECT_EQ(RowNames(list), kByName);
    ClickHeader(list, 1);
    EXPECT_EQ(RowNames(list), kBySize);
}

TEST_F(ListSortTest, TheSelectedAndTheFocusedRowKeepTheirStateThroughASort)
{
    CListCtrl& ctrl = list->GetListCtrl();
    // cherry (row 1 by size) selected, apple (row 2) focused.
    ctrl.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
    ctrl.SetItemState(2, LVIS_FOCUSED, LVIS_FOCUSED);
    auto rowsWith = [&ctrl](UINT state) {
        std::vector<int> rows;
        for (int i = 0; i < ctrl.GetItemCount(); ++i) {
            if (ctrl.GetItemState(i, state)) rows.push_back(i);
        }
        return rows;
    };

    ClickHeader(list, 0); // apple, Banana, cherry
    ASSERT_EQ(RowNames(list), kByName);
    EXPECT_EQ(rowsWith(LVIS_SELECTED), std::vector<int>{2});
    EXPECT_EQ(rowsWith(LVIS_FOCUSED), std::vector<int>{0});
    ClickHeader(list, 0); // cherry, Banana, apple
    EXPECT_EQ(rowsWith(LVIS_SELECTED), std::vector<int>{0});
    EXPECT_EQ(rowsWith(LVIS_FOCUSED), std::vector<int>{2});
}

// Typing in the list, on a drive of its own.
using ListFindTest = ListTest;

TEST_F(ListFindTest, TypedLettersFindTheNextRowWhoseNameStartsWithThem)
{
    FixtureDrive drive('T');
    drive.File("alpha", 50);
    drive.File("Beta", 40);
    drive.File("bravo", 30);
    drive.File("émile", 20);
    CHeftDoc* doc = Open(drive);
    ASSERT_NE(doc, nullptr);
    CHeftList* list = ListOf(doc);
    Show(doc, doc->m_hRootItem);
    ASSERT_EQ(RowNames(list), (std::vector<std::string>{"alpha", "Beta", "bravo", "émile"}));
    // The control asks its parent for the row, which hands the question to
    // the list; the search starts at the given row.
    auto find = [list](const wchar_t* text, int start, UINT flags) {
        NMLVFINDITEMW question{};
        question.hdr.hwndFrom = list->m_hWnd;
        question.hdr.idFrom = static_cast<UINT_PTR>(list->GetDlgCtrlID());
        question.hdr.code = LVN_ODFINDITEMW;
        question.iStart = start;
        question.lvfi.flags = flags;
        question.lvfi.psz = text;
        return static_cast<int>(::SendMessageW(::GetParent(list->m_hWnd), WM_NOTIFY, question.hdr.idFrom,
                                               reinterpret_cast<LPARAM>(&question)));
    };
    EXPECT_EQ(find(L"b", 0, LVFI_PARTIAL), 1) << "any letter case";
    EXPECT_EQ(find(L"BR", 0, LVFI_PARTIAL), 2);
    EXPECT_EQ(find(L"b", 2, LVFI_PARTIAL), 2);
    EXPECT_EQ(find(L"a", 1, LVFI_PARTIAL), -1) << "no wrapping unless asked";
    EXPECT_EQ(find(L"a", 1, LVFI_PARTIAL | LVFI_WRAP), 0);
    EXPECT_EQ(find(L"\u00c9", 0, LVFI_PARTIAL), 3) << "letters outside ASCII";
    EXPECT_EQ(find(L"beta", 0, LVFI_STRING), 1) << "a whole name";
    EXPECT_EQ(find(L"bet", 0, LVFI_STRING), -1);

    // The control's own search goes the same way.
    LVFINDINFOW how{};
    how.flags = LVFI_PARTIAL;
    how.psz = L"bR";
    EXPECT_EQ(list->GetListCtrl().Send(LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&how)), 2);
}

TEST_F(ListSortTest, AFillSortsLargestFirstAndLeavesTheHeaderMemoryAlone)
{
    ClickHeader(list, 1);
    EXPECT_EQ(RowNames(list), kBySize);
    Show(doc, doc->m_hRootItem);
    EXPECT_EQ(RowNames(list), kBySizeDown);
    EXPECT_EQ(list->m_nLastSortColumn, 1);
    // The same column goes on where it left off: descending next, which is
    // the order the fill gave already.
    ClickHeader(list, 1);
    EXPECT_EQ(RowNames(list), kBySizeDown);
    ClickHeader(list, 1);
    EXPECT_EQ(RowNames(list), kBySize);
}

// The comparisons themselves, on records alone.
using ListRowOrderTest = ListTest;

TEST_F(ListRowOrderTest, RowComparisons)
{
    CDirEntry small, big, upper, lower, huge;
    small.SetSize(5);
    big.SetSize(500);
    huge.SetSize(-1); // all bits set: the largest unsigned count there is
    upper.SetName("README.TXT");
    lower.SetName("readme.txt");
    small.SetName("a");
    big.SetName("B");

    EXPECT_EQ(CHeftList::CompareSizes(&small, &big), -1);
    EXPECT_EQ(CHeftList::CompareSizes(&big, &small), 1);
    EXPECT_EQ(CHeftList::CompareSizes(&big, &big), 0);
    EXPECT_EQ(CHeftList::CompareSizes(&huge, &big), 1) << "sizes compare unsigned";
    EXPECT_EQ(CHeftList::CompareNames(&upper, &lower), 0);
    EXPECT_EQ(CHeftList::CompareNames(&small, &big), -1);
    EXPECT_EQ(CHeftList::CompareNames(&big, &small), 1);

    CHeftList::SortParam up{&CHeftList::CompareSizes, TRUE};
    CHeftList::SortParam down{&CHeftList::CompareSizes, FALSE};
    auto rows = [](const CDirEntry& a, const CDirEntry& b, const CHeftList::SortParam& p) {
        return CHeftList::CompareRows(reinterpret_cast<LPARAM>(&a), reinterpret_cast<LPARAM>(&b),
                                      reinterpret_cast<LPARAM>(&p));
    };
    EXPECT_EQ(rows(small, big, up), -1);
    EXPECT_EQ(rows(small, big, down), 1);
    EXPECT_EQ(rows(big, big, down), 0);
}

} // namespace

namespace {

// The sort arrow each header item shows: '^' up, 'v' down, '-' none.
std::string SortArrows(CHeftList* list)
{
    HWND header = reinterpret_cast<HWND>(list->SendMessage(LVM_GETHEADER));
    std::string arrows;
    for (int i = 0; i < static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)); ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        arrows += (item.fmt & HDF_SORTUP) ? '^' : (item.fmt & HDF_SORTDOWN) ? 'v' : '-';
    }
    return arrows;
}

} // namespace

TEST_F(ListSortTest, TheSortedColumnsHeaderShowsTheDirectionOfEverySort)
{
    EXPECT_EQ(SortArrows(list), "-v--") << "a fill stands largest first: size, descending";

    ClickHeader(list, 0);
    EXPECT_EQ(SortArrows(list), "^---");
    ClickHeader(list, 0);
    EXPECT_EQ(SortArrows(list), "v---");
    ClickHeader(list, 3);
    EXPECT_EQ(SortArrows(list), "---^") << "the clicked column, though it sorts by size";
    ClickHeader(list, 2);
    EXPECT_EQ(SortArrows(list), "--^-");

    // Any sort through the list's own routine, as other listings use it.
    list->SortRows(CHeftList::SortParam{&CHeftList::CompareNames, TRUE});
    EXPECT_EQ(SortArrows(list), "^---");
    list->SortRows(CHeftList::SortParam{&CHeftList::CompareSizes, FALSE});
    EXPECT_EQ(SortArrows(list), "-v--");
    EXPECT_EQ(RowNames(list), kBySizeDown);

    // The header texts stay as they were.
    HWND header = reinterpret_cast<HWND>(list->SendMessage(LVM_GETHEADER));
    wchar_t text[32] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_FORMAT;
    item.pszText = text;
    item.cchTextMax = 32;
    SendMessageW(header, HDM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(text, L"Size");
    EXPECT_EQ(item.fmt & HDF_JUSTIFYMASK, HDF_LEFT);
}
