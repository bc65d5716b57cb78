#!/usr/bin/env bash
# Soak benchmark: 200 Refreshes and 100 close/reopen cycles of a drive of
# 2,000 folders in one process (bench/soak_bench.cpp), under the benchmarks'
# own Wine prefix (build/wine-bench), where the drive appears as S:.
# Last line: soak refreshes=N reopen=M heap_growth_kb=H handles_growth=G statusbar_px=S
#   H = heap bytes in use (KiB) after the last cycle less after the 20th
#   G = the process's handles in Wine's handle table, the same way
#   S = the status bar's height at the end; the line before gives it at the start
# Targets: H <= 512, G = 0, S as at the start.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"

bash "$root/scripts/setup.sh" >/dev/null
# An optimised build of its own: the tests' build is a debug build.
cmake -S "$root" -B "$build/bench-win64" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
cmake --build "$build/bench-win64" -j2 --target soak_bench >/dev/null

# The fixture drive, made once: 20 top folders of 99 folders with 3 files each.
tree="$build/bench-soak/tree"
if [ ! -f "$build/bench-soak/.complete" ]; then
    rm -rf "$build/bench-soak"
    python3 "$root/bench/make_tree.py" "$tree" 20 99 3 sized
    touch "$build/bench-soak/.complete"
fi

# The benchmarks' own Wine prefix.
source "$root/scripts/wine-prefix.sh"
heft_wine_prefix "$root/build/wine-bench" headless
export WINEDEBUG=-all
ln -sfn "$tree" "$WINEPREFIX/dosdevices/s:"

output=$(HEFT_BENCH_DRIVE=S: "$wine" "$build/bench-win64/soak_bench.exe" | tr -d '\r')
wineserver -k 2>/dev/null || true
echo "$output" | head -n -1 | sed 's/^/bench /' >&2
echo "$output" | tail -n 1
