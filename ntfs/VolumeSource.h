#pragma once
#include <cstdint>
#include <span>

namespace ntfs {
// The raw volume as the search reads it. Offsets and lengths the parser asks for are always multiples
// of SectorSize() and the parser's buffers are aligned to it (the Windows layer refuses anything else,
// and a fake in tests refuses it too).
class VolumeSource {
public:
    virtual ~VolumeSource() = default;
    virtual std::uint32_t SectorSize() const = 0;           // 512, 4096, ...
    // Reads exactly buffer.size() bytes at byte offset `offset`; false on any failure (the integration
    // then asks whether the drive still answers).
    virtual bool Read(std::uint64_t offset, std::span<std::uint8_t> buffer) = 0;
};
}
