#include "framework/CRawVolume.h"

#include <winioctl.h>

#include <algorithm>
#include <atomic>
#include <cstddef>

namespace {

std::atomic<CRawVolume::ReadHook> g_readHook{nullptr};

constexpr std::uint32_t kFallbackSectorSize = 512;

bool Plausible(DWORD sectorSize)
{
    return sectorSize >= 512 && sectorSize <= 65536 && (sectorSize & (sectorSize - 1)) == 0;
}

} // namespace

CRawVolume::OpenResult CRawVolume::Open(const CString& drive)
{
    Close();
    const std::wstring device = L"\\\\.\\" + Utf8ToWide(drive.Left(2).str());
    m_hVolume = CreateFileW(device.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            0, nullptr);
    if (m_hVolume == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_ACCESS_DENIED ? OpenResult::AccessDenied : OpenResult::Failed;
    m_nSectorSize = AskSectorSize();
    return OpenResult::Opened;
}

void CRawVolume::Close()
{
    if (m_hVolume != INVALID_HANDLE_VALUE) CloseHandle(m_hVolume);
    m_hVolume = INVALID_HANDLE_VALUE;
    m_nSectorSize = kFallbackSectorSize;
}

std::uint32_t CRawVolume::AskSectorSize() const
{
    DWORD returned = 0;
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageAccessAlignmentProperty;
    query.QueryType = PropertyStandardQuery;
    STORAGE_ACCESS_ALIGNMENT_DESCRIPTOR alignment{};
    if (DeviceIoControl(m_hVolume, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof(query), &alignment,
                        sizeof(alignment), &returned, nullptr) &&
        returned >= offsetof(STORAGE_ACCESS_ALIGNMENT_DESCRIPTOR, BytesPerPhysicalSector) &&
        Plausible(alignment.BytesPerLogicalSector)) {
        return alignment.BytesPerLogicalSector;
    }
    DISK_GEOMETRY geometry{};
    if (DeviceIoControl(m_hVolume, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &geometry, sizeof(geometry), &returned,
                        nullptr) &&
        Plausible(geometry.BytesPerSector)) {
        return geometry.BytesPerSector;
    }
    return kFallbackSectorSize;
}

bool CRawVolume::Read(std::uint64_t offset, std::span<std::uint8_t> buffer)
{
    if (m_hVolume == INVALID_HANDLE_VALUE) return false;
    const std::uint64_t sector = m_nSectorSize;
    const auto address = reinterpret_cast<std::uintptr_t>(buffer.data());
    if (offset % sector != 0 || buffer.size() % sector != 0 || address % sector != 0) return false;
    if (const ReadHook hook = g_readHook.load(); hook && !hook(offset)) return false;

    // One ReadFile takes at most a DWORD of bytes: larger reads go in whole-sector pieces.
    constexpr std::size_t kMaxPiece = 1u << 30;
    std::size_t done = 0;
    while (done < buffer.size()) {
        const std::size_t piece = std::min(buffer.size() - done, kMaxPiece);
        const std::uint64_t at = offset + done;
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
        position.OffsetHigh = static_cast<DWORD>(at >> 32);
        DWORD got = 0;
        if (!ReadFile(m_hVolume, buffer.data() + done, static_cast<DWORD>(piece), &got, &position) || got != piece)
            return false;
        done += piece;
    }
    return true;
}

void CRawVolume::SetReadHook(ReadHook hook)
{
    g_readHook.store(hook);
}
