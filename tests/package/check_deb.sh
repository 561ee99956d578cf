#!/bin/bash
# Checks the Debian package as a user meets it: `cmake --install` into a DESTDIR leaves the build
# tree alone, lintian reports no error (warnings are shown), the archive holds exactly
# the expected files in their Debian places with stripped programs, and on a clean Debian 12 (a
# minimal tree made by mmdebstrap, entered with chroot) apt installs it together with what its
# Depends names, both programs run there as an ordinary user (`pathlet demo` does a whole HotSync),
# and purging it leaves none of its files behind.
#
# Usage (as root): check_deb.sh BUILD_DIR
#   The package is the one BUILD_DIR/pathlet_*.deb. The clean tree is made once and kept as
#   BUILD_DIR/package-test/bookworm-minbase.tar; every run unpacks a fresh copy of it. Where no tree
#   can be made (no mirror) the check falls back to unpacking the package and resolving every
#   library the programs need to a package its Depends names, and says so loudly.
set -euo pipefail

MIRROR=${PATHLET_DEB_MIRROR:-http://deb.debian.org/debian}
SUITE=bookworm

fail() {
    echo "FAILED: $*" >&2
    exit 1
}
step() {
    echo "== $* ($((SECONDS - started)) s)"
}

[ $# -eq 1 ] || fail "usage: check_deb.sh BUILD_DIR"
[ "$(id -u)" -eq 0 ] || fail "needs root (chroot, and files owned by root in the clean tree)"
build=$(realpath "$1")
started=$SECONDS
arch=$(dpkg --print-architecture)
shopt -s nullglob
debs=("$build"/pathlet_*_"$arch".deb)
shopt -u nullglob
[ ${#debs[@]} -eq 1 ] || fail "expected one package $build/pathlet_*_$arch.deb, found ${#debs[@]} (run make deb)"
deb=${debs[0]}
echo "Checking $deb"

work="$build/package-test"
mkdir -p "$work"
scratch=$(mktemp -d "$work/run.XXXXXX")
cleanup() {
    rm -rf --one-file-system "$scratch"
}
trap cleanup EXIT

step "cmake --install writes nothing into the build tree"
# cmake itself writes install_manifest.txt there; everything else must stay as it was.
tree_state() {
    find "$build" \( -path "$work" -o -path "$build/_CPack_Packages" -o -path "$build/install_manifest.txt" \) -prune \
        -o -printf '%p %s %T@ %m\n' | sort
}
tree_state > "$scratch/tree-before.txt"
DESTDIR="$scratch/destdir" cmake --install "$build" > "$scratch/install.log" 2>&1 \
    || { cat "$scratch/install.log"; fail "cmake --install into a DESTDIR"; }
tree_state > "$scratch/tree-after.txt"
diff "$scratch/tree-before.txt" "$scratch/tree-after.txt" || fail "cmake --install changed the build tree"
[ -x "$scratch/destdir/usr/bin/pathlet" ] || fail "cmake --install put no /usr/bin/pathlet into the DESTDIR"

step "lintian"
# lintian exits non-zero on errors only; warnings are printed and left to the reader.
status=0
lintian --fail-on error --display-level ">=warning" "$deb" > "$scratch/lintian.txt" 2>&1 || status=$?
grep -v "^running with root privileges" "$scratch/lintian.txt" || echo "(lintian: nothing to report)"
[ "$status" -eq 0 ] && ! grep -q "^E: " "$scratch/lintian.txt" || fail "lintian reports errors"

step "control fields and contents"
field() {
    dpkg-deb --field "$deb" "$1"
}
[ "$(field Package)" = pathlet ] || fail "package name $(field Package)"
[ "$(field Section)" = utils ] || fail "section $(field Section)"
[ "$(field Priority)" = optional ] || fail "priority $(field Priority)"
[ -n "$(field Maintainer)" ] || fail "no maintainer"
depends=$(field Depends)
echo "Depends: $depends"
# The package names Depends gives, one a line, versions and alternatives' bars left out.
depends_names=$(sed 's/ *([^)]*)//g; s/ *[,|] */\n/g' <<<"$depends")
for needed in libc6 libstdc++6 libgcc-s1 libusb-1.0-0; do
    grep -Fqx "$needed" <<<"$depends_names" || fail "Depends lacks $needed: $depends"
done

# Every file the package installs; directories are left to dpkg.
expected="./usr/bin/pathlet
./usr/bin/pathlet-pdbgen
./usr/lib/systemd/user/pathlet-sync.service
./usr/lib/udev/rules.d/60-pathlet-handhelds.rules
./usr/share/bash-completion/completions/pathlet
./usr/share/bash-completion/completions/pathlet-pdbgen
./usr/share/doc/pathlet/changelog.Debian.gz
./usr/share/doc/pathlet/copyright
./usr/share/lintian/overrides/pathlet
./usr/share/man/man1/pathlet-pdbgen.1.gz
./usr/share/man/man1/pathlet.1.gz"
actual=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
[ "$actual" = "$expected" ] || fail "the package holds other files than expected:
$(diff <(echo "$expected") <(echo "$actual") || true)"
dpkg-deb --contents "$deb" | awk '$2 != "root/root" {bad = 1} END {exit bad}' || fail "files not owned by root"

unpacked="$scratch/unpacked"
dpkg-deb --extract "$deb" "$unpacked"
for program in pathlet pathlet-pdbgen; do
    if readelf --section-headers "$unpacked/usr/bin/$program" | grep -Eq '\.(symtab|debug_info)'; then
        fail "$program is not stripped"
    fi
done
for page in pathlet pathlet-pdbgen; do
    gzip --test "$unpacked/usr/share/man/man1/$page.1.gz" || fail "$page.1.gz is no gzip file"
    zcat "$unpacked/usr/share/man/man1/$page.1.gz" | grep -q '^\.SH EXAMPLES' || fail "$page.1 has no EXAMPLES"
done
grep -q "^ExecStart=/usr/bin/pathlet sync " "$unpacked/usr/lib/systemd/user/pathlet-sync.service" \
    || fail "the unit does not run /usr/bin/pathlet"
# systemd reads the unit without a complaint (run against the unpacked program).
if command -v systemd-analyze > /dev/null; then
    sed "s|=/usr/bin/pathlet |=$unpacked/usr/bin/pathlet |" "$unpacked/usr/lib/systemd/user/pathlet-sync.service" \
        > "$scratch/pathlet-sync.service"
    complaints=$(systemd-analyze verify --man=no "$scratch/pathlet-sync.service" 2>&1) \
        && [ -z "$complaints" ] || fail "systemd-analyze verify of the unit: $complaints"
else
    echo "(no systemd-analyze here: the unit's syntax is not checked)"
fi
grep -q "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" \
    "$unpacked/usr/share/doc/pathlet/copyright" || fail "copyright is not machine-readable"
zcat "$unpacked/usr/share/doc/pathlet/changelog.Debian.gz" | head -1 \
    | grep -q "^pathlet ($(field Version)) " || fail "changelog.Debian.gz is not for $(field Version)"

# The fallback where no clean tree can be had: every library a program needs is found on this
# machine in a package that Depends names.
check_libraries_against_depends() {
    for program in pathlet pathlet-pdbgen; do
        for library in $(readelf --dynamic "$unpacked/usr/bin/$program" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'); do
            path=$(ldconfig -p | awk -v lib="$library" '$1 == lib && /x86-64|x86_64|64bit/ {print $NF; exit}')
            [ -n "$path" ] || fail "$program needs $library, which this machine does not have"
            owner=$(dpkg -S "$(realpath "$path")" 2>/dev/null | head -1 | cut -d: -f1) \
                || owner=$(dpkg -S "$path" | head -1 | cut -d: -f1)
            grep -Fqx "$owner" <<<"$depends_names" || fail "$program needs $library of $owner, not in Depends"
            echo "$program: $library from $owner (in Depends)"
        done
    done
}

step "a clean $SUITE tree"
base="$work/$SUITE-minbase.tar"
if [ ! -s "$base" ]; then
    echo "Making $base with mmdebstrap (once; later runs unpack it)"
    if ! mmdebstrap --variant=minbase --mode=root --format=tar --dpkgopt=force-unsafe-io "$SUITE" "$base.part" "$MIRROR" \
        > "$work/mmdebstrap.log" 2>&1; then
        tail -5 "$work/mmdebstrap.log" >&2
        rm -f "$base.part"
        echo "!!! NO CLEAN $SUITE TREE COULD BE MADE (no mirror?): the package was NOT installed on a clean" \
             "system; checked only that its Depends name every library its programs need !!!"
        check_libraries_against_depends
        step "done (without a clean install)"
        exit 0
    fi
    mv "$base.part" "$base"
fi
root="$scratch/root"
mkdir "$root"
tar --extract --same-permissions --numeric-owner --file "$base" --directory "$root"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/pathlet.deb"
in_root() {
    chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"
}

step "apt installs the package and its Depends"
in_root apt-get update -q -o Acquire::Languages=none > "$scratch/apt.log" 2>&1 || { cat "$scratch/apt.log"; fail "apt-get update in the clean tree"; }
in_root apt-get install -q -y --no-install-recommends /pathlet.deb >> "$scratch/apt.log" 2>&1 \
    || { cat "$scratch/apt.log"; fail "apt-get install of the package in the clean tree"; }
grep -E "^(Get|Setting up|Unpacking)" "$scratch/apt.log" | sed 's/^/  /'
in_root dpkg --status pathlet | grep -q "^Status: install ok installed" || fail "the package is not installed"

step "the programs run there as an ordinary user"
as_user() {
    chroot --userspec=nobody:nogroup "$root" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/tmp/home TZ=UTC "$@"
}
as_user pathlet --version | tee "$scratch/version.txt"
grep -q "^pathlet " "$scratch/version.txt" || fail "pathlet --version"
as_user pathlet-pdbgen --version | grep -q "^pathlet-pdbgen " || fail "pathlet-pdbgen --version"
as_user pathlet demo > "$scratch/demo.txt" 2>&1 || { cat "$scratch/demo.txt"; fail "pathlet demo in the clean tree"; }
cat "$scratch/demo.txt"
shopt -s nullglob
tracks=("$root"/tmp/pathlet-demo-*/*/Pathlet/Tracks.tlx)
shopt -u nullglob
[ ${#tracks[@]} -eq 1 ] && [ -s "${tracks[0]}" ] || fail "pathlet demo wrote no Tracks.tlx"
tlx=${tracks[0]#"$root"}
as_user pathlet dump "$tlx" | grep -q "track" || fail "pathlet dump of the demo's file"
as_user pathlet export "$tlx" -o /tmp/tracks.gpx && grep -q "<trkseg>" "$root/tmp/tracks.gpx" \
    || fail "pathlet export of the demo's file"
as_user pathlet plot "$tlx" -o /tmp/map.svg && grep -q "<svg" "$root/tmp/map.svg" || fail "pathlet plot of the demo's file"

step "purging removes every file"
in_root dpkg --listfiles pathlet > "$scratch/files.txt"
in_root dpkg --purge pathlet > /dev/null
while read -r path; do
    [ -d "$root$path" ] && continue
    [ ! -e "$root$path" ] || fail "$path is left after purging"
done < "$scratch/files.txt"

step "done: installed, ran and purged on a clean $SUITE"
