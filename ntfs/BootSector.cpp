#include "ntfs/BootSector.h"

#include <bit>
#include <string_view>

namespace ntfs {

namespace {
// Windows formats clusters of up to 2 MiB.
constexpr std::uint64_t kLargestCluster = 2 * 1024 * 1024;
}  // namespace

std::optional<Geometry> ParseBootSector(ByteReader sector)
{
    constexpr std::string_view kOemId = "NTFS    ";
    const auto oem = sector.Bytes(3, kOemId.size());
    const std::uint32_t bytesPerSector = sector.U16(0x0B);
    const std::uint8_t clusterByte = sector.U8(0x0D);
    const std::uint64_t totalSectors = sector.U64(0x28);
    const std::uint64_t mftCluster = sector.U64(0x30);
    const std::int8_t recordByte = sector.S8(0x40);
    const std::uint16_t signature = sector.U16(0x1FE);
    if (!sector.Ok() || signature != 0xAA55 || std::string_view(reinterpret_cast<const char*>(oem.data()), oem.size()) != kOemId)
        return std::nullopt;
    if (bytesPerSector < 256 || bytesPerSector > 4096 || !std::has_single_bit(bytesPerSector))
        return std::nullopt;

    // Up to 0x80 the byte is the count itself; above, a large cluster is
    // written as the negative power of two (0xF4: 2^12 sectors).
    std::uint64_t sectorsPerCluster = 0;
    if (clusterByte <= 0x80) {
        sectorsPerCluster = clusterByte;
        if (sectorsPerCluster == 0 || !std::has_single_bit(sectorsPerCluster))
            return std::nullopt;
    } else {
        const unsigned shift = 256u - clusterByte;
        if (shift > 21)
            return std::nullopt;
        sectorsPerCluster = std::uint64_t{1} << shift;
    }
    const std::uint64_t clusterSize = sectorsPerCluster * bytesPerSector;
    if (clusterSize > kLargestCluster)
        return std::nullopt;

    // Positive: clusters per record; negative: the record is 2^-n bytes.
    std::uint64_t recordSize = 0;
    if (recordByte > 0)
        recordSize = static_cast<std::uint64_t>(recordByte) * clusterSize;
    else if (recordByte > -32)
        recordSize = std::uint64_t{1} << -recordByte;
    if (recordSize < 1024 || recordSize > 4096 || !std::has_single_bit(recordSize))
        return std::nullopt;

    Geometry geometry;
    geometry.bytesPerSector = bytesPerSector;
    geometry.clusterSize = static_cast<std::uint32_t>(clusterSize);
    geometry.recordSize = static_cast<std::uint32_t>(recordSize);
    geometry.clusterCount = totalSectors / sectorsPerCluster;
    geometry.mftCluster = mftCluster;
    // Byte offsets on the volume must fit in a signed 64-bit count.
    if (geometry.clusterCount == 0 || geometry.clusterCount > kMaxClusterCount ||
        geometry.clusterCount > (std::uint64_t{1} << 62) / clusterSize || mftCluster >= geometry.clusterCount)
        return std::nullopt;
    return geometry;
}

}  // namespace ntfs
