#!/usr/bin/env bash
# Export benchmark: the command-line report (what heftscope.exe /export runs:
# hidden main frame, unattended search, the folders report written) of the
# scan benchmark's drive (20,000 folders, 199,800 files) and of its large
# drive (100,000 folders, 1,000,000 files), against the window's open of the
# same drive in the same run, each in a process of its own after the same
# warm-up (bench/export_bench.cpp). Then the program itself, once, on the
# small drive: its exit code, its rows and its time as a whole process.
# The window's open and the report take turns, a process each.
# Last line: export ratio=R large_ratio=L peak_bytes_per_folder=B changes_ms=C
#   R = median report time / median window open time, the small drive
#   L = the same on the large drive
#   B = the most the working set rose during the large drive's report, per
#       folder (median); the line before gives the same of the window's open,
#       window_peak_bytes_per_folder=W (target: B within 10 % of W)
#   C = milliseconds to read the large drive's report back and compare the
#       drive with it (Changes Since, in the window; 0 when skipped)
# HEFT_BENCH_ROUNDS sets the turns on the small drive (default 5),
# HEFT_BENCH_LARGE_ROUNDS on the large one (default 3); HEFT_BENCH_LARGE=0
# skips the large drive (L and B are then of the small one).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
rounds=${HEFT_BENCH_ROUNDS:-5}

bash scripts/setup.sh >/dev/null
cmake -S . -B build/bench-win64 -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
cmake --build build/bench-win64 -j2 --target export_bench heftscope >/dev/null

source bench/lib/trees.sh
heft_bench_tree "$root/build/bench-scan" 20 999 10 sized
large=${HEFT_BENCH_LARGE:-1}
[ "$large" != 0 ] && heft_bench_tree "$root/build/bench-scan-large" 100 1000 10

source "$root/scripts/wine-prefix.sh"
heft_wine_prefix "$root/build/wine-bench" headless
export WINEDEBUG=-all
ln -sfn "$root/build/bench-scan/tree" "$WINEPREFIX/dosdevices/b:"
[ "$large" != 0 ] && ln -sfn "$root/build/bench-scan-large/tree" "$WINEPREFIX/dosdevices/l:"
warm="$root/build/bench-scan-warm"
mkdir -p "$warm/a/b" "$warm/c" && : > "$warm/a/b/f.dat"
ln -sfn "$warm" "$WINEPREFIX/dosdevices/w:"
reports="$root/build/bench-export"
mkdir -p "$reports"
report_win="Z:${reports//\//\\}\\report.csv"

measure() {  # MODE DRIVE ROUNDS: export_bench's line
    HEFT_BENCH_MODE=$1 HEFT_BENCH_DRIVE=$2 HEFT_BENCH_ROUNDS=$3 HEFT_BENCH_WARM=W: HEFT_BENCH_REPORT="$report_win" \
        "$wine" "$root/build/bench-win64/export_bench.exe" | tr -d '\r' | tail -n 1
}
value() { echo "$1" | tr ' ' '\n' | sed -n "s/^$2=//p"; }

median() { sort -g | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }
# DRIVE ROUNDS: the window's open and the report, a process each, taking
# turns so that both meet the machine as it is; sets <mode>_ms, <mode>_peak
# (medians) and folders.
compare() {
    local drive=$1 turns=$2 mode line
    local -A times=() peaks=()
    for _ in $(seq "$turns"); do
        for mode in window export; do
            line=$(measure "$mode" "$drive" 1)
            echo "bench export: $mode $drive: $line" >&2
            times[$mode]+="$(value "$line" ms) "
            peaks[$mode]+="$(value "$line" peak) "
            if [ "$mode" = window ]; then
                folders=$(value "$line" folders)
            elif [ "$(value "$line" folders)" != "$folders" ]; then
                echo "bench export: the report's rows are not the window's folders" >&2
                exit 1
            fi
        done
    done
    for mode in window export; do
        printf -v "${mode}_ms" '%s' "$(echo "${times[$mode]}" | tr ' ' '\n' | grep . | median)"
        printf -v "${mode}_peak" '%s' "$(echo "${peaks[$mode]}" | tr ' ' '\n' | grep . | median)"
    done
}

compare B: "$rounds"
small_window_ms=$window_ms small_export_ms=$export_ms small_folders=$folders
if [ "$large" != 0 ]; then
    compare L: "${HEFT_BENCH_LARGE_ROUNDS:-3}"
fi

# A report of the large drive compared with the drive, in the window
# (Changes Since): the report the last export of L: wrote.
changes_ms=""
if [ "$large" != 0 ]; then
    changes_line=$(measure changes L: 1)
    echo "bench export: changes: $changes_line" >&2
    changes_ms=$(value "$changes_line" changes_ms)
fi

# The program itself, as a scheduled task runs it.
rm -f "$reports/program.csv"
start=$(date +%s.%N)
set +e
"$wine" "$root/build/bench-win64/heftscope.exe" /export "Z:${reports//\//\\}\\program.csv" B: >/dev/null 2>&1
code=$?
set -e
end=$(date +%s.%N)
rows=$(($(wc -l < "$reports/program.csv") - 1))
wineserver -k 2>/dev/null || true
echo "bench export: heftscope.exe /export of B: exit code $code, $rows rows, $(awk -v a="$start" -v b="$end" 'BEGIN {printf "%.0f", (b - a) * 1000}') ms as a whole process; rounds=$rounds" >&2
[ "$code" = 0 ] && [ "$rows" = "$((small_folders + 1))" ] ||
    { echo "bench export: the program's report is not complete" >&2; exit 1; }

echo "bench export: medians: B: window ${small_window_ms} ms, report ${small_export_ms} ms; $([ "$large" != 0 ] && echo "L: window ${window_ms} ms, report ${export_ms} ms")" >&2
awk -v w="$window_peak" -v f="$folders" 'BEGIN {printf "export window_peak_bytes_per_folder=%.0f\n", w / f}'
awk -v r="$small_export_ms" -v w="$small_window_ms" -v lr="$export_ms" -v lw="$window_ms" \
    -v p="$export_peak" -v f="$folders" \
    -v c="${changes_ms:-0}" \
    'BEGIN {printf "export ratio=%.2f large_ratio=%.2f peak_bytes_per_folder=%.0f changes_ms=%.0f\n", r / w, lr / lw, p / f, c}'
