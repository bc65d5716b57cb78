#pragma once
// Reads byte ranges of a non-resident stream from the volume, with every
// read's offset, length and buffer aligned to the volume's sector size.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <vector>

#include "ntfs/BootSector.h"
#include "ntfs/RunList.h"
#include "ntfs/VolumeSource.h"

namespace ntfs {

struct AlignedDelete {
    std::size_t alignment = 1;
    void operator()(std::uint8_t* p) const { ::operator delete[](p, std::align_val_t(alignment)); }
};

// A buffer whose start is aligned to the sector size, as a volume handle
// opened without buffering demands.
class AlignedBuffer {
public:
    AlignedBuffer() = default;
    AlignedBuffer(std::size_t size, std::size_t alignment)
        : m_data(static_cast<std::uint8_t*>(::operator new[](size, std::align_val_t(alignment))),
                 AlignedDelete{alignment}),
          m_size(size)
    {
    }
    std::span<std::uint8_t> Span() { return {m_data.get(), m_size}; }
    std::size_t Size() const { return m_size; }

private:
    std::unique_ptr<std::uint8_t[], AlignedDelete> m_data;
    std::size_t m_size = 0;
};

enum class StreamRead {
    Ok,
    Missing,     // a byte asked for lies in a sparse run or beyond the runs
    ReadFailed,  // the volume refused a read
};

class StreamReader {
public:
    StreamReader(VolumeSource& volume, const Geometry& geometry);
    std::uint32_t SectorSize() const { return m_sectorSize; }

    // Fills `out` with the stream's bytes from `offset` on. Aligned pieces go
    // straight into `out` when it is aligned; the rest through a bounce buffer.
    StreamRead Read(const std::vector<Run>& runs, std::uint64_t offset, std::span<std::uint8_t> out);

private:
    VolumeSource& m_volume;
    Geometry m_geometry;
    std::uint32_t m_sectorSize;
    AlignedBuffer m_bounce;
};

}  // namespace ntfs
