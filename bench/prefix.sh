# Sourced by the benchmark scripts: the benchmarks' own Wine prefix
# (build/wine-bench), with the null display driver and no crash dialog, made
# once. Expects $root (the repository).
export WINEPREFIX="$root/build/wine-bench"
export WINEDEBUG=-all
# Wine would offer to download its .NET and HTML engines; there is no network.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
wine=/usr/lib/wine/wine64
if [ ! -f "$WINEPREFIX/.heft-prefix-ready" ]; then
    rm -rf "$WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1
    wineserver -w
    "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.heft-prefix-ready"
fi
