#!/usr/bin/env bash
# The test command: installs what is missing, builds the 64-bit and the 32-bit
# Windows program with all test executables, runs the pure-logic tests
# natively under AddressSanitizer and UBSan and once more as 32-bit code under
# UBSan, then every test executable under Wine with no display. The last lines
# are the CTest summary of the Wine run; the exit code is non-zero if anything
# failed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
root=$(pwd)

bash scripts/setup.sh

build() {  # build FOLDER [cmake options...]
    local dir=$1
    shift
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug "$@" >/dev/null
    cmake --build "$dir" -j2
}

build build/win64 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake"
build build/win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
build build/native
build build/native32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/linux-i386.cmake"

native_rc=0
(cd build/native && ctest --output-on-failure) || native_rc=$?
(cd build/native32 && ctest --output-on-failure) || native_rc=$?

wine_rc=0
(cd build/win64 && ctest --output-on-failure) || wine_rc=$?
# The wrapper's persistent wineserver would linger another minute.
for prefix in "$root"/build/wine-test "$root"/build/wine-test-dpi*; do
    [ -d "$prefix" ] && { WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true; }
done

if [ $wine_rc -ne 0 ]; then
    exit $wine_rc
fi
exit $native_rc
