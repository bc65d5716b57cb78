#include "reports/DriveFigures.h"

#include <cmath>

namespace drivefigures {

CString SerialNumberText(std::uint32_t serialNumber)
{
    CString text;
    text.Format("%04X-%X", static_cast<unsigned>(serialNumber >> 16), static_cast<unsigned>(serialNumber & 0xFFFF));
    return text;
}

std::uint64_t ClusterBytes(std::uint32_t clusters, std::uint32_t sectorsPerCluster, std::uint32_t bytesPerSector)
{
    return std::uint64_t{clusters} * bytesPerSector * sectorsPerCluster;
}

// A byte count as the signed size the rest of the program keeps.
static std::int64_t AsSize(std::uint64_t bytes)
{
    return bytes > static_cast<std::uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<std::int64_t>(bytes);
}

DriveBytes BytesOfDrive(const DriveSpace& space)
{
    DriveBytes bytes;
    if (space.haveBytes) {
        bytes.total = AsSize(space.totalBytes);
        bytes.free = AsSize(space.totalFreeBytes);
    } else if (space.haveClusters) {
        bytes.total = AsSize(ClusterBytes(space.totalClusters, space.sectorsPerCluster, space.bytesPerSector));
        bytes.free = AsSize(ClusterBytes(space.freeClusters, space.sectorsPerCluster, space.bytesPerSector));
    }
    if (bytes.free > bytes.total) bytes.free = bytes.total;
    bytes.used = bytes.total - bytes.free;
    return bytes;
}

int UsedPercent(std::int64_t usedBytes, std::int64_t freeBytes)
{
    if (usedBytes <= 0) return 0;
    if (freeBytes < 0) freeBytes = 0;
    // The sum in double: two counts near the top of the 64-bit range would overflow it.
    const double share = static_cast<double>(usedBytes) / (static_cast<double>(usedBytes) + static_cast<double>(freeBytes));
    const float single = static_cast<float>(share);
    // The product in double, so that the single-precision share's shortfall
    // survives the truncation (0.29f * 100 rounds to 29 in float).
    const int percent = static_cast<int>(static_cast<double>(single) * 100.0);
    return percent > 100 ? 100 : percent;
}

PiePoint WedgePoint(int hundredths)
{
    // The turn is taken as 6.28318, not as the exact 2 pi: the last boundary
    // lands just short of 3 o'clock, at (99, 0).
    const double angle = hundredths * 6.28318 / 100;
    return PiePoint{static_cast<int>(std::cos(angle) * 100), static_cast<int>(std::sin(angle) * 100)};
}

// v * dpi / 96, rounded half away from zero.
static int ScaleForDpi(int value, int dpi)
{
    const long long product = static_cast<long long>(value) * dpi;
    const long long rounded = product >= 0 ? (product + 48) / 96 : (product - 48) / 96;
    return static_cast<int>(rounded);
}

PieViewport PieViewportAt(int dpi)
{
    if (dpi <= 0) dpi = 96;
    return PieViewport{ScaleForDpi(175, dpi), ScaleForDpi(75, dpi), ScaleForDpi(350, dpi), ScaleForDpi(-150, dpi)};
}

} // namespace drivefigures
