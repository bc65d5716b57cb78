#pragma once
// The figures of an NTFS volume that its boot sector gives.
#include <cstdint>
#include <optional>

#include "ntfs/ByteReader.h"

namespace ntfs {

// Cluster numbers are 48 bits wide in a file reference's world; anything
// larger is a corrupt count (and would overflow the run arithmetic).
inline constexpr std::uint64_t kMaxClusterCount = std::uint64_t{1} << 48;

struct Geometry {
    std::uint32_t bytesPerSector = 0;
    std::uint32_t clusterSize = 0;   // bytes
    std::uint32_t recordSize = 0;    // bytes of one MFT record: 1 KiB to 4 KiB
    std::uint64_t clusterCount = 0;  // every cluster number on the volume is below it
    std::uint64_t mftCluster = 0;    // where record 0 starts
};

// Nothing when the sector is not an NTFS boot sector or a figure is out of range.
std::optional<Geometry> ParseBootSector(ByteReader sector);

}  // namespace ntfs
