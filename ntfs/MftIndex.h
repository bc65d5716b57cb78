#pragma once
// The folders of an NTFS volume read straight from its master file table, in
// the shape the search turns into its model: memory grows with the folders,
// files are only added into their folder's own bytes.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "ntfs/VolumeSource.h"

namespace ntfs {

inline constexpr std::uint32_t kNoFolder = 0xFFFFFFFF;

struct Subfolder {                    // one name of a folder (or of a link to one) inside a folder
    std::u16string name;              // UTF-16 as on the disk
    std::uint64_t writeTime = 0;      // $STANDARD_INFORMATION last write, 100 ns ticks since 1601 UTC
    bool link = false;                // name-surrogate reparse point (tag & 0x20000000): never entered
    std::uint32_t folder = kNoFolder; // index into MftIndex::folders of the folder it enters; kNoFolder for a link
};

struct Folder {
    std::int64_t ownBytes = 0;          // sizes of all its own entries added up (a folder entry counts 0,
                                        // a link to a file or folder counts its own $DATA size, normally 0)
    std::uint64_t files = 0;            // its names that are no folders, as a listing of it shows them
    std::vector<Subfolder> subfolders;  // in the order the folder's index keeps them ($UpCase collation)
};

enum class Outcome {
    Done,        // index built
    Unusable,    // not NTFS / boot sector or MFT record 0 does not check out: the caller walks instead
    ReadFailed,  // a read of the volume failed: the caller checks whether the drive still answers
    Cancelled,   // progress returned false
};

struct MftIndex {
    std::vector<Folder> folders;        // folders[0] is the root (record 5); only folders reachable from it
    std::uint64_t recordsRead = 0;      // MFT records looked at
    std::uint64_t skippedRecords = 0;   // in-use records that failed their checks
};

// Called every so often (at least every 4,096 records); `done` of `total` MFT
// records read. Returning false cancels: BuildIndex returns Cancelled promptly.
using Progress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

Outcome BuildIndex(VolumeSource& volume, const Progress& progress, MftIndex& index);

}  // namespace ntfs
