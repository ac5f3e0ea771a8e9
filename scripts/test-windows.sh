#!/usr/bin/env bash
# Builds the 32-bit Windows tree with mingw-w64 and runs its tests under wine,
# headless under Xvfb, in a private throw-away wine prefix.
# Usage: scripts/test-windows.sh [BUILD_DIR] [ctest args...]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

if [ "${1:-}" = "--inside-xvfb" ]; then
    # Second stage, under xvfb-run: one wine prefix and one wine server for
    # the whole run.
    shift
    dir=$1; shift
    export WINEPREFIX
    WINEPREFIX=$(mktemp -d /tmp/exifview-wine.XXXXXX)
    export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    cleanup() {
        # wine's background processes inherit our output; end them all, or
        # they keep the caller's pipe (and CI) open.
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
        rm -rf "$WINEPREFIX"
    }
    trap cleanup EXIT

    echo "-- creating wine prefix $WINEPREFIX"
    # No Mono or Gecko prompts: both are disabled by the overrides above.
    wineboot -i >/dev/null 2>&1
    wineserver -w
    # Without a window manager, managed windows cost about 2 s per close.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    # A crash prints its backtrace and ends the process; wine's crash
    # dialog would wait for a click until the test's timeout.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    # wine does not look in its own font folder; without these "MS Sans
    # Serif" falls back to a wider font.
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
    wineserver -w
    # One server for all the tests, started before the first and kept alive
    # between them; a trivial program warms it up.
    wineserver -p
    timeout 120 wine cmd /c exit >/dev/null 2>&1 || true

    ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" --timeout 120 -LE 'theme_off|dpi144' "$@"

    # wine's default theme is on in a fresh prefix. The tests of a desktop
    # without visual styles need it off before their processes start
    # (uxtheme reads it once, at start), so they run apart, and the theme
    # is put back after them.
    echo "-- switching the prefix's theme off"
    wine reg import "Z:$(echo "$root/scripts/wine-theme-off.reg" | tr / '\\')" >/dev/null 2>&1
    EXIFVIEW_THEME_OFF=1 ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" --timeout 120 -L theme_off "$@"
    wine reg import "Z:$(echo "$root/scripts/wine-theme-on.reg" | tr / '\\')" >/dev/null 2>&1

    # The tests of a 144-dpi desktop likewise: the resolution is read once,
    # when a process starts.
    echo "-- setting the prefix to 144 dpi"
    wine reg import "Z:$(echo "$root/scripts/wine-dpi-144.reg" | tr / '\\')" >/dev/null 2>&1
    EXIFVIEW_DPI_144=1 ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" --timeout 120 -L dpi144 "$@"
    wine reg import "Z:$(echo "$root/scripts/wine-dpi-96.reg" | tr / '\\')" >/dev/null 2>&1
    exit 0
fi

dir=${1:-build-win}; [ $# -gt 0 ] && shift
scripts/ensure-packages.sh --i386 g++-mingw-w64-i686 libz-mingw-w64-dev wine wine32:i386 xvfb xauth fonts-wine googletest cmake make
# exifinfo.exe is compared with the native exifinfo.
scripts/build-native.sh build/native --target exifinfo >/dev/null
scripts/build-windows.sh "$dir" -DEXIFVIEW_NATIVE_EXIFINFO="$root/build/native/exifinfo"
# -a: a free display number; the screen is deep enough for 32-bit colour.
xvfb-run -a -s "-screen 0 1280x1024x24" "$root/scripts/test-windows.sh" --inside-xvfb "$dir" "$@"
