#include "ntfs/RunList.h"

#include "ntfs/BootSector.h"

namespace ntfs {

bool DecodeRuns(ByteReader runs, std::uint64_t firstVcn, std::uint64_t clusterCount, std::vector<Run>& out)
{
    if (clusterCount > kMaxClusterCount)
        return false;
    std::uint64_t vcn = firstVcn;
    std::int64_t lcn = 0;
    std::size_t at = 0;
    for (;;) {
        const std::uint8_t header = runs.U8(at);
        if (!runs.Ok())
            return false;
        if (header == 0)
            return true;
        const std::size_t lengthWidth = header & 0x0F;
        const std::size_t offsetWidth = header >> 4;
        if (lengthWidth == 0 || lengthWidth > 8 || offsetWidth > 8)
            return false;
        const std::uint64_t length = runs.Little(at + 1, lengthWidth);
        const std::int64_t delta = runs.Signed(at + 1 + lengthWidth, offsetWidth);
        if (!runs.Ok() || length == 0 || length > clusterCount || vcn > UINT64_MAX - length)
            return false;
        Run run{vcn, 0, length, offsetWidth == 0};
        if (!run.sparse) {
            // Both stay within the volume, so the sum cannot overflow.
            if ((delta < 0 && -(delta + 1) >= lcn) || (delta > 0 && static_cast<std::uint64_t>(delta) >= clusterCount))
                return false;
            lcn += delta;
            const auto start = static_cast<std::uint64_t>(lcn);
            if (start >= clusterCount || length > clusterCount - start)
                return false;
            run.lcn = start;
        }
        out.push_back(run);
        vcn += length;
        at += 1 + lengthWidth + offsetWidth;
    }
}

}  // namespace ntfs
