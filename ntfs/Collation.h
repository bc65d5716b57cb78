#pragma once
// The order in which an NTFS folder index keeps its names.
#include <span>
#include <string_view>

namespace ntfs {

inline constexpr std::size_t kUpcaseEntries = 65536;

// Each unit mapped through the volume's upcase table (exactly kUpcaseEntries
// entries) and compared unsigned; a name that is the other's start comes
// first; names equal after upcasing are ordered by their raw units.
bool CollatesBefore(std::u16string_view a, std::u16string_view b, std::span<const char16_t, kUpcaseEntries> upcase);

}  // namespace ntfs
