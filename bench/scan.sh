#!/usr/bin/env bash
# Scan benchmark: the program's whole open of a drive of about 20,000 folders
# and 200,000 files against a bare recursive FindFirstFileA walk and a bare
# FindFirstFileW walk of the same drive in the same Wine process, and against
# `du -sb` of the folder natively; then one open of a drive five times as
# large (100,000 folders, 1,000,000 empty files) in a process of its own.
# Last line: scan ratio=R ratio_w=RW ratio_p=P folders=N files=M bytes_per_folder=B du_ratio=D threads=T collect=C
#   R  = median open time / median FindFirstFileA-walk time
#   RW = median open time / median FindFirstFileW-walk time
#   P  = median open time / median time of a bare wide walk on T threads
#   B  = heap growth per folder while the drive's document is open
#   D  = median open time / median du time
#   C  = median open time / median open time without the file collections
#        (the file types and the largest files), in the same run
#   T  = worker threads reading folder listings ahead of the walk
# The line before it: scan large: ... growth=G memory=M
#   G  = open time of the large drive / median open time of the small one
#   M  = the most the working set rose during the large open / the heap its
#        finished document holds
# HEFT_BENCH_ROUNDS sets the rounds (default 5); HEFT_BENCH_LARGE=0 skips the large drive.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
rounds=${HEFT_BENCH_ROUNDS:-5}

bash scripts/setup.sh >/dev/null
# An optimised build of its own: the tests' build is a debug build.
cmake -S . -B build/bench-win64 -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
cmake --build build/bench-win64 -j2 --target scan_bench >/dev/null

# The fixture trees, made once: 20 top folders of 999 folders with 10 files
# each; the large one 100 top folders of 1,000 folders with 10 empty files each.
source bench/lib/trees.sh
heft_bench_tree "$root/build/bench-scan" 20 999 10 sized
tree="$root/build/bench-scan/tree"
large="$root/build/bench-scan-large/tree"
[ "${HEFT_BENCH_LARGE:-1}" != 0 ] && heft_bench_tree "$root/build/bench-scan-large" 100 1000 10

# The benchmarks' own Wine prefix.
source "$root/scripts/wine-prefix.sh"
heft_wine_prefix "$root/build/wine-bench" headless
export WINEDEBUG=-all
ln -sfn "$tree" "$WINEPREFIX/dosdevices/b:"

result=$(HEFT_BENCH_DRIVE=B: HEFT_BENCH_ROUNDS="$rounds" "$wine" "$root/build/bench-win64/scan_bench.exe" | tr -d '\r' | tail -n 1)
echo "bench scan: $result" >&2
large_result=""
if [ "${HEFT_BENCH_LARGE:-1}" != 0 ]; then
    ln -sfn "$large" "$WINEPREFIX/dosdevices/l:"
    warm="$root/build/bench-scan-warm"
    mkdir -p "$warm/a/b" "$warm/c" && : > "$warm/a/b/f.dat"
    ln -sfn "$warm" "$WINEPREFIX/dosdevices/w:"
    large_result=$(HEFT_BENCH_DRIVE=L: HEFT_BENCH_WARM=W: HEFT_BENCH_ONCE=1 "$wine" "$root/build/bench-win64/scan_bench.exe" | tr -d '\r' | tail -n 1)
    echo "bench scan large: $large_result" >&2
fi
wineserver -k 2>/dev/null || true

du_times=()
for _ in $(seq "$rounds"); do
    start=$(date +%s.%N)
    du -sb "$tree" >/dev/null
    end=$(date +%s.%N)
    du_times+=("$(awk -v a="$start" -v b="$end" 'BEGIN {print (b - a) * 1000}')")
done
du_ms=$(printf '%s\n' "${du_times[@]}" | sort -g | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}')

value() { echo "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"; }
open_ms=$(value "$result" open_ms)
echo "bench scan: du_ms=$du_ms rounds=$rounds; open with the walk reading alone: $(value "$result" open1_ms) ms" >&2
if [ -n "$large_result" ]; then
    awk -v big="$(value "$large_result" open_ms)" -v open="$open_ms" -v held="$(value "$large_result" held)" \
        -v peak="$(value "$large_result" peak)" \
        'BEGIN {printf "scan large: folders=100000 files=1000000 open_ms=%.0f growth=%.2f memory=%.2f\n", big, big / open, peak / held}'
fi
awk -v open="$open_ms" -v walk="$(value "$result" walk_ms)" -v walkw="$(value "$result" walkw_ms)" -v du="$du_ms" \
    -v walkp="$(value "$result" walkp_ms)" \
    -v folders="$(value "$result" folders)" -v files="$(value "$result" files)" \
    -v bytes="$(value "$result" bytes_per_folder)" -v threads="$(value "$result" threads)" \
    -v plain="$(value "$result" open0_ms)" \
    'BEGIN {printf "scan ratio=%.2f ratio_w=%.2f ratio_p=%.2f folders=%s files=%s bytes_per_folder=%s du_ratio=%.1f threads=%s collect=%.3f\n", open / walk, open / walkw, open / walkp, folders, files, bytes, open / du, threads, open / plain}'
