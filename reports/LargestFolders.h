#pragma once
// Picking the ten largest leaf folders of a drive, offered one at a time in
// the order of the walk. Pure C++ (no windows.h) so that it is tested natively
// too.
#include <array>
#include <cstddef>
#include <cstdint>

// Slots of the ten-largest listing. While a slot is empty, a folder takes the
// first empty one. Once all are taken, a folder larger than the smallest slot
// takes that slot (of equally small slots the one filled last goes), so the
// slots always hold the largest folders offered, and among folders of equal
// size the one met first keeps its place.
template <class Entry, std::size_t N = 10>
class LargestFolderSlots {
public:
    static constexpr std::size_t kSlots = N;

    // Offers a folder of `size` bytes; returns the slot it took, or -1 when it
    // stays out.
    int Offer(Entry* entry, std::int64_t size)
    {
        std::size_t target = N;
        for (std::size_t i = 0; i < N && target == N; ++i) {
            if (!m_slots[i].entry) target = i;
        }
        if (target == N) {
            target = 0;
            for (std::size_t i = 1; i < N; ++i) {
                const Slot& slot = m_slots[i];
                const Slot& smallest = m_slots[target];
                if (slot.size < smallest.size || (slot.size == smallest.size && slot.arrival > smallest.arrival))
                    target = i;
            }
            if (size <= m_slots[target].size) return -1;
        }
        m_slots[target] = Slot{entry, size, m_nArrivals++};
        return static_cast<int>(target);
    }

    // The folder in a slot, or null while the slot is empty.
    Entry* operator[](std::size_t slot) const { return slot < N ? m_slots[slot].entry : nullptr; }

private:
    struct Slot {
        Entry* entry = nullptr;
        std::int64_t size = 0;
        std::uint64_t arrival = 0;
    };
    std::array<Slot, N> m_slots{};
    std::uint64_t m_nArrivals = 0;
};
