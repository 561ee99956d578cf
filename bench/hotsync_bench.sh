#!/bin/bash
# Whole-HotSync benchmark: a HotSync of a 2,000,000-point handheld beside the machine's floors,
# all measured in the same run: the I/O floor (reading the handheld and writing and flushing a file
# as large as Tracks.tlx) and the arithmetic floor (the per-point arithmetic of the same points
# alone, in a tight loop). Beside them, outside the target, the memory floor: first writing fresh
# memory of Tracks.tlx's size in one block a track, as the HotSync's model of the file must, from a
# heap readied for huge pages as the HotSync's is. Then the peak memory beside the size of
# Tracks.tlx and the time per point from 0.5 to 4 million points. The runs are interleaved, the
# sizes too, and medians reported. Wall time on a shared machine carries other programs' load, so
# the CPU time (user + system) is shown beside it.
# Usage: bench/hotsync_bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=${1:-build-bench}
runs=${2:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pathlet="$build/pathlet"
pdbgen="$build/pathlet-pdbgen"
floor=${BENCH_FLOOR:-$build/bench/bench_floor} # the floors of another build may be given
TIMEFORMAT='%3R %3U %3S'

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# Column COLUMN of FILE ("wall user system" lines, or "wall cpu"), its median; "cpu" adds user and system.
column() { awk -v c="$2" '{ print (c == "cpu" ? $2 + $3 : $c) }' "$1" | median; }

# handheld LOGS: LOGS logs of 10,000 points with time and altitude, 4,000 points a record.
handheld() { "$pdbgen" synth --logs "$1" --points 10000 --per-record 4000 --seed 7 -o "$work/TrackDB-$1.pdb"; }

# Appends "wall user system" of one HotSync of handheld LOGS to FILE.
hotsync() {
    { time "$pathlet" hotsync --handheld "$work/TrackDB-$1.pdb" --root "$work/root-$1" --user Bench \
        > /dev/null 2> "$work/words" || { cat "$work/words" >&2; exit 1; }; } 2>> "$2"
}

# A root for each size: a HotSync replaces the Tracks.tlx of the last HotSync of its own size, as a
# user's next HotSync would, not one of another size, whose removal would be counted with it.
sizes="50 100 200 400" # logs of 10,000 points: 0.5, 1, 2 and 4 million points
for logs in $sizes; do "$pathlet" users add Bench --root "$work/root-$logs" > /dev/null; done
tlx="$work/root-200/Bench/Pathlet/Tracks.tlx"

handheld 200
pdb_bytes=$(stat -c %s "$work/TrackDB-200.pdb")
hotsync 200 /dev/null # warms the page cache and makes the file
tlx_bytes=$(stat -c %s "$tlx")
echo "Handheld: 200 logs x 10,000 points = 2,000,000 points, $pdb_bytes bytes; Tracks.tlx: $tlx_bytes bytes"

: > "$work/sync.times"
: > "$work/io.times"
: > "$work/arithmetic.times"
: > "$work/memory.times"
for _ in $(seq "$runs"); do
    hotsync 200 "$work/sync.times"
    { time "$floor" io "$work/TrackDB-200.pdb" "$tlx_bytes" "$work/floor.bin" > /dev/null; } 2>> "$work/io.times"
    "$floor" arithmetic 200 10000 2> /dev/null >> "$work/arithmetic.times"
    "$floor" memory "$tlx_bytes" 200 2> /dev/null >> "$work/memory.times"
done
rm -f "$work/floor.bin"

# The median of FLOOR's times in KIND's column; the floors print "wall cpu".
floor_time() { column "$work/$1.times" "$([ "$2" = cpu ] && echo 2 || echo 1)"; }
report() { # KIND COLUMN: the medians and the ratio to the two floors' sum, then with the memory floor
    local sync io arithmetic memory
    sync=$(column "$work/sync.times" "$2")
    io=$(column "$work/io.times" "$2")
    arithmetic=$(floor_time arithmetic "$2")
    memory=$(floor_time memory "$2")
    printf '%-5s HotSync %.3f s   I/O floor %.3f s + arithmetic floor %.3f s = %.3f s   ratio %.2f (target <= 1.3)\n' \
        "$1" "$sync" "$io" "$arithmetic" "$(echo "$io + $arithmetic" | bc -l)" \
        "$(echo "$sync / ($io + $arithmetic)" | bc -l)"
    printf '%-5s   and the memory floor %.3f s = %.3f s   ratio %.2f (not in the target)\n' "" "$memory" \
        "$(echo "$io + $arithmetic + $memory" | bc -l)" "$(echo "$sync / ($io + $arithmetic + $memory)" | bc -l)"
}
echo "Medians of $runs interleaved runs (the memory floor: fresh memory of the file's size, first written):"
report wall 1
report cpu cpu

: > "$work/peak.kb"
for _ in $(seq "$runs"); do
    /usr/bin/time -f %M -o "$work/peak.one" "$pathlet" hotsync --handheld "$work/TrackDB-200.pdb" \
        --root "$work/root-200" --user Bench > /dev/null 2>&1
    cat "$work/peak.one" >> "$work/peak.kb"
done
peak_kb=$(median < "$work/peak.kb")
printf 'Peak resident memory: %d KB = %.2f x Tracks.tlx (%d KB) (target <= 1.2)\n' "$peak_kb" \
    "$(echo "$peak_kb * 1024 / $tlx_bytes" | bc -l)" "$((tlx_bytes / 1024))"

# The sizes are interleaved too: one after another, they would show the machine's drift as a cost
# that changes with size.
for logs in $sizes; do
    [ -f "$work/TrackDB-$logs.pdb" ] || handheld "$logs"
    hotsync "$logs" /dev/null # warms the page cache
    : > "$work/size-$logs.times"
done
for _ in $(seq "$runs"); do
    for logs in $sizes; do
        hotsync "$logs" "$work/size-$logs.times"
    done
done
echo "Time per point (wall, CPU), sizes interleaved:"
for logs in $sizes; do
    points=$((logs * 10000))
    printf '  %4.1f M points: %6.1f ns/point, %6.1f ns/point CPU\n' "$(echo "$logs / 100" | bc -l)" \
        "$(echo "$(column "$work/size-$logs.times" 1) * 1000000000 / $points" | bc -l)" \
        "$(echo "$(column "$work/size-$logs.times" cpu) * 1000000000 / $points" | bc -l)"
done
