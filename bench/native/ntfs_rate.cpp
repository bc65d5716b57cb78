// The parser's own speed: builds the folder index of an NTFS image natively,
// several times, and prints the MFT records it reads per second (median).
// Usage: ntfs_rate IMAGE [ROUNDS]
#include "ntfs/MftIndex.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// The image read as a volume of 512-byte sectors; like the Windows layer, it
// refuses a read that is not in whole, aligned sectors.
class ImageVolume : public ntfs::VolumeSource {
public:
    explicit ImageVolume(const char* path) : m_fd(open(path, O_RDONLY)) {}
    ~ImageVolume() override
    {
        if (m_fd >= 0) close(m_fd);
    }
    bool Opened() const { return m_fd >= 0; }
    std::uint32_t SectorSize() const override { return 512; }
    bool Read(std::uint64_t offset, std::span<std::uint8_t> buffer) override
    {
        if (offset % 512 || buffer.size() % 512 || reinterpret_cast<std::uintptr_t>(buffer.data()) % 512) return false;
        size_t done = 0;
        while (done < buffer.size()) {
            const ssize_t got = pread(m_fd, buffer.data() + done, buffer.size() - done, static_cast<off_t>(offset + done));
            if (got <= 0) return false;
            done += static_cast<size_t>(got);
        }
        return true;
    }

private:
    int m_fd;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: ntfs_rate IMAGE [ROUNDS]\n");
        return 2;
    }
    const int rounds = std::max(1, argc > 2 ? std::atoi(argv[2]) : 5);
    std::vector<double> rates;
    for (int round = 0; round < rounds; ++round) {
        ImageVolume volume(argv[1]);
        if (!volume.Opened()) {
            std::perror(argv[1]);
            return 1;
        }
        ntfs::MftIndex index;
        const auto start = std::chrono::steady_clock::now();
        const ntfs::Outcome outcome = ntfs::BuildIndex(volume, [](std::uint64_t, std::uint64_t) { return true; }, index);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (outcome != ntfs::Outcome::Done) {
            std::fprintf(stderr, "ntfs_rate: the index of %s could not be built\n", argv[1]);
            return 1;
        }
        rates.push_back(static_cast<double>(index.recordsRead) / seconds);
    }
    std::sort(rates.begin(), rates.end());
    std::printf("records_per_s=%.0f\n", rates[rates.size() / 2]);
    return 0;
}
