#!/bin/bash
# Network HotSync benchmark: the 2,000,000-point handheld through `pathlet sync` over loopback
# against the same HotSync from .pdb files, in the same run: time, round trips per record, memory.
# Usage: bench/sync_bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=${1:-build-bench}
runs=${2:-3}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
pathlet="$build/pathlet"
"$build/pathlet-pdbgen" synth --logs 200 --points 10000 --per-record 4000 --seed 7 -o "$work/TrackDB.pdb"
"$pathlet" users add Bench --root "$work/file" > /dev/null
"$pathlet" users add Bench --root "$work/link" > /dev/null
now() { date +%s.%N; }
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

: > "$work/file.times"
: > "$work/link.times"
for _ in $(seq "$runs"); do
    start=$(now)
    "$pathlet" hotsync --handheld "$work/TrackDB.pdb" --root "$work/file" --user Bench > /dev/null 2>&1
    end=$(now)
    echo "$end - $start" | bc -l >> "$work/file.times"

    port=$((20000 + RANDOM % 20000))
    /usr/bin/time -v -o "$work/server.time" "$pathlet" sync --listen "127.0.0.1:$port" --once --quiet \
        --root "$work/link" > /dev/null 2> "$work/server.err" &
    server=$!
    for _ in $(seq 100); do grep -q "waiting for handhelds" "$work/server.err" && break; sleep 0.05; done
    start=$(now)
    "$build/pathlet-handheld-sim" --connect "127.0.0.1:$port" --handheld "$work/TrackDB.pdb" --user Bench > "$work/sim.out"
    wait "$server"
    end=$(now)
    echo "$end - $start" | bc -l >> "$work/link.times"
done
cmp "$work/file/Bench/Pathlet/Tracks.tlx" "$work/link/Bench/Pathlet/Tracks.tlx"
records=$(awk '/records read/ { print $1 }' "$work/sim.out")
requests=$(awk '/records read/ { print $4 }' "$work/sim.out")
file=$(median < "$work/file.times")
link=$(median < "$work/link.times")
echo "Handheld: 2,000,000 points in $records records; both ways give the same Tracks.tlx"
printf 'HotSync from .pdb files: %.3f s   through pathlet sync on loopback: %.3f s   (%.2f x)\n' "$file" "$link" \
    "$(echo "$link / $file" | bc -l)"
printf 'Requests: %d for %d records: %.3f round trips per record\n' "$requests" "$records" \
    "$(echo "$requests / $records" | bc -l)"
awk -F: '/Maximum resident/ { gsub(/ /, "", $2); printf "Server peak memory: %d KB\n", $2 }' "$work/server.time"
