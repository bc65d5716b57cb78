// The drive's file types and largest files as the search collects them. No
// windows.h: also runs natively.
#include <gtest/gtest.h>

#include "model/FileTypes.h"
#include "model/LargestFiles.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

namespace {

TEST(FileTypes, ExtensionIsWhatFollowsTheLastDotComparedWithoutCase)
{
    const struct {
        const char* name;
        const char* text; // as the listing shows it
    } cases[] = {
        {"photo.JPG", ".jpg"},   {"photo.jpg", ".jpg"},         {"archive.tar.gz", ".gz"},
        {"README", "(no extension)"}, {"trailing.", "(no extension)"}, {".bashrc", ".bashrc"},
        {"Makefile.Am", ".am"},  {"naïve.Txt", ".txt"},
    };
    ExtensionTable table;
    for (const auto& c : cases) {
        const std::uint32_t id = table.Intern(FileTypeExtension(c.name));
        EXPECT_EQ(table.Text(id), c.text) << c.name;
    }
    EXPECT_EQ(table.Intern("JPG"), table.Intern("jpg")) << "interned once per drive";
    EXPECT_EQ(table.Intern(""), ExtensionTable::kNoExtension);
    EXPECT_EQ(table.Text(12345), "(no extension)") << "an id the table never gave";
}

TEST(FileTypes, FolderSumsAddUpToTheSubtreesAndMergeCase)
{
    ExtensionTable table;
    FileTypeTally a;
    a.Add("JPG", 5);
    a.Add("jpg", 7);
    a.Add("", 1);
    FileTypeTally b;
    b.Add("jpg", 3'000'000'000'000);
    b.Add("txt", 0);
    const std::vector<FileTypeSum> sumsA = table.SumsOf(a);
    ASSERT_EQ(sumsA.size(), 2u) << "JPG and jpg are one type";

    std::vector<FileTypeSum> subtree;
    AddFileTypes(subtree, sumsA);
    AddFileTypes(subtree, table.SumsOf(b));
    const std::uint32_t jpg = table.Intern("jpg");
    ASSERT_LT(jpg, subtree.size());
    EXPECT_EQ(subtree[jpg].files, 3u);
    EXPECT_EQ(subtree[jpg].bytes, 3'000'000'000'012);
    EXPECT_EQ(subtree[ExtensionTable::kNoExtension].files, 1u);
    EXPECT_EQ(subtree[table.Intern("txt")].files, 1u) << "an empty file still counts as a file";
}

struct SizedFile {
    std::int64_t size = 0;
    int id = 0;
};

std::vector<std::int64_t> SortedSizes(LargestFileSet<SizedFile>& set)
{
    std::vector<std::int64_t> sizes;
    for (const SizedFile& f : set.Files()) sizes.push_back(f.size);
    std::sort(sizes.rbegin(), sizes.rend());
    return sizes;
}

// What the set must hold of these sizes, worked out from all of them at once.
std::vector<std::int64_t> Expected(std::vector<std::int64_t> sizes, std::size_t capacity)
{
    std::sort(sizes.rbegin(), sizes.rend());
    if (sizes.size() <= capacity) return sizes;
    const std::int64_t smallest = sizes[capacity - 1];
    const auto ties = static_cast<std::size_t>(std::count_if(sizes.begin(), sizes.end(),
                                                             [&](std::int64_t s) { return s >= smallest; }));
    const std::int64_t bound = ties <= 2 * capacity ? smallest : smallest + 1;
    std::erase_if(sizes, [bound](std::int64_t s) { return s < bound; });
    return sizes;
}

TEST(LargestFiles, KeepsTheLargestWithTheirTiesWhateverTheOrder)
{
    std::mt19937_64 random(7);
    const struct {
        const char* what;
        std::size_t files;
        std::int64_t distinctSizes; // sizes drawn from 0 .. this - 1
    } cases[] = {
        {"fewer files than the capacity", 7, 1'000'000},
        {"many distinct sizes", 5'000, 1'000'000'000'000},
        {"ties at the smallest kept", 5'000, 40},
        {"ties beyond twice the capacity", 5'000, 2},
        {"all of one size", 3'000, 1},
    };
    constexpr std::size_t kCapacity = 100;
    for (const auto& c : cases) {
        std::vector<std::int64_t> sizes(c.files);
        for (std::int64_t& size : sizes) size = static_cast<std::int64_t>(random() % c.distinctSizes);
        const std::vector<std::int64_t> expected = Expected(sizes, kCapacity);
        for (int order = 0; order < 3; ++order) {
            if (order == 1) std::sort(sizes.begin(), sizes.end());
            if (order == 2) std::sort(sizes.rbegin(), sizes.rend());
            LargestFileSet<SizedFile> set(kCapacity);
            for (std::int64_t size : sizes) set.Offer(SizedFile{size, 0});
            EXPECT_EQ(SortedSizes(set), expected) << c.what << ", order " << order;
            EXPECT_LE(set.Files().size(), 2 * kCapacity) << c.what;
            // Every file at or above the bound is held.
            if (!expected.empty()) {
                EXPECT_LE(set.Bound(), expected.back()) << c.what;
            }
        }
    }
}

TEST(LargestFiles, AfterRemovalsLaterOffersStayAboveTheBound)
{
    LargestFileSet<SizedFile> set(3);
    for (std::int64_t size : {10, 20, 30, 40, 50, 5, 1}) set.Offer(SizedFile{size, static_cast<int>(size)});
    ASSERT_EQ(SortedSizes(set), (std::vector<std::int64_t>{50, 40, 30}));
    EXPECT_EQ(set.Bound(), 30);
    set.RemoveIf([](const SizedFile& f) { return f.size == 40; }); // a delete
    EXPECT_EQ(SortedSizes(set), (std::vector<std::int64_t>{50, 30})) << "fewer rows, never a gone file";
    EXPECT_FALSE(set.Offer(SizedFile{29, 0})) << "a smaller file elsewhere may be missing: it stays out";
    EXPECT_TRUE(set.Offer(SizedFile{35, 0}));
    set.RaiseBound(40);
    EXPECT_EQ(SortedSizes(set), (std::vector<std::int64_t>{50}));
    set.RaiseBound(1);
    EXPECT_EQ(set.Bound(), 40) << "a bound never falls";
    EXPECT_EQ(set.Take().size(), 1u);
    EXPECT_TRUE(set.Files().empty());
}

} // namespace
