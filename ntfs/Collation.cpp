#include "ntfs/Collation.h"

#include <algorithm>

namespace ntfs {

bool CollatesBefore(std::u16string_view a, std::u16string_view b, std::span<const char16_t, kUpcaseEntries> upcase)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const char16_t upperA = upcase[a[i]];
        const char16_t upperB = upcase[b[i]];
        if (upperA != upperB)
            return upperA < upperB;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

}  // namespace ntfs
