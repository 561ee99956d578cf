#!/usr/bin/env python3
"""Runs two builds of pathlet side by side and compares every byte they leave: the generator's
handhelds, Tracks.tlx, settings.ini, users.ini, the HotSync log on standard output and in
HotSync.log (its time stamps aside), the handheld's log over a network HotSync, and the exports.
For a change that must not alter any output (a restructuring).

Usage: tools/same_bytes.py OLD_DIR NEW_DIR [--points N]
Each directory holds pathlet, pathlet-pdbgen and pathlet-handheld-sim (a build tree or a copy)."""
import argparse
import filecmp
import os
import re
import socket
import subprocess
import sys
import tempfile
import time

STAMP = re.compile(rb"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d")


def run(*args, **kwargs):
    return subprocess.run(args, capture_output=True, timeout=600, **kwargs)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def scenario(build, work, points):
    """Everything one build makes, as {name: bytes}."""
    pathlet, pdbgen, sim = (os.path.join(build, name) for name in ("pathlet", "pathlet-pdbgen", "pathlet-handheld-sim"))
    out = {}
    hand = os.path.join(work, "handhelds")
    os.makedirs(hand)
    # Every point has a time: a point without one is given the current time, which differs by run.
    seeds = os.path.join(work, "mixed.txt")
    with open(seeds, "w") as f:
        f.write('log "Lake loop" color=3 flags=time,alt,aux per-record=3\n'
                "point 1 2 t=5 alt=3 aux=1\npoint 1 2.1 t=6 seg\npoint 1 2.2 t=7 alt=-4\npoint 1 2.3 t=8\n"
                'log "lake loop" color=9 flags=time\npoint -33.9 151.2 t=100\npoint -33.91 151.21 t=160\n'
                'log "ACTIVE LOG" flags=time,alt\npoint 89.9 179.99 t=1000 alt=8848.86\n'
                "point 89.9 -179.99 t=1001 alt=8848.86 seg\n")
    made = {
        "small.pdb": ["synth", "--logs", "3", "--points", "500"],
        # A log holds at most 65,535 points.
        "big.pdb": ["synth", "--logs", str(-(-points // 50000)), "--points", str(min(points, 50000)),
                    "--per-record", "3000"],
        "mixed.pdb": ["describe", seeds],
    }
    for name, args in made.items():
        path = os.path.join(hand, name)
        result = run(pdbgen, *args, "-o", path)
        out[f"pdbgen {name} status"] = str(result.returncode).encode()
        with open(path, "rb") as f:
            out[f"pdbgen {name}"] = f.read()
    with open(os.path.join(hand, "small.pdb"), "rb") as f:
        small = f.read()
    damaged = os.path.join(hand, "damaged.pdb")
    with open(damaged, "wb") as f:
        f.write(small[:78] + b"\xff" * 8 + small[86:])
    latitude = os.path.join(hand, "latitude.pdb")
    broken = bytearray(small)
    first = int.from_bytes(small[78:82], "big")
    header = int.from_bytes(small[first + 34:first + 38], "little")
    broken[first + header:first + header + 4] = (0x43000000).to_bytes(4, "little")
    with open(latitude, "wb") as f:
        f.write(bytes(broken))
    nothing = os.path.join(hand, "nothing")
    os.makedirs(nothing)

    root = os.path.join(work, "root")
    run(pathlet, "users", "add", "Ann", "--root", root)
    runs = [("small", "small.pdb", []), ("big", "big.pdb", []), ("mixed", "mixed.pdb", ["--log-format", "jsonl"]),
            ("damaged", "damaged.pdb", []), ("latitude", "latitude.pdb", []), ("nothing", "nothing", []),
            ("do-nothing", "small.pdb", ["--sync-type", "6"]), ("export", "small.pdb", ["--export", "gpx"]),
            ("unknown", "small.pdb", ["--user", "Bob"])]
    for name, handheld, extra in runs:
        user = [] if "--user" in extra else ["--user", "Ann"]
        result = run(pathlet, "hotsync", "--handheld", os.path.join(hand, handheld), "--root", root, *user, *extra)
        out[f"hotsync {name} status"] = str(result.returncode).encode()
        out[f"hotsync {name} log"] = result.stdout
        tlx = os.path.join(root, "Ann", "Pathlet", "Tracks.tlx")
        if os.path.exists(tlx):
            with open(tlx, "rb") as f:
                out[f"hotsync {name} Tracks.tlx"] = f.read()
    for name in ("users.ini", "HotSync.log", "Ann/settings.ini", "Ann/Pathlet/Tracks.gpx"):
        with open(os.path.join(root, name), "rb") as f:
            out[name] = STAMP.sub(b"<time>", f.read())
    tlx = os.path.join(root, "Ann", "Pathlet", "Tracks.tlx")
    for fmt in ("gpx", "geojson"):
        out[f"export {fmt}"] = run(pathlet, "export", tlx, "--format", fmt).stdout
    out["dump"] = run(pathlet, "dump", "--json", "--points", tlx).stdout
    out["plot"] = run(pathlet, "plot", tlx).stdout

    demo = os.path.join(work, "demo")
    run(pathlet, "demo", "--root", demo)
    for name in ("Demo_User/Pathlet/Tracks.tlx", "handheld/TrackDB.pdb"):
        with open(os.path.join(demo, name), "rb") as f:
            out[f"demo {name}"] = f.read()

    # A network HotSync: the desktop's files and the line in the handheld's own log.
    port = free_port()
    server = subprocess.Popen([pathlet, "sync", "--once", "--quiet", "--root", root, "--listen", f"127.0.0.1:{port}"],
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    time.sleep(0.5)
    handheld = run(sim, "--connect", f"127.0.0.1:{port}", "--handheld", os.path.join(hand, "mixed.pdb"), "--user", "Ann")
    stdout, _ = server.communicate(timeout=60)
    out["sync status"] = str(server.returncode).encode()
    out["sync log"] = stdout
    out["sync handheld"] = handheld.stdout
    with open(tlx, "rb") as f:
        out["sync Tracks.tlx"] = f.read()
    # Paths name the run's own directory.
    return {name: data.replace(work.encode(), b"<work>") for name, data in out.items()}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--points", type=int, default=2_000_000)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as a, tempfile.TemporaryDirectory() as b:
        old = scenario(args.old, a, args.points)
        new = scenario(args.new, b, args.points)
    differing = [name for name in old if old[name] != new.get(name)] + [name for name in new if name not in old]
    for name in sorted(old):
        size = len(old[name])
        print(f"{'same' if name not in differing else 'DIFFERENT'}  {name} ({size:,} bytes)")
    print(f"{len(old) - len(differing)} of {len(old)} outputs byte-identical")
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main())
