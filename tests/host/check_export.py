#!/usr/bin/python3
"""Checks pathlet's GPX, GeoJSON, JSON and SVG output with tools we did not write: gpxpy, Python's json
(strict: no NaN or Infinity), xmllint against the shape of the GPX 1.1 schema, and GDAL's ogrinfo and
ogr2ogr when they are installed."""
import json
import math
import os
import shutil
import struct
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

HERE = os.path.dirname(os.path.abspath(__file__))

def reject_constant(name):
    raise ValueError(f"not JSON: {name}")

def strict_json(text):
    return json.loads(text, parse_constant=reject_constant)

FLOAT_MAX = struct.unpack("<f", bytes.fromhex("ffff7f7f"))[0]

def as_float(value):
    """The float a reader of single precision makes of `value` (past the largest float by less
    than half a step: the largest float)."""
    if math.isfinite(value) and abs(value) > FLOAT_MAX:
        return math.copysign(FLOAT_MAX if abs(value) < FLOAT_MAX + 2.0 ** 103 else math.inf, value)
    return struct.unpack("<f", struct.pack("<f", value))[0]

def shortest_float(value):
    """The shortest decimal that reads back as the float `value`, as a double."""
    for digits in range(1, 10):
        text = "%.*g" % (digits, value)
        if as_float(float(text)) == value:
            return float(text)
    return value

def lines_of(geometry):
    """The parts of a LineString or MultiLineString."""
    return [geometry["coordinates"]] if geometry["type"] == "LineString" else geometry["coordinates"]

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

    subprocess.run(["xmllint", "--noout", "--schema", os.path.join(HERE, "gpx11-shape.xsd"), gpx_file],
                   check=True, capture_output=True)
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
    colours = [[e for e in t.extensions if e.tag.endswith("line")] for t in gpx.tracks]
    check(all(len(c) == 1 and c[0][0].tag.endswith("color") for c in colours), "a line colour per track")
    gpx_colours = [c[0][0].text for c in colours]

    geojson = strict_json(run(PATHLET, "export", tlx, "--format", "geojson"))
    check(geojson["type"] == "FeatureCollection" and len(geojson["features"]) == 2, "feature collection")
    first, plain = geojson["features"]
    # The last leg goes west from -11.25 to 180 degrees, across the antimeridian: two parts.
    check(first["geometry"]["type"] == "MultiLineString", "a line across the antimeridian is cut")
    west, east = first["geometry"]["coordinates"]
    check(west[-1][0] == -180 and east[0][0] == 180 and west[-1][1:] == east[0][1:], "cut at the antimeridian")
    check(east[-1][0] == 2147483647 / SEMI and east[-1][1] == -1073741824 / SEMI, "the last point as it is")
    check(first["properties"]["name"] == 'Café <&> \ufffd "q"', "GeoJSON name")
    lon, lat, ele = west[0]
    check(abs(lat - 536870912 / SEMI) < 1e-9 and abs(lon - 134217728 / SEMI) < 1e-9 and ele == 412.5, "position")
    check(first["properties"]["times"] == ["1989-12-31T00:00:01Z", "", "1989-12-31T01:00:00Z"], "times")
    check(first["properties"]["start_time"] == "1989-12-31T00:00:01Z", "start time")
    check(plain["geometry"]["type"] == "LineString" and plain["properties"]["points"] == 1, "one-point track")
    check(plain["geometry"]["coordinates"][0] == plain["geometry"]["coordinates"][1], "a line to itself")
    check(len(plain["geometry"]["coordinates"][0]) == 2, "no elevation without altitude")
    check(gpx_colours == [f["properties"]["colour"][1:] for f in geojson["features"]], "GPX colours")

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
    geojson = strict_json(run(PATHLET, "export", tlx, "--format", "geojson", "--codepage", "932"))
    check(geojson["features"][0]["properties"]["name"] == "東京", "code page 932 name")
    # The HotSync remembered the code page: without --codepage, later commands use it.
    geojson = strict_json(run(PATHLET, "export", tlx, "--format", "geojson"))
    check(geojson["features"][0]["properties"]["name"] == "東京", "remembered code page")
    check("東京" in run(PATHLET, "dump", tlx), "dump prints UTF-8")

    # Values no text format has a word for, and the extremes of the handheld's floats.
    extremes = ["nan", "inf", "-inf", "-0", "1e-45", "1.1754942e-38", "3.4028234663852886e38",
                "-3.4028234663852886e38", "0.1"]
    lines = ['log "Edge" flags=time,alt,aux']
    for i, value in enumerate(extremes):
        lines.append(f"raw-point {2 * i} {4 * i} t={i + 1} alt={value} aux={value}")
    lines.append('log "Finite" flags=alt')
    lines += [f"raw-point {2 * i} 8 alt={value}" for i, value in enumerate(extremes[3:])]
    with open(description, "w") as f:
        f.write("\n".join(lines) + "\n")
    run(PDBGEN, "describe", description, "-o", pdb)
    log = run(PATHLET, "hotsync", "--handheld", pdb, "--root", root, "--user", "Ann", "--log-format", "jsonl")
    for line in log.splitlines():
        strict_json(line)
    finite = [as_float(float(v)) for v in extremes]
    dumped = strict_json(run(PATHLET, "dump", "--json", "--points", tlx))
    edge = next(t for t in dumped["tracks"] if t["name"] == "Edge")["track_points"]
    for point, value in zip(edge, finite):
        if math.isfinite(value):
            check(point["ele"] == value and point["aux"] == value, f"dump keeps {value}")
            check(math.copysign(1, point["ele"]) == math.copysign(1, value), f"dump keeps the sign of {value}")
        else:
            check("ele" not in point and "aux" not in point, f"dump leaves out {value}")
    geojson = strict_json(run(PATHLET, "export", tlx, "--format", "geojson"))
    lines_by_name = {f["properties"]["name"]: f for f in geojson["features"]}
    check(all(len(c) == 2 for c in lines_by_name["Edge"]["geometry"]["coordinates"]), "2D when one is not finite")
    # Elevations are the handheld's floats, each the shortest decimal that reads back as that float.
    finite_elevations = [c[2] for c in lines_by_name["Finite"]["geometry"]["coordinates"]]
    check([as_float(e) for e in finite_elevations] == finite[3:], f"3D values exact: {finite_elevations}")
    check(finite_elevations == [shortest_float(v) for v in finite[3:]], f"3D values shortest: {finite_elevations}")
    run(PATHLET, "export", tlx, "--format", "gpx", "-o", gpx_file)
    subprocess.run(["xmllint", "--noout", "--schema", os.path.join(HERE, "gpx11-shape.xsd"), gpx_file],
                   check=True, capture_output=True)
    with open(gpx_file, encoding="utf-8") as f:
        gpx = gpxpy.parse(f)
    by_name = {t.name: t for t in gpx.tracks}
    elevations = [p.elevation for p in by_name["Edge"].segments[0].points]
    # Decimals of 24 digits: the subnormal rounds to 0, the largest floats are past any decimal.
    gpx_expected = [None if not math.isfinite(v) or abs(v) >= 1e24 else 0.0 if abs(v) < 1e-23 else shortest_float(v)
                    for v in finite]
    check(elevations == gpx_expected, f"GPX elevations {elevations}")

    if shutil.which("ogrinfo") and shutil.which("ogr2ogr"):
        geo = os.path.join(work, "t.geojson")
        run(PATHLET, "export", tlx, "--format", "geojson", "-o", geo)
        info = run("ogrinfo", "-ro", "-so", "-al", geo)
        check("Geometry: 3D Line String" in info or "Geometry: Line String" in info, f"one typed layer: {info}")
        original = strict_json(open(geo, encoding="utf-8").read())["features"]
        for driver, suffix, extra in (("GPKG", "gpkg", []),
                                      ("ESRI Shapefile", "shp", ["-mapFieldType", "StringList=String,DateTime=String"])):
            converted = os.path.join(work, "t." + suffix)
            back = os.path.join(work, "back-" + suffix + ".geojson")
            run("ogr2ogr", "-f", driver, converted, geo, *extra)
            run("ogr2ogr", "-f", "GeoJSON", "-lco", "SIGNIFICANT_FIGURES=17", back, converted)
            returned = strict_json(open(back, encoding="utf-8").read())["features"]
            check(len(returned) == len(original), f"{driver}: feature count")
            for a, b in zip(original, returned):
                ca, cb = lines_of(a["geometry"]), lines_of(b["geometry"])
                cb = [[c[:len(ca[0][0])] for c in part] for part in cb]  # a shapefile gives every line a Z
                check(ca == cb, f"{driver}: coordinates of {a['properties']['name']}: {ca[0][:3]} {cb[0][:3]}")
                for key in ("name", "color", "points", "colour"):
                    check(a["properties"][key] == b["properties"][key], f"{driver}: {key}")
            if driver == "GPKG":
                check(returned[0]["properties"]["start_time"].startswith(original[0]["properties"]["start_time"][:19]),
                      "GPKG: start time")
        print("GDAL checks passed")
    else:
        print("GDAL is not installed: its checks were skipped")
print("export checks passed")
