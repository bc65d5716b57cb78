#!/usr/bin/env bash
# The run command: installs what is missing, builds the 64-bit program and
# starts it under Wine on a folder of this machine, shown as drive H:.
#   ./run.sh [FOLDER]        FOLDER defaults to $HOME
# HEFT_OPEN gives the path the program is started with (default H:), for
# example H:\Photos, as Explorer's "Open in Heftscope" would.
# With a display ($DISPLAY) the program simply runs until it is closed.
# Without one it runs in a virtual X server, in Wine's virtual desktop; once
# the screen has settled, build/screenshot.png is written, its path printed,
# and the program is stopped. HEFT_SHOT_DELAY adds seconds of waiting before
# that screenshot; HEFT_SHOT_DPI (for example 144) first tells the window it
# moved to a monitor of that DPI; HEFT_SHOT_COMMANDS=32796 then gives the
# main window these command ids (commas between them: a listing to show);
# HEFT_SINCE=REPORT starts the program with "/since REPORT" (the drive then
# shows what changed since that folders report); HEFT_XVFB_DISPLAY picks the virtual
# server's display number (default: the first free one). HEFT_RUN_IMAGE=IMAGE,
# an NTFS image whose volume is mounted at FOLDER, lets the program read that
# volume raw.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
root=$(pwd)
source "$root/scripts/wine-prefix.sh"
export WINEPREFIX="$root/build/wine-run"
export WINEDEBUG="${HEFT_WINEDEBUG:--all}"
exe_windows="Z:${root//\//\\}\\build\\win64\\heftscope.exe"
helper_windows="Z:${root//\//\\}\\build\\win64\\wait_settled.exe"
screenshot="$root/build/screenshot.png"

# Second half of the headless case, started by xvfb-run below.
if [ "${1:-}" = "--inside-xvfb" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    since=()
    [ -n "${HEFT_SINCE:-}" ] && since=(/since "$HEFT_SINCE")
    "$wine" explorer /desktop=heft,1280x800 "$exe_windows" "${HEFT_OPEN:-H:}" "${since[@]}" >"$work/wine.log" 2>&1 &
    wine_pid=$!

    # The drive is open (a helper in the same desktop watches the windows),
    # then the screen has settled: not blank, and two screenshots two seconds
    # apart are identical.
    "$wine" "$helper_windows" heft 600 ${HEFT_SHOT_DPI:-} >>"$work/wine.log" 2>&1 ||
        echo "run: the drive did not finish opening within 600 s" >&2
    deadline=$((SECONDS + 120))
    previous=""
    settled=0
    while [ $SECONDS -lt $deadline ]; do
        sleep 2
        import -window root "$work/shot.png" 2>/dev/null || continue
        colours=$(identify -format '%k' "$work/shot.png" 2>/dev/null || echo 0)
        [ "$colours" -gt 16 ] || continue
        current=$(identify -format '%#' "$work/shot.png" 2>/dev/null || true)
        if [ "$current" = "$previous" ]; then
            settled=1
            break
        fi
        previous=$current
    done
    [ $settled -eq 1 ] || echo "run: the screen did not settle within 120 s; taking the screenshot anyway" >&2
    sleep "${HEFT_SHOT_DELAY:-0}"
    mkdir -p "$(dirname "$screenshot")"
    import -window root "$screenshot"

    wineserver -k 2>/dev/null || true
    wait "$wine_pid" 2>/dev/null || true
    exit 0
fi

folder=${1:-$HOME}
if [ ! -d "$folder" ]; then
    echo "run: no such folder: $folder" >&2
    exit 1
fi
folder=$(cd -- "$folder" && pwd -P)

bash scripts/setup.sh
cmake -S "$root" -B build/win64 -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
cmake --build build/win64 -j2 --target heftscope wait_settled

# The run prefix: like the test prefix, but with Wine's ordinary X11 driver
# and the fonts a user would see on Windows.
heft_wine_prefix "$root/build/wine-run" desktop
# The folder is drive H: of the Windows program. With HEFT_RUN_IMAGE naming an
# NTFS image whose volume is mounted at FOLDER, "\\.\H:" reads that image, so
# the program searches the drive through its master file table.
ln -sfn "$folder" "$WINEPREFIX/dosdevices/h:"
if [ -n "${HEFT_RUN_IMAGE:-}" ]; then
    ln -sfn "$(realpath "$HEFT_RUN_IMAGE")" "$WINEPREFIX/dosdevices/h::"
else
    rm -f "$WINEPREFIX/dosdevices/h::"
fi

if [ -n "${DISPLAY:-}" ]; then
    since=()
    [ -n "${HEFT_SINCE:-}" ] && since=(/since "$HEFT_SINCE")
    exec "$wine" "$exe_windows" "${HEFT_OPEN:-H:}" "${since[@]}"
fi

display_choice=(-a)
[ -n "${HEFT_XVFB_DISPLAY:-}" ] && display_choice=(-n "$HEFT_XVFB_DISPLAY")
xvfb-run "${display_choice[@]}" -s "-screen 0 1280x800x24 -nolisten tcp" bash "$root/run.sh" --inside-xvfb
echo "$screenshot"
