#pragma once
// Small NTFS volumes made in memory: a boot sector, MFT records with their
// fix-ups, attributes and run lists, and volumes (whole, or sparse for huge
// ones) that refuse unaligned reads as a volume handle on Windows does.
// Shared by the tests and the parser's benchmark.
#include <algorithm>
#include <cstdint>
#include <map>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "ntfs/Record.h"
#include "ntfs/VolumeSource.h"

namespace ntfs::fixture {

using Bytes = std::vector<std::uint8_t>;

inline void Put(Bytes& bytes, std::size_t at, std::uint64_t value, std::size_t width)
{
    if (bytes.size() < at + width)
        bytes.resize(at + width);
    for (std::size_t i = 0; i < width; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline void PutName(Bytes& bytes, std::size_t at, std::u16string_view name)
{
    for (std::size_t i = 0; i < name.size(); ++i)
        Put(bytes, at + 2 * i, name[i], 2);
}

// --- attribute values -------------------------------------------------------

inline Bytes StandardInformation(std::uint64_t writeTime)
{
    Bytes value(0x48);
    Put(value, 0x08, writeTime, 8);
    return value;
}

inline constexpr std::uint8_t kPosix = 0, kWin32 = 1, kDos = 2, kWin32AndDos = 3;

inline Bytes FileNameValue(std::uint64_t parent, std::u16string_view name, std::uint8_t nameSpace = kWin32,
                           std::uint32_t reparseTag = 0)
{
    Bytes value(0x42 + 2 * name.size());
    Put(value, 0x00, parent, 8);
    if (reparseTag != 0) {
        Put(value, 0x38, 0x400, 4);
        Put(value, 0x3C, reparseTag, 4);
    }
    Put(value, 0x40, name.size(), 1);
    Put(value, 0x41, nameSpace, 1);
    PutName(value, 0x42, name);
    return value;
}

inline Bytes ReparseValue(std::uint32_t tag)
{
    Bytes value(8);
    Put(value, 0, tag, 4);
    return value;
}

inline Bytes ListEntryBytes(std::uint32_t type, std::uint64_t reference, std::uint64_t lowestVcn = 0)
{
    Bytes entry(0x20);
    Put(entry, 0x00, type, 4);
    Put(entry, 0x04, 0x20, 2);
    Put(entry, 0x07, 0x1A, 1);
    Put(entry, 0x08, lowestVcn, 8);
    Put(entry, 0x10, reference, 8);
    return entry;
}

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// --- run lists --------------------------------------------------------------

struct RunSpec {
    std::uint64_t length = 0;
    std::int64_t lcn = -1;  // -1: sparse
};

inline std::size_t WidthOf(std::int64_t value, bool isSigned)
{
    std::size_t width = 1;
    while (width < 8) {
        const std::int64_t limit = std::int64_t{1} << (8 * width - (isSigned ? 1 : 0));
        if (isSigned ? (value >= -limit && value < limit) : (static_cast<std::uint64_t>(value) < static_cast<std::uint64_t>(limit)))
            break;
        ++width;
    }
    return width;
}

inline Bytes EncodeRuns(const std::vector<RunSpec>& runs)
{
    Bytes bytes;
    std::int64_t previous = 0;
    for (const RunSpec& run : runs) {
        const std::size_t lengthWidth = WidthOf(static_cast<std::int64_t>(run.length), false);
        const std::size_t at = bytes.size();
        if (run.lcn < 0) {
            Put(bytes, at, lengthWidth, 1);
            Put(bytes, at + 1, run.length, lengthWidth);
            continue;
        }
        const std::int64_t delta = run.lcn - previous;
        const std::size_t offsetWidth = WidthOf(delta, true);
        Put(bytes, at, lengthWidth | (offsetWidth << 4), 1);
        Put(bytes, at + 1, run.length, lengthWidth);
        Put(bytes, at + 1 + lengthWidth, static_cast<std::uint64_t>(delta), offsetWidth);
        previous = run.lcn;
    }
    bytes.push_back(0);
    return bytes;
}

// --- records ----------------------------------------------------------------

struct RecordBuilder {
    std::uint16_t sequence = 1;
    std::uint16_t flags = 0x0001;  // in use
    std::uint64_t base = 0;
    std::vector<Bytes> attributes;

    RecordBuilder& Resident(std::uint32_t type, const Bytes& value, std::u16string_view name = {})
    {
        const std::size_t valueOffset = (0x18 + 2 * name.size() + 7) / 8 * 8;
        Bytes attribute((valueOffset + value.size() + 7) / 8 * 8);
        Put(attribute, 0x00, type, 4);
        Put(attribute, 0x04, attribute.size(), 4);
        Put(attribute, 0x09, name.size(), 1);
        Put(attribute, 0x0A, 0x18, 2);
        Put(attribute, 0x10, value.size(), 4);
        Put(attribute, 0x14, valueOffset, 2);
        PutName(attribute, 0x18, name);
        std::copy(value.begin(), value.end(), attribute.begin() + static_cast<std::ptrdiff_t>(valueOffset));
        attributes.push_back(std::move(attribute));
        return *this;
    }

    RecordBuilder& NonResident(std::uint32_t type, const Bytes& runs, std::uint64_t dataSize,
                               std::uint64_t lowestVcn = 0, std::u16string_view name = {})
    {
        // Runs after a compressed-size field, as compressed files have them:
        // a parser must find them through the header's offset.
        const std::size_t runsOffset = (0x48 + 2 * name.size() + 7) / 8 * 8;
        Bytes attribute((runsOffset + runs.size() + 7) / 8 * 8);
        Put(attribute, 0x00, type, 4);
        Put(attribute, 0x04, attribute.size(), 4);
        Put(attribute, 0x08, 1, 1);
        Put(attribute, 0x09, name.size(), 1);
        Put(attribute, 0x0A, 0x48, 2);
        Put(attribute, 0x10, lowestVcn, 8);
        Put(attribute, 0x20, runsOffset, 2);
        Put(attribute, 0x28, dataSize, 8);
        Put(attribute, 0x30, dataSize, 8);
        Put(attribute, 0x38, dataSize, 8);
        PutName(attribute, 0x48, name);
        std::copy(runs.begin(), runs.end(), attribute.begin() + static_cast<std::ptrdiff_t>(runsOffset));
        attributes.push_back(std::move(attribute));
        return *this;
    }

    // The record as written to the disk: the last two bytes of every 512
    // are replaced by the update sequence number, their values kept in the array.
    Bytes Build(std::size_t recordSize) const
    {
        constexpr std::size_t kUsaOffset = 0x30;
        const std::size_t strides = recordSize / 512;
        Bytes record(recordSize);
        Put(record, 0x00, 0x454C4946, 4);  // "FILE"
        Put(record, 0x04, kUsaOffset, 2);
        Put(record, 0x06, strides + 1, 2);
        Put(record, 0x10, sequence, 2);
        const std::size_t first = (kUsaOffset + 2 * (strides + 1) + 7) / 8 * 8;
        Put(record, 0x14, first, 2);
        Put(record, 0x16, flags, 2);
        Put(record, 0x20, base, 8);
        std::size_t at = first;
        for (const Bytes& attribute : attributes) {
            if (at + attribute.size() + 8 > recordSize)
                throw std::length_error("the attributes do not fit in the record");
            std::copy(attribute.begin(), attribute.end(), record.begin() + static_cast<std::ptrdiff_t>(at));
            at += attribute.size();
        }
        Put(record, at, 0xFFFFFFFF, 4);
        Put(record, 0x18, at + 8, 4);
        Put(record, 0x1C, recordSize, 4);
        constexpr std::uint16_t kUsn = 0x0A0B;
        Put(record, kUsaOffset, kUsn, 2);
        for (std::size_t stride = 1; stride <= strides; ++stride) {
            const std::size_t tail = stride * 512 - 2;
            Put(record, kUsaOffset + 2 * stride, record[tail] | (record[tail + 1] << 8), 2);
            Put(record, tail, kUsn, 2);
        }
        return record;
    }
};

// --- a volume ---------------------------------------------------------------

// A volume that refuses what a volume handle refuses: an offset, length or
// buffer not aligned to the sector size. Such reads are counted.
class StrictVolume : public VolumeSource {
public:
    explicit StrictVolume(std::uint32_t sectorSize) : sectorSize(sectorSize) {}
    std::uint32_t SectorSize() const override { return sectorSize; }
    bool Read(std::uint64_t offset, std::span<std::uint8_t> buffer) override
    {
        if (offset % sectorSize != 0 || buffer.size() % sectorSize != 0 ||
            reinterpret_cast<std::uintptr_t>(buffer.data()) % sectorSize != 0) {
            ++unalignedReads;
            return false;
        }
        return offset < failFrom && Fetch(offset, buffer);
    }

    std::uint32_t sectorSize;
    int unalignedReads = 0;
    std::uint64_t failFrom = UINT64_MAX;  // reads at or past this offset fail

protected:
    virtual bool Fetch(std::uint64_t offset, std::span<std::uint8_t> buffer) = 0;
};

// The whole volume in memory.
class MemoryVolume : public StrictVolume {
public:
    MemoryVolume(Bytes image, std::uint32_t sectorSize) : StrictVolume(sectorSize), image(std::move(image)) {}
    Bytes image;

protected:
    bool Fetch(std::uint64_t offset, std::span<std::uint8_t> buffer) override
    {
        if (offset > image.size() || buffer.size() > image.size() - offset)
            return false;
        std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(offset), buffer.size(), buffer.begin());
        return true;
    }
};

// A volume of any size, of which only the sectors written are kept: the rest
// reads as zeros.
class SparseVolume : public StrictVolume {
public:
    SparseVolume(std::uint64_t size, std::uint32_t sectorSize) : StrictVolume(sectorSize), size(size) {}
    void Write(std::uint64_t offset, std::span<const std::uint8_t> bytes)
    {
        for (std::size_t done = 0; done < bytes.size();) {
            Bytes& sector = sectors[(offset + done) / sectorSize];
            sector.resize(sectorSize);
            const auto at = static_cast<std::size_t>((offset + done) % sectorSize);
            const std::size_t piece = std::min<std::size_t>(sectorSize - at, bytes.size() - done);
            std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(done), piece, sector.begin() + static_cast<std::ptrdiff_t>(at));
            done += piece;
        }
    }

protected:
    bool Fetch(std::uint64_t offset, std::span<std::uint8_t> buffer) override
    {
        if (offset > size || buffer.size() > size - offset)
            return false;
        for (std::size_t done = 0; done < buffer.size(); done += sectorSize) {
            const auto it = sectors.find((offset + done) / sectorSize);
            const auto target = buffer.subspan(done, sectorSize);
            if (it == sectors.end())
                std::fill(target.begin(), target.end(), std::uint8_t{0});
            else
                std::copy(it->second.begin(), it->second.end(), target.begin());
        }
        return true;
    }

private:
    std::uint64_t size;
    std::map<std::uint64_t, Bytes> sectors;  // by sector number
};

inline constexpr std::uint16_t kRootSequence = 5;
inline constexpr std::uint64_t kRoot = Reference(5, kRootSequence);
inline constexpr std::uint64_t kFirstFree = 16;

// A volume laid out as: the boot sector in cluster 0, the MFT in the runs of
// `mftRuns`, the upcase table (ASCII letters folded) at `upcaseCluster`.
// Records 0 (the MFT), 5 (the root) and 10 (the upcase table) are made by
// Image(); the others are whatever the test puts in `records`.
struct TestVolume {
    std::uint32_t sectorSize = 512;
    std::uint32_t clusterSize = 4096;
    std::uint32_t recordSize = 1024;
    std::uint64_t clusters = 128;
    std::uint64_t upcaseCluster = 96;
    std::vector<RunSpec> mftRuns = {{8, 16}};  // 32 records of 1 KiB at cluster 16
    // When set, the MFT's runs from this index on are described in an
    // extension record of record 0 (number `mftExtension`), named by an
    // attribute list in record 0.
    std::size_t mftSplit = 0;
    std::uint64_t mftExtension = 15;
    std::uint8_t clusterByte = 0;  // 0: worked out from clusterSize
    std::map<std::uint64_t, Bytes> records;
    std::map<std::uint64_t, Bytes> clusterData;  // bytes written at a cluster, outside the MFT
    std::uint64_t nextRecord = kFirstFree;

    std::uint64_t RecordCount() const
    {
        std::uint64_t clustersOfMft = 0;
        for (const RunSpec& run : mftRuns)
            clustersOfMft += run.length;
        return clustersOfMft * clusterSize / recordSize;
    }

    // Puts `record` at `number` (the next free one when 0); returns its reference.
    std::uint64_t Put(const RecordBuilder& record, std::uint64_t number = 0)
    {
        if (number == 0)
            number = nextRecord++;
        records[number] = record.Build(recordSize);
        return Reference(number, record.sequence);
    }

    // A folder or file named `name` in `parent`; returns its reference.
    std::uint64_t Add(std::uint64_t parent, std::u16string_view name, bool folder, std::int64_t size = 0,
                      std::uint64_t writeTime = 0)
    {
        RecordBuilder record;
        record.flags = folder ? 0x0003 : 0x0001;
        record.Resident(kStandardInformation, StandardInformation(writeTime))
            .Resident(kFileName, FileNameValue(parent, name));
        if (!folder)
            record.NonResident(kData, EncodeRuns({{1, -1}}), static_cast<std::uint64_t>(size));
        return Put(record);
    }
    std::uint64_t Folder(std::uint64_t parent, std::u16string_view name, std::uint64_t writeTime = 0)
    {
        return Add(parent, name, true, 0, writeTime);
    }
    std::uint64_t File(std::uint64_t parent, std::u16string_view name, std::int64_t size)
    {
        return Add(parent, name, false, size);
    }

    Bytes BootSector() const
    {
        Bytes sector(512);
        ntfs::fixture::Put(sector, 0, 0x9052EB, 3);
        std::copy_n("NTFS    ", 8, sector.begin() + 3);
        ntfs::fixture::Put(sector, 0x0B, 512, 2);
        const std::uint8_t byte = clusterByte != 0 ? clusterByte : static_cast<std::uint8_t>(clusterSize / 512);
        ntfs::fixture::Put(sector, 0x0D, byte, 1);
        ntfs::fixture::Put(sector, 0x28, clusters * (clusterSize / 512), 8);
        ntfs::fixture::Put(sector, 0x30, static_cast<std::uint64_t>(mftRuns.front().lcn), 8);
        // Records are given as a negative power of two: 0xF6 is 2^10 bytes.
        const int shift = recordSize == 4096 ? 12 : recordSize == 2048 ? 11 : 10;
        ntfs::fixture::Put(sector, 0x40, static_cast<std::uint8_t>(256 - shift), 1);
        ntfs::fixture::Put(sector, 0x1FE, 0xAA55, 2);
        return sector;
    }

    RecordBuilder MftRecord() const
    {
        const std::size_t split = mftSplit == 0 ? mftRuns.size() : mftSplit;
        const std::vector<RunSpec> head(mftRuns.begin(), mftRuns.begin() + static_cast<std::ptrdiff_t>(split));
        const std::uint64_t mftBytes = RecordCount() * recordSize;
        RecordBuilder record;
        record.Resident(kStandardInformation, StandardInformation(0));
        if (mftSplit != 0) {
            std::uint64_t tailVcn = 0;
            for (const RunSpec& run : head)
                tailVcn += run.length;
            record.Resident(kAttributeList, Concat({ListEntryBytes(kStandardInformation, Reference(0, 1)),
                                                    ListEntryBytes(kData, Reference(0, 1)),
                                                    ListEntryBytes(kData, Reference(mftExtension, 1), tailVcn)}));
        }
        record.Resident(kFileName, FileNameValue(kRoot, u"$MFT")).NonResident(kData, EncodeRuns(head), mftBytes);
        return record;
    }

    RecordBuilder MftExtensionRecord() const
    {
        const std::vector<RunSpec> tail(mftRuns.begin() + static_cast<std::ptrdiff_t>(mftSplit), mftRuns.end());
        std::uint64_t tailVcn = 0;
        for (std::size_t i = 0; i < mftSplit; ++i)
            tailVcn += mftRuns[i].length;
        RecordBuilder record;
        record.base = Reference(0, 1);
        // Every extent's run list starts again from cluster 0.
        record.NonResident(kData, EncodeRuns(tail), 0, tailVcn);
        return record;
    }

    // Hands every piece of the volume to `write(offset, bytes)`, later pieces over earlier ones.
    template <class Write>
    void Lay(Write&& write) const
    {
        write(0, BootSector());

        std::map<std::uint64_t, Bytes> all = records;
        all.try_emplace(0, MftRecord().Build(recordSize));
        if (mftSplit != 0)
            all.try_emplace(mftExtension, MftExtensionRecord().Build(recordSize));
        RecordBuilder root;
        root.sequence = kRootSequence;
        root.flags = 0x0003;
        root.Resident(kStandardInformation, StandardInformation(0)).Resident(kFileName, FileNameValue(kRoot, u"."));
        all.try_emplace(5, root.Build(recordSize));
        RecordBuilder upcase;
        upcase.Resident(kFileName, FileNameValue(kRoot, u"$UpCase"))
            .NonResident(kData, EncodeRuns({{131072 / clusterSize, static_cast<std::int64_t>(upcaseCluster)}}), 131072);
        all.try_emplace(10, upcase.Build(recordSize));
        Bytes table(131072);
        for (std::uint32_t unit = 0; unit < 65536; ++unit)
            fixture::Put(table, 2 * unit, unit >= u'a' && unit <= u'z' ? unit - 32 : unit, 2);
        write(upcaseCluster * clusterSize, table);

        for (const auto& [cluster, bytes] : clusterData)
            write(cluster * clusterSize, bytes);
        for (const auto& [number, bytes] : all) {
            std::uint64_t offset = number * recordSize;  // within the MFT, mapped through its runs
            for (std::size_t i = 0; i < bytes.size(); i += 512, offset += 512) {
                std::uint64_t vcn = offset / clusterSize;
                for (const RunSpec& run : mftRuns) {
                    if (vcn < run.length) {
                        const std::uint64_t disk = (static_cast<std::uint64_t>(run.lcn) + vcn) * clusterSize + offset % clusterSize;
                        write(disk, std::span(bytes).subspan(i, 512));
                        break;
                    }
                    vcn -= run.length;
                }
            }
        }
    }

    Bytes Image() const
    {
        Bytes image(clusters * clusterSize);
        Lay([&](std::uint64_t offset, std::span<const std::uint8_t> bytes) {
            std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(offset));
        });
        return image;
    }

    MemoryVolume Volume() const { return MemoryVolume(Image(), sectorSize); }

    // The volume for one too large to hold in memory.
    SparseVolume Sparse() const
    {
        SparseVolume volume(clusters * clusterSize, sectorSize);
        Lay([&](std::uint64_t offset, std::span<const std::uint8_t> bytes) { volume.Write(offset, bytes); });
        return volume;
    }
};

}  // namespace ntfs::fixture

namespace ntfs::fixture {

// Runs the record, attribute-list and run-list parsers over `cases` mutations
// of well-formed inputs (bytes flipped, set, or the input cut short). Any read
// out of bounds is the sanitizers' to catch; the sum of what was parsed keeps
// the work from being optimised away.
class ParserFuzz {
public:
    explicit ParserFuzz(std::uint32_t seed) : m_state(seed | 1)
    {
        RecordBuilder record;
        record.Resident(kStandardInformation, StandardInformation(7))
            .Resident(kAttributeList, Concat({ListEntryBytes(kFileName, Reference(20, 1)),
                                              ListEntryBytes(kData, Reference(21, 2), 0)}))
            .Resident(kFileName, FileNameValue(kRoot, std::u16string(120, u'n')))
            .Resident(kReparsePoint, ReparseValue(0xA000000C))
            .NonResident(kData, EncodeRuns({{4, 40}, {2, -1}, {3, 10}}), 20000)
            .NonResident(kAttributeList, EncodeRuns({{1, 60}}), 64)
            .NonResident(kData, EncodeRuns({{1, 70}}), 10, 0, u"stream");
        m_record = record.Build(1024);
        m_list = Concat({ListEntryBytes(kStandardInformation, Reference(20, 1)), ListEntryBytes(kData, Reference(22, 3), 9)});
        m_runs = EncodeRuns({{8, 64}, {4, 48}, {5, -1}, {300, 100000}, {1, 3}});
    }

    std::uint64_t Cases(std::uint64_t cases)
    {
        std::uint64_t sum = 0;
        Bytes input;
        FileFacts facts;
        std::vector<ListEntry> entries;
        std::vector<Run> runs;
        for (std::uint64_t i = 0; i < cases; ++i) {
            switch (i % 3) {
            case 0: {
                Mutate(m_record, input);
                RecordHeader header;
                if (PrepareRecord(input, header) == RecordState::Valid && ReadFacts(input, header, 200000, facts))
                    sum += facts.names.size() + static_cast<std::uint64_t>(facts.dataSize) + facts.listRuns.size();
                break;
            }
            case 1:
                Mutate(m_list, input);
                entries.clear();
                if (ParseAttributeList(ByteReader(input), entries))
                    sum += entries.size();
                break;
            default:
                Mutate(m_runs, input);
                runs.clear();
                if (DecodeRuns(ByteReader(input), Next() % 4, 1 + Next() % 200000, runs))
                    sum += runs.size();
                break;
            }
        }
        return sum;
    }

private:
    std::uint32_t Next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }

    void Mutate(const Bytes& seed, Bytes& out)
    {
        out = seed;
        const std::uint32_t changes = 1 + Next() % 8;
        for (std::uint32_t c = 0; c < changes; ++c) {
            const std::size_t at = Next() % out.size();
            switch (Next() % 4) {
            case 0: out[at] ^= static_cast<std::uint8_t>(1u << (Next() % 8)); break;
            case 1: out[at] = static_cast<std::uint8_t>(Next()); break;
            case 2: out[at] = Next() % 2 ? 0xFF : 0x00; break;
            default:
                // Cut short, keeping a whole number of 512-byte strides for records.
                if (out.size() >= 1024 && at >= 512)
                    out.resize(512);
                else if (out.size() < 512)
                    out.resize(at);
                break;
            }
            if (out.empty())
                return;
        }
    }

    std::uint32_t m_state;
    Bytes m_record, m_list, m_runs;
};

}  // namespace ntfs::fixture
