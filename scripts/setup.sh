#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and running
# Heftscope need: only those that are missing, so that a prepared machine
# spends no time here. Then makes sure 32-bit Linux programs run, for the
# 32-bit build of the pure-logic tests: where the kernel refuses them, through
# the user-mode emulator registered for them. Needs root (or sudo) when
# something is missing.
set -euo pipefail

packages=(
    g++-mingw-w64-x86-64 g++-mingw-w64-i686   # the Windows compilers (-posix variants)
    cmake ninja-build python3                 # build; python3 draws the bitmaps
    libgtest-dev                              # GoogleTest sources, built per target
    g++                                       # the native sanitizer build of the pure logic
    g++-multilib                              # ... and its 32-bit build
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

as_root() {  # as_root WHAT COMMAND...: runs COMMAND as root, or says that WHAT needs root
    local what=$1
    shift
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null; then
        sudo "$@"
    else
        echo "setup: $what needs root" >&2
        exit 1
    fi
}

install_missing() {  # install_missing PACKAGE...
    local missing=() package
    for package in "$@"; do
        installed "$package" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "setup: installing ${missing[*]}"
    as_root "installing these missing packages (${missing[*]})" apt-get update -q
    as_root "installing ${missing[*]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}" </dev/null
}

install_missing "${packages[@]}"

# --- 32-bit programs ------------------------------------------------------
# A kernel built without 32-bit support refuses them (Exec format error).
# There qemu's user-mode emulator runs them, once binfmt_misc hands it every
# i386 ELF executable; Debian's package registers no i386 entry on an x86-64
# host, so it is registered here. Flag F opens the emulator now, so the entry
# works wherever the program runs. The registration lasts until a reboot.
runs_32bit() {
    local dir
    dir=$(mktemp -d)
    echo 'int main() { return 0; }' >"$dir/probe.cpp"
    g++ -m32 -o "$dir/probe" "$dir/probe.cpp" && "$dir/probe" 2>/dev/null
    local rc=$?
    rm -rf "$dir"
    return $rc
}

runs_32bit && exit 0

install_missing qemu-user-static
binfmt=/proc/sys/fs/binfmt_misc
if [ ! -e "$binfmt/register" ]; then
    as_root "mounting binfmt_misc for 32-bit programs" mount -t binfmt_misc binfmt_misc "$binfmt"
fi
write_as_root() {  # write_as_root WHAT TEXT FILE
    as_root "$1" sh -c 'printf "%s" "$1" >"$2"' sh "$2" "$3"
}
if [ ! -e "$binfmt/qemu-i386" ]; then
    # The ELF header of an i386 program: 32-bit little-endian of version 1,
    # any OS ABI, executable or position-independent (type 2 or 3), machine 3.
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xff\xff\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    # A run beside this one may register it first: the write then fails, and the entry is there.
    write_as_root "registering the emulator for 32-bit programs" \
        ":qemu-i386:M::$magic:$mask:/usr/bin/qemu-i386-static:F" "$binfmt/register" || true
    if [ ! -e "$binfmt/qemu-i386" ]; then
        echo "setup: the emulator for 32-bit programs could not be registered ($binfmt/register)" >&2
        exit 1
    fi
elif [ "$(head -n1 "$binfmt/qemu-i386")" != enabled ]; then
    write_as_root "enabling the emulator for 32-bit programs" 1 "$binfmt/qemu-i386"
fi
if ! runs_32bit; then
    echo "setup: 32-bit programs do not run, even through the emulator registered in $binfmt/qemu-i386" >&2
    exit 1
fi
