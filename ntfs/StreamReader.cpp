#include "ntfs/StreamReader.h"

#include <algorithm>

namespace ntfs {

StreamReader::StreamReader(VolumeSource& volume, const Geometry& geometry)
    : m_volume(volume), m_geometry(geometry), m_sectorSize(volume.SectorSize())
{
}

StreamRead StreamReader::Read(const std::vector<Run>& runs, std::uint64_t offset, std::span<std::uint8_t> out)
{
    const std::uint64_t clusterSize = m_geometry.clusterSize;
    std::size_t done = 0;
    while (done < out.size()) {
        const std::uint64_t position = offset + done;
        const std::uint64_t vcn = position / clusterSize;
        // Runs are in VCN order: find the one holding this cluster.
        const auto next = std::upper_bound(runs.begin(), runs.end(), vcn,
                                           [](std::uint64_t v, const Run& run) { return v < run.vcn; });
        if (next == runs.begin())
            return StreamRead::Missing;
        const Run& run = *std::prev(next);
        // A metadata stream's runs lie on the volume, so their VCNs stay
        // below its cluster count (which keeps the byte offsets in range).
        if (vcn - run.vcn >= run.length || run.sparse || run.vcn + run.length > m_geometry.clusterCount)
            return StreamRead::Missing;

        const std::uint64_t runEnd = (run.vcn + run.length) * clusterSize;  // stream offset
        const std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(out.size() - done, runEnd - position));
        const std::uint64_t disk = run.lcn * clusterSize + (position - run.vcn * clusterSize);
        std::span<std::uint8_t> target = out.subspan(done, piece);

        // Clusters are whole sectors, so widening the piece to sector
        // boundaries stays inside the run.
        const std::uint64_t sector = m_sectorSize;
        const std::uint64_t start = disk / sector * sector;
        const std::uint64_t end = (disk + piece + sector - 1) / sector * sector;
        const bool direct = start == disk && end == disk + piece &&
                            reinterpret_cast<std::uintptr_t>(target.data()) % sector == 0;
        if (direct) {
            if (!m_volume.Read(disk, target))
                return StreamRead::ReadFailed;
        } else {
            const auto length = static_cast<std::size_t>(end - start);
            if (m_bounce.Size() < length)
                m_bounce = AlignedBuffer(length, m_sectorSize);
            const auto bounce = m_bounce.Span().first(length);
            if (!m_volume.Read(start, bounce))
                return StreamRead::ReadFailed;
            const auto wanted = bounce.subspan(static_cast<std::size_t>(disk - start), piece);
            std::copy(wanted.begin(), wanted.end(), target.begin());
        }
        done += piece;
    }
    return StreamRead::Ok;
}

}  // namespace ntfs
