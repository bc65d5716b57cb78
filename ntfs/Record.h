#pragma once
// One MFT record: its header, its update-sequence fix-ups, its attributes and
// the facts about a file that the index needs from them.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "ntfs/ByteReader.h"
#include "ntfs/RunList.h"

namespace ntfs {

// Attribute types the index reads.
inline constexpr std::uint32_t kStandardInformation = 0x10;
inline constexpr std::uint32_t kAttributeList = 0x20;
inline constexpr std::uint32_t kFileName = 0x30;
inline constexpr std::uint32_t kData = 0x80;
inline constexpr std::uint32_t kReparsePoint = 0xC0;
inline constexpr std::uint32_t kEndOfAttributes = 0xFFFFFFFF;

inline constexpr std::uint64_t kRecordNumberMask = 0x0000FFFFFFFFFFFF;
constexpr std::uint64_t RecordNumber(std::uint64_t reference) { return reference & kRecordNumberMask; }
constexpr std::uint64_t Reference(std::uint64_t record, std::uint16_t sequence)
{
    return (record & kRecordNumberMask) | (std::uint64_t{sequence} << 48);
}

struct RecordHeader {
    std::uint16_t sequence = 0;
    std::uint16_t flags = 0;
    std::uint32_t attributesOffset = 0;
    std::uint32_t bytesInUse = 0;
    std::uint64_t baseReference = 0;  // 0 for a base record
    bool InUse() const { return flags & 0x0001; }
    bool Directory() const { return flags & 0x0002; }
};

enum class RecordState { Unused, Valid, Corrupt };

// Checks the header and undoes the update-sequence fix-ups in place (one per
// 512 bytes, whatever the sector size). A record never written or not in use
// is Unused; one whose header or fix-ups do not check out is Corrupt.
RecordState PrepareRecord(std::span<std::uint8_t> record, RecordHeader& header);

struct Attribute {
    std::uint32_t type = 0;
    std::uint8_t nameLength = 0;   // UTF-16 units; 0 for the unnamed stream
    bool nonResident = false;
    ByteReader value;              // resident: the value
    std::uint64_t lowestVcn = 0;   // non-resident: the extent this record holds
    std::uint64_t highestVcn = 0;
    ByteReader runs;               // non-resident: the run list, found through the header's own offset
    std::uint64_t dataSize = 0;    // non-resident: valid in the extent at VCN 0
    std::uint64_t initializedSize = 0;
};

// Steps through the attributes of a prepared record, checking each header
// against the record's bytes in use before it is handed out.
class AttributeCursor {
public:
    AttributeCursor(std::span<const std::uint8_t> record, const RecordHeader& header);
    bool Next(Attribute& attribute);  // false at the end or on a bad header
    bool Failed() const { return m_failed; }

private:
    ByteReader m_record;
    std::size_t m_at;
    bool m_failed = false;
};

struct NameFact {
    std::uint64_t parent = 0;   // reference of the folder holding the name
    std::uint8_t nameSpace = 0; // 0 POSIX, 1 Win32, 2 DOS, 3 Win32 and DOS
    std::u16string name;
};

struct FileFacts {
    std::vector<NameFact> names;
    std::uint64_t writeTime = 0;
    bool hasWriteTime = false;
    std::int64_t dataSize = 0;      // the unnamed stream's, from its extent at VCN 0
    bool hasData = false;
    std::uint32_t reparseTag = 0;
    bool hasReparse = false;
    // The attribute list, if the record has one: its bytes when resident,
    // otherwise its runs and size.
    bool hasList = false;
    std::vector<std::uint8_t> listBytes;
    std::vector<Run> listRuns;
    std::uint64_t listSize = 0;

    void Clear();
    // Takes in what an extension record of the same file holds.
    void Merge(FileFacts&& extension);
};

// Reads what the index needs from a prepared record. False when an attribute
// the index reads is malformed.
bool ReadFacts(std::span<const std::uint8_t> record, const RecordHeader& header, std::uint64_t clusterCount,
               FileFacts& facts);

struct ListEntry {
    std::uint32_t type = 0;
    std::uint8_t nameLength = 0;
    std::uint64_t lowestVcn = 0;
    std::uint64_t reference = 0;  // the record that holds the attribute
};

// Appends the entries of an attribute list; false when one is malformed.
bool ParseAttributeList(ByteReader list, std::vector<ListEntry>& out);

}  // namespace ntfs
