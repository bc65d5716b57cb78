#!/usr/bin/env bash
# The NTFS parser natively. First a million corrupted records, attribute lists
# and run lists through the parsers built with AddressSanitizer and UBSan (a
# bad read aborts the run), then the folder index of a synthetic MFT shaped
# like the scan benchmark's tree, or of the NTFS image file given, built
# optimised and compared with a bare read of the same MFT records.
#   bench/run.sh ntfs_parser [IMAGE]
# Last line: ntfs_parser records=... ratio=R records_per_s=S peak_heap_bytes_per_folder=B
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native -j2 --target ntfs_parser_bench ntfs_parser_bench_checked >/dev/null
build/native/ntfs_parser_bench_checked fuzz 1000000
build/native/ntfs_parser_bench records "$@"
