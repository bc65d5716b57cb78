#!/usr/bin/env bash
# Scan benchmark: the program's whole open of a drive of about 20,000 folders
# and 200,000 files against a bare recursive FindFirstFileA walk of the same
# drive in the same Wine process, and against `du -sb` of the folder natively.
# Last line: scan ratio=R folders=N files=M bytes_per_folder=B du_ratio=D
#   R = median open time / median bare-walk time
#   B = heap growth per folder while the drive's document is open
#   D = median open time / median du time
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
rounds=${HEFT_BENCH_ROUNDS:-5}

bash scripts/setup.sh >/dev/null
# An optimised build of its own: the tests' build is a debug build.
cmake -S . -B build/bench-win64 -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
cmake --build build/bench-win64 -j2 --target scan_bench >/dev/null

# The fixture tree, made once: 20 top folders of 999 folders with 10 files each.
tree="$root/build/bench-scan/tree"
if [ ! -f "$root/build/bench-scan/.complete" ]; then
    echo "bench scan: making the fixture tree (once)" >&2
    rm -rf "$root/build/bench-scan"
    python3 - "$tree" <<'PY'
import os, sys
base = sys.argv[1]
for t in range(20):
    for s in range(999):
        folder = os.path.join(base, f"top{t:02d}", f"sub{s:03d}")
        os.makedirs(folder)
        for f in range(10):
            with open(os.path.join(folder, f"file{f}.dat"), "wb") as out:
                out.truncate((t * 7919 + s * 104729 + f * 31) % 65536)
PY
    touch "$root/build/bench-scan/.complete"
fi

export WINEPREFIX="$root/build/wine-bench"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
wine=/usr/lib/wine/wine64
if [ ! -f "$WINEPREFIX/.heft-prefix-ready" ]; then
    rm -rf "$WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1
    wineserver -w
    "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.heft-prefix-ready"
fi
ln -sfn "$tree" "$WINEPREFIX/dosdevices/b:"

result=$(HEFT_BENCH_DRIVE=B: HEFT_BENCH_ROUNDS="$rounds" "$wine" "$root/build/bench-win64/scan_bench.exe" | tr -d '\r' | tail -n 1)
wineserver -k 2>/dev/null || true
echo "bench scan: $result" >&2

du_times=()
for _ in $(seq "$rounds"); do
    start=$(date +%s.%N)
    du -sb "$tree" >/dev/null
    end=$(date +%s.%N)
    du_times+=("$(awk -v a="$start" -v b="$end" 'BEGIN {print (b - a) * 1000}')")
done
du_ms=$(printf '%s\n' "${du_times[@]}" | sort -g | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}')

value() { echo "$result" | tr ' ' '\n' | sed -n "s/^$1=//p"; }
open_ms=$(value open_ms)
walk_ms=$(value walk_ms)
echo "bench scan: du_ms=$du_ms rounds=$rounds; open over the wide-function walk: $(awk -v o="$open_ms" -v w="$(value walkw_ms)" 'BEGIN {printf "%.2f", o / w}')" >&2
awk -v open="$open_ms" -v walk="$walk_ms" -v du="$du_ms" -v folders="$(value folders)" \
    -v files="$(value files)" -v bytes="$(value bytes_per_folder)" \
    'BEGIN {printf "scan ratio=%.2f folders=%s files=%s bytes_per_folder=%s du_ratio=%.1f\n", open / walk, folders, files, bytes, open / du}'
