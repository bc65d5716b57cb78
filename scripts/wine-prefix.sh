# The project's Wine prefixes, made in one place. Sourced by run.sh,
# tests/wine-run.sh and the benchmark scripts, then:
#   heft_wine_prefix PREFIX headless [DPI]   tests and benchmarks
#   heft_wine_prefix PREFIX desktop          run.sh
# Exports WINEPREFIX=PREFIX and the settings every Wine process of the project
# runs with, and makes the prefix on first use:
#   headless: Wine's null display driver (windows, controls and GDI work
#             without an X server), no crash dialog and no debugger (which
#             hangs when it attaches to a process with a corrupted heap); DPI
#             (for example 144) sets the screen's pixels per inch;
#   desktop:  Wine's ordinary X11 driver, with the fonts a user would see on
#             Windows (see heft_install_fonts).
# Every Wine command here closes file descriptor 9, the test wrapper's lock,
# which Wine's lasting processes must not inherit.
wine=/usr/lib/wine/wine64
heft_prefix_marker=.heft-prefix-v3

heft_wine_quiet() { "$wine" "$@" </dev/null >/dev/null 2>&1 9>&-; }

# - Wine's own fonts (Tahoma for the interface, Marlett for the caption
#   buttons, the bitmap fonts), from Debian's fonts-wine: this Wine looks for
#   them under a folder that does not exist, and draws the interface in
#   whatever font comes closest, the caption buttons as the letters "0 1 r";
# - CJK names in glyphs rather than boxes: Wine links the interface fonts to
#   the faces "MS UI Gothic", "SimSun", "Gulim" and "PMingLiU" for the glyphs
#   they lack; those name Debian's WenQuanYi Micro Hei here (scripts/setup.sh
#   installs it), which has Chinese, Japanese and Korean glyphs.
heft_install_fonts() {
    local font face
    for font in /usr/share/wine/fonts/*; do
        [ -e "$font" ] || continue
        ln -sfn "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
    done
    for face in "MS UI Gothic" SimSun Gulim PMingLiU; do
        heft_wine_quiet reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
            /v "$face" /d "WenQuanYi Micro Hei" /f
    done
}

heft_wine_prefix() {  # PREFIX headless|desktop [DPI]
    local kind=$2 dpi=${3:-}
    export WINEPREFIX=$1
    # Wine would offer to download its .NET and HTML engines; there is no network.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    [ "$kind" = headless ] && unset DISPLAY WAYLAND_DISPLAY
    [ -f "$WINEPREFIX/$heft_prefix_marker" ] && return 0

    echo "wine-prefix: creating the Wine prefix $WINEPREFIX" >&2
    # A server still running for an older prefix of this name goes first.
    if [ -d "$WINEPREFIX" ]; then wineserver -k 9>&- 2>/dev/null || true; fi
    rm -rf "$WINEPREFIX"
    heft_wine_quiet wineboot -i
    wineserver -w 9>&-
    if [ "$kind" = headless ]; then
        heft_wine_quiet reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
        heft_wine_quiet reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
        heft_wine_quiet reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d "" /f
        if [ -n "$dpi" ]; then
            heft_wine_quiet reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
        fi
    else
        heft_install_fonts
    fi
    wineserver -w 9>&-
    if [ "$kind" = headless ]; then
        if ! grep -q '"Graphics"="null"' "$WINEPREFIX/user.reg" 2>/dev/null ||
            { [ -n "$dpi" ] && ! grep -q "\"LogPixels\"=dword:$(printf '%08x' "$dpi")" "$WINEPREFIX/user.reg"; }; then
            echo "wine-prefix: could not create the Wine prefix $WINEPREFIX" >&2
            return 1
        fi
    fi
    touch "$WINEPREFIX/$heft_prefix_marker"
}
