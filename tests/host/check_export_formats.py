#!/usr/bin/python3
"""pathlet export as a user drives it, every document read back by GDAL (ogrinfo, ogr2ogr) and by a
second reader we did not write: gpxpy, Python's json and shapely for GeoJSON, xml.etree for KML, the
csv module for CSV. Lines across the antimeridian, the point layer, natural order of the tracks, the
shortest elevations, the format an output name asks for, and the README's claims about exports as
round trips through GeoPackage and Shapefile."""
import csv
import io
import json
import math
import os
import re
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

import gpxpy
from shapely.geometry import shape

PATHLET, PDBGEN = sys.argv[1], sys.argv[2]
SEMI = 2147483648.0 / 180.0
KML = "{http://www.opengis.net/kml/2.2}"

# Walk 10 crosses the antimeridian eastward; Walk 1 westward and back; the others do not cross.
# Walk 2's elevations are whole numbers; a name with a comma, quotes and XML's own characters.
# Names sort naturally: Walk 2 before Walk 10.
DESCRIPTION = r'''
log "Walk 10" color=3 flags=time,alt
point 10 179.9 t=100 alt=8848.86
point 10.1 -179.9 t=160 alt=8849.5
point 10.2 -179.8 t=220 alt=8850.25
log "Walk 2" color=5 flags=time,alt
point 47.5 8.25 t=1000 alt=100
point 47.501 8.251 t=1060 alt=200
log "Walk 1" color=0 flags=none
point -20 -179.95
point -20.01 179.95
point -20.02 -179.97
log "Say \"hi\", <you> & me" color=7 flags=time
point 1 2 t=5000
point 1.001 2.001 t=5060
''' + 'log "Long walk" color=1 flags=time\n' + "".join(
    f"point 50.{i:03d} 10 t={9000 + 60 * i}\n" for i in range(30))  # its times make a long text
NATURAL = ["Long walk", 'Say "hi", <you> & me', "Walk 1", "Walk 2", "Walk 10"]


def check(condition, what):
    if not condition:
        sys.exit("FAILED: " + what)


def run(*args, status=0):
    result = subprocess.run(args, capture_output=True, text=True)
    if result.returncode != status:
        sys.exit(f"{' '.join(args)} exited {result.returncode}, not {status}: {result.stdout}{result.stderr}")
    return result


def as_float(value):
    return struct.unpack("<f", struct.pack("<f", value))[0]


def shortest_float(value):
    """The shortest decimal text that reads back as the float `value`."""
    for digits in range(1, 10):
        text = "%.*g" % (digits, value)
        if as_float(float(text)) == value:
            return text
    return repr(value)


def strict_json(text):
    def reject(name):
        raise ValueError(f"not JSON: {name}")
    return json.loads(text, parse_constant=reject)


def read(path, mode="r"):
    with open(path, mode, **({} if "b" in mode else {"encoding": "utf-8"})) as f:
        return f.read()


def ogr_types(path, *options):
    """Field name -> type, and the geometry type, as ogrinfo -so says."""
    text = run("ogrinfo", "-ro", "-so", "-al", *options, path).stdout
    fields, geometry = {}, None
    for line in text.splitlines():
        if line.startswith("Geometry: "):
            geometry = line[len("Geometry: "):]
        elif re.fullmatch(r"\w+: \w+ \(\d+\.\d+\)", line):
            name, kind = line.split(": ", 1)
            fields[name] = kind.split(" (")[0]
    return fields, geometry


def ogr_json(path, *options):
    """A layer read by GDAL and written as GeoJSON with every digit."""
    result = run("ogr2ogr", "-f", "GeoJSON", "-lco", "SIGNIFICANT_FIGURES=17", "/vsistdout/", path, *options)
    return strict_json(result.stdout)["features"]


def parts_of(geometry):
    return [geometry["coordinates"]] if geometry["type"] == "LineString" else geometry["coordinates"]


with tempfile.TemporaryDirectory() as work:
    description = os.path.join(work, "tracks.txt")
    with open(description, "w") as f:
        f.write(DESCRIPTION)
    pdb, root = os.path.join(work, "TrackDB.pdb"), os.path.join(work, "root")
    run(PDBGEN, "describe", description, "-o", pdb)
    run(PATHLET, "users", "add", "Ann", "--root", root)
    run(PATHLET, "hotsync", "--handheld", pdb, "--root", root, "--user", "Ann")
    tlx = os.path.join(root, "Ann", "Pathlet", "Tracks.tlx")
    out = lambda name: os.path.join(work, name)

    # The reference: what dump --json says each track holds.
    dumped = {t["name"]: t for t in strict_json(run(PATHLET, "dump", "--json", "--points", tlx).stdout)["tracks"]}
    check(sorted(dumped) == sorted(NATURAL), f"tracks {sorted(dumped)}")

    # --- The format follows the output name, in any letter case; --format wins; none is a usage error.
    firsts = {"gpx": "<?xml", "geojson": '{"type": "FeatureCollection"', "kml": "<?xml", "csv": "track,"}
    for name, format in (("a.gpx", "gpx"), ("B.GPX", "gpx"), ("c.GeoJSON", "geojson"), ("d.json", "geojson"),
                         ("e.kml", "kml"), ("f.KML", "kml"), ("g.csv", "csv"), ("h.CSV", "csv")):
        run(PATHLET, "export", tlx, "-o", out(name))
        text = read(out(name))
        check(text.startswith(firsts[format]), f"{name} is {format}: {text[:40]}")
        check(("<gpx " in text) == (format == "gpx") and ("<kml " in text) == (format == "kml"), f"{name}: {format}")
    run(PATHLET, "export", tlx, "--format", "KML", "-o", out("kml.txt"))
    check("<kml " in read(out("kml.txt")), "--format in capitals")
    run(PATHLET, "export", tlx, "--format", "gpx", "-o", out("really-gpx.kml"))
    check("<gpx " in read(out("really-gpx.kml")), "--format wins over the name")
    check(run(PATHLET, "export", tlx, "--format", "geojson").stdout == read(out("c.GeoJSON")), "standard output")
    for args, words in ((["export", tlx], "--format"), (["export", tlx, "-o", "-"], "--format"),
                        (["export", tlx, "-o", out("x.txt")], "x.txt"), (["export", tlx, "--format", "xml"], "xml"),
                        (["export", tlx, "--format", "gpx", "--points"], "--points")):
        result = run(PATHLET, *args, status=2)
        check(result.stdout == "" and words in result.stderr and result.stderr.startswith("pathlet: "),
              f"usage error for {args[2:]}: {result.stderr}")
    check(not os.path.exists(out("x.txt")), "a usage error writes nothing")

    # --- GPX: natural order and the shortest elevations (gpxpy reads it).
    run(PATHLET, "export", tlx, "-o", out("t.gpx"))
    gpx_text = read(out("t.gpx"))
    gpx = gpxpy.parse(gpx_text)
    check([t.name for t in gpx.tracks] == NATURAL, f"GPX order {[t.name for t in gpx.tracks]}")
    walk10 = dumped["Walk 10"]["track_points"]
    gpx_tracks = {t.name: t for t in gpx.tracks}
    for point, reference in zip(gpx_tracks["Walk 10"].segments[0].points, walk10):
        check(as_float(point.elevation) == reference["ele"], f"GPX elevation {point.elevation}")
        check(f"<ele>{shortest_float(reference['ele'])}</ele>" in gpx_text, f"GPX shortest {reference['ele']}")
    check(repr(walk10[0]["ele"]) not in gpx_text, "no widened float digits in GPX")
    check([p.elevation for p in gpx_tracks["Walk 2"].segments[0].points] == [100.0, 200.0], "whole elevations")

    # --- GeoJSON lines: natural order, cut at the antimeridian (json and shapely).
    lines_text = read(out("c.GeoJSON"))
    lines = strict_json(lines_text)["features"]
    check([f["properties"]["name"] for f in lines] == NATURAL, "GeoJSON order")
    check(repr(walk10[0]["ele"]) not in lines_text and f", {shortest_float(walk10[0]['ele'])}]" in lines_text,
          "GeoJSON elevations are the floats' shortest decimals")
    by_name = {f["properties"]["name"]: f for f in lines}
    for name, count in (("Walk 10", 2), ("Walk 1", 3), ("Walk 2", 1), (NATURAL[0], 1)):
        geometry = by_name[name]["geometry"]
        check(geometry["type"] == ("LineString" if count == 1 else "MultiLineString"), f"{name}: {geometry['type']}")
        parts = parts_of(geometry)
        check(len(parts) == count, f"{name}: {len(parts)} parts")
        reference = dumped[name]["track_points"]
        # Every point the track has, with its own numbers, and between parts a point on each side.
        inner = [c for part in parts for c in part if abs(c[0]) != 180]
        check([(c[0], c[1]) for c in inner] == [(p["lon"], p["lat"]) for p in reference], f"{name}: the points")
        if "ele" in reference[0]:
            check([as_float(c[2]) for c in inner] == [p["ele"] for p in reference], f"{name}: elevations")
        for before, after in zip(parts, parts[1:]):
            end, start = before[-1], after[0]
            check(abs(end[0]) == 180 and start[0] == -end[0] and end[1:] == start[1:], f"{name}: the cut {end} {start}")
            # The latitude lies on the leg between the points either side, taken the short way round.
            a, b = before[-2], after[1]
            span = (b[0] - a[0]) % 360 if end[0] == 180 else -((a[0] - b[0]) % 360)
            share = (end[0] - a[0]) / span
            check(abs(end[1] - (a[1] + share * (b[1] - a[1]))) < 1e-12, f"{name}: latitude at the cut {end}")
        drawn = shape(geometry)
        check(drawn.is_valid and all(abs(x) <= 180 for x in drawn.bounds[::2]), f"{name}: within -180..180")
        # No leg runs the wrong way round the world: the parts together are as short as the track.
        check(drawn.length < 1, f"{name}: {drawn.length} degrees long")

    # GDAL: LineStrings and MultiLineStrings make a layer of type Unknown; PROMOTE_TO_MULTI keeps
    # every coordinate through GeoPackage, -nlt MULTILINESTRINGZ gives a typed layer (elevation 0
    # for a line without elevations).
    fields, geometry = ogr_types(out("c.GeoJSON"))
    check(geometry == "Unknown (any)", f"GDAL layer type {geometry}")
    check(fields == {"kind": "String", "name": "String", "color": "Integer", "colour": "String",
                     "points": "Integer", "start_time": "DateTime", "end_time": "DateTime", "times": "StringList"},
          f"GeoJSON field types {fields}")
    run("ogr2ogr", "-f", "GPKG", "-nlt", "PROMOTE_TO_MULTI", out("lines.gpkg"), out("c.GeoJSON"))
    fields, _ = ogr_types(out("lines.gpkg"))
    check(fields["times"] == "String" and fields["start_time"] == "DateTime", f"GeoPackage types {fields}")
    for a, b in zip(lines, ogr_json(out("lines.gpkg"))):
        check(b["geometry"]["type"] == "MultiLineString" and parts_of(a["geometry"]) == b["geometry"]["coordinates"],
              f"GeoPackage: coordinates of {a['properties']['name']}")
        for key in ("name", "color", "colour", "points"):
            check(a["properties"][key] == b["properties"][key], f"GeoPackage: {key}")
        times = a["properties"]["times"]
        check(b["properties"]["times"] == f"({len(times)}:{','.join(times)})", f"GeoPackage times {b['properties']}")
    run("ogr2ogr", "-f", "GPKG", "-nlt", "MULTILINESTRINGZ", out("typed.gpkg"), out("c.GeoJSON"))
    check(ogr_types(out("typed.gpkg"))[1] == "3D Multi Line String", "a typed layer with -nlt MULTILINESTRINGZ")
    for a, b in zip(lines, ogr_json(out("typed.gpkg"))):
        ca = [[c if len(c) == 3 else c + [0.0] for c in part] for part in parts_of(a["geometry"])]
        check(b["geometry"]["coordinates"] == ca, f"-nlt MULTILINESTRINGZ: coordinates of {a['properties']['name']}")
    # A Shapefile takes its dimension from the first line unless told: -dim XYZ keeps every
    # elevation (and gives a line without elevations 0).
    run("ogr2ogr", "-f", "ESRI Shapefile", out("flat.shp"), out("c.GeoJSON"),
        "-mapFieldType", "StringList=String,DateTime=String")
    flat = {f["properties"]["name"]: f for f in ogr_json(out("flat.shp"))}
    check("ele" not in dumped[NATURAL[0]]["track_points"][0] and
          all(len(c) == 2 for c in flat["Walk 2"]["geometry"]["coordinates"]),
          "without -dim XYZ a first line without elevations loses the others' too")
    run("ogr2ogr", "-f", "ESRI Shapefile", "-dim", "XYZ", out("lines.shp"), out("c.GeoJSON"),
        "-mapFieldType", "StringList=String,DateTime=String")
    for a, b in zip(lines, ogr_json(out("lines.shp"))):
        ca = [[c if len(c) == 3 else c + [0.0] for c in part] for part in parts_of(a["geometry"])]
        check(ca == parts_of(b["geometry"]), f"Shapefile: coordinates of {a['properties']['name']}")
        for key in ("name", "color", "colour", "points"):
            check(a["properties"][key] == b["properties"][key], f"Shapefile: {key} {b['properties']}")
        # Times become texts such as 1989/12/31 00:01:40+00, and a text is cut at 254 characters.
        start = a["properties"].get("start_time")
        check(b["properties"]["start_time"] == (start.replace("-", "/").replace("T", " ").replace("Z", "+00")
                                                if start else None), f"Shapefile: start time {b['properties']}")
        times = f"({len(a['properties']['times'])}:{','.join(a['properties']['times'])})"
        check(b["properties"]["times"] == times[:254], f"Shapefile: times {b['properties']['times']}")
    check(len(f"{lines[0]['properties']['times']}") > 254, "a list of times longer than a Shapefile holds")

    # --- The point layer: a Point per track point, typed fields that GeoPackage keeps.
    run(PATHLET, "export", tlx, "--points", "-o", out("points.geojson"))
    points = strict_json(read(out("points.geojson")))["features"]
    expected = [(name, i, j, p) for i, name in enumerate(NATURAL) for j, p in enumerate(dumped[name]["track_points"])]
    check(len(points) == len(expected), f"{len(points)} points")
    for feature, (name, i, j, reference) in zip(points, expected):
        properties = feature["properties"]
        check(feature["geometry"] == {"type": "Point", "coordinates": [reference["lon"], reference["lat"]]},
              f"point geometry {feature['geometry']}")
        check((properties["track"], properties["track_index"], properties["point"]) == (name, i, j), f"{properties}")
        check(properties.get("time") == reference.get("time"), f"point time {properties}")
        check(("elevation" in properties) == ("ele" in reference), f"point elevation {properties}")
        if "ele" in reference:
            check(as_float(properties["elevation"]) == reference["ele"], f"point elevation {properties}")
    points_text = read(out("points.geojson"))
    check('"elevation": 100.0' in points_text, "a whole elevation is still a real")
    types = {"track": "String", "track_index": "Integer", "point": "Integer", "time": "DateTime", "elevation": "Real"}
    fields, geometry = ogr_types(out("points.geojson"))
    check(geometry == "Point" and fields == types, f"point layer {geometry} {fields}")
    run("ogr2ogr", "-f", "GPKG", out("points.gpkg"), out("points.geojson"))
    fields, geometry = ogr_types(out("points.gpkg"))
    check(geometry == "Point" and fields == types, f"GeoPackage point layer {geometry} {fields}")
    back = run("ogr2ogr", "-f", "GeoJSON", "-lco", "SIGNIFICANT_FIGURES=17", out("points-back.geojson"),
               out("points.gpkg"))
    for a, b in zip(points, strict_json(read(out("points-back.geojson")))["features"]):
        check(a["geometry"] == b["geometry"], "GeoPackage: point coordinates")
        for key, value in a["properties"].items():
            other = b["properties"][key]
            if key == "time":
                check(other.replace(".000", "") == value, f"GeoPackage: time {other}")
            else:
                check(other == value, f"GeoPackage: {key} {other} {value}")

    # --- KML: read as XML against the structure, and by both of GDAL's KML drivers.
    kml_text = read(out("e.kml"))
    subprocess.run(["xmllint", "--noout", out("e.kml")], check=True)
    check("<name>Say &quot;hi&quot;, &lt;you&gt; &amp; me</name>" in kml_text, "KML name escaped")
    check(repr(walk10[0]["ele"]) not in kml_text and f",{shortest_float(walk10[0]['ele'])}" in kml_text,
          "KML elevations are the floats' shortest decimals")
    document = ET.fromstring(kml_text.encode("utf-8")).find(KML + "Document")
    styles = {s.get("id"): s.find(f"{KML}LineStyle/{KML}color").text for s in document.findall(KML + "Style")}
    placemarks = document.findall(KML + "Placemark")
    check([p.find(KML + "name").text for p in placemarks] == NATURAL, "KML order and names")
    for placemark, line in zip(placemarks, lines):
        name = line["properties"]["name"]
        rgb = line["properties"]["colour"][1:]
        check(styles[placemark.find(KML + "styleUrl").text[1:]] == "ff" + rgb[4:6] + rgb[2:4] + rgb[0:2],
              f"{name}: colour in aabbggrr")
        span = placemark.find(KML + "TimeSpan")
        if "start_time" in line["properties"]:
            check(span.find(KML + "begin").text == line["properties"]["start_time"] and
                  span.find(KML + "end").text == line["properties"]["end_time"], f"{name}: time span")
        else:
            check(span is None, f"{name}: no time span without times")
        multi = placemark.find(KML + "MultiGeometry")
        strings = (multi if multi is not None else placemark).findall(KML + "LineString")
        check((multi is not None) == (line["geometry"]["type"] == "MultiLineString"), f"{name}: KML geometry")
        coordinates = [[[float(v) for v in t.split(",")] for t in s.find(KML + "coordinates").text.split()]
                       for s in strings]
        check(coordinates == parts_of(line["geometry"]), f"{name}: KML coordinates")
    for driver, skip in (("KML", "LIBKML"), ("LIBKML", "KML")):
        features = ogr_json(out("e.kml"), "--config", "GDAL_SKIP", skip)
        check([f["properties"]["Name"] for f in features] == NATURAL, f"{driver}: names")
        for feature, line in zip(features, lines):
            check(parts_of(feature["geometry"]) == parts_of(line["geometry"]), f"{driver}: geometry of {feature}")
        if driver == "LIBKML":
            fields, _ = ogr_types(out("e.kml"), "--config", "GDAL_SKIP", skip)
            check(fields["begin"] == "DateTime" and fields["end"] == "DateTime", f"LIBKML: {fields}")
            for feature, line in zip(features, lines):
                for ours, theirs in (("start_time", "begin"), ("end_time", "end")):
                    time = line["properties"].get(ours)
                    check(feature["properties"].get(theirs) == time,
                          f"LIBKML: {theirs} {feature['properties']}")

    # --- CSV: RFC 4180 by Python's csv module, then by GDAL's CSV driver.
    raw = read(out("g.csv"), "rb")
    check(not raw.startswith(b"\xef\xbb\xbf") and raw.endswith(b"\r\n") and b"\n" not in raw.replace(b"\r\n", b""),
          "CSV: UTF-8 without a byte order mark, CRLF line ends")
    rows = list(csv.reader(io.StringIO(raw.decode("utf-8"), newline="")))
    header = ["track", "track_index", "point", "latitude", "longitude", "elevation", "time"]
    check(rows[0] == header, f"CSV header {rows[0]}")
    check(len(rows) == 1 + len(expected), "a row per point")
    for row, (name, i, j, reference) in zip(rows[1:], expected):
        check(row[:3] == [name, str(i), str(j)], f"CSV row {row}")
        check(float(row[3]) == reference["lat"] and float(row[4]) == reference["lon"], f"CSV coordinates {row}")
        check("e" not in row[5] and (float(row[5]) == float(shortest_float(reference["ele"])) if "ele" in reference
                                     else row[5] == ""), f"CSV elevation {row}")
        check(row[6] == reference.get("time", ""), f"CSV time {row}")
    check(b'"Say ""hi"", <you> & me"' in raw, "CSV quoting")
    csv_options = ["-oo", "X_POSSIBLE_NAMES=longitude", "-oo", "Y_POSSIBLE_NAMES=latitude", "-oo", "AUTODETECT_TYPE=YES"]
    fields, geometry = ogr_types(out("g.csv"), *csv_options)
    check(geometry == "Point" and fields == {"track": "String", "track_index": "Integer", "point": "Integer",
                                             "latitude": "Real", "longitude": "Real", "elevation": "Real",
                                             "time": "DateTime"}, f"GDAL CSV {geometry} {fields}")
    for feature, point in zip(ogr_json(out("g.csv"), *csv_options), points):
        check(feature["geometry"] == point["geometry"], f"GDAL CSV point {feature['geometry']}")
        check(feature["properties"]["track"] == point["properties"]["track"], "GDAL CSV names")
        check(feature["properties"].get("elevation") == point["properties"].get("elevation"),
              f"GDAL CSV elevation {feature['properties']}")
        check(feature["properties"].get("time") == point["properties"].get("time"), f"GDAL CSV time {feature}")
print("export format checks passed")
