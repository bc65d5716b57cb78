#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running
# Heftscope need: only those that are missing, so that a prepared machine
# spends no time here. Needs root (or sudo) when something is missing.
set -euo pipefail

packages=(
    g++-mingw-w64-x86-64 g++-mingw-w64-i686   # the Windows compilers (-posix variants)
    cmake ninja-build python3                 # build; python3 draws the bitmaps
    libgtest-dev                              # GoogleTest sources, built per target
    g++                                       # the native sanitizer build of the pure logic
    wine wine64                               # runs the 64-bit program and the tests
    xvfb xauth x11-utils imagemagick          # run.sh without a display: screenshot
    fonts-wine fonts-wqy-microhei             # run.sh's Wine prefix: Wine's own fonts; CJK glyphs
    nsis zip                                  # the installers and the portable zips
    cups cups-bsd printer-driver-cups-pdf     # a printer for the printing tests: a PDF queue
    poppler-utils                             # pdftotext and pdfinfo read its PDF files back
    ntfs-3g                                   # NTFS test volumes: mkntfs formats an image, ntfs-3g mounts it
)

installed() {
    [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]
}

missing=()
for package in "${packages[@]}"; do
    installed "$package" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null; then
        sudo=(sudo)
    else
        echo "setup: these packages are missing and installing them needs root: ${missing[*]}" >&2
        exit 1
    fi
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}" </dev/null
