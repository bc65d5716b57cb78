// The pieces of the NTFS parser on their own: boot sector, run lists,
// records with their fix-ups, attribute lists, and corrupted inputs.
#include <gtest/gtest.h>

#include "ntfs/BootSector.h"
#include "ntfs/Collation.h"
#include "tests/ntfs/NtfsBuilder.h"

using namespace ntfs;
using namespace ntfs::fixture;

namespace {

struct Patch {
    std::size_t at;
    std::uint64_t value;
    std::size_t width;
};

struct BootCase {
    const char* what;
    std::vector<Patch> patches;
    std::uint32_t clusterSize;  // 0: refused
    std::uint32_t recordSize;
};

const std::uint64_t kManySectors = std::uint64_t{1} << 24;

const BootCase kBootCases[] = {
    {"as formatted", {}, 4096, 1024},
    {"large cluster 0xF4 is 2^12 sectors", {{0x0D, 0xF4, 1}, {0x28, kManySectors, 8}}, 2 << 20, 1024},
    {"0x80 is 128 sectors", {{0x0D, 0x80, 1}, {0x28, kManySectors, 8}}, 64 << 10, 1024},
    {"cluster over 2 MiB", {{0x0D, 0xF3, 1}, {0x28, kManySectors, 8}}, 0, 0},
    {"sectors per cluster not a power of two", {{0x0D, 3, 1}}, 0, 0},
    {"no sectors per cluster", {{0x0D, 0, 1}}, 0, 0},
    {"4 KiB records as a power of two", {{0x40, 0xF4, 1}}, 4096, 4096},
    {"4 KiB records as one cluster", {{0x40, 0x01, 1}}, 4096, 4096},
    {"1 KiB records as two 512-byte clusters", {{0x0D, 1, 1}, {0x40, 0x02, 1}}, 512, 1024},
    {"512-byte records", {{0x40, 0xF7, 1}}, 0, 0},
    {"no record size", {{0x40, 0x00, 1}}, 0, 0},
    {"absurd record size", {{0x40, 0xE0, 1}}, 0, 0},
    {"4096-byte sectors", {{0x0B, 4096, 2}, {0x0D, 1, 1}}, 4096, 1024},
    {"sector size not a power of two", {{0x0B, 1000, 2}}, 0, 0},
    {"OEM id", {{0x0A, 'X', 1}}, 0, 0},
    {"signature", {{0x1FE, 0, 2}}, 0, 0},
    {"MFT beyond the volume", {{0x30, 128, 8}}, 0, 0},
    {"no sectors", {{0x28, 0, 8}}, 0, 0},
    {"cluster count past 48 bits", {{0x28, UINT64_MAX, 8}}, 0, 0},
};

TEST(NtfsBootSector, FiguresAndRefusals)
{
    for (const BootCase& c : kBootCases) {
        Bytes sector = TestVolume{}.BootSector();
        for (const Patch& patch : c.patches)
            Put(sector, patch.at, patch.value, patch.width);
        const auto geometry = ParseBootSector(ByteReader(sector));
        if (c.clusterSize == 0) {
            EXPECT_FALSE(geometry) << c.what;
            continue;
        }
        ASSERT_TRUE(geometry) << c.what;
        EXPECT_EQ(geometry->clusterSize, c.clusterSize) << c.what;
        EXPECT_EQ(geometry->recordSize, c.recordSize) << c.what;
        EXPECT_EQ(geometry->mftCluster, 16u) << c.what;
    }
    // A boot sector cut short is refused, not read past its end.
    const Bytes whole = TestVolume{}.BootSector();
    EXPECT_FALSE(ParseBootSector(ByteReader(std::span(whole).first(0x100))));
}

struct RunCase {
    const char* what;
    Bytes bytes;
    std::uint64_t clusterCount;
    std::vector<ntfs::Run> expected;  // empty: refused
};

const RunCase kRunCases[] = {
    {"one run, two-byte offset", {0x21, 0x10, 0x00, 0x01, 0x00}, 1000, {{3, 256, 16, false}}},
    {"second run before the first", {0x11, 0x08, 0x40, 0x11, 0x04, 0xF0, 0x00}, 100,
     {{3, 64, 8, false}, {11, 48, 4, false}}},
    {"sparse run keeps the previous cluster", {0x11, 0x02, 0x10, 0x01, 0x05, 0x11, 0x01, 0x02, 0x00}, 100,
     {{3, 16, 2, false}, {5, 0, 5, true}, {10, 18, 1, false}}},
    {"last cluster of the volume", {0x11, 0x08, 0x40, 0x00}, 72, {{3, 64, 8, false}}},
    {"one cluster past the volume", {0x11, 0x08, 0x40, 0x00}, 71, {}},
    {"below cluster 0", {0x11, 0x01, 0x80, 0x00}, 100, {}},
    {"empty run", {0x11, 0x00, 0x05, 0x00}, 100, {}},
    {"nine-byte length", {0x19, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0x00}, 100, {}},
    {"cut inside a run", {0x21, 0x08}, 100, {}},
    {"no end mark", {0x11, 0x08, 0x40}, 100, {}},
    {"huge offset", {0x81, 0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x00}, 100, {}},
    {"huge negative offset", {0x81, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x00}, 100, {}},
};

TEST(NtfsRunList, DecodesAndChecksEveryCluster)
{
    for (const RunCase& c : kRunCases) {
        std::vector<ntfs::Run> runs;
        const bool ok = DecodeRuns(ByteReader(c.bytes), 3, c.clusterCount, runs);
        EXPECT_EQ(ok, !c.expected.empty()) << c.what;
        EXPECT_EQ(runs, ok ? c.expected : runs) << c.what;
    }
}

// A record whose long name crosses the first stride's end, so that a wrong
// fix-up shows in the name read back.
RecordBuilder SampleRecord()
{
    RecordBuilder record;
    record.Resident(kStandardInformation, StandardInformation(0x1234))
        .Resident(kFileName, FileNameValue(kRoot, std::u16string(200, u'x') + u"yz"))
        .Resident(kFileName, FileNameValue(kRoot, u"SHORT~1", kDos))
        .Resident(kReparsePoint, ReparseValue(0xA000000C))
        .NonResident(kData, EncodeRuns({{2, 40}}), 5000)
        .Resident(kData, Bytes(30), u"ads");
    return record;
}

struct RecordCase {
    const char* what;
    std::size_t recordSize;
    std::vector<Patch> patches;  // applied to the bytes as written
    RecordState state;
    bool factsRead;
};

const RecordCase kRecordCases[] = {
    {"1 KiB record", 1024, {}, RecordState::Valid, true},
    {"4 KiB record", 4096, {}, RecordState::Valid, true},
    {"torn second stride", 1024, {{1022, 0x1111, 2}}, RecordState::Corrupt, false},
    {"torn last stride of 4 KiB", 4096, {{4094, 0x1111, 2}}, RecordState::Corrupt, false},
    {"update sequence count", 1024, {{0x06, 2, 2}}, RecordState::Corrupt, false},
    {"update sequence past the first stride", 1024, {{0x04, 0x1FE, 2}}, RecordState::Corrupt, false},
    {"not in use", 1024, {{0x16, 0, 2}}, RecordState::Unused, false},
    {"never written", 1024, {{0x00, 0, 4}}, RecordState::Unused, false},
    {"bad magic", 1024, {{0x00, 0x44414142, 4}}, RecordState::Corrupt, false},
    {"bytes in use past the record", 1024, {{0x18, 1032, 4}}, RecordState::Corrupt, false},
    {"attributes past bytes in use", 1024, {{0x14, 0x3F0, 2}}, RecordState::Corrupt, false},
    {"attribute of length 0", 1024, {{0x3C, 0, 4}}, RecordState::Valid, false},
    {"attribute longer than the record", 1024, {{0x3C, 0x1000, 4}}, RecordState::Valid, false},
    {"value past its attribute", 1024, {{0x38 + 0x10, 0x100, 4}}, RecordState::Valid, false},
    {"non-resident flag 2", 1024, {{0x38 + 0x08, 2, 1}}, RecordState::Valid, false},
};

TEST(NtfsRecord, FixupsHeadersAndAttributes)
{
    for (const RecordCase& c : kRecordCases) {
        Bytes bytes = SampleRecord().Build(c.recordSize);
        for (const Patch& patch : c.patches)
            Put(bytes, patch.at, patch.value, patch.width);
        RecordHeader header;
        ASSERT_EQ(PrepareRecord(bytes, header), c.state) << c.what;
        if (c.state != RecordState::Valid)
            continue;
        FileFacts facts;
        ASSERT_EQ(ReadFacts(bytes, header, 100, facts), c.factsRead) << c.what;
        if (!c.factsRead)
            continue;
        ASSERT_EQ(facts.names.size(), 2u) << c.what;
        EXPECT_EQ(facts.names[0].name, std::u16string(200, u'x') + u"yz") << c.what;
        EXPECT_EQ(facts.names[0].parent, kRoot) << c.what;
        EXPECT_EQ(facts.names[1].nameSpace, kDos) << c.what;
        EXPECT_EQ(facts.writeTime, 0x1234u) << c.what;
        EXPECT_EQ(facts.dataSize, 5000) << c.what;  // the named stream is not the file's size
        EXPECT_EQ(facts.reparseTag, 0xA000000Cu) << c.what;
    }
}

TEST(NtfsRecord, AttributeListEntries)
{
    const Bytes list = Concat({ListEntryBytes(kFileName, Reference(30, 2)), ListEntryBytes(kData, Reference(31, 4), 77)});
    std::vector<ListEntry> entries;
    ASSERT_TRUE(ParseAttributeList(ByteReader(list), entries));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].type, kData);
    EXPECT_EQ(entries[1].lowestVcn, 77u);
    EXPECT_EQ(entries[1].reference, Reference(31, 4));

    const std::vector<Patch> refusals = {{0x04, 0x10, 2}, {0x24, 0x40, 2}, {0x26, 20, 1}};
    for (const Patch& patch : refusals) {
        Bytes bad = list;
        Put(bad, patch.at, patch.value, patch.width);
        entries.clear();
        EXPECT_FALSE(ParseAttributeList(ByteReader(bad), entries)) << patch.at;
    }
    entries.clear();
    EXPECT_FALSE(ParseAttributeList(ByteReader(std::span(list).first(list.size() - 8)), entries));
}

TEST(NtfsRecord, CorruptedInputsNeverReadOutOfBounds)
{
    // The benchmark runs millions; this short run keeps the sanitizers on it in every test run.
    ParserFuzz fuzz(12345);
    EXPECT_GT(fuzz.Cases(30000), 0u);
}

TEST(NtfsCollation, UpcaseOrder)
{
    std::vector<char16_t> upcase(kUpcaseEntries);
    for (std::size_t i = 0; i < upcase.size(); ++i)
        upcase[i] = static_cast<char16_t>(i >= u'a' && i <= u'z' ? i - 32 : i);
    upcase[0xE9] = 0xC9;  // é folds to É
    const std::span<const char16_t, kUpcaseEntries> table(upcase.data(), kUpcaseEntries);
    // Each pair in order, never the other way round.
    const std::pair<std::u16string, std::u16string> ordered[] = {
        {u"apple", u"Banana"}, {u"a", u"_"},  // '_' (0x5F) sorts after 'a' once it is 'A'
        {u"ab", u"abc"},       {u"ABC", u"abc"}, {u"\u00c9t\u00e9", u"\u00e9T\u00c9a"},
        {u"Z", u"\u00e9"},     {u"\u0100", u"\uffff"},
    };
    for (const auto& [first, second] : ordered) {
        EXPECT_TRUE(CollatesBefore(first, second, table));
        EXPECT_FALSE(CollatesBefore(second, first, table));
    }
    EXPECT_FALSE(CollatesBefore(u"same", u"same", table));
}

}  // namespace
