#!/usr/bin/env bash
# NTFS benchmark: the scan benchmark's tree (20,000 folders, 199,800 files) on
# an NTFS image, made once under build/bench-ntfs and mounted read-only. One
# drive letter shows the volume raw and mounted, so the program reads its
# master file table; another shows the mount alone, so the program walks it.
# Last line: ntfs ratio=R ratio_native=N records_per_s=S bytes_per_folder=B ratio0=R0 collect=C
#   R = median MFT open / median walk open of the same volume
#   N = median MFT open / median walk open of the same tree on the native
#       file system (the scan benchmark's drive)
#   S = MFT records the parser reads per second natively, over the image's MFT
#   B = heap growth per folder while the MFT-searched document is open
#   R0 = R with the search keeping no file types and no largest files
#   C = R / R0: what the file collections cost the MFT open against the walk's
# The line before it: ntfs large: folders=100000 files=1000000 open_ms=T growth=G
#   G = median MFT open of a volume five times as large (the scan benchmark's
#       large tree: 100 top folders of 1,000 folders with 10 empty files each)
#       / median MFT open of the benchmark's volume
# HEFT_BENCH_ROUNDS sets the rounds (default 5); HEFT_BENCH_LARGE=0 skips the
# large volume; HEFT_BENCH_TREE the tree's shape as bench/make_tree.py takes it
# (default "20 999 10 sized", the scan benchmark's), for a quick run on a
# smaller tree.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
rounds=${HEFT_BENCH_ROUNDS:-5}
read -r -a tree_args <<<"${HEFT_BENCH_TREE:-20 999 10 sized}"
native_tree="$root/build/bench-scan"
[ "${tree_args[*]}" = "20 999 10 sized" ] || native_tree="$root/build/bench-tree-$(IFS=-; echo "${tree_args[*]}")"

bash scripts/setup.sh >/dev/null
cmake -S . -B build/bench-win64 -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
cmake --build build/bench-win64 -j2 --target scan_bench >/dev/null
source bench/lib/trees.sh
heft_bench_tree "$native_tree" "${tree_args[@]}"

volumes="$root/build/bench-ntfs"
large_volumes="$root/build/bench-ntfs-large"
trap 'for v in "$volumes" "$large_volumes"; do python3 "$root/tests/ntfs_volumes.py" unmount "$v"; done' EXIT
python3 tests/ntfs_volumes.py bench "$volumes" "${tree_args[@]}"
[ "${HEFT_BENCH_LARGE:-1}" != 0 ] && python3 tests/ntfs_volumes.py bench "$large_volumes" 100 1000 10

source "$root/scripts/wine-prefix.sh"
heft_wine_prefix "$root/build/wine-bench" headless
export WINEDEBUG=-all
ln -sfn "$volumes/bench" "$WINEPREFIX/dosdevices/n:"
ln -sfn "$volumes/bench.img" "$WINEPREFIX/dosdevices/n::"
ln -sfn "$volumes/bench" "$WINEPREFIX/dosdevices/v:"
rm -f "$WINEPREFIX/dosdevices/v::"
ln -sfn "$native_tree/tree" "$WINEPREFIX/dosdevices/b:"

open_once() {  # DRIVE: the open-only line of scan_bench
    HEFT_BENCH_DRIVE=$1 HEFT_BENCH_OPEN_ONLY=1 HEFT_BENCH_ROUNDS="$rounds" \
        "$wine" "$root/build/bench-win64/scan_bench.exe" | tr -d '\r' | tail -n 1
}
mft=$(open_once N:)
echo "bench ntfs: MFT search of the image:   $mft" >&2
walk=$(open_once V:)
echo "bench ntfs: walk of the same volume:    $walk" >&2
native=$(open_once B:)
echo "bench ntfs: walk of the native tree:    $native" >&2
large=""
if [ "${HEFT_BENCH_LARGE:-1}" != 0 ]; then
    ln -sfn "$large_volumes/bench" "$WINEPREFIX/dosdevices/m:"
    ln -sfn "$large_volumes/bench.img" "$WINEPREFIX/dosdevices/m::"
    large=$(open_once M:)
    echo "bench ntfs: MFT search, five times as large: $large" >&2
fi
wineserver -k 2>/dev/null || true

value() { echo "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"; }
[ "$(value "$mft" method)" = mft ] || { echo "bench ntfs: the image was not searched through its MFT" >&2; exit 1; }
[ "$(value "$walk" method)" = walk ] || { echo "bench ntfs: the mount alone was not walked" >&2; exit 1; }

# The parser's own rate, natively over the image's MFT (bench/ntfs_parser_bench.cpp).
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native -j2 --target ntfs_parser_bench >/dev/null
parser=$(build/native/ntfs_parser_bench records "$volumes/bench.img" | tail -n 1)
echo "bench ntfs: the parser natively:        $parser" >&2
records_per_s=$(value "$parser" records_per_s)
echo "bench ntfs: rounds=$rounds" >&2
if [ -n "$large" ]; then
    [ "$(value "$large" method)" = mft ] || { echo "bench ntfs: the large image was not searched through its MFT" >&2; exit 1; }
    awk -v big="$(value "$large" open_ms)" -v mft="$(value "$mft" open_ms)" -v folders="$(value "$large" folders)" \
        'BEGIN {printf "ntfs large: folders=%s files=1000000 open_ms=%.0f growth=%.2f\n", folders, big, big / mft}'
fi
awk -v mft="$(value "$mft" open_ms)" -v walk="$(value "$walk" open_ms)" -v native="$(value "$native" open_ms)" \
    -v rate="$records_per_s" -v bytes="$(value "$mft" bytes_per_folder)" \
    -v mft0="$(value "$mft" open0_ms)" -v walk0="$(value "$walk" open0_ms)" \
    'BEGIN {printf "ntfs ratio=%.3f ratio_native=%.3f records_per_s=%s bytes_per_folder=%s ratio0=%.3f collect=%.3f\n", mft / walk, mft / native, rate, bytes, mft0 / walk0, (mft / walk) / (mft0 / walk0)}'
