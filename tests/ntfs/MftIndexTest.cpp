// The folder index built from whole volumes made in memory: what is listed,
// in which order, with which sizes, and what a damaged volume gives.
#include <gtest/gtest.h>

#include <string>

#include "ntfs/MftIndex.h"
#include "tests/ntfs/NtfsBuilder.h"

using namespace ntfs;
using namespace ntfs::fixture;

namespace {

struct Result {
    Outcome outcome;
    MftIndex index;
    int unalignedReads;
};

Result Build(StrictVolume&& volume, const Progress& progress = {})
{
    Result result{};
    result.outcome = BuildIndex(volume, progress, result.index);
    result.unalignedReads = volume.unalignedReads;
    return result;
}

Result Build(const TestVolume& test) { return Build(test.Volume()); }

// The tree as text: "bytes{name sub-tree name~ ...}", a link marked "~".
// Every folder must be entered exactly once, or the text says so.
std::string Tree(const MftIndex& index)
{
    std::string text;
    std::vector<int> entered(index.folders.size(), 0);
    std::vector<std::pair<std::uint32_t, std::size_t>> stack{{0, 0}};
    text += std::to_string(index.folders.at(0).ownBytes) + "{";
    while (!stack.empty()) {
        auto& [folder, next] = stack.back();
        const auto& subfolders = index.folders[folder].subfolders;
        if (next == subfolders.size()) {
            text += "}";
            stack.pop_back();
            continue;
        }
        const Subfolder& sub = subfolders[next++];
        text += text.back() == '{' ? "" : " ";
        for (char16_t unit : sub.name)
            text += unit < 128 ? std::string(1, static_cast<char>(unit)) : "<" + std::to_string(unit) + ">";
        if (sub.link) {
            text += sub.folder == kNoFolder ? "~" : "~ENTERED";
            continue;
        }
        if (sub.folder >= index.folders.size() || entered[sub.folder]++ != 0 || sub.folder == 0)
            return text + " BAD FOLDER INDEX";
        text += " " + std::to_string(index.folders[sub.folder].ownBytes) + "{";
        stack.emplace_back(sub.folder, 0);
    }
    return text;
}

std::string TreeOf(const TestVolume& test)
{
    const Result result = Build(test);
    EXPECT_EQ(result.unalignedReads, 0);
    if (result.outcome != Outcome::Done)
        return "not built";
    return Tree(result.index);
}

// A file or folder record with the given names (parent, name, namespace).
RecordBuilder Entry(bool folder, std::initializer_list<std::tuple<std::uint64_t, std::u16string, std::uint8_t>> names,
                    std::int64_t size = 0)
{
    RecordBuilder record;
    record.flags = folder ? 0x0003 : 0x0001;
    record.Resident(kStandardInformation, StandardInformation(1));
    for (const auto& [parent, name, nameSpace] : names)
        record.Resident(kFileName, FileNameValue(parent, name, nameSpace));
    if (!folder)
        record.Resident(kData, Bytes(static_cast<std::size_t>(size)));
    return record;
}

TEST(NtfsIndex, TreeOrderSizesAndDates)
{
    TestVolume v;
    const auto docs = v.Folder(kRoot, u"docs", 111);
    v.File(kRoot, u"a.txt", 100);
    v.Folder(kRoot, u"Zeta");
    v.Folder(kRoot, u"alpha");
    v.Folder(kRoot, u"_x");
    v.Folder(kRoot, u"ALPHA");  // a POSIX twin: equal once upcased, raw units decide
    v.File(docs, u"r", 7);
    v.File(docs, u"s", 8);
    const auto sub = v.Folder(docs, u"sub");
    v.File(sub, u"big", 5'000'000'000);
    const Result result = Build(v);
    ASSERT_EQ(result.outcome, Outcome::Done);
    EXPECT_EQ(Tree(result.index), "100{ALPHA 0{} alpha 0{} docs 15{sub 5000000000{}} Zeta 0{} _x 0{}}");
    EXPECT_EQ(result.index.folders[0].subfolders[2].writeTime, 111u);
    EXPECT_EQ(result.index.recordsRead, v.RecordCount());
    EXPECT_EQ(result.index.skippedRecords, 0u);
    EXPECT_EQ(result.unalignedReads, 0);
}

TEST(NtfsIndex, NamesAndSizes)
{
    TestVolume v;
    const auto other = v.Folder(kRoot, u"other");
    // Win32 plus DOS alias, and one name for both: each counted once.
    v.Put(Entry(false, {{kRoot, u"Long name.txt", kWin32}, {kRoot, u"LONGNA~1.TXT", kDos}}, 1));
    v.Put(Entry(false, {{kRoot, u"short.txt", kWin32AndDos}}, 2));
    // Hard links: two names in one folder count twice, a third in another folder there.
    v.Put(Entry(false, {{kRoot, u"one", kPosix}, {kRoot, u"two", kWin32}, {other, u"three", kWin32}}, 10));
    // A folder's DOS alias is no second entry.
    v.Put(Entry(true, {{kRoot, u"Program Files", kWin32}, {kRoot, u"PROGRA~1", kDos}}));
    // Sparse or compressed: the logical size; an alternate stream adds nothing.
    RecordBuilder sparse = Entry(false, {{other, u"sparse", kWin32}});
    sparse.attributes.pop_back();
    sparse.NonResident(kData, EncodeRuns({{1000, -1}, {1, 50}}), 4'000'000).Resident(kData, Bytes(99), u"Zone.Identifier");
    v.Put(sparse);
    EXPECT_EQ(TreeOf(v), "23{other 4000010{} Program Files 0{}}");
}

TEST(NtfsIndex, LinksAreListedNeverEntered)
{
    TestVolume v;
    RecordBuilder junction = Entry(true, {{kRoot, u"junction", kWin32}});
    junction.Resident(kReparsePoint, ReparseValue(0xA0000003));
    const auto inJunction = v.Put(junction);
    v.File(inJunction, u"hidden", 1000);
    v.Folder(inJunction, u"below");
    // The tag only in the name, as when the reparse data is not resident.
    v.Put(Entry(true, {{kRoot, u"symlinkd", kWin32}}).Resident(kFileName, FileNameValue(kRoot, u"x", kDos, 0xA000000C)));
    RecordBuilder cloud = Entry(true, {{kRoot, u"cloud", kWin32}});
    cloud.Resident(kReparsePoint, ReparseValue(0x9000001A));  // not a name surrogate: an ordinary folder
    v.File(v.Put(cloud), u"f", 5);
    RecordBuilder fileLink = Entry(false, {{kRoot, u"file link", kWin32}}, 3);
    fileLink.Resident(kReparsePoint, ReparseValue(0xA000000C));
    v.Put(fileLink);
    EXPECT_EQ(TreeOf(v), "3{cloud 5{} junction~ symlinkd~}");
}

TEST(NtfsIndex, OnlyWhatTheRootReaches)
{
    TestVolume v;
    // $Extend (record 11) and what is in it; a metadata file in the root.
    v.Put(Entry(true, {{kRoot, u"$Extend", kWin32}}), 11);
    v.Folder(Reference(11, 1), u"$RmMetadata");
    v.Put(Entry(false, {{kRoot, u"$Secure", kWin32}}, 40), 9);
    // A name whose parent reference has an old sequence number.
    const auto kept = v.Folder(kRoot, u"kept");
    v.File(Reference(RecordNumber(kept), 7), u"stale", 50);
    v.Folder(Reference(RecordNumber(kept), 7), u"stale folder");
    // A folder no longer in use, with a file still naming it.
    RecordBuilder gone = Entry(true, {{kRoot, u"gone", kWin32}});
    gone.flags = 0x0002;
    v.File(v.Put(gone), u"orphan", 60);
    // Two folders that hold each other, and one that holds itself.
    const std::uint64_t x = Reference(v.nextRecord, 1), y = Reference(v.nextRecord + 1, 1);
    v.Put(Entry(true, {{y, u"x", kWin32}}));
    v.Put(Entry(true, {{x, u"y", kWin32}}));
    v.Put(Entry(true, {{Reference(v.nextRecord, 1), u"self", kWin32}}));
    // A folder with names in two folders, one inside itself (a corrupt
    // volume): entered once, through the name reached first.
    const std::uint64_t twice = Reference(v.nextRecord, 1), inside = Reference(v.nextRecord + 1, 1);
    v.Put(Entry(true, {{kRoot, u"twice", kWin32}, {inside, u"again", kWin32}}));
    v.Put(Entry(true, {{twice, u"inside", kWin32}}));
    // "$" names and system folders outside the metadata stay.
    v.Folder(kRoot, u"$Recycle.Bin");
    v.Folder(kRoot, u"System Volume Information");
    EXPECT_EQ(TreeOf(v), "0{$Recycle.Bin 0{} kept 0{} System Volume Information 0{} twice 0{inside 0{}}}");
}

// A file split over extension records: names in one, the data in another,
// one numbered below the base (read before it) and one after it.
struct SplitFile {
    std::uint64_t baseNumber, lowNumber, highNumber;
    std::uint16_t statedBaseSequence = 1;  // as the extensions state it
    bool listNonResident = false;
    std::uint64_t listCluster = 60;  // where a non-resident list lies
};

void AddSplitFile(TestVolume& v, const SplitFile& s, std::uint64_t parent)
{
    const auto base = Reference(s.baseNumber, 1);
    const Bytes list = Concat({ListEntryBytes(kStandardInformation, base), ListEntryBytes(kFileName, Reference(s.lowNumber, 1)),
                               ListEntryBytes(kFileName, Reference(s.highNumber, 1)),
                               ListEntryBytes(kData, Reference(s.highNumber, 1))});
    RecordBuilder record;
    record.Resident(kStandardInformation, StandardInformation(1));
    if (s.listNonResident) {
        v.clusterData[s.listCluster] = list;
        record.NonResident(kAttributeList, EncodeRuns({{1, static_cast<std::int64_t>(s.listCluster)}}), list.size());
    } else {
        record.Resident(kAttributeList, list);
    }
    v.Put(record, s.baseNumber);
    RecordBuilder low, high;
    low.base = high.base = Reference(s.baseNumber, s.statedBaseSequence);
    low.Resident(kFileName, FileNameValue(parent, u"link a"));
    high.Resident(kFileName, FileNameValue(parent, u"link b")).NonResident(kData, EncodeRuns({{1, -1}}), 1000);
    v.Put(low, s.lowNumber);
    v.Put(high, s.highNumber);
}

TEST(NtfsIndex, BaseAndExtensionsJoinInEitherOrder)
{
    struct Case {
        const char* what;
        SplitFile file;
        const char* tree;
        std::uint64_t skipped;
    };
    const Case cases[] = {
        {"extensions before and after the base", {24, 20, 28}, "2000{}", 0},
        {"both after", {20, 24, 28}, "2000{}", 0},
        {"both before", {28, 20, 24}, "2000{}", 0},
        {"list not resident", {24, 20, 28, 1, true}, "2000{}", 0},
        {"extensions name another base", {24, 20, 28, 9}, "0{}", 1},
    };
    for (const Case& c : cases) {
        TestVolume v;
        AddSplitFile(v, c.file, kRoot);
        const Result result = Build(v);
        ASSERT_EQ(result.outcome, Outcome::Done) << c.what;
        EXPECT_EQ(Tree(result.index), c.tree) << c.what;
        EXPECT_EQ(result.index.skippedRecords, c.skipped) << c.what;
    }
}

TEST(NtfsIndex, FolderWithItsNameInAnExtension)
{
    TestVolume v;
    RecordBuilder base, extension;
    base.flags = 0x0003;
    base.Resident(kStandardInformation, StandardInformation(1))
        .Resident(kAttributeList, Concat({ListEntryBytes(kStandardInformation, Reference(30, 1)),
                                          ListEntryBytes(kFileName, Reference(17, 1))}));
    extension.base = Reference(30, 1);
    extension.Resident(kFileName, FileNameValue(kRoot, u"split folder"));
    v.Put(base, 30);
    v.Put(extension, 17);
    v.File(Reference(30, 1), u"inside", 9);
    EXPECT_EQ(TreeOf(v), "0{split folder 9{}}");
}

TEST(NtfsIndex, ClustersAndSizesPast32Bits)
{
    // 64 TiB in 4 KiB clusters. The MFT's pieces jump up and down across
    // 2^32 clusters (offsets of five bytes either way); the upcase table and
    // an attribute list lie above it too.
    constexpr std::uint64_t k4G = std::uint64_t{1} << 32;
    TestVolume v;
    v.clusters = 4 * k4G;
    v.mftRuns = {{2, static_cast<std::int64_t>(k4G + 16)}, {3, 40}, {3, static_cast<std::int64_t>(3 * k4G + 5)}};
    v.upcaseCluster = 2 * k4G + 7;
    const auto folder = v.Folder(kRoot, u"big");
    // Sizes whose low 32 bits alone would read as 1 and 705,032,704.
    RecordBuilder file = Entry(false, {{folder, u"just over 4 GiB", kWin32}});
    file.attributes.pop_back();
    file.NonResident(kData, EncodeRuns({{1 << 20, static_cast<std::int64_t>(3 * k4G + 100)}, {1, 50}}), k4G + 1);
    v.Put(file);
    v.File(folder, u"5 GB", 5'000'000'000);
    AddSplitFile(v, {24, 20, 28, 1, true, 4 * k4G - 1}, folder);
    const Result result = Build(v.Sparse());
    ASSERT_EQ(result.outcome, Outcome::Done);
    EXPECT_EQ(Tree(result.index), "0{big 9294969297{}}");
    EXPECT_EQ(result.index.recordsRead, v.RecordCount());
    EXPECT_EQ(result.index.skippedRecords, 0u);
    EXPECT_EQ(result.unalignedReads, 0);
}

struct LayoutCase {
    const char* what;
    std::uint32_t sectorSize, clusterSize, recordSize;
    std::uint64_t clusters, upcaseCluster;
    std::vector<RunSpec> mftRuns;
    std::size_t mftSplit;
    std::uint64_t mftExtension;
    bool usable;
};

// Where the MFT lies and how big its pieces are; every layout that is usable
// must give the same tree, through reads that are all aligned.
const LayoutCase kLayouts[] = {
    {"one piece", 512, 4096, 1024, 128, 96, {{8, 16}}, 0, 0, true},
    {"4 KiB sectors", 4096, 4096, 1024, 128, 96, {{8, 16}}, 0, 0, true},
    {"4 KiB records", 4096, 4096, 4096, 128, 96, {{32, 40}}, 0, 0, true},
    {"fragments in record 0", 512, 4096, 1024, 128, 96, {{2, 16}, {3, 40}, {3, 30}}, 0, 0, true},
    {"fragments in an extension record", 512, 4096, 1024, 128, 96, {{2, 16}, {3, 40}, {3, 30}}, 1, 7, true},
    {"extension record beyond the known runs", 512, 4096, 1024, 128, 96, {{2, 16}, {3, 40}, {3, 30}}, 1, 12, false},
    {"records across fragments of 512-byte clusters", 512, 512, 1024, 512, 250, {{4, 40}, {5, 60}, {55, 100}}, 1, 1, true},
    {"clusters smaller than a sector", 4096, 512, 1024, 512, 250, {{64, 40}}, 0, 0, false},
};

TEST(NtfsIndex, MftLayouts)
{
    for (const LayoutCase& c : kLayouts) {
        TestVolume v;
        v.sectorSize = c.sectorSize;
        v.clusterSize = c.clusterSize;
        v.recordSize = c.recordSize;
        v.clusters = c.clusters;
        v.upcaseCluster = c.upcaseCluster;
        v.mftRuns = c.mftRuns;
        v.mftSplit = c.mftSplit;
        v.mftExtension = c.mftExtension;
        // Fill every record after the first free one, up to the MFT's end.
        const auto folder = v.Folder(kRoot, u"f");
        while (v.nextRecord < v.RecordCount())
            v.File(folder, u"x", 1);
        const Result result = Build(v);
        EXPECT_EQ(result.unalignedReads, 0) << c.what;
        if (!c.usable) {
            EXPECT_EQ(result.outcome, Outcome::Unusable) << c.what;
            continue;
        }
        ASSERT_EQ(result.outcome, Outcome::Done) << c.what;
        EXPECT_EQ(Tree(result.index), "0{f " + std::to_string(v.RecordCount() - 17) + "{}}") << c.what;
    }
}

TEST(NtfsIndex, MftExtensionMustBelongToRecordZero)
{
    for (const std::uint16_t sequence : {1, 2}) {
        TestVolume v;
        v.mftRuns = {{2, 16}, {6, 40}};
        v.mftSplit = 1;
        v.mftExtension = 7;
        RecordBuilder extension = v.MftExtensionRecord();
        extension.base = Reference(0, sequence);
        v.Put(extension, 7);
        EXPECT_EQ(Build(v).outcome, sequence == 1 ? Outcome::Done : Outcome::Unusable) << sequence;
    }
}

TEST(NtfsIndex, DamageOutcomes)
{
    struct Case {
        const char* what;
        std::function<void(TestVolume&, MemoryVolume&)> damage;
        Outcome outcome;
        std::uint64_t skipped;
    };
    const auto recordAt = [](const TestVolume& v, std::uint64_t number) {
        return static_cast<std::size_t>(v.mftRuns[0].lcn) * v.clusterSize + number * v.recordSize;
    };
    const Case cases[] = {
        {"a torn file record is skipped", [&](TestVolume& v, MemoryVolume& m) { m.image[recordAt(v, 17) + 510] ^= 1; },
         Outcome::Done, 1},
        {"a bad attribute is skipped", [&](TestVolume& v, MemoryVolume& m) { m.image[recordAt(v, 16) + 0x3C] = 0x07; },
         Outcome::Done, 1},
        {"boot sector", [](TestVolume&, MemoryVolume& m) { m.image[3] = 'X'; }, Outcome::Unusable, 0},
        {"record 0 torn", [&](TestVolume& v, MemoryVolume& m) { m.image[recordAt(v, 0) + 510] ^= 1; }, Outcome::Unusable, 0},
        {"no root", [&](TestVolume& v, MemoryVolume& m) { m.image[recordAt(v, 5) + 0x16] = 0; }, Outcome::Unusable, 0},
        {"upcase table too short",
         [](TestVolume& v, MemoryVolume& m) {
             RecordBuilder upcase;
             upcase.NonResident(kData, EncodeRuns({{32, 96}}), 131070);
             const Bytes bytes = upcase.Build(v.recordSize);
             std::copy(bytes.begin(), bytes.end(), m.image.begin() + 16 * 4096 + 10 * 1024);
         },
         Outcome::Unusable, 0},
        {"the boot sector cannot be read", [](TestVolume&, MemoryVolume& m) { m.failFrom = 0; }, Outcome::ReadFailed, 0},
        {"the MFT cannot be read", [](TestVolume&, MemoryVolume& m) { m.failFrom = 17 * 4096; }, Outcome::ReadFailed, 0},
    };
    for (const Case& c : cases) {
        TestVolume v;
        const auto folder = v.Folder(kRoot, u"f");
        v.File(folder, u"a", 1);
        v.File(folder, u"b", 2);
        MemoryVolume volume = v.Volume();
        c.damage(v, volume);
        const Result result = Build(std::move(volume));
        EXPECT_EQ(result.outcome, c.outcome) << c.what;
        EXPECT_EQ(result.index.skippedRecords, c.skipped) << c.what;
        EXPECT_EQ(result.unalignedReads, 0) << c.what;
    }
}

TEST(NtfsIndex, ProgressAndCancel)
{
    TestVolume v;
    v.mftRuns = {{2048, 16}};  // 8,192 records
    v.clusters = 4096;
    v.upcaseCluster = 3000;
    std::vector<std::uint64_t> seen;
    const Result done = Build(v.Volume(), [&](std::uint64_t read, std::uint64_t total) {
        EXPECT_EQ(total, 8192u);
        seen.push_back(read);
        return true;
    });
    ASSERT_EQ(done.outcome, Outcome::Done);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 8192u);
    for (std::size_t i = 1; i < seen.size(); ++i)
        EXPECT_LE(seen[i] - seen[i - 1], 4096u);

    int calls = 0;
    const Result cancelled = Build(v.Volume(), [&](std::uint64_t, std::uint64_t) { return ++calls < 2; });
    EXPECT_EQ(cancelled.outcome, Outcome::Cancelled);
    EXPECT_EQ(calls, 2);
    EXPECT_TRUE(cancelled.index.folders.empty());
}

TEST(NtfsIndex, CorruptedRecordsNeverBreakTheIndex)
{
    TestVolume v;
    const auto a = v.Folder(kRoot, u"a");
    const auto b = v.Folder(a, u"b");
    v.File(b, u"f", 5);
    AddSplitFile(v, {24, 20, 28}, b);
    v.Put(Entry(true, {{kRoot, u"c", kWin32}}));
    const MemoryVolume clean = v.Volume();
    const std::size_t mftStart = 16 * 4096;
    std::uint32_t state = 99;
    const auto next = [&] {
        state = state * 1103515245u + 12345u;
        return state >> 8;
    };
    for (int i = 0; i < 150; ++i) {
        MemoryVolume volume = clean;
        for (int c = 1 + static_cast<int>(next() % 6); c > 0; --c)
            volume.image[mftStart + next() % (32 * 1024)] = static_cast<std::uint8_t>(next());
        const Result result = Build(std::move(volume));
        ASSERT_TRUE(result.outcome == Outcome::Done || result.outcome == Outcome::Unusable) << i;
        ASSERT_EQ(result.unalignedReads, 0) << i;
        if (result.outcome == Outcome::Done) {
            ASSERT_EQ(Tree(result.index).find("BAD"), std::string::npos) << i;
        }
    }
}

}  // namespace
