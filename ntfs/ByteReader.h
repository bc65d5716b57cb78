#pragma once
// Every byte read from a volume is untrusted: it is read through this reader,
// which checks each offset and length against the bytes it was given. A read
// out of range yields zeros and marks the reader failed, so a parser may read
// a whole header and check Ok() once before trusting any field.
#include <cstddef>
#include <cstdint>
#include <span>

namespace ntfs {

class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::size_t Size() const { return m_bytes.size(); }
    bool Ok() const { return !m_failed; }
    void Fail() { m_failed = true; }

    // True when [offset, offset + length) lies inside; never overflows.
    bool Has(std::size_t offset, std::size_t length) const
    {
        return offset <= m_bytes.size() && length <= m_bytes.size() - offset;
    }

    std::uint8_t U8(std::size_t offset) { return static_cast<std::uint8_t>(Little(offset, 1)); }
    std::uint16_t U16(std::size_t offset) { return static_cast<std::uint16_t>(Little(offset, 2)); }
    std::uint32_t U32(std::size_t offset) { return static_cast<std::uint32_t>(Little(offset, 4)); }
    std::uint64_t U64(std::size_t offset) { return Little(offset, 8); }
    std::int8_t S8(std::size_t offset) { return static_cast<std::int8_t>(U8(offset)); }

    // Little-endian value of `width` bytes (0 to 8) read as unsigned, or
    // sign-extended from its top bit.
    std::uint64_t Little(std::size_t offset, std::size_t width)
    {
        if (width > 8 || !Has(offset, width)) {
            m_failed = true;
            return 0;
        }
        std::uint64_t value = 0;
        for (std::size_t i = width; i-- > 0;)
            value = (value << 8) | m_bytes[offset + i];
        return value;
    }
    std::int64_t Signed(std::size_t offset, std::size_t width)
    {
        const std::uint64_t value = Little(offset, width);
        if (width == 0 || width >= 8)
            return static_cast<std::int64_t>(value);
        const std::uint64_t sign = std::uint64_t{1} << (width * 8 - 1);
        return static_cast<std::int64_t>(value ^ sign) - static_cast<std::int64_t>(sign);
    }

    // The bytes [offset, offset + length), or none (and failed) when out of range.
    std::span<const std::uint8_t> Bytes(std::size_t offset, std::size_t length)
    {
        if (!Has(offset, length)) {
            m_failed = true;
            return {};
        }
        return m_bytes.subspan(offset, length);
    }
    // A reader of its own over [offset, offset + length); a bad range fails both.
    ByteReader Sub(std::size_t offset, std::size_t length)
    {
        ByteReader sub(Bytes(offset, length));
        sub.m_failed = m_failed;
        return sub;
    }

private:
    std::span<const std::uint8_t> m_bytes;
    bool m_failed = false;
};

}  // namespace ntfs
