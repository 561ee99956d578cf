#!/bin/bash
# Runs Pathlet.dll under Wine with fake HotSync libraries and checks the HotSync cases, processor
# faults, every ANSI code page, the configuration dialog, the language library checks, the version
# blocks and the installer. win32 (the product, under 32-bit Wine) or win64 (under wine64).
# Usage: tests/win32/run_wine_tests.sh WIN_BUILD_DIR NATIVE_BUILD_DIR win32|win64
set -uo pipefail
win=$(cd "$1" && pwd)
native=$(cd "$2" && pwd)
arch=${3:-win32}
harness="$win/wine"
work=$(mktemp -d)
failures=0
export WINEPREFIX="$win/wineprefix" WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml=;winedbg.exe=d;winhlp32.exe=d"
case "$arch" in
    win32) wine=/usr/lib/wine/wine; export WINEARCH=win32 ;;
    win64) wine=/usr/lib/wine/wine64; export WINEARCH=win64 ;;
    *) echo "unknown architecture $arch"; exit 2 ;;
esac
wineserver=/usr/lib/wine/wineserver
unset DISPLAY
echo "Wine tests of $win ($arch)"

cleanup() { "$wineserver" -k 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

winpath() { echo "Z:$1" | tr / '\\'; }
pass() { echo "  ok   $1"; }
fail() { echo "  FAIL $1"; failures=$((failures + 1)); }
expect() { # expect NAME TEXT PATTERN: TEXT matches the extended regular expression PATTERN
    if [[ "$2" =~ $3 ]]; then pass "$1"; else fail "$1"; echo "$2" | sed 's/^/       | /'; fi
}

# A prefix whose windows need no display ("Graphics"="null"), made once per build directory.
if [ ! -f "$WINEPREFIX/user.reg" ]; then
    "$wine" wineboot -i < /dev/null > /dev/null 2>&1
    "$wineserver" -w
    printf '\n[Software\\\\Wine\\\\Drivers]\n"Graphics"="null"\n' >> "$WINEPREFIX/user.reg"
fi
# Warm the server with every output redirected, so that no Wine helper holds our pipes.
"$wineserver" -p
"$wine" wineboot < /dev/null > /dev/null 2>&1

# HOST_LOCALE, when set, is the system locale the Windows host sees.
host() { (cd "$1" && timeout 120 env ${HOST_LOCALE:+LC_ALL=$HOST_LOCALE} "$wine" WineHost.exe "${@:2}" 2>/dev/null | tr -d '\r'); }

echo "Wine: foundation"
cp "$win/tests/win32/Pathlet_LANG_23110.dll" "$harness/Version23110.dll"
units=$(cd "$harness" && timeout 60 "$wine" WinUnits.exe Version23110.dll 2>/dev/null | tr -d '\r')
expect "the system's error text for code 5" "$units" 'ok error text of code 5: Windows Error Code: 5'
expect "no version block raises line 29; 2.3.1.10 reads whole" "$units" 'ok a file without a version block raises line 29.*ok version 2.3.1.10'
expect "a caller's values survive a translated fault" "$units" 'ok a caller.s values survive a translated fault'
expect "the default locale from the system" "$units" 'default locale ENU_United States\.1252.ok the default locale'
if [[ "$units" == *FAIL* ]]; then fail "foundation checks under Wine"; fi

echo "Wine: HotSync cases"
mkdir -p "$work/root/alice/Pathlet" "$work/out"
cat > "$work/tracks.txt" <<'TRACKS'
log "Lake loop" color=3 flags=time,alt per-record=40
point 46.5 7.25 t=1000 alt=400
point 46.5001 7.2501 t=1003 alt=401.5
point 46.5002 7.2503 t=1006 alt=402
log "ACTIVE LOG" color=9 flags=time,alt,aux per-record=2
point 46.6 7.3 t=2000 alt=500 aux=1
point 46.6001 7.3 t=2010 alt=501 aux=2 seg
point 46.6002 7.3 t=2020 alt=502 aux=3
TRACKS
"$native/pathlet-pdbgen" describe "$work/tracks.txt" -o "$work/TrackDB.pdb"
"$native/pathlet-pdbgen" synth --logs 1 --points 10 -o "$work/Other.pdb" > /dev/null
sed -i 's/TrackDB/OtherDB/' "$work/Other.pdb" 2>/dev/null || true

export PATHLET_FAKE_ROOT PATHLET_FAKE_OUT PATHLET_FAKE_HANDHELD
PATHLET_FAKE_ROOT=$(winpath "$work/root")
PATHLET_FAKE_OUT=$(winpath "$work/out")
PATHLET_FAKE_HANDHELD=$(winpath "$work/TrackDB.pdb")
tlx="$work/root/alice/Pathlet/Tracks.tlx"

run() { rm -f "$work/out/log.txt" "$work/out/settings.txt"; result=$(host "$harness" hotsync "$@"); log=$(cat "$work/out/log.txt" 2>/dev/null); }
# Every call so far made as the platform's prototypes expect it.
calls_as_published() {
    if [ -s "$work/out/violations.txt" ]; then fail "$1"; sed 's/^/       | /' "$work/out/violations.txt"; : > "$work/out/violations.txt"
    else pass "$1"; fi
}

run Alice 2
expect "a good run returns 0" "$result" '^result 0$'
expect "a good run logs start and finish" "$log" $'^19  \\(0\\)\n20 Pathlet \\(0\\)$'
expect "the path is recorded in the user's settings" "$(cat "$work/out/settings.txt")" '^1 \[Pathlet\] FileName=Z:.*\\alice\\Pathlet\\Tracks.tlx$'
# The same handheld through the native build: the same bytes (every point has a time).
"$native/pathlet" users add Alice --dir alice --root "$work/native" > /dev/null
"$native/pathlet" hotsync --handheld "$work/TrackDB.pdb" --root "$work/native" --user Alice > /dev/null
if cmp -s "$tlx" "$work/native/alice/Pathlet/Tracks.tlx"; then pass "Tracks.tlx is byte-identical to the native build's"; else fail "Tracks.tlx differs from the native build's"; fi
calls_as_published "the HotSync libraries were called as their prototypes say"

run Nobody 2
expect "an unknown user fails with -1" "$result" '^result -1$'
expect "an unknown user's failure line" "$log" $'21 Pathlet \\(0\\)\n22 SETTINGS.H-69-2.3\\\\nUser Data Error \\(0\\)'

echo "old" > "$tlx"
PATHLET_FAKE_HANDHELD=$(winpath "$work/Other.pdb") run Alice 2
expect "no TrackDB returns the Sync Manager's code" "$result" '^result 16388$'
expect "no TrackDB names PalmDatabase line 64" "$log" '22 PALMDATABASE.CPP-64-2.3 \(0\)'
expect "no TrackDB leaves the file untouched" "$(cat "$tlx")" '^old$'

rm -f "$tlx"
run Alice 6
expect "sync type 6 returns 0" "$result" '^result 0$'
expect "sync type 6 logs start and finish" "$log" $'^19  \\(0\\)\n20 Pathlet \\(0\\)$'
if [ -e "$tlx" ]; then fail "sync type 6 writes no file"; else pass "sync type 6 writes no file"; fi

rm -rf "$work/root/alice/Pathlet"
run Alice 2
expect "a missing directory fails with -1" "$result" '^result -1$'
expect "a missing directory names Conduit line 123" "$log" '22 CONDUIT.CPP-123-2.3 \(0\)$'

echo "Wine: names in a double-byte code page (a Japanese locale gives code page 932)"
mkdir -p "$work/root/alice/Pathlet"
cat > "$work/names.txt" <<'NAMES'
log "\x82\xa0" flags=time
point 1 1 t=1
log "a" flags=time
point 1 1 t=2
log "\x82\xa0X" flags=time
point 1 1 t=3
log "\x82\xa0x" flags=time
point 1 1 t=4
NAMES
"$native/pathlet-pdbgen" describe "$work/names.txt" -o "$work/Names.pdb"
saved_handheld=$PATHLET_FAKE_HANDHELD
PATHLET_FAKE_HANDHELD=$(winpath "$work/Names.pdb")
HOST_LOCALE=ja_JP.UTF-8
expect "Wine reports code page 932" "$(host "$harness" locale)" 'code page 932$'
run Alice 2
HOST_LOCALE=
PATHLET_FAKE_HANDHELD=$saved_handheld
expect "a HotSync in code page 932 succeeds" "$result" '^result 0$'
"$native/pathlet" hotsync --handheld "$work/Names.pdb" --root "$work/native" --user Alice --codepage 932 > /dev/null
if cmp -s "$tlx" "$work/native/alice/Pathlet/Tracks.tlx"; then
    pass "names order as in the native build in code page 932"
else
    fail "names order differently from the native build in code page 932"
fi
"$native/pathlet" hotsync --handheld "$work/Names.pdb" --root "$work/native" --user Alice --codepage 1252 > /dev/null
if cmp -s "$tlx" "$work/native/alice/Pathlet/Tracks.tlx"; then
    fail "code page 932 and 1252 give different orders"
else
    pass "code page 932 and 1252 give different orders"
fi

echo "Wine: a processor fault inside the conduit"
rm -f "$work/out/log.txt"
result=$(host "$harness" fault Alice)
log=$(cat "$work/out/log.txt" 2>/dev/null)
expect "a fault ends the run with -1 and the host goes on" "$result" $'^fault result -1\nresult 0$'
expect "the fault is logged as start, abort and failure line" "$log" \
    $'^19  \\(0\\)\n21 Pathlet \\(0\\)\n22 CONDUIT.CPP-123-2.3 \\(0\\)\n19  \\(0\\)\n20 Pathlet \\(0\\)$'

echo "Wine: every ANSI code page (the system locale chooses it)"
# names_handheld CODEPAGE FILE NAME...: a handheld with one log per name, the names in that code page.
names_handheld() {
    local codepage=$1 file=$2 t=1
    shift 2
    : > "$work/names-$codepage.txt"
    for name in "$@"; do
        local escaped
        escaped=$(printf '%s' "$name" | iconv -f UTF-8 -t "CP$codepage" | od -An -tx1 -v | tr -s ' \n' ' ' | sed 's/ *$//; s/ /\\x/g')
        printf 'log "%s" flags=time\npoint 1 1 t=%d\n' "$escaped" "$t" >> "$work/names-$codepage.txt"
        t=$((t + 1))
    done
    "$native/pathlet-pdbgen" describe "$work/names-$codepage.txt" -o "$file" > /dev/null
}
saved_handheld=$PATHLET_FAKE_HANDHELD
while IFS='|' read -r locale codepage names; do
    read -r -a list <<< "$names"
    names_handheld "$codepage" "$work/Names-$codepage.pdb" "${list[@]//_/ }"
    PATHLET_FAKE_HANDHELD=$(winpath "$work/Names-$codepage.pdb")
    HOST_LOCALE=$locale
    expect "$locale: Wine reports code page $codepage" "$(host "$harness" locale)" "code page $codepage\$"
    run Alice 2
    HOST_LOCALE=
    expect "$locale: the module loads and the HotSync succeeds" "$result" '^result 0$'
    "$native/pathlet" hotsync --handheld "$work/Names-$codepage.pdb" --root "$work/native" --user Alice \
        --codepage "$codepage" > /dev/null
    if cmp -s "$tlx" "$work/native/alice/Pathlet/Tracks.tlx"; then
        pass "$locale: the same bytes as the native build with --codepage $codepage"
    else
        fail "$locale: the bytes differ from the native build with --codepage $codepage"
        cp "$tlx" "${KEEP_DIFFERENCES:-/dev/null}/$codepage-windows.tlx" 2>/dev/null
        cp "$work/native/alice/Pathlet/Tracks.tlx" "${KEEP_DIFFERENCES:-/dev/null}/$codepage-native.tlx" 2>/dev/null
    fi
done <<'LOCALES'
ru_RU.UTF-8|1251|Озеро ОЗЕРО ёлка Ёлка Арбат_2 арбат
pl_PL.UTF-8|1250|Łódź ŁÓDŹ źródło Źródło Kraków_2 KRAKÓW
el_GR.UTF-8|1253|Λίμνη ΛΊΜΝΗ σπίτι ΣΠΊΤΙ Ωμέγας ωμέγας
tr_TR.UTF-8|1254|Işık IŞIK istanbul İstanbul Çay çay
he_IL.UTF-8|1255|שלום ירושלים Tel_Aviv tel_aviv שלום_2
th_TH.UTF-8|874|กรุงเทพ เชียงใหม่ Bangkok BANGKOK
ja_JP.UTF-8|932|東京 とうきょう Tokyo TOKYO ｶﾀｶﾅ 東京_2
zh_CN.UTF-8|936|北京 上海 Beijing BEIJING 北京_2
ko_KR.UTF-8|949|서울 부산 Seoul SEOUL 서울_2
zh_TW.UTF-8|950|臺北 高雄 Taipei TAIPEI 臺北_2
LOCALES
PATHLET_FAKE_HANDHELD=$saved_handheld

echo "Wine: information and configuration"
expect "information entry points" "$(host "$harness" info)" $'name Pathlet version 0x101\nkind0 0 Pathlet\nkind1 0 0x600\nkind2 0 2\nnulls 0x1071'
expect "CfgConduit checks its arguments in order" "$(host "$harness" cfgargs)" '^0x1074 0x1078 0x107a 0x1079 0x107b $'
expect "initial action 2 selects 1012; OK keeps it" "$(host "$harness" configure 2 1)" \
    $'controls: 1012=1 1013=0 1016=0 picture1023=set picture1025=set\nresult 0 action 2 preference 2'
expect "initial action 6 selects 1013" "$(host "$harness" configure 6 1)" $'1012=0 1013=1 1016=0.*\nresult 0 action 6 preference 2'
expect "initial action 0 selects 1012" "$(host "$harness" configure 0 1)" $'1012=1 1013=0.*\nresult 0 action 2 preference 2'
expect "do nothing, as the default" "$(host "$harness" configure 2 1013 1016 1)" 'result 0 action 6 preference 1'
expect "the check box set and cleared again" "$(host "$harness" configure 2 1016 1016 1)" 'result 0 action 2 preference 2'
expect "Cancel writes nothing" "$(host "$harness" configure 2 1013 2)" 'result 0 action -1 preference -1'
expect "help without a help file shows the library's text" "$(host "$harness" configure 2 1014 1)" \
    $'message: Help for Pathlet is not installed on this computer.\nresult 0 action 2 preference 2'

echo "Wine: language library"
for variant in missing 2300 2311; do
    dir="$work/lang-$variant"
    mkdir -p "$dir"
    cp "$harness"/{WineHost.exe,Pathlet.dll,HSLOG20.dll} "$dir/"
    [ "$variant" = missing ] || cp "$win/tests/win32/Pathlet_LANG_$variant.dll" "$dir/Pathlet_LANG.dll"
    expect "language library $variant: the message and no load" "$(host "$dir" load)" \
        $'message: Incorrect or missing language dll file. Please reinstall Pathlet_LANG.dll.\nload failed: 1114'
done
expect "the right language library loads" "$(host "$harness" load)" '^loaded$'

echo "Wine: version blocks"
expect "Pathlet.dll's version block" "$(host "$harness" version Pathlet.dll)" \
    $'file 2.3.1.0 product 2.3.1.0 mask 0x3f flags 0x20 os 0x4 type 0x2\nFileDescription=Pathlet\nInternalName=Pathlet\nProductName=Pathlet\nFileVersion=2.3\nProductVersion=2.3\nOriginalFilename=Pathlet.dll'
expect "Pathlet_LANG.dll's file version" "$(host "$harness" version Pathlet_LANG.dll)" '^file 2.3.1.0 '

echo "Wine: the installer"
setup="$work/setup" hotsync="$work/hotsync" cm="$work/cm"
mkdir -p "$setup" "$hotsync" "$cm" "$work/bare"
cp "$harness"/{PathletSetup.exe,Pathlet.dll,Pathlet_LANG.dll,CONDMGR.dll} "$setup/"
cp "$harness"/{WineHost.exe,HSLOG20.dll,SYNC20.dll,UserData.dll,CONDMGR.dll} "$hotsync/"
cp "$harness/PathletSetup.exe" "$work/bare/"
: > "$cm/conduits.txt"
export PATHLET_FAKE_HOTSYNC_EXE
PATHLET_FAKE_HOTSYNC_EXE="$(winpath "$hotsync")\\HotSync.exe"
setup_run() { # setup_run DIR ARGS...: prints the output and "exit N"
    local output status
    output=$(cd "$1" && PATHLET_FAKE_OUT=$(winpath "$cm") timeout 60 "$wine" PathletSetup.exe "${@:2}" 2>&1 < /dev/null)
    status=$?
    printf '%s\nexit %d' "$(echo "$output" | tr -d '\r')" "$status"
}
registry() { tr -d '\r' < "$cm/conduits.txt" | sort | tr '\t' ' '; }
expected_registry=$'VTRK directory Pathlet\nVTRK name Pathlet.dll\nVTRK remote TrackDB\nVTRK title Pathlet\nVTRK type 1'

expect "install copies the pair and registers VTRK" "$(setup_run "$setup" install)" $'^Pathlet installed in .*hotsync \\(creator VTRK\\)\\. Restart HotSync Manager to use it\\.\nexit 0$'
expect "the registration holds the module, directory, title and database" "$(registry)" "^$expected_registry\$"
expect "the Conduit Manager was called in order, with the published arguments" "$(cat "$cm/condmgr.txt")" \
    $'^CmGetHotSyncExecPath\nCmInstallCreator VTRK 1\nname VTRK Pathlet.dll\ndirectory VTRK Pathlet\ntitle VTRK Pathlet\nremote VTRK TrackDB$'
if cmp -s "$hotsync/Pathlet.dll" "$harness/Pathlet.dll" && cmp -s "$hotsync/Pathlet_LANG.dll" "$harness/Pathlet_LANG.dll"; then
    pass "both libraries lie in HotSync Manager's folder"
else
    fail "both libraries lie in HotSync Manager's folder"
fi
expect "a second install is harmless" "$(setup_run "$setup" install)" $'installed.*\nexit 0$'
expect "the registration is unchanged" "$(registry)" "^$expected_registry\$"
expect "status shows the files and the registration" "$(setup_run "$setup" status)" \
    $'^HotSync Manager: .*hotsync\nPathlet.dll: 2.3.1.0\nPathlet_LANG.dll: 2.3.1.0\ncreator VTRK: Pathlet.dll\nexit 0$'
rm -f "$tlx" "$cm/log.txt"
installed=$(cd "$hotsync" && PATHLET_FAKE_OUT=$(winpath "$cm") timeout 120 "$wine" WineHost.exe hotsync Alice 2 2>/dev/null | tr -d '\r')
expect "a HotSync through the installed copy succeeds" "$installed" '^result 0$'
if cmp -s "$tlx" "$work/native/alice/Pathlet/Tracks.tlx" || [ -s "$tlx" ]; then pass "the installed copy wrote Tracks.tlx"; else fail "the installed copy wrote Tracks.tlx"; fi
expect "uninstall removes the registration and the files" "$(setup_run "$setup" uninstall)" $'^Pathlet removed from .*\nexit 0$'
expect "nothing is registered any more" "$(registry)" '^$'
if [ -e "$hotsync/Pathlet.dll" ] || [ -e "$hotsync/Pathlet_LANG.dll" ]; then fail "the copied files are gone"; else pass "the copied files are gone"; fi
expect "status after uninstall" "$(setup_run "$setup" status)" $'Pathlet.dll: missing\nPathlet_LANG.dll: missing\ncreator VTRK: not registered\nexit 0$'
expect "without CONDMGR.dll: one line and exit 1" "$(setup_run "$work/bare" install)" \
    $'^PathletSetup install: CONDMGR.dll was not found \\(.*\\): is HotSync Manager installed\\? Run PathletSetup from its folder\\.\nexit 1$'
expect "without HotSync Manager's path: one line and exit 1" "$(PATHLET_FAKE_HOTSYNC_EXE= setup_run "$setup" install)" \
    $'^PathletSetup install: the Conduit Manager does not know where HotSync Manager is \\(CmGetHotSyncExecPath: -1002\\)\nexit 1$'
printf 'VTRK\tname\tOther.dll\n' > "$cm/conduits.txt"
expect "a creator that belongs to another conduit is left alone" "$(setup_run "$setup" install)" \
    $'^PathletSetup install: creator VTRK cannot be registered \\(code -1006\\): it belongs to Other.dll\nexit 1$'
expect "and uninstall leaves it too" "$(setup_run "$setup" uninstall)" $'belongs to Other.dll, not Pathlet: left as it is\nexit 1$'
expect "a wrong command line: usage and exit 2" "$(setup_run "$setup" frobnicate)" $'^usage: PathletSetup install\\|uninstall\\|status\nexit 2$'

if [ "$failures" -ne 0 ]; then
    echo "Wine tests: $failures failed"
    exit 1
fi
echo "Wine tests: all passed"
