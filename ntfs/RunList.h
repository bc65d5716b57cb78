#pragma once
// Where the clusters of a non-resident attribute lie.
#include <cstdint>
#include <vector>

#include "ntfs/ByteReader.h"

namespace ntfs {

struct Run {
    std::uint64_t vcn = 0;     // first cluster of the stream it holds
    std::uint64_t lcn = 0;     // first cluster on the volume (unused when sparse)
    std::uint64_t length = 0;  // clusters
    bool sparse = false;
    friend bool operator==(const Run&, const Run&) = default;
};

// Appends the runs of one extent that starts at `firstVcn`. False when the
// list is malformed or a cluster lies at or beyond `clusterCount`.
bool DecodeRuns(ByteReader runs, std::uint64_t firstVcn, std::uint64_t clusterCount, std::vector<Run>& out);

}  // namespace ntfs
