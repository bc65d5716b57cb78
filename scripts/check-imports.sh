#!/usr/bin/env bash
# Checks that a Windows program imports nothing that Windows 7 SP1 lacks.
#   scripts/check-imports.sh OBJDUMP CXX PROGRAM.exe
# Every function the program imports from a system library (the C runtime,
# msvcrt.dll, aside) must be declared by the MinGW-w64 headers when they are
# told the target is Windows 7: the headers declare a function of a later
# Windows only for that later target. A function of a later Windows is to be
# looked up at run time (GetProcAddress), with a fallback. The headers leave a
# few Windows 8 functions of kernel32 unguarded, ones a C++ runtime is apt to
# use; they are named here. The build runs this on the program of each
# architecture.
set -euo pipefail
windows8_unguarded="GetSystemTimePreciseAsFileTime WaitOnAddress WakeByAddressSingle WakeByAddressAll
    CopyFile2 GetOverlappedResultEx SetThreadpoolTimerEx SetThreadpoolWaitEx SetDefaultDllDirectories"
objdump=$1 cxx=$2 program=$3

imports=$("$objdump" -p "$program" | awk '
    /DLL Name:/ { dll = tolower($3); next }
    /^\t[0-9a-f]+\t +[0-9]+  [A-Za-z_]/ { if (dll != "msvcrt.dll") print $3 }' | sort -u)
if [ -z "$imports" ]; then
    echo "check-imports: no imports read from $program" >&2
    exit 1
fi

later=""
for name in $windows8_unguarded; do
    grep -qx "$name" <<<"$imports" && later="$later $name"
done
if [ -n "$later" ]; then
    echo "check-imports: $program imports functions that Windows 7 SP1 does not have:$later" >&2
    exit 1
fi

probe=$(mktemp --suffix=.cpp)
trap 'rm -f "$probe"' EXIT
{
    echo '#include <windows.h>'
    for header in commctrl.h commdlg.h shellapi.h shlobj.h shlwapi.h winspool.h objbase.h winternl.h; do
        echo "#include <$header>"
    done
    echo 'void Probe() {'
    for name in $imports; do echo "    (void)&$name;"; done
    echo '}'
} >"$probe"

if ! errors=$("$cxx" -fsyntax-only -x c++ -DWINVER=0x0601 -D_WIN32_WINNT=0x0601 -D_WIN32_IE=0x0700 \
    -DNTDDI_VERSION=0x06010000 -DUNICODE -D_UNICODE "$probe" 2>&1); then
    echo "check-imports: $program imports functions that Windows 7 SP1 does not have:" >&2
    grep -o "[A-Za-z_0-9]\+[^A-Za-z_0-9 ]* was not declared" <<<"$errors" | sed 's/[^A-Za-z_0-9].*//' |
        sort -u >&2 || echo "$errors" >&2
    exit 1
fi
echo "check-imports: $(wc -w <<<"$imports") functions, all in Windows 7 SP1: $program"
