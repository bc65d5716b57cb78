#pragma once
// The raw bytes of a volume ("\\.\C:"), read past the file system: the MFT
// search reads the master file table through it. A volume handle on Windows
// takes only reads whose offset, length and buffer are whole sectors, so this
// class refuses any other in every build, and tests under Wine (which would
// take them) catch a caller that gets it wrong.
#include <windows.h>

#include "framework/CString.h"
#include "framework/Utf16.h"
#include "ntfs/VolumeSource.h"

#include <cstdint>
#include <span>

class CRawVolume : public ntfs::VolumeSource {
public:
    enum class OpenResult {
        Opened,
        AccessDenied, // Windows keeps volumes for administrators
        Failed,
    };

    CRawVolume() = default;
    ~CRawVolume() override { Close(); }
    CRawVolume(const CRawVolume&) = delete;
    CRawVolume& operator=(const CRawVolume&) = delete;

    // Opens the volume of a drive ("C:") for reading and asks the device its
    // logical sector size (512 when it cannot say, as for an image file).
    OpenResult Open(const CString& drive);
    void Close();

    std::uint32_t SectorSize() const override { return m_nSectorSize; }
    // False for an unaligned offset, length or buffer, and for any failed or short read.
    bool Read(std::uint64_t offset, std::span<std::uint8_t> buffer) override;

    // For tests: asked before every read with its offset; a read it refuses
    // fails as one from a device that has gone away. Null for none.
    using ReadHook = bool (*)(std::uint64_t offset);
    static void SetReadHook(ReadHook hook);

private:
    std::uint32_t AskSectorSize() const;

    HANDLE m_hVolume = INVALID_HANDLE_VALUE;
    std::uint32_t m_nSectorSize = 512;
};
