#include "ntfs/MftIndex.h"

#include <algorithm>
#include <bit>
#include <optional>
#include <unordered_map>
#include <utility>

#include "model/LargestFiles.h"
#include "ntfs/BootSector.h"
#include "ntfs/Collation.h"
#include "ntfs/Record.h"
#include "ntfs/StreamReader.h"

namespace ntfs {

namespace {

constexpr std::uint64_t kRootRecord = 5;
constexpr std::uint64_t kUpcaseRecord = 10;
constexpr std::uint64_t kFirstUserRecord = 16;  // below it: the metadata files
constexpr std::uint32_t kNameSurrogate = 0x20000000;
constexpr std::uint8_t kDosNamespace = 2;
constexpr std::size_t kChunkBytes = std::size_t{1} << 20;  // one sequential read of the MFT
constexpr std::uint64_t kLargestAttributeList = std::uint64_t{1} << 20;
constexpr std::uint32_t kLargestSector = 65536;
constexpr std::size_t kMostMftExtents = 4096;

void AddSize(std::int64_t& total, std::int64_t size)
{
    // Both are below 2^60 per stream, but a corrupt volume may add up many.
    total = size > INT64_MAX - total ? INT64_MAX : total + size;
}

class MftReader {
public:
    MftReader(VolumeSource& volume, const Geometry& geometry, const Progress& progress, MftIndex& index,
              bool collectFiles)
        : m_geometry(geometry), m_stream(volume, geometry), m_progress(progress), m_index(index),
          m_bCollectFiles(collectFiles)
    {
    }

    Outcome Build()
    {
        if (Outcome outcome = LoadMftRuns(); outcome != Outcome::Done)
            return outcome;
        if (Outcome outcome = LoadUpcase(); outcome != Outcome::Done)
            return outcome;
        if (Outcome outcome = ReadAllRecords(); outcome != Outcome::Done)
            return outcome;
        return Finish();
    }

private:
    // --- the MFT's own place and the upcase table ---------------------------

    struct Extent {
        std::uint64_t lowestVcn = 0;
        std::vector<Run> runs;
    };

    StreamRead ReadRecord(std::uint64_t number, std::vector<std::uint8_t>& record)
    {
        record.resize(m_geometry.recordSize);
        return m_stream.Read(m_mftRuns, number * m_geometry.recordSize, record);
    }

    // The extents of the MFT's unnamed $DATA that one of its records holds.
    bool CollectMftExtents(std::span<const std::uint8_t> record, const RecordHeader& header,
                           std::vector<Extent>& extents)
    {
        AttributeCursor cursor(record, header);
        Attribute attribute;
        while (cursor.Next(attribute)) {
            if (attribute.type != kData || attribute.nameLength != 0)
                continue;
            if (!attribute.nonResident)
                return false;
            Extent extent{attribute.lowestVcn, {}};
            if (!DecodeRuns(attribute.runs, attribute.lowestVcn, m_geometry.clusterCount, extent.runs))
                return false;
            if (attribute.lowestVcn == 0) {
                m_mftBytes = std::min(attribute.dataSize, attribute.initializedSize);
                m_haveMftSize = true;
            }
            extents.push_back(std::move(extent));
        }
        return !cursor.Failed();
    }

    // Joins the extents found so far into the MFT's runs; they must follow
    // each other from VCN 0 and lie on the disk.
    bool JoinMftExtents(std::vector<Extent> extents)
    {
        std::sort(extents.begin(), extents.end(),
                  [](const Extent& a, const Extent& b) { return a.lowestVcn < b.lowestVcn; });
        std::vector<Run> runs;
        std::uint64_t next = 0;
        for (const Extent& extent : extents) {
            if (extent.lowestVcn != next)
                return false;
            for (const Run& run : extent.runs) {
                if (run.sparse)
                    return false;
                runs.push_back(run);
                next = run.vcn + run.length;
            }
        }
        m_mftRuns = std::move(runs);
        return !m_mftRuns.empty();
    }

    StreamRead LoadList(const FileFacts& facts, std::vector<std::uint8_t>& bytes)
    {
        if (facts.listRuns.empty() && !facts.listBytes.empty()) {
            bytes = facts.listBytes;
            return StreamRead::Ok;
        }
        if (facts.listSize > kLargestAttributeList)
            return StreamRead::Missing;
        bytes.resize(static_cast<std::size_t>(facts.listSize));
        return m_stream.Read(facts.listRuns, 0, bytes);
    }

    static Outcome Bootstrap(StreamRead read)
    {
        return read == StreamRead::ReadFailed ? Outcome::ReadFailed : Outcome::Unusable;
    }

    Outcome LoadMftRuns()
    {
        // Until record 0 says where the rest lies, the MFT is known to start
        // at the cluster the boot sector names.
        const std::uint64_t firstClusters =
            (m_geometry.recordSize + m_geometry.clusterSize - 1) / m_geometry.clusterSize;
        if (firstClusters > m_geometry.clusterCount - m_geometry.mftCluster)
            return Outcome::Unusable;
        m_mftRuns = {Run{0, m_geometry.mftCluster, firstClusters, false}};

        std::vector<std::uint8_t> record;
        if (StreamRead read = ReadRecord(0, record); read != StreamRead::Ok)
            return Bootstrap(read);
        RecordHeader header;
        FileFacts facts;
        std::vector<Extent> extents;
        if (PrepareRecord(record, header) != RecordState::Valid || header.baseReference != 0 ||
            !CollectMftExtents(record, header, extents) || !ReadFacts(record, header, m_geometry.clusterCount, facts))
            return Outcome::Unusable;

        // A fragmented MFT lists further extents in extension records; each
        // lies in a part of the MFT that the extents before it already reach.
        if (facts.hasList) {
            std::vector<std::uint8_t> listBytes;
            std::vector<ListEntry> entries;
            if (StreamRead read = LoadList(facts, listBytes); read != StreamRead::Ok)
                return Bootstrap(read);
            if (!ParseAttributeList(ByteReader(listBytes), entries))
                return Outcome::Unusable;
            std::erase_if(entries, [](const ListEntry& entry) {
                return entry.type != kData || entry.nameLength != 0 || RecordNumber(entry.reference) == 0;
            });
            // Each extent is joined to those before it: keep a corrupt list from making that quadratic.
            if (entries.size() > kMostMftExtents)
                return Outcome::Unusable;
            std::sort(entries.begin(), entries.end(),
                      [](const ListEntry& a, const ListEntry& b) { return a.lowestVcn < b.lowestVcn; });
            const std::uint64_t base = Reference(0, header.sequence);
            std::vector<std::uint8_t> extension;
            for (const ListEntry& entry : entries) {
                if (!JoinMftExtents(extents))
                    return Outcome::Unusable;
                if (StreamRead read = ReadRecord(RecordNumber(entry.reference), extension); read != StreamRead::Ok)
                    return Bootstrap(read);
                RecordHeader extensionHeader;
                if (PrepareRecord(extension, extensionHeader) != RecordState::Valid ||
                    extensionHeader.baseReference != base ||
                    Reference(entry.reference, extensionHeader.sequence) != entry.reference ||
                    !CollectMftExtents(extension, extensionHeader, extents))
                    return Outcome::Unusable;
            }
        }
        if (!JoinMftExtents(std::move(extents)) || !m_haveMftSize)
            return Outcome::Unusable;

        m_recordCount = m_mftBytes / m_geometry.recordSize;
        const std::uint64_t covered = m_mftRuns.back().vcn + m_mftRuns.back().length;
        if (m_recordCount < kFirstUserRecord || covered > m_geometry.clusterCount ||
            covered * m_geometry.clusterSize < m_recordCount * m_geometry.recordSize)
            return Outcome::Unusable;
        return Outcome::Done;
    }

    Outcome LoadUpcase()
    {
        constexpr std::uint64_t kUpcaseBytes = kUpcaseEntries * 2;
        std::vector<std::uint8_t> record;
        if (StreamRead read = ReadRecord(kUpcaseRecord, record); read != StreamRead::Ok)
            return Bootstrap(read);
        RecordHeader header;
        if (PrepareRecord(record, header) != RecordState::Valid || header.baseReference != 0)
            return Outcome::Unusable;
        std::vector<Run> runs;
        bool found = false;
        AttributeCursor cursor(record, header);
        Attribute attribute;
        while (cursor.Next(attribute)) {
            if (attribute.type != kData || attribute.nameLength != 0)
                continue;
            if (!attribute.nonResident || attribute.lowestVcn != 0 || attribute.dataSize != kUpcaseBytes ||
                !DecodeRuns(attribute.runs, 0, m_geometry.clusterCount, runs))
                return Outcome::Unusable;
            found = true;
        }
        if (!found || cursor.Failed())
            return Outcome::Unusable;

        std::vector<std::uint8_t> bytes(kUpcaseBytes);
        if (StreamRead read = m_stream.Read(runs, 0, bytes); read != StreamRead::Ok)
            return Bootstrap(read);
        ByteReader reader(bytes);
        for (std::size_t i = 0; i < kUpcaseEntries; ++i)
            m_upcase[i] = static_cast<char16_t>(reader.U16(2 * i));
        return Outcome::Done;
    }

    // --- every record, in one sequential pass ------------------------------

    bool Report(std::uint64_t done)
    {
        return !m_progress || m_progress(done, m_recordCount);
    }

    Outcome ReadAllRecords()
    {
        const std::size_t recordSize = m_geometry.recordSize;
        const std::size_t perChunk = kChunkBytes / recordSize;
        AlignedBuffer chunk(kChunkBytes, m_stream.SectorSize());
        if (!Report(0))
            return Outcome::Cancelled;
        for (std::uint64_t first = 0; first < m_recordCount; first += perChunk) {
            const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(perChunk, m_recordCount - first));
            const auto bytes = chunk.Span().first(count * recordSize);
            if (StreamRead read = m_stream.Read(m_mftRuns, first * recordSize, bytes); read != StreamRead::Ok)
                return Bootstrap(read);
            for (std::size_t i = 0; i < count; ++i) {
                if (!Visit(first + i, bytes.subspan(i * recordSize, recordSize)))
                    return Outcome::ReadFailed;
            }
            m_index.recordsRead += count;
            if (!Report(first + count))
                return Outcome::Cancelled;
        }
        return Outcome::Done;
    }

    // False only when the volume refused a read.
    bool Visit(std::uint64_t number, std::span<std::uint8_t> record)
    {
        RecordHeader header;
        const RecordState state = PrepareRecord(record, header);
        if (state == RecordState::Unused)
            return true;
        if (state == RecordState::Corrupt || !ReadFacts(record, header, m_geometry.clusterCount, m_facts)) {
            ++m_index.skippedRecords;
            return true;
        }
        if (header.baseReference != 0) {
            AddExtension(Reference(number, header.sequence), header.baseReference, std::move(m_facts));
            return true;
        }
        if (!m_facts.hasList) {
            Emit(number, header.sequence, header.Directory(), m_facts);
            return true;
        }
        std::vector<std::uint8_t> listBytes;
        std::vector<ListEntry> entries;
        const StreamRead read = LoadList(m_facts, listBytes);
        if (read == StreamRead::ReadFailed)
            return false;
        if (read != StreamRead::Ok || !ParseAttributeList(ByteReader(listBytes), entries)) {
            ++m_index.skippedRecords;
            return true;
        }
        std::vector<std::uint64_t> awaited;
        for (const ListEntry& entry : entries) {
            if (RecordNumber(entry.reference) != number)
                awaited.push_back(entry.reference);
        }
        std::sort(awaited.begin(), awaited.end());
        awaited.erase(std::unique(awaited.begin(), awaited.end()), awaited.end());
        AddBase(number, header, std::move(awaited));
        return true;
    }

    // --- base and extension records, in either order ------------------------
    // Only records that have or belong to an attribute list wait here: a
    // base until every extension its list names has arrived, an extension
    // until its base has. Everything else is added up as it goes by.

    struct Extension {
        std::uint64_t reference = 0;
        std::uint64_t base = 0;  // the base reference the extension states
        FileFacts facts;
    };
    struct Pending {
        bool baseSeen = false;
        std::uint64_t base = 0;
        bool directory = false;
        FileFacts facts;
        std::vector<std::uint64_t> awaited;  // extension references the list names, not yet arrived (sorted)
        std::vector<Extension> early;        // extensions that came before their base
    };

    static void Absorb(Pending& pending, Extension&& extension)
    {
        if (extension.base != pending.base)
            return;
        const auto it = std::lower_bound(pending.awaited.begin(), pending.awaited.end(), extension.reference);
        if (it == pending.awaited.end() || *it != extension.reference)
            return;
        pending.awaited.erase(it);
        pending.facts.Merge(std::move(extension.facts));
    }

    void EmitIfComplete(std::uint64_t number)
    {
        const auto it = m_pending.find(number);
        if (it == m_pending.end() || !it->second.baseSeen || !it->second.awaited.empty())
            return;
        const Pending pending = std::move(it->second);
        m_pending.erase(it);
        Emit(number, static_cast<std::uint16_t>(pending.base >> 48), pending.directory, pending.facts);
    }

    void AddExtension(std::uint64_t reference, std::uint64_t base, FileFacts&& facts)
    {
        const std::uint64_t number = RecordNumber(base);
        Pending& pending = m_pending[number];
        Extension extension{reference, base, std::move(facts)};
        if (!pending.baseSeen) {
            pending.early.push_back(std::move(extension));
            return;
        }
        Absorb(pending, std::move(extension));
        EmitIfComplete(number);
    }

    void AddBase(std::uint64_t number, const RecordHeader& header, std::vector<std::uint64_t> awaited)
    {
        Pending& pending = m_pending[number];
        pending.baseSeen = true;
        pending.base = Reference(number, header.sequence);
        pending.directory = header.Directory();
        pending.facts = std::move(m_facts);
        pending.awaited = std::move(awaited);
        std::vector<Extension> early = std::move(pending.early);
        pending.early.clear();
        for (Extension& extension : early)
            Absorb(pending, std::move(extension));
        EmitIfComplete(number);
    }

    // --- folders --------------------------------------------------------------

    // A folder as the pass collects it, keyed by its full reference so that
    // a name whose parent reference has a stale sequence number lands in a
    // folder that is never reached. Until Finish, Subfolder::folder holds the
    // slot of the folder a name enters.
    struct Slot {
        std::int64_t ownBytes = 0;
        std::vector<Subfolder> subfolders;
        std::vector<TypeTotal> fileTypes;
    };

    // A file offered to the volume's largest, by the slot of its folder.
    struct SlotFile {
        std::int64_t size = 0;
        std::uint32_t slot = 0;
        std::u16string name;
        std::uint64_t writeTime = 0;
    };

    std::uint32_t ExtensionId(const std::u16string& name)
    {
        const std::size_t dot = name.rfind(u'.');
        const std::u16string_view extension =
            dot == std::u16string::npos ? std::u16string_view() : std::u16string_view(name).substr(dot + 1);
        // Records come mostly in the order their files were made: the next
        // file is often of the type of the one before.
        if (m_lastExtension != kNoExtensionYet && extension == m_index.extensions[m_lastExtension])
            return m_lastExtension;
        const auto [it, added] =
            m_extensionOf.try_emplace(std::u16string(extension), static_cast<std::uint32_t>(m_index.extensions.size()));
        if (added)
            m_index.extensions.push_back(it->first);
        m_lastExtension = it->second;
        return it->second;
    }

    void CountFile(std::uint32_t parent, const std::u16string& name, std::int64_t size, std::uint64_t writeTime)
    {
        const std::uint32_t extension = ExtensionId(name);
        std::vector<TypeTotal>& types = m_slots[parent].fileTypes;
        auto type = std::find_if(types.begin(), types.end(),
                                 [extension](const TypeTotal& t) { return t.extension == extension; });
        if (type == types.end())
            type = types.insert(types.end(), TypeTotal{extension, 0, 0});
        ++type->files;
        AddSize(type->bytes, size);
        if (size >= m_largest.Bound())
            m_largest.Offer(SlotFile{size, parent, name, writeTime});
    }

    std::uint32_t SlotFor(std::uint64_t reference)
    {
        const auto [it, added] = m_slotOf.try_emplace(reference, static_cast<std::uint32_t>(m_slots.size()));
        if (added)
            m_slots.emplace_back();
        return it->second;
    }

    void Emit(std::uint64_t number, std::uint16_t sequence, bool directory, const FileFacts& facts)
    {
        if (number < kFirstUserRecord) {
            if (number == kRootRecord && directory)
                m_root = SlotFor(Reference(number, sequence));
            return;
        }
        const bool link = facts.hasReparse && (facts.reparseTag & kNameSurrogate) != 0;
        const std::int64_t size = facts.hasData ? facts.dataSize : 0;
        for (const NameFact& name : facts.names) {
            if (name.nameSpace == kDosNamespace)
                continue;
            const std::uint32_t parent = SlotFor(name.parent);
            if (directory) {
                const std::uint32_t entered = link ? kNoFolder : SlotFor(Reference(number, sequence));
                m_slots[parent].subfolders.push_back(Subfolder{name.name, facts.writeTime, link, entered});
            }
            if (!directory || link)
                AddSize(m_slots[parent].ownBytes, size);
            if (!directory && m_bCollectFiles)
                CountFile(parent, name.name, size, facts.writeTime);
        }
    }

    Outcome Finish()
    {
        // A base still waiting lacks an extension its list names.
        for (const auto& [number, pending] : m_pending) {
            if (pending.baseSeen)
                ++m_index.skippedRecords;
        }
        m_pending.clear();
        if (!m_root)
            return Outcome::Unusable;

        // Breadth first from the root: a folder is entered through the first
        // name that reaches it, so a corrupt volume's cycles and second names
        // of a folder end there.
        std::vector<std::uint32_t> position(m_slots.size(), kNoFolder);
        std::vector<std::uint32_t> order{*m_root};
        position[*m_root] = 0;
        for (std::size_t i = 0; i < order.size(); ++i) {
            for (Subfolder& sub : m_slots[order[i]].subfolders) {
                if (sub.link)
                    continue;
                const std::uint32_t slot = sub.folder;
                if (position[slot] != kNoFolder) {
                    sub.folder = kNoFolder;
                    continue;
                }
                position[slot] = static_cast<std::uint32_t>(order.size());
                order.push_back(slot);
                sub.folder = position[slot];
            }
        }

        const std::span<const char16_t, kUpcaseEntries> upcase(m_upcase.data(), kUpcaseEntries);
        m_index.folders.resize(order.size());
        for (std::size_t i = 0; i < order.size(); ++i) {
            Slot& slot = m_slots[order[i]];
            Folder& folder = m_index.folders[i];
            folder.ownBytes = slot.ownBytes;
            folder.subfolders = std::move(slot.subfolders);
            folder.fileTypes = std::move(slot.fileTypes);
            std::erase_if(folder.subfolders, [](const Subfolder& sub) { return !sub.link && sub.folder == kNoFolder; });
            std::sort(folder.subfolders.begin(), folder.subfolders.end(),
                      [&](const Subfolder& a, const Subfolder& b) { return CollatesBefore(a.name, b.name, upcase); });
        }
        // Files of folders the root does not reach are not on the drive the
        // search shows; they leave gaps the bound already accounts for.
        for (SlotFile& file : m_largest.Take()) {
            if (position[file.slot] != kNoFolder)
                m_index.folders[position[file.slot]].largeFiles.push_back(
                    LargeFile{std::move(file.name), file.size, file.writeTime});
        }
        m_index.largeFileBound = m_largest.Bound();
        return Outcome::Done;
    }

    Geometry m_geometry;
    StreamReader m_stream;
    const Progress& m_progress;
    MftIndex& m_index;

    std::vector<Run> m_mftRuns;
    std::uint64_t m_mftBytes = 0;
    bool m_haveMftSize = false;
    std::uint64_t m_recordCount = 0;
    std::vector<char16_t> m_upcase = std::vector<char16_t>(kUpcaseEntries);

    FileFacts m_facts;
    std::unordered_map<std::uint64_t, Pending> m_pending;  // by base record number
    std::unordered_map<std::uint64_t, std::uint32_t> m_slotOf;
    std::vector<Slot> m_slots;
    std::optional<std::uint32_t> m_root;
    bool m_bCollectFiles;
    std::unordered_map<std::u16string, std::uint32_t> m_extensionOf;
    static constexpr std::uint32_t kNoExtensionYet = UINT32_MAX;
    std::uint32_t m_lastExtension = kNoExtensionYet;
    LargestFileSet<SlotFile> m_largest;
};

}  // namespace

Outcome BuildIndex(VolumeSource& volume, const Progress& progress, MftIndex& index, bool collectFiles)
{
    index = MftIndex{};
    const std::uint32_t sectorSize = volume.SectorSize();
    if (sectorSize < 512 || sectorSize > kLargestSector || !std::has_single_bit(sectorSize))
        return Outcome::Unusable;
    AlignedBuffer boot(sectorSize, sectorSize);
    if (!volume.Read(0, boot.Span()))
        return Outcome::ReadFailed;
    const std::optional<Geometry> geometry = ParseBootSector(ByteReader(boot.Span()));
    // Clusters must be whole sectors for every read to stay aligned.
    if (!geometry || geometry->clusterSize % sectorSize != 0)
        return Outcome::Unusable;

    const Outcome outcome = MftReader(volume, *geometry, progress, index, collectFiles).Build();
    if (outcome != Outcome::Done) {
        const std::uint64_t read = index.recordsRead;
        const std::uint64_t skipped = index.skippedRecords;
        index = MftIndex{};
        index.recordsRead = read;
        index.skippedRecords = skipped;
    }
    return outcome;
}

}  // namespace ntfs
