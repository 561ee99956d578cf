#!/bin/bash
# users.ini at scale: `users list` and a HotSync of the last user with 100,000 users in the file.
# Usage: bench/users_bench.sh [BUILD_DIR] [USERS]
set -euo pipefail
build=${1:-build-bench}
users=${2:-100000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pathlet="$build/pathlet"
mkdir -p "$work/root"
awk -v n="$users" 'BEGIN { for (i = 1; i <= n; i++) printf "[User %d]\nid=%d\ndir=User_%d\n\n", i, i, i }' \
    > "$work/root/users.ini"
# Every user has its directory, as `users add` leaves it: `users list` refuses a file whose users
# have lost theirs.
seq "$users" | sed "s|^|$work/root/User_|" | xargs mkdir -p
mkdir -p "$work/root/User_$users/Pathlet"
"$build/pathlet-pdbgen" synth --logs 2 --points 100 -o "$work/TrackDB.pdb"
now() { date +%s.%N; }
start=$(now); "$pathlet" users list --root "$work/root" > /dev/null; end=$(now)
printf 'users list, %d users: %.3f s\n' "$users" "$(echo "$end - $start" | bc -l)"
start=$(now)
"$pathlet" hotsync --handheld "$work/TrackDB.pdb" --root "$work/root" --user "User $users" > /dev/null 2>&1
end=$(now)
printf 'HotSync of the last of %d users: %.3f s\n' "$users" "$(echo "$end - $start" | bc -l)"
