#include "ntfs/Record.h"

namespace ntfs {

namespace {
constexpr std::uint32_t kFileMagic = 0x454C4946;  // "FILE"
constexpr std::size_t kFixupStride = 512;
constexpr std::size_t kFirstUsaOffset = 0x2A;     // the shortest record header ends here
constexpr std::uint32_t kReparseAttributeFlag = 0x400;
// Sizes are added up as signed 64-bit counts: no single stream may come near the limit.
constexpr std::uint64_t kLargestStream = std::uint64_t{1} << 60;
}  // namespace

RecordState PrepareRecord(std::span<std::uint8_t> record, RecordHeader& header)
{
    ByteReader reader(record);
    const std::uint32_t magic = reader.U32(0);
    header.flags = reader.U16(0x16);
    if (!reader.Ok() || record.size() % kFixupStride != 0)
        return RecordState::Corrupt;
    if (magic == 0)
        return RecordState::Unused;
    if (magic != kFileMagic)
        return RecordState::Corrupt;
    if (!header.InUse())
        return RecordState::Unused;

    const std::size_t usaOffset = reader.U16(0x04);
    const std::size_t usaCount = reader.U16(0x06);
    header.sequence = reader.U16(0x10);
    header.attributesOffset = reader.U16(0x14);
    header.bytesInUse = reader.U32(0x18);
    header.baseReference = reader.U64(0x20);
    const std::size_t strides = record.size() / kFixupStride;
    const std::size_t usaEnd = usaOffset + 2 * usaCount;
    if (!reader.Ok() || usaCount != strides + 1 || usaOffset % 2 != 0 || usaOffset < kFirstUsaOffset ||
        usaEnd > kFixupStride - 2 || header.attributesOffset < usaEnd || header.attributesOffset % 8 != 0 ||
        header.bytesInUse > record.size() || header.attributesOffset + 4 > header.bytesInUse)
        return RecordState::Corrupt;

    // The last two bytes of every stride were swapped for the sequence number
    // when the record was written; a stride that lacks it was torn.
    const std::uint16_t sequenceNumber = reader.U16(usaOffset);
    for (std::size_t stride = 1; stride <= strides; ++stride) {
        const std::size_t tail = stride * kFixupStride - 2;
        if (reader.U16(tail) != sequenceNumber)
            return RecordState::Corrupt;
        const std::uint16_t saved = reader.U16(usaOffset + 2 * stride);
        record[tail] = static_cast<std::uint8_t>(saved & 0xFF);
        record[tail + 1] = static_cast<std::uint8_t>(saved >> 8);
    }
    return reader.Ok() ? RecordState::Valid : RecordState::Corrupt;
}

AttributeCursor::AttributeCursor(std::span<const std::uint8_t> record, const RecordHeader& header)
    : m_at(header.attributesOffset)
{
    if (header.bytesInUse > record.size())
        m_failed = true;
    else
        m_record = ByteReader(record.first(header.bytesInUse));
}

bool AttributeCursor::Next(Attribute& attribute)
{
    if (m_failed)
        return false;
    const std::uint32_t type = m_record.U32(m_at);
    if (m_record.Ok() && type == kEndOfAttributes)
        return false;
    const std::uint32_t length = m_record.U32(m_at + 4);
    if (!m_record.Ok() || length < 0x18 || length % 8 != 0 || !m_record.Has(m_at, length)) {
        m_failed = true;
        return false;
    }
    ByteReader header = m_record.Sub(m_at, length);
    attribute = Attribute{};
    attribute.type = type;
    const std::uint8_t form = header.U8(0x08);
    attribute.nameLength = header.U8(0x09);
    const std::size_t nameOffset = header.U16(0x0A);
    bool ok = form <= 1 && header.Has(nameOffset, 2 * std::size_t{attribute.nameLength});
    attribute.nonResident = form == 1;
    if (!attribute.nonResident) {
        const std::size_t valueLength = header.U32(0x10);
        const std::size_t valueOffset = header.U16(0x14);
        attribute.value = header.Sub(valueOffset, valueLength);
    } else {
        ok = ok && length >= 0x40;
        attribute.lowestVcn = header.U64(0x10);
        attribute.highestVcn = header.U64(0x18);
        const std::size_t runsOffset = header.U16(0x20);
        attribute.dataSize = header.U64(0x30);
        attribute.initializedSize = header.U64(0x38);
        ok = ok && runsOffset <= length && attribute.dataSize <= kLargestStream;
        if (ok)
            attribute.runs = header.Sub(runsOffset, length - runsOffset);
    }
    if (!ok || !header.Ok()) {
        m_failed = true;
        return false;
    }
    m_at += length;
    return true;
}

void FileFacts::Clear()
{
    names.clear();
    writeTime = 0;
    hasWriteTime = false;
    dataSize = 0;
    hasData = false;
    reparseTag = 0;
    hasReparse = false;
    hasList = false;
    listBytes.clear();
    listRuns.clear();
    listSize = 0;
}

void FileFacts::Merge(FileFacts&& extension)
{
    for (NameFact& name : extension.names)
        names.push_back(std::move(name));
    if (!hasWriteTime && extension.hasWriteTime) {
        writeTime = extension.writeTime;
        hasWriteTime = true;
    }
    if (!hasData && extension.hasData) {
        dataSize = extension.dataSize;
        hasData = true;
    }
    if (!hasReparse && extension.hasReparse) {
        reparseTag = extension.reparseTag;
        hasReparse = true;
    }
}

namespace {

bool ReadFileName(ByteReader value, FileFacts& facts, std::uint32_t& nameTag, bool& hasNameTag)
{
    NameFact fact;
    fact.parent = value.U64(0x00);
    const std::uint32_t attributes = value.U32(0x38);
    const std::uint32_t reparse = value.U32(0x3C);
    const std::size_t length = value.U8(0x40);
    fact.nameSpace = value.U8(0x41);
    const auto bytes = value.Bytes(0x42, 2 * length);
    if (!value.Ok() || length == 0 || fact.nameSpace > 3)
        return false;
    fact.name.resize(length);
    for (std::size_t i = 0; i < length; ++i)
        fact.name[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    facts.names.push_back(std::move(fact));
    // The name carries a copy of the tag; it stands in when the reparse
    // attribute itself is not resident.
    if (attributes & kReparseAttributeFlag) {
        nameTag = reparse;
        hasNameTag = true;
    }
    return true;
}

}  // namespace

bool ReadFacts(std::span<const std::uint8_t> record, const RecordHeader& header, std::uint64_t clusterCount,
               FileFacts& facts)
{
    facts.Clear();
    std::uint32_t nameTag = 0;
    bool hasNameTag = false;
    AttributeCursor cursor(record, header);
    Attribute attribute;
    while (cursor.Next(attribute)) {
        ByteReader& value = attribute.value;
        switch (attribute.type) {
        case kStandardInformation:
            facts.writeTime = value.U64(0x08);
            if (attribute.nonResident || value.Size() < 0x30 || !value.Ok())
                return false;
            facts.hasWriteTime = true;
            break;
        case kFileName:
            if (attribute.nonResident || !ReadFileName(value, facts, nameTag, hasNameTag))
                return false;
            break;
        case kData:
            if (attribute.nameLength != 0)
                break;  // an alternate stream: not counted
            if (!attribute.nonResident) {
                facts.dataSize = static_cast<std::int64_t>(value.Size());
                facts.hasData = true;
            } else if (attribute.lowestVcn == 0) {
                facts.dataSize = static_cast<std::int64_t>(attribute.dataSize);
                facts.hasData = true;
            }
            break;
        case kReparsePoint:
            if (!attribute.nonResident) {
                facts.reparseTag = value.U32(0);
                if (!value.Ok())
                    return false;
                facts.hasReparse = true;
            }
            break;
        case kAttributeList:
            facts.hasList = true;
            if (!attribute.nonResident) {
                const auto bytes = value.Bytes(0, value.Size());
                facts.listBytes.assign(bytes.begin(), bytes.end());
                facts.listSize = bytes.size();
            } else {
                facts.listSize = attribute.dataSize;
                if (attribute.lowestVcn != 0 || !DecodeRuns(attribute.runs, 0, clusterCount, facts.listRuns))
                    return false;
            }
            break;
        default:
            break;
        }
    }
    if (!facts.hasReparse && hasNameTag) {
        facts.reparseTag = nameTag;
        facts.hasReparse = true;
    }
    return !cursor.Failed();
}

bool ParseAttributeList(ByteReader list, std::vector<ListEntry>& out)
{
    std::size_t at = 0;
    while (at < list.Size()) {
        ListEntry entry;
        entry.type = list.U32(at);
        const std::size_t length = list.U16(at + 4);
        entry.nameLength = list.U8(at + 6);
        const std::size_t nameOffset = list.U8(at + 7);
        entry.lowestVcn = list.U64(at + 8);
        entry.reference = list.U64(at + 0x10);
        if (!list.Ok() || length < 0x1A || !list.Has(at, length) ||
            (entry.nameLength != 0 && nameOffset + 2 * std::size_t{entry.nameLength} > length))
            return false;
        out.push_back(entry);
        at += length;
    }
    return true;
}

}  // namespace ntfs
