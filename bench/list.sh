#!/usr/bin/env bash
# The contents list's fill of a folder of 10,000 and one of 100,000 files,
# each against a bare FindFirstFileA walk of the same folder in the same Wine
# process (medians of several rounds), and the fill of the 1,000-row Largest
# Files listing of the drive against the fill of a folder of 1,000 files.
# Last line:
#   list ratio10k=R1 ms10k=T1 ratio100k=R2 ms100k=T2 largest_ratio=L ms_largest=T3
# Uses its own Wine prefix (build/wine-bench) and fixture folder
# (build/bench-list), which appears there as drive Q:.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
fixture="$build/bench-list"

# --- the benchmark executable (bench/list_bench.cpp) ------------------------
# An optimised build of its own: the tests' build is a debug build.
cmake -S "$root" -B "$build/bench-win64" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
cmake --build "$build/bench-win64" -j2 --target list_bench >/dev/null

# The benchmarks' own Wine prefix.
source "$root/scripts/wine-prefix.sh"
heft_wine_prefix "$root/build/wine-bench" headless
export WINEDEBUG=-all

# --- the fixture, which the prefix sees as drive Q: ----------------------------
# Sparse files of assorted sizes, mostly ordinary files of a few types; one in
# a hundred is a program (a real one, hard-linked from the prefix), whose icon
# is its own, so the shell is asked about each of them.
fixture_version=3
if [ "$(cat "$fixture/.complete" 2>/dev/null)" != "$fixture_version" ]; then
    rm -rf "$fixture"
    python3 - "$fixture" "$WINEPREFIX/drive_c/windows/system32/notepad.exe" "$fixture_version" <<'PY'
import os, shutil, sys
root, program, version = sys.argv[1:4]
os.makedirs(root)
sample = os.path.join(root, ".program")
shutil.copyfile(program, sample)
kinds = [".txt", ".dat", ".log", ".jpg", ".bin", ".doc", ".csv", ".xml"]
for folder, count in (("f1k", 1000), ("f10k", 10000), ("f100k", 100000)):
    path = os.path.join(root, folder)
    os.makedirs(path)
    for i in range(count):
        if i % 100 == 7:
            os.link(sample, os.path.join(path, "file%06d.exe" % i))
            continue
        with open(os.path.join(path, "file%06d%s" % (i, kinds[i % len(kinds)])), "wb") as f:
            f.truncate((i * 7919) % 1000003)
with open(os.path.join(root, ".complete"), "w") as f:
    f.write(version)
PY
fi
ln -sfn "$fixture" "$WINEPREFIX/dosdevices/q:"

# Warm the page cache and the server before timing anything.
find "$fixture" >/dev/null
# (Wine's note that it cannot read the volume label of Z: is noise.)
"$wine" "$build/bench-win64/list_bench.exe" 2> >(grep -v "Read access denied" >&2) | tr -d '\r'
wineserver -w
