#pragma once
// Counts of this process's GDI objects and icons, to catch handles that a
// routine leaks. GetGuiResources answers on Windows; Wine 8 implements it as
// a stub that always says 0, so there the counts are taken from what Wine
// keeps itself: the GDI handle table that the process environment block
// points to, and the user handles of icons, probed by index.
#include <windows.h>

#include <cstdint>

namespace guiobjects {

// One entry of the GDI handle table; an entry in use has a type.
struct GdiHandleEntry {
    std::uint64_t object;
    std::uint32_t owner;
    std::uint16_t unique;
    std::uint8_t type;
    std::uint8_t flags;
    std::uint64_t user;
};
static_assert(sizeof(GdiHandleEntry) == 24, "the table's layout");

inline long CountGdiObjects()
{
    if (DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<long>(count);
#ifdef _WIN64
    auto* teb = reinterpret_cast<unsigned char*>(NtCurrentTeb());
    auto* peb = *reinterpret_cast<unsigned char**>(teb + 0x60);
    auto* table = *reinterpret_cast<const GdiHandleEntry**>(peb + 0xF8);
    if (!table) return -1;
    long count = 0;
    for (int i = 0; i < 0x10000; ++i) {
        if (table[i].type) ++count;
    }
    return count;
#else
    return -1;
#endif
}

// USER objects of this process; under Wine the icons and cursors among them.
inline long CountUserObjects()
{
    if (DWORD count = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)) return static_cast<long>(count);
    // Wine's user handles are (index << 1) + 0x20; a handle without its
    // generation in the high word stands for whatever the index holds now.
    long count = 0;
    for (UINT_PTR index = 0; index < 0x7FE8; ++index) {
        ICONINFO info{};
        if (GetIconInfo(reinterpret_cast<HICON>((index << 1) + 0x20), &info)) {
            ++count;
            if (info.hbmMask) DeleteObject(info.hbmMask);
            if (info.hbmColor) DeleteObject(info.hbmColor);
        }
    }
    return count;
}

} // namespace guiobjects
