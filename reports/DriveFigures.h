#pragma once
// The drive properties dialog's rules that need no window: the serial number
// text, the byte counts of the drive from what the system answered, the used
// share of the pie and its wedge's end point, and the pie's place in the
// dialog at a given DPI. No windows.h: these also run natively under the
// sanitizers.
#include <cstdint>

#include "framework/CString.h"

namespace drivefigures {

// "1A2B-3C4D" for 0x1A2B3C4D: the high word as four upper-case hexadecimal
// digits, then the low word without leading zeros (0x12340000 gives "1234-0").
CString SerialNumberText(std::uint32_t serialNumber);

// What the two free-space queries of a drive answered; a query that failed
// leaves its flag false and its counts 0.
struct DriveSpace {
    bool haveClusters = false;
    std::uint32_t sectorsPerCluster = 0;
    std::uint32_t bytesPerSector = 0;
    std::uint32_t freeClusters = 0;
    std::uint32_t totalClusters = 0;

    bool haveBytes = false;
    std::uint64_t totalBytes = 0;
    std::uint64_t totalFreeBytes = 0; // of the whole drive, not only the caller's share
};

// Bytes in a count of clusters, in 64 bits: the product of three 32-bit
// counts overflows 32 bits on every drive of 4 GiB or more.
std::uint64_t ClusterBytes(std::uint32_t clusters, std::uint32_t sectorsPerCluster,
                           std::uint32_t bytesPerSector);

struct DriveBytes {
    std::int64_t total = 0;
    std::int64_t free = 0;
    std::int64_t used = 0; // total - free
};

// The byte query's counts when it answered, else the cluster query's products,
// else nothing at all (0, 0, 0). Free space beyond the total (an answer the
// system should never give) is clamped so that used space is never negative.
DriveBytes BytesOfDrive(const DriveSpace& space);

// The used share in whole hundredths of the pie, truncated toward zero after
// the share has been taken in single precision (a share of exactly 0.29 gives
// 28). 0 when both counts are 0; never outside 0..100.
int UsedPercent(std::int64_t usedBytes, std::int64_t freeBytes);

struct PiePoint {
    int x = 0;
    int y = 0;
};

// The point on the pie's radius-100 circle (y grows upwards) where a boundary
// of `hundredths` of the turn lies, counterclockwise from 3 o'clock; each
// coordinate truncated toward zero. 25 gives (0, 99), 100 gives (99, 0).
PiePoint WedgePoint(int hundredths);

// Where the pie goes in the dialog's client area, in pixels: its centre is the
// viewport origin, and the viewport extent (y negative: y grows upwards) maps
// the logical 400 x 400 window onto it. At 96 DPI (175, 75) and 350 x -150;
// at another DPI the same scaled by dpi / 96, rounded to the nearest pixel.
struct PieViewport {
    int originX = 0;
    int originY = 0;
    int extentX = 0;
    int extentY = 0;
};
PieViewport PieViewportAt(int dpi);

} // namespace drivefigures
