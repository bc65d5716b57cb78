#!/usr/bin/env bash
# Runs one Windows test executable under Wine; ctest starts every test through
# this script. It gives the executable
#   - the project's own test prefix build/wine-test, made on first use by
#     scripts/wine-prefix.sh, with Wine's null display driver: windows,
#     controls and GDI work without an X server;
#   - a persistent wineserver, so that each start costs well under a second;
#   - an empty build/fixtures folder for the fixture drives
#     (tests/common/FixtureDrive), removed again afterwards together with any
#     drive letter a crashed test left defined.
# Usage: tests/wine-run.sh program.exe [arguments...]
# HEFT_WINEDEBUG sets WINEDEBUG (default -all); HEFT_TEST_TIMEOUT the seconds
# after which a hanging executable is stopped (default 300); HEFT_BACKTRACE=1
# prints a backtrace if the executable crashes; HEFT_TEST_DPI (for example
# 144) runs it in a test prefix of its own, build/wine-test-dpiN, whose screen
# has that many pixels per inch (Wine's LogPixels setting).
# HEFT_HUGE_FOLDER_FILES=N prepares build/fixtures/huge with N empty files for
# tests that need a huge listing: made here in a moment, where through Wine
# every new name costs a search of the whole folder (50,000 take minutes).
set -u

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
fixtures="$build/fixtures"
source "$root/scripts/wine-prefix.sh"

dpi=${HEFT_TEST_DPI:-}
case "$dpi" in
    "") prefix="$build/wine-test" ;;
    *[!0-9]*) echo "wine-run: HEFT_TEST_DPI must be a number: $dpi" >&2; exit 2 ;;
    *) prefix="$build/wine-test-dpi$dpi" ;;
esac
export WINEDEBUG="${HEFT_WINEDEBUG:--all}"

if [ $# -lt 1 ]; then
    echo "usage: $0 program.exe [arguments...]" >&2
    exit 2
fi

mkdir -p "$build"
# One executable at a time owns the prefix's drive letters and the fixtures
# (ctest -j is safe, just not parallel).
exec 9>"$build/wine-test.lock"
if ! flock -w 1200 9; then
    echo "wine-run: the test prefix stayed busy for 20 minutes ($build/wine-test.lock)" >&2
    exit 1
fi

# Wine's processes outlive this script (the persistent server and its
# services): they must not inherit the lock.
detached() { "$@" 9>&-; }

aedebug='HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug'

clean_fixtures() {
    # Drive letters the mount manager made for fixtures of a test that ended
    # without removing them.
    local link
    for link in "$WINEPREFIX"/dosdevices/?:; do
        [ -L "$link" ] || continue
        case "$(readlink "$link")" in
            "$fixtures"/*) rm -f "$link" ;;
        esac
    done
    # A small volume a test mounted there and could not take away (it crashed).
    local mounted
    for mounted in $(awk -v under="$fixtures/" 'index($2, under) == 1 {print $2}' /proc/mounts); do
        umount -l "$mounted"
    done
    if [ -d "$fixtures" ]; then
        chmod -R u+rwx "$fixtures" 2>/dev/null
        rm -rf "$fixtures"
    fi
}

heft_wine_prefix "$prefix" headless "$dpi" || exit 1

# Starts the server unless it runs already; it stays 60 s after the last
# Wine process, long enough to serve the next test executable.
detached wineserver -p60 </dev/null >/dev/null 2>&1
# Wine's own services (services.exe, winedevice.exe, ...) start with the first
# process of a session and live as long as the server; they inherit that
# process's stderr. Started by a test executable, they would hold ctest's
# output pipe open (and ctest waiting) for the server's lifetime. A no-op
# process with no output starts them instead (0.1 s when already running).
detached "$wine" cmd /c exit </dev/null >/dev/null 2>&1

clean_fixtures
mkdir -p "$fixtures"
if [ -n "${HEFT_HUGE_FOLDER_FILES:-}" ]; then
    mkdir -p "$fixtures/huge"
    (cd "$fixtures/huge" && seq -f 'f%.0f' 1 "$HEFT_HUGE_FOLDER_FILES" | xargs touch)
fi
export HEFT_FIXTURES_UNIX="$fixtures"
export HEFT_FIXTURES="Z:${fixtures//\//\\}"

if [ -n "${HEFT_BACKTRACE:-}" ]; then
    detached "$wine" reg add "$aedebug" /v Debugger /d 'winedbg --auto %ld %ld' /f >/dev/null 2>&1
fi
detached timeout -k 10 "${HEFT_TEST_TIMEOUT:-300}" "$wine" "$@"
rc=$?
if [ -n "${HEFT_BACKTRACE:-}" ]; then
    detached "$wine" reg add "$aedebug" /v Debugger /d "" /f >/dev/null 2>&1
fi
if [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
    echo "wine-run: $1 did not finish within ${HEFT_TEST_TIMEOUT:-300} s; stopping it" >&2
    detached wineserver -k
fi

clean_fixtures
exit $rc
