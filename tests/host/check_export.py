#!/usr/bin/python3
"""Checks pathlet's GPX, GeoJSON and SVG output with tools we did not write: gpxpy and xmllint."""
import json
import os
import subprocess
import sys
import tempfile

import gpxpy

PATHLET, PDBGEN = sys.argv[1], sys.argv[2]
SEMI = 2147483648.0 / 180.0

DESCRIPTION = r'''
log "Caf\xe9 <&> \x01 \"q\"" color=3 flags=time,alt
raw-point 536870912 134217728 t=1 alt=412.5
raw-point 536870914 -134217728 t=0 alt=-3.25
raw-point -1073741824 2147483647 t=3600 alt=8848
log "Plain" color=0 flags=none
raw-point 2 4
'''

def run(*args):
    result = subprocess.run(args, capture_output=True, text=True)
    if result.returncode != 0:
        sys.exit(f"{' '.join(args)} failed: {result.stdout}{result.stderr}")
    return result.stdout

def check(condition, what):
    if not condition:
        sys.exit("FAILED: " + what)

with tempfile.TemporaryDirectory() as work:
    root = os.path.join(work, "root")
    description = os.path.join(work, "tracks.txt")
    with open(description, "w") as f:
        f.write(DESCRIPTION)
    pdb = os.path.join(work, "TrackDB.pdb")
    run(PDBGEN, "describe", description, "-o", pdb)
    run(PATHLET, "users", "add", "Ann", "--root", root)
    run(PATHLET, "hotsync", "--handheld", pdb, "--root", root, "--user", "Ann", "--export", "gpx")
    folder = os.path.join(root, "Ann", "Pathlet")
    tlx, gpx_file = os.path.join(folder, "Tracks.tlx"), os.path.join(folder, "Tracks.gpx")

    subprocess.run(["xmllint", "--noout", gpx_file], check=True)
    with open(gpx_file, encoding="utf-8") as f:
        gpx = gpxpy.parse(f)
    names = [t.name for t in gpx.tracks]
    check(names == ['Café <&> \ufffd "q"', "Plain"], f"track names {names}")
    points = gpx.tracks[0].segments[0].points
    check(len(points) == 3 and len(gpx.tracks[1].segments[0].points) == 1, "point counts")
    expected = [(536870912, 134217728), (536870914, -134217728), (-1073741824, 2147483647)]
    for point, (lat, lon) in zip(points, expected):
        check(abs(point.latitude - lat / SEMI) < 1e-7 and abs(point.longitude - lon / SEMI) < 1e-7,
              f"coordinates {point.latitude} {point.longitude}")
        check(round(point.latitude * SEMI) == lat and round(point.longitude * SEMI) == lon, "round trip")
    check([p.elevation for p in points] == [412.5, -3.25, 8848.0], "elevations")
    check(points[0].time.isoformat() == "1989-12-31T00:00:01+00:00", f"time {points[0].time}")
    check(points[1].time is None, "a point without a time has no time")
    check(points[2].time.isoformat() == "1989-12-31T01:00:00+00:00", "third time")
    check(gpx.tracks[1].segments[0].points[0].elevation is None, "no elevation without altitude")

    geojson = json.loads(run(PATHLET, "export", tlx, "--format", "geojson"))
    check(geojson["type"] == "FeatureCollection" and len(geojson["features"]) == 2, "feature collection")
    first, plain = geojson["features"]
    check(first["geometry"]["type"] == "LineString", "line string")
    check(first["properties"]["name"] == 'Café <&> \ufffd "q"', "GeoJSON name")
    lon, lat, ele = first["geometry"]["coordinates"][0]
    check(abs(lat - 536870912 / SEMI) < 1e-9 and abs(lon - 134217728 / SEMI) < 1e-9 and ele == 412.5, "position")
    check(first["properties"]["times"][1] is None, "absent time is null")
    check(plain["geometry"]["type"] == "Point" and len(plain["geometry"]["coordinates"]) == 2, "one-point track")

    svg = os.path.join(work, "map.svg")
    run(PATHLET, "plot", tlx, "-o", svg)
    subprocess.run(["xmllint", "--noout", svg], check=True)
    with open(svg, encoding="utf-8") as f:
        text = f.read()
    check("Café &lt;&amp;&gt;" in text and "<polyline" in text, "SVG legend and lines")

    # Code page 932: a double-byte name converts too.
    with open(description, "w") as f:
        f.write('log "\\x93\\x8c\\x8b\\x9e" flags=time\nraw-point 2 4 t=1\n')
    run(PDBGEN, "describe", description, "-o", pdb)
    run(PATHLET, "hotsync", "--handheld", pdb, "--root", root, "--user", "Ann", "--codepage", "932")
    geojson = json.loads(run(PATHLET, "export", tlx, "--format", "geojson", "--codepage", "932"))
    check(geojson["features"][0]["properties"]["name"] == "東京", "code page 932 name")
print("export checks passed")
