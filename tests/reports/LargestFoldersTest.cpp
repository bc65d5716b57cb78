// The slots of the ten largest directories: which folders a walk keeps.
#include "reports/LargestFolders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

namespace {

struct Folder {
    int id;
    std::int64_t size;
};

// Offers the folders in walk order; returns the ids kept, largest first
// (equal sizes in walk order, as a stable sort leaves them).
std::vector<int> Kept(std::vector<Folder>& folders)
{
    LargestFolderSlots<Folder> slots;
    for (Folder& folder : folders) slots.Offer(&folder, folder.size);
    std::vector<const Folder*> kept;
    for (std::size_t i = 0; i < slots.kSlots; ++i) {
        if (slots[i]) kept.push_back(slots[i]);
    }
    std::stable_sort(kept.begin(), kept.end(), [](const Folder* a, const Folder* b) {
        return a->size > b->size || (a->size == b->size && a->id < b->id);
    });
    std::vector<int> ids;
    for (const Folder* folder : kept) ids.push_back(folder->id);
    return ids;
}

const std::int64_t MB = 1024 * 1024;

} // namespace

TEST(LargestFolderSlots, TwelveFoldersOfOneToTwelveMegabytesKeepTheTrueTen)
{
    std::vector<Folder> folders;
    for (int i = 1; i <= 12; ++i) folders.push_back({i, i * MB});
    EXPECT_EQ(Kept(folders), (std::vector<int>{12, 11, 10, 9, 8, 7, 6, 5, 4, 3}));

    // Whatever the walk order, the ten largest stay.
    std::reverse(folders.begin(), folders.end());
    EXPECT_EQ(Kept(folders), (std::vector<int>{12, 11, 10, 9, 8, 7, 6, 5, 4, 3}));
    std::vector<Folder> mixed;
    for (int i : {5, 12, 1, 7, 3, 11, 2, 9, 4, 8, 6, 10}) mixed.push_back({i, i * MB});
    EXPECT_EQ(Kept(mixed), (std::vector<int>{12, 11, 10, 9, 8, 7, 6, 5, 4, 3}));
}

TEST(LargestFolderSlots, EmptySlotsFillInOrderAndTheTenthDisplacesNothing)
{
    LargestFolderSlots<Folder> slots;
    std::vector<Folder> folders;
    for (int i = 0; i < 10; ++i) folders.push_back({i, 100 - i});
    for (int i = 0; i < 10; ++i) EXPECT_EQ(slots.Offer(&folders[i], folders[i].size), i);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(slots[static_cast<std::size_t>(i)], &folders[i]);
    EXPECT_EQ(slots[10], nullptr) << "there are ten slots";

    // A folder that beats none stays out; one that beats the smallest (91,
    // in the last slot) takes that slot and no other.
    Folder small{20, 91};
    EXPECT_EQ(slots.Offer(&small, small.size), -1);
    Folder larger{21, 92};
    EXPECT_EQ(slots.Offer(&larger, larger.size), 9);
    EXPECT_EQ(slots[0], &folders[0]);
}

TEST(LargestFolderSlots, AmongEqualSizesTheFolderMetFirstKeepsItsPlace)
{
    // Eleven folders of the same size: the eleventh stays out.
    std::vector<Folder> same;
    for (int i = 0; i < 11; ++i) same.push_back({i, 5 * MB});
    EXPECT_EQ(Kept(same), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));

    // Two equally small slots: a larger folder displaces the one met last.
    std::vector<Folder> folders{{0, 1}, {1, 50}, {2, 1}};
    for (int i = 3; i < 10; ++i) folders.push_back({i, 60});
    folders.push_back({10, 2});
    EXPECT_EQ(Kept(folders), (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 1, 10, 0}));
}

TEST(LargestFolderSlots, FewerThanTenFoldersAreAllKeptEvenEmptyOnes)
{
    std::vector<Folder> folders{{0, 0}, {1, 7}, {2, 0}};
    EXPECT_EQ(Kept(folders), (std::vector<int>{1, 0, 2}));
    std::vector<Folder> none;
    EXPECT_TRUE(Kept(none).empty());
}
