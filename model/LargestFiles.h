#pragma once
// The largest files of a drive, kept while the search meets every file and
// forgets the rest. Pure C++ (no windows.h) so that it is tested natively too.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/CString.h"

// A file of the drive as the largest-files listing keeps it.
struct FoundFile {
    std::int64_t size = 0;
    CString folder; // the folder's full path ("C:" for the root)
    CString name;
    std::uint64_t writeTime = 0;
};

// The set holds every file offered at or above its bound, and no file below
// it. While it has never held more than its capacity the bound is 0: it holds
// every file. Once it holds too many it keeps the `capacity` largest, together
// with every file of the same size as the smallest of them (but when those
// ties alone would pass twice the capacity, none of that size: a drive of a
// million equal files would otherwise be kept whole), and the bound rises to
// the smallest size kept. Which files are kept depends on the sizes offered
// alone, not on their order.
//
// Taking files out (a delete) keeps the rule true for the files that are
// left; the bound never falls, so a file offered later (a folder searched
// again) is kept only at or above it.
template <class File>
class LargestFileSet {
public:
    explicit LargestFileSet(std::size_t capacity = 1000) : m_capacity(capacity ? capacity : 1) {}

    std::int64_t Bound() const { return m_bound; }
    // A bound found by another search of the same files (one that met files
    // this set never saw); the files below it go.
    void RaiseBound(std::int64_t bound)
    {
        if (bound <= m_bound) return;
        m_bound = bound;
        std::erase_if(m_files, [bound](const File& file) { return file.size < bound; });
    }

    // Offers a file; false when it stays out.
    bool Offer(File file)
    {
        if (file.size < m_bound) return false;
        m_files.push_back(std::move(file));
        // Trimmed in batches: a trim looks at every file held.
        if (m_files.size() > 4 * m_capacity) Trim();
        return true;
    }

    template <class Predicate>
    void RemoveIf(Predicate predicate)
    {
        std::erase_if(m_files, predicate);
    }

    // The files kept, in no particular order.
    const std::vector<File>& Files()
    {
        Trim();
        return m_files;
    }
    // The files kept, handed over: the set keeps its bound and nothing else.
    std::vector<File> Take()
    {
        Trim();
        std::vector<File> taken = std::move(m_files);
        m_files.clear();
        return taken;
    }
    std::size_t Capacity() const { return m_capacity; }

private:
    void Trim()
    {
        if (m_files.size() <= m_capacity) return;
        const auto bySizeDown = [](const File& a, const File& b) { return a.size > b.size; };
        std::nth_element(m_files.begin(), m_files.begin() + static_cast<std::ptrdiff_t>(m_capacity - 1),
                         m_files.end(), bySizeDown);
        const std::int64_t smallest = m_files[m_capacity - 1].size;
        const auto atLeast = static_cast<std::size_t>(
            std::count_if(m_files.begin(), m_files.end(), [smallest](const File& f) { return f.size >= smallest; }));
        m_bound = atLeast <= 2 * m_capacity || smallest == INT64_MAX ? smallest : smallest + 1;
        const std::int64_t bound = m_bound;
        std::erase_if(m_files, [bound](const File& file) { return file.size < bound; });
    }

    std::size_t m_capacity;
    std::int64_t m_bound = 0;
    std::vector<File> m_files;
};
