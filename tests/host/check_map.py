#!/usr/bin/python3
"""Checks pathlet plot on data that is not the demo's: groups of tracks far apart, a track too
small to see, a long legend, and two million points. The SVG is checked with xmllint and read
as XML by Python.
Usage: check_map.py PATHLET PDBGEN"""
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

PATHLET, PDBGEN = sys.argv[1], sys.argv[2]
SVG = "{http://www.w3.org/2000/svg}"


def check(condition, what):
    if not condition:
        sys.exit("FAILED: " + what)


def run(*args):
    result = subprocess.run(args, capture_output=True, text=True, timeout=300)
    if result.returncode != 0:
        sys.exit(f"{' '.join(args)} failed: {result.stdout}{result.stderr}")
    return result.stdout


def plot(work, name, handheld):
    root = os.path.join(work, name)
    run(PATHLET, "users", "add", "Ann", "--root", root)
    run(PATHLET, "hotsync", "--handheld", handheld, "--root", root, "--user", "Ann")
    svg = os.path.join(work, name + ".svg")
    run(PATHLET, "plot", os.path.join(root, "Ann", "Pathlet", "Tracks.tlx"), "-o", svg)
    subprocess.run(["xmllint", "--noout", svg], check=True)
    return svg, ET.parse(svg).getroot()


def walk(name, lat, lon, points=40, step=0.0004):
    lines = [f'log "{name}" flags=time']
    lines += [f"point {lat + i * step} {lon + (i % 7) * step} t={100 + i}" for i in range(points)]
    return "\n".join(lines) + "\n"


with tempfile.TemporaryDirectory() as work:
    # Two groups 200 km apart, a lone speck, and 60 walks for a legend longer than the map.
    description = walk("Alps 1", 46.0, 7.0) + walk("Alps 2", 46.01, 7.02)
    description += walk("Jura", 47.7, 7.0) + walk("Speck", 46.5, 9.5, points=3, step=0.000001)
    description += "".join(walk(f"Walk {i}", 46.0 + i * 0.0001, 7.001, points=5) for i in range(1, 121))
    text = os.path.join(work, "groups.txt")
    with open(text, "w") as f:
        f.write(description)
    handheld = os.path.join(work, "groups.pdb")
    run(PDBGEN, "describe", text, "-o", handheld)
    svg, root = plot(work, "groups", handheld)
    clips = root.findall(f".//{SVG}clipPath")
    check(len(clips) == 4, f"an overview and an inset for each of 3 groups, not {len(clips)} maps")
    letters = [t.text for t in root.iter(f"{SVG}text") if t.get("font-weight") == "bold"]
    check(sorted(letters) == ["A", "A", "B", "B", "C", "C"], f"lettered frames and insets: {letters}")
    check(any(c.get("r") == "5" for c in root.iter(f"{SVG}circle")), "a marker for the speck")
    starts = [c for c in root.iter(f"{SVG}circle") if c.get("r") == "3.5"]
    ends = [r for r in root.iter(f"{SVG}rect") if r.get("width") == "6"]
    check(len(starts) == len(ends) and len(starts) >= 3, "start and end markers")
    height, width = float(root.get("height")), float(root.get("width"))
    legend = [(float(t.get("x")), float(t.get("y")), t.text) for t in root.iter(f"{SVG}text")
              if t.text and (t.text.startswith("Walk") or t.text in ("Alps 1", "Alps 2", "Jura", "Speck"))]
    check(len(legend) == 124, f"every track in the legend, not {len(legend)}")
    check(all(y < height and x < width for x, y, _ in legend), "the legend stays inside the picture")
    check(len({x for x, _, _ in legend}) >= 2, "a long legend wraps into columns")
    order = [name for _, _, name in sorted(legend, key=lambda e: (e[0], e[1]))]
    walks = [n for n in order if n.startswith("Walk")]
    check(walks == [f"Walk {i}" for i in range(1, 121)], f"natural order: {walks[:12]}")

    # Two million points: thinned to what the screen shows.
    big = os.path.join(work, "big.pdb")
    run(PDBGEN, "synth", "--logs", "40", "--points", "50000", "--per-record", "2000", "-o", big)
    svg, root = plot(work, "big", big)
    size = os.path.getsize(svg)
    check(size < 2_000_000, f"the SVG of 2,000,000 points has {size} bytes")
    lines = root.findall(f".//{SVG}polyline")
    check(len(lines) >= 40, "every track drawn")
    # The shape stays: every drawn point lies within the map, and each line keeps its extent.
    for line in lines[:5]:
        xy = [tuple(map(float, p.split(","))) for p in line.get("points").split()]
        check(len(xy) >= 2, "a line keeps its ends")
print("map checks passed")
