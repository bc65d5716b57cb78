#!/usr/bin/env bash
# Export benchmark: the command-line report (what heftscope.exe /export runs:
# hidden main frame, unattended search, the folders report written) of the
# scan benchmark's drive (20,000 folders, 199,800 files) and of its large
# drive (100,000 folders, 1,000,000 files), against the window's open of the
# same drive in the same run, each in a process of its own after the same
# warm-up (bench/export_bench.cpp). Then the program itself, once, on the
# small drive: its exit code, its rows and its time as a whole process.
# Last line: export ratio=R large_ratio=L peak_bytes_per_folder=B
#   R = median report time / median window open time, the small drive
#   L = report time / window open time, the large drive (one of each)
#   B = the most the working set rose during the large drive's report, per
#       folder; the line before gives the window's open, window_peak_bytes_per_folder=W
#       (target: B within 10 % of W)
# HEFT_BENCH_ROUNDS sets the rounds on the small drive (default 5);
# HEFT_BENCH_LARGE=0 skips the large drive (L and B are then of the small one).
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

window=$(measure window B: "$rounds")
echo "bench export: window's open of B:  $window" >&2
report=$(measure export B: "$rounds")
echo "bench export: report of B:         $report" >&2
[ "$(value "$report" folders)" = "$(value "$window" folders)" ] ||
    { echo "bench export: the report's rows are not the window's folders" >&2; exit 1; }
large_window=$window
large_report=$report
if [ "$large" != 0 ]; then
    large_window=$(measure window L: 1)
    echo "bench export: window's open of L:  $large_window" >&2
    large_report=$(measure export L: 1)
    echo "bench export: report of L:         $large_report" >&2
    [ "$(value "$large_report" folders)" = "$(value "$large_window" folders)" ] ||
        { echo "bench export: the large report's rows are not the window's folders" >&2; exit 1; }
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
[ "$code" = 0 ] && [ "$rows" = "$(($(value "$window" folders) + 1))" ] ||
    { echo "bench export: the program's report is not complete" >&2; exit 1; }

awk -v w="$(value "$large_window" peak)" -v f="$(value "$large_window" folders)" \
    'BEGIN {printf "export window_peak_bytes_per_folder=%.0f\n", w / f}'
awk -v r="$(value "$report" ms)" -v w="$(value "$window" ms)" \
    -v lr="$(value "$large_report" ms)" -v lw="$(value "$large_window" ms)" \
    -v p="$(value "$large_report" peak)" -v f="$(value "$large_report" folders)" \
    'BEGIN {printf "export ratio=%.2f large_ratio=%.2f peak_bytes_per_folder=%.0f\n", r / w, lr / lw, p / f}'
