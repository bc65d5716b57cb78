// The drive properties dialog's rules that need no window: serial number
// text, the drive's byte counts from the two queries, the used share and the
// wedge's end point, the pie's place at a DPI. No windows.h: these also run
// natively under the sanitizers.
#include <gtest/gtest.h>

#include <cstdint>

#include "reports/DriveFigures.h"

namespace {

using namespace drivefigures;

TEST(DriveFigures, SerialNumberKeepsTheHighWordsZerosAndDropsTheLowWords)
{
    EXPECT_EQ(SerialNumberText(0x1A2B3C4D), "1A2B-3C4D");
    EXPECT_EQ(SerialNumberText(0x12340ABC), "1234-ABC");
    EXPECT_EQ(SerialNumberText(0x0012ABCD), "0012-ABCD");
    EXPECT_EQ(SerialNumberText(0x12340000), "1234-0");
    EXPECT_EQ(SerialNumberText(0), "0000-0");
    EXPECT_EQ(SerialNumberText(0xFFFFFFFF), "FFFF-FFFF");
}

TEST(DriveFigures, ClusterBytesAreFormedIn64Bits)
{
    EXPECT_EQ(ClusterBytes(1000, 8, 512), 4096000u);
    // 3 TiB of 4 KiB clusters: the 32-bit product would wrap to exactly 0.
    const std::uint32_t clusters = static_cast<std::uint32_t>((3ull << 40) / 4096);
    EXPECT_EQ(ClusterBytes(clusters, 8, 512), 3ull << 40);
    EXPECT_EQ(ClusterBytes(0xFFFFFFFFu, 0xFFFFFFFFu, 1), 0xFFFFFFFFull * 0xFFFFFFFFull);
}

TEST(DriveFigures, BytesComeFromTheByteQueryElseFromTheClustersElseNothing)
{
    DriveSpace space;
    space.haveClusters = true;
    space.sectorsPerCluster = 8;
    space.bytesPerSector = 512;
    space.totalClusters = 1000;
    space.freeClusters = 250;

    DriveBytes fallback = BytesOfDrive(space);
    EXPECT_EQ(fallback.total, 4096000);
    EXPECT_EQ(fallback.free, 1024000);
    EXPECT_EQ(fallback.used, 3072000);

    // A 3 TiB drive without the byte query shows its true size.
    DriveSpace large = space;
    large.totalClusters = static_cast<std::uint32_t>((3ull << 40) / 4096);
    large.freeClusters = static_cast<std::uint32_t>((1ull << 40) / 4096);
    DriveBytes big = BytesOfDrive(large);
    EXPECT_EQ(big.total, static_cast<std::int64_t>(3ull << 40));
    EXPECT_EQ(big.free, static_cast<std::int64_t>(1ull << 40));
    EXPECT_EQ(big.used, static_cast<std::int64_t>(2ull << 40));

    // The byte query wins whenever it answered, and its free count is the
    // whole drive's.
    space.haveBytes = true;
    space.totalBytes = 5ull << 32;
    space.totalFreeBytes = 1ull << 32;
    DriveBytes exact = BytesOfDrive(space);
    EXPECT_EQ(exact.total, 5LL << 32);
    EXPECT_EQ(exact.free, 1LL << 32);
    EXPECT_EQ(exact.used, 4LL << 32);

    // Neither query answered: nothing to show, nothing to divide by.
    DriveBytes none = BytesOfDrive(DriveSpace{});
    EXPECT_EQ(none.total, 0);
    EXPECT_EQ(none.free, 0);
    EXPECT_EQ(none.used, 0);

    // Free beyond the total never makes the used space negative.
    DriveSpace odd;
    odd.haveBytes = true;
    odd.totalBytes = 100;
    odd.totalFreeBytes = 300;
    EXPECT_EQ(BytesOfDrive(odd).used, 0);
    EXPECT_EQ(BytesOfDrive(odd).free, 100);
}

TEST(DriveFigures, UsedPercentIsTruncatedAfterSinglePrecision)
{
    EXPECT_EQ(UsedPercent(29, 71), 28) << "0.29 in single precision is 0.28999999";
    EXPECT_EQ(UsedPercent(25, 75), 25);
    EXPECT_EQ(UsedPercent(50, 50), 50);
    EXPECT_EQ(UsedPercent(1, 99), 0) << "0.01 in single precision falls short of it as well";
    EXPECT_EQ(UsedPercent(2, 98), 1);
    EXPECT_EQ(UsedPercent(5, 95), 5) << "0.05 in single precision lies just above it";
    EXPECT_EQ(UsedPercent(999, 100000 - 999), 0) << "below 1 % is no wedge";
    EXPECT_EQ(UsedPercent(100, 0), 100);
    EXPECT_EQ(UsedPercent(0, 100), 0);
    EXPECT_EQ(UsedPercent(0, 0), 0) << "no bytes at all: no division";
    // Counts beyond 32 bits, and near the top of the 64-bit range, whose sum
    // would overflow in integers.
    EXPECT_EQ(UsedPercent(3LL << 40, 1LL << 40), 75);
    EXPECT_EQ(UsedPercent(INT64_MAX, INT64_MAX), 50);
    EXPECT_EQ(UsedPercent(-5, 10), 0);
}

TEST(DriveFigures, WedgeEndsWhereTheShareSays)
{
    struct Case {
        int hundredths;
        int x;
        int y;
    };
    for (Case c : {Case{0, 100, 0}, Case{1, 99, 6}, Case{25, 0, 99}, Case{50, -99, 0}, Case{75, 0, -99},
                   Case{99, 99, -6}, Case{100, 99, 0}, Case{28, -18, 98}}) {
        SCOPED_TRACE(c.hundredths);
        const PiePoint point = WedgePoint(c.hundredths);
        EXPECT_EQ(point.x, c.x);
        EXPECT_EQ(point.y, c.y);
    }
}

TEST(DriveFigures, PieViewportScalesWithTheDpi)
{
    const PieViewport at96 = PieViewportAt(96);
    EXPECT_EQ(at96.originX, 175);
    EXPECT_EQ(at96.originY, 75);
    EXPECT_EQ(at96.extentX, 350);
    EXPECT_EQ(at96.extentY, -150);

    const PieViewport at192 = PieViewportAt(192);
    EXPECT_EQ(at192.originX, 350);
    EXPECT_EQ(at192.originY, 150);
    EXPECT_EQ(at192.extentX, 700);
    EXPECT_EQ(at192.extentY, -300);

    // 150 % rounds the half pixels away from zero.
    const PieViewport at144 = PieViewportAt(144);
    EXPECT_EQ(at144.originX, 263);
    EXPECT_EQ(at144.originY, 113);
    EXPECT_EQ(at144.extentX, 525);
    EXPECT_EQ(at144.extentY, -225);

    const PieViewport at120 = PieViewportAt(120);
    EXPECT_EQ(at120.originX, 219);
    EXPECT_EQ(at120.extentY, -188);

    // No DPI known: as at 96.
    EXPECT_EQ(PieViewportAt(0).originX, 175);
}

} // namespace
