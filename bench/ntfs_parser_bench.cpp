// The NTFS parser on its own, natively:
//   ntfs_parser_bench fuzz [CASES]     the record, attribute-list and run-list parsers over
//                                      corrupted inputs (built with the sanitizers, a bad read aborts)
//   ntfs_parser_bench records [IMAGE]  the folder index of a synthetic MFT shaped like the scan
//                                      benchmark's tree (20,000 folders, 199,800 files), or of an
//                                      NTFS image file, against a bare read of the same MFT records
// Each prints one line of figures; times are the median of several rounds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "ntfs/BootSector.h"
#include "ntfs/MftIndex.h"
#include "ntfs/StreamReader.h"
#include "tests/ntfs/NtfsBuilder.h"

using namespace ntfs;
using namespace ntfs::fixture;

// --- heap use: every allocation of this program counted (glibc only) -----------

namespace {
std::size_t g_heapNow = 0;
std::size_t g_heapPeak = 0;
}  // namespace

#ifdef __GLIBC__
#include <malloc.h>
// The replaced operators pair malloc with free, which the compiler cannot see.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size)
{
    void* p = std::malloc(size == 0 ? 1 : size);
    if (!p)
        throw std::bad_alloc();
    g_heapNow += malloc_usable_size(p);
    g_heapPeak = std::max(g_heapPeak, g_heapNow);
    return p;
}
void operator delete(void* p) noexcept
{
    if (p)
        g_heapNow -= malloc_usable_size(p);
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete[](void* p, std::size_t) noexcept { operator delete(p); }
#endif

namespace {

double Seconds(const std::chrono::steady_clock::time_point& start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::u16string Text(std::uint64_t number)
{
    const std::string digits = std::to_string(number);
    return std::u16string(digits.begin(), digits.end());
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// An NTFS image file read as a volume of 512-byte sectors, refusing unaligned reads.
class ImageVolume : public VolumeSource {
public:
    explicit ImageVolume(const char* path) : m_file(path, std::ios::binary) {}
    bool IsOpen() const { return m_file.is_open(); }
    std::uint32_t SectorSize() const override { return 512; }
    bool Read(std::uint64_t offset, std::span<std::uint8_t> buffer) override
    {
        if (offset % 512 != 0 || buffer.size() % 512 != 0 || reinterpret_cast<std::uintptr_t>(buffer.data()) % 512 != 0)
            return false;
        m_file.clear();
        m_file.seekg(static_cast<std::streamoff>(offset));
        m_file.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
        return m_file.gcount() == static_cast<std::streamsize>(buffer.size());
    }

private:
    std::ifstream m_file;
};

// A volume in memory holding the scan benchmark's shape: folders ten to a
// parent, ten files (or nine) in each, written straight into the MFT's bytes.
MemoryVolume SyntheticVolume(std::uint64_t folders, std::uint64_t files)
{
    TestVolume v;
    const std::uint64_t records = kFirstFree + folders + files;
    const std::uint64_t mftClusters = (records * v.recordSize + v.clusterSize - 1) / v.clusterSize;
    v.mftRuns = {{mftClusters, 64}};
    v.upcaseCluster = 16;
    v.clusters = 64 + mftClusters;
    Bytes image = v.Image();
    const std::uint64_t mftStart = 64 * std::uint64_t{v.clusterSize};
    std::uint64_t number = kFirstFree;
    const auto put = [&](const RecordBuilder& record) {
        const Bytes bytes = record.Build(v.recordSize);
        std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(mftStart + number * v.recordSize));
        return Reference(number++, record.sequence);
    };
    std::vector<std::uint64_t> folderRefs;
    for (std::uint64_t i = 0; i < folders; ++i) {
        RecordBuilder record;
        record.flags = 0x0003;
        const std::uint64_t parent = i < 10 ? kRoot : folderRefs[i / 10 - 1];
        record.Resident(kStandardInformation, StandardInformation(i))
            .Resident(kFileName, FileNameValue(parent, u"folder " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) + Text(i)));
        folderRefs.push_back(put(record));
    }
    for (std::uint64_t i = 0; i < files; ++i) {
        RecordBuilder record;
        const std::u16string name = u"file-" + Text(i) + u".dat";
        record.Resident(kStandardInformation, StandardInformation(i))
            .Resident(kFileName, FileNameValue(folderRefs[i % folders], name, kWin32))
            .NonResident(kData, EncodeRuns({{1 + i % 7, -1}}), 1000 + i);
        put(record);
    }
    return MemoryVolume(std::move(image), 512);
}

// The baseline: the same MFT records read in the same 1 MiB pieces, each
// record's first bytes touched, nothing parsed.
double BareRead(VolumeSource& volume, std::uint64_t mftOffset, std::uint64_t bytes, std::uint32_t recordSize)
{
    AlignedBuffer chunk(std::size_t{1} << 20, volume.SectorSize());
    std::uint64_t sum = 0;
    const auto start = std::chrono::steady_clock::now();
    for (std::uint64_t at = 0; at < bytes; at += chunk.Size()) {
        const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(chunk.Size(), bytes - at));
        const auto span = chunk.Span().first(length);
        if (!volume.Read(mftOffset + at, span))
            break;
        for (std::size_t r = 0; r + recordSize <= length; r += recordSize)
            sum += span[r] + span[r + 0x16];
    }
    const double seconds = Seconds(start);
    if (sum == 1)
        std::puts("");
    return seconds;
}

int Records(const char* imagePath)
{
    std::unique_ptr<VolumeSource> volume;
    if (imagePath) {
        auto image = std::make_unique<ImageVolume>(imagePath);
        if (!image->IsOpen()) {
            std::fprintf(stderr, "cannot open %s\n", imagePath);
            return 1;
        }
        volume = std::move(image);
    } else {
        volume = std::make_unique<MemoryVolume>(SyntheticVolume(20'000, 199'800));
    }
    AlignedBuffer boot(512, 512);
    volume->Read(0, boot.Span());
    const auto geometry = ParseBootSector(ByteReader(boot.Span()));
    if (!geometry) {
        std::fprintf(stderr, "not an NTFS volume\n");
        return 1;
    }

    std::vector<double> parse, bare;
    MftIndex index;
    std::size_t heapPerFolder = 0;
    for (int round = 0; round < 5; ++round) {
        index = MftIndex{};
        const std::size_t heapBefore = g_heapNow;
        g_heapPeak = g_heapNow;
        const auto start = std::chrono::steady_clock::now();
        const Outcome outcome = BuildIndex(*volume, {}, index);
        parse.push_back(Seconds(start));
        if (outcome != Outcome::Done) {
            std::fprintf(stderr, "the index was not built (outcome %d)\n", static_cast<int>(outcome));
            return 1;
        }
        heapPerFolder = (g_heapPeak - heapBefore) / index.folders.size();
        // The MFT is contiguous in the synthetic volume; for an image, its
        // first piece from the boot sector's cluster is a fair baseline.
        bare.push_back(BareRead(*volume, geometry->mftCluster * geometry->clusterSize,
                                index.recordsRead * geometry->recordSize, geometry->recordSize));
    }
    const double parseSeconds = Median(parse);
    const double bareSeconds = Median(bare);
    std::printf("ntfs_parser records=%llu folders=%zu skipped=%llu parse_s=%.4f bare_read_s=%.4f ratio=%.2f "
                "records_per_s=%.0f peak_heap_bytes_per_folder=%zu\n",
                static_cast<unsigned long long>(index.recordsRead), index.folders.size(),
                static_cast<unsigned long long>(index.skippedRecords), parseSeconds, bareSeconds,
                parseSeconds / bareSeconds, static_cast<double>(index.recordsRead) / parseSeconds, heapPerFolder);
    return 0;
}

int Fuzz(std::uint64_t cases)
{
    ParserFuzz fuzz(20261209);
    const auto start = std::chrono::steady_clock::now();
    const std::uint64_t sum = fuzz.Cases(cases);
    const double seconds = Seconds(start);
    std::printf("ntfs_parser_fuzz cases=%llu seconds=%.2f cases_per_s=%.0f checksum=%llu\n",
                static_cast<unsigned long long>(cases), seconds, static_cast<double>(cases) / seconds,
                static_cast<unsigned long long>(sum));
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "fuzz")
        return Fuzz(argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1'000'000);
    if (mode == "records")
        return Records(argc > 2 ? argv[2] : nullptr);
    std::fprintf(stderr, "usage: ntfs_parser_bench fuzz [CASES] | records [IMAGE]\n");
    return 2;
}
