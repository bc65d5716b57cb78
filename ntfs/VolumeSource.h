#pragma once
// The raw volume as the search reads it. Plain C++ so that the parser above it
// builds and is tested natively as well as on Windows.
#include <cstdint>
#include <span>

namespace ntfs {

// Offsets and lengths the parser asks for are always multiples of SectorSize()
// and the parser's buffers are aligned to it: a volume handle on Windows
// refuses anything else, and the fake in the tests refuses it too.
class VolumeSource {
public:
    virtual ~VolumeSource() = default;
    virtual std::uint32_t SectorSize() const = 0;  // 512, 4096, ...
    // Reads exactly buffer.size() bytes at byte offset `offset`; false on any
    // failure (the caller then asks whether the drive still answers).
    virtual bool Read(std::uint64_t offset, std::span<std::uint8_t> buffer) = 0;
};

}  // namespace ntfs
