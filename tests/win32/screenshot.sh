#!/bin/bash
# Shows the configuration dialog under Xvfb and keeps a picture of it for reviewers.
# Usage: tests/win32/screenshot.sh WIN_BUILD_DIR OUTPUT.png win32|win64
set -euo pipefail
win=$(cd "$1" && pwd)
output=$2
mkdir -p "$(dirname "$output")"
output=$(cd "$(dirname "$output")" && pwd)/$(basename "$output")
export WINEPREFIX="$win/wineprefix-x11" WINEDEBUG=-all WIN="$win" OUTPUT="$output"
case "${3:-win32}" in
    win32) export WINE=/usr/lib/wine/wine WINEARCH=win32 ;;
    *) export WINE=/usr/lib/wine/wine64 WINEARCH=win64 ;;
esac
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml=;winedbg.exe=d;winhlp32.exe=d"

xvfb-run -a -s "-screen 0 800x600x24" bash -c '
    set -e
    wine=$WINE
    if [ ! -f "$WINEPREFIX/user.reg" ]; then
        "$wine" wineboot -i < /dev/null > /dev/null 2>&1
        /usr/lib/wine/wineserver -w
        # No window manager here: let Wine draw the caption itself.
        printf "\n[Software\\\\Wine\\\\X11 Driver]\n\"Managed\"=\"N\"\n" >> "$WINEPREFIX/user.reg"
    fi
    shots=$(mktemp -d)
    export PATHLET_SHOT_DIR="Z:$(echo "$shots" | tr / "\\\\")"
    (cd "$WIN/wine" && "$wine" WineHost.exe configure 2 1 < /dev/null > "$shots/host.txt" 2>&1) &
    for _ in $(seq 500); do [ -e "$shots/up" ] && break; sleep 0.05; done
    sleep 0.5
    import -window root "$shots/screen.png"
    touch "$shots/done"
    wait
    /usr/lib/wine/wineserver -k || true
    convert "$shots/screen.png" -trim +repage "$OUTPUT"
    rm -rf "$shots"
'
echo "Dialog picture: $output"
