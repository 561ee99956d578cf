#!/bin/bash
# Whole-HotSync benchmark: a HotSync of a large handheld against the machine's I/O floor (reading
# the handheld and writing a file as large as Tracks.tlx), the peak memory per byte of Tracks.tlx,
# and the time per point at several sizes. Usage: bench/hotsync_bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=${1:-build-bench}
runs=${2:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pathlet="$build/pathlet"
pdbgen="$build/pathlet-pdbgen"

now() { date +%s.%N; }
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# handheld LOGS: LOGS logs of 10,000 points with time and altitude, 4,000 points a record.
handheld() { "$pdbgen" synth --logs "$1" --points 10000 --per-record 4000 --seed 7 -o "$work/TrackDB-$1.pdb"; }

hotsync() {
    "$pathlet" hotsync --handheld "$work/TrackDB-$1.pdb" --root "$work/root" --user Bench > /dev/null 2> "$work/words" || { cat "$work/words"; exit 1; }
}

"$pathlet" users add Bench --root "$work/root" > /dev/null
tlx="$work/root/Bench/Pathlet/Tracks.tlx"

handheld 200
pdb_bytes=$(stat -c %s "$work/TrackDB-200.pdb")
hotsync 200
tlx_bytes=$(stat -c %s "$tlx")
echo "Handheld: 200 logs x 10,000 points = 2,000,000 points, $(( $(od -An -tu1 -j76 -N2 "$work/TrackDB-200.pdb" | awk '{print $1 * 256 + $2}') )) records, $pdb_bytes bytes"
echo "Tracks.tlx: $tlx_bytes bytes"

: > "$work/sync.times"
: > "$work/floor.times"
for _ in $(seq "$runs"); do
    start=$(now); hotsync 200; end=$(now)
    echo "$end - $start" | bc -l >> "$work/sync.times"
    start=$(now)
    cat "$work/TrackDB-200.pdb" > /dev/null
    head -c "$tlx_bytes" /dev/zero > "$work/floor.bin"
    end=$(now)
    echo "$end - $start" | bc -l >> "$work/floor.times"
done
sync_median=$(median < "$work/sync.times")
floor_median=$(median < "$work/floor.times")
printf 'HotSync median: %.3f s   I/O floor median: %.3f s   ratio: %.2f (target <= 5)\n' \
    "$sync_median" "$floor_median" "$(echo "$sync_median / $floor_median" | bc -l)"

peak_kb=$(/usr/bin/time -v "$pathlet" hotsync --handheld "$work/TrackDB-200.pdb" --root "$work/root" --user Bench 2>&1 >/dev/null |
          awk -F: '/Maximum resident/ { gsub(/ /, "", $2); print $2 }')
printf 'Peak resident memory: %d KB = %.2f x Tracks.tlx (target <= 2)\n' "$peak_kb" "$(echo "$peak_kb * 1024 / $tlx_bytes" | bc -l)"

echo "Time per point:"
for logs in 50 100 200 400; do
    handheld "$logs"
    : > "$work/size.times"
    hotsync "$logs" # warm the page cache
    for _ in $(seq "$runs"); do
        start=$(now); hotsync "$logs"; end=$(now)
        echo "$end - $start" | bc -l >> "$work/size.times"
    done
    printf '  %4.1f M points: %6.1f ns/point\n' "$(echo "$logs / 100" | bc -l)" \
        "$(echo "$(median < "$work/size.times") * 1000000000 / ($logs * 10000)" | bc -l)"
    rm -f "$work/TrackDB-$logs.pdb"
done
