#!/usr/bin/python3
"""Checks pathlet plot as a user meets it, on data that is not the demo's: groups of tracks far
apart with their lettered insets, a track too small to see, a long legend, two million points,
shorelines (and a map without them), a track across the antimeridian, a dozen groups crowded on the
overview, fifty tracks told apart, and names too long for the legend. The SVG is checked with
xmllint and read as XML by Python; positions are checked against the graticule's own labels.
Usage: check_map.py PATHLET PDBGEN"""
import itertools
import math
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

PATHLET, PDBGEN = sys.argv[1], sys.argv[2]
SVG = "{http://www.w3.org/2000/svg}"
DASH = "\u2013"
ELLIPSIS = "\u2026"
# What Debian's gmt-gshhg-low installs; `make test` installs it.
COASTLINES = "/usr/share/gmt-gshhg/binned_GSHHS_l.nc"
METRES_PER_DEGREE = 111319.49


def check(condition, what):
    if not condition:
        sys.exit("FAILED: " + what)


def run(*args, env=None):
    result = subprocess.run(args, capture_output=True, text=True, timeout=300, env=env)
    if result.returncode != 0:
        sys.exit(f"{' '.join(args)} failed: {result.stdout}{result.stderr}")
    return result


def plot(work, name, handheld, codepage=None, env=None):
    """HotSyncs `handheld` into a fresh root and plots it: (svg path, root element, stderr)."""
    root = os.path.join(work, name)
    run(PATHLET, "users", "add", "Ann", "--root", root)
    extra = ["--codepage", codepage] if codepage else []
    run(PATHLET, "hotsync", "--handheld", handheld, "--root", root, "--user", "Ann", *extra)
    svg = os.path.join(work, name + ".svg")
    result = run(PATHLET, "plot", os.path.join(root, "Ann", "Pathlet", "Tracks.tlx"), "-o", svg, env=env)
    subprocess.run(["xmllint", "--noout", svg], check=True)
    return svg, ET.parse(svg).getroot(), result.stderr


def describe(work, name, text):
    path = os.path.join(work, name + ".txt")
    with open(path, "w") as f:
        f.write(text)
    handheld = os.path.join(work, name + ".pdb")
    run(PDBGEN, "describe", path, "-o", handheld)
    return handheld


def walk(name, lat, lon, points=40, step=0.0004, color=None, east=None):
    """A zigzag north from (lat, lon); with `east`, a straight line that also goes east by it a point."""
    head = f'log "{name}" flags=time' + (f" color={color}" if color is not None else "")
    lines = [head]
    for i in range(points):
        x = lon + (i * east if east is not None else (i % 7) * step)
        x = (x + 180) % 360 - 180
        lines.append(f"point {lat + i * step} {x} t={100 + i}")
    return "\n".join(lines) + "\n"


def escaped(text, codepage):
    return "".join(f"\\x{b:02x}" for b in text.encode(codepage))


def classes(element):
    return (element.get("class") or "").split()


def having(root, kind, tag=None):
    return [e for e in root.iter(tag and SVG + tag) if kind in classes(e)]


def frames(root):
    """Each map's frame from its clip path, by id: map0 the overview, map1... the insets."""
    result = {}
    for clip in root.iter(SVG + "clipPath"):
        rect = clip.find(SVG + "rect")
        x, y = float(rect.get("x")), float(rect.get("y"))
        result[clip.get("id")] = (x, y, x + float(rect.get("width")), y + float(rect.get("height")))
    return result


def inside(frame, x, y):
    return frame[0] <= x <= frame[2] and frame[1] <= y <= frame[3]


def angle(text):
    """A graticule label back in degrees: '46°30′N' is 46.5, '7°05′30″W' is -7.091..."""
    match = re.fullmatch(r"(\d+)°(?:(\d\d)′)?(?:(\d\d)″)?([NSEW]?)", text)
    check(match is not None, f"a graticule label reads as an angle: {text!r}")
    degrees = int(match[1]) + int(match[2] or 0) / 60 + int(match[3] or 0) / 3600
    return -degrees if match[4] in ("S", "W") else degrees


def graticule(root, frame):
    """The latitude labels [(degrees, y)] and longitude labels [(degrees, x)] in a frame."""
    latitudes, longitudes = [], []
    for label in having(root, "graticule-label", "text"):
        x, y = float(label.get("x")), float(label.get("y"))
        if inside(frame, x, y):
            (latitudes if "latitude" in classes(label) else longitudes).append(
                (angle(label.text), y if "latitude" in classes(label) else x))
    return latitudes, longitudes


def fit(pairs):
    """The straight line through (value, pixel) pairs: pixel = a + b * value, and its worst miss."""
    n = len(pairs)
    mean_v = sum(v for v, _ in pairs) / n
    mean_p = sum(p for _, p in pairs) / n
    b = sum((v - mean_v) * (p - mean_p) for v, p in pairs) / sum((v - mean_v) ** 2 for v, _ in pairs)
    a = mean_p - b * mean_v
    return a, b, max(abs(a + b * v - p) for v, p in pairs)


def unwrap(longitudes, near):
    return [(v + 360 * round((near - v) / 360), x) for v, x in longitudes]


def check_graticule(root, frame, name, start, what):
    """The graticule's labels are angles at an even step, their lines where they say, and the
    track `name` starts where its first point (lat, lon) says by those labels."""
    latitudes, longitudes = graticule(root, frame)
    check(len(latitudes) >= 2 and len(longitudes) >= 1, f"{what}: latitude and longitude labels")
    longitudes = unwrap(longitudes, start[1])
    for labels in (latitudes, longitudes) if len(longitudes) >= 2 else (latitudes,):
        steps = {round(b[0] - a[0], 6) for a, b in zip(sorted(labels), sorted(labels)[1:])}
        steps = {s for s in steps if s}
        check(len({round(s / min(steps), 6) for s in steps} - {1.0, 2.0, 3.0}) == 0,
              f"{what}: labels at an even step: {sorted(labels)}")
    a_lat, b_lat, miss_lat = fit(latitudes)
    centre = (frame[1] + frame[3]) / 2
    latitude = (centre - a_lat) / b_lat
    if len(longitudes) >= 2:
        a_lon, b_lon, miss_lon = fit(longitudes)
        # A kilometre is as long east as north at the map's centre.
        check(abs(b_lon / -b_lat - math.cos(math.radians(latitude))) < 0.01, f"{what}: the shape kept")
    else:
        # A narrow map has room for one longitude; east goes by the latitude's scale.
        b_lon, miss_lon = -b_lat * math.cos(math.radians(latitude)), 0
        a_lon = longitudes[0][1] - b_lon * longitudes[0][0]
    check(b_lat < 0 and b_lon > 0, f"{what}: north is up and east is right")
    check(miss_lat < 0.2 and miss_lon < 0.2, f"{what}: labels stand on evenly spaced lines")
    # The page's lines are drawn where their labels are.
    lines = having(root, "graticule", "path")
    check(lines, f"{what}: graticule lines")
    coordinates = " ".join(line.get("d") for line in lines)
    for value, y in latitudes:
        check(f"{y:.1f}H" in coordinates, f"{what}: a line under latitude label {value} at y {y}")
    track = [g for g in having(root, "track", "g") if g.find(SVG + "title").text == name
             and inside(frame, *marker(g))]
    check(len(track) == 1, f"{what}: {name} drawn once")
    x, y = marker(track[0])
    lat, lon = start
    lon += 360 * round((longitudes[0][0] - lon) / 360)
    check(abs(a_lat + b_lat * lat - y) < 1.5 and abs(a_lon + b_lon * lon - x) < 1.5,
          f"{what}: {name} starts at ({x}, {y}), where its labels put {start}: "
          f"({a_lon + b_lon * lon:.1f}, {a_lat + b_lat * lat:.1f})")
    return b_lat


def marker(track):
    circle = track.find(SVG + "circle")
    return float(circle.get("cx")), float(circle.get("cy"))


def check_scale_bar(root, frame, pixels_per_degree, what):
    bars = [g for g in having(root, "scale-bar", "g")
            if inside(frame, float(g.find(SVG + "rect").get("x")), float(g.find(SVG + "rect").get("y")))]
    check(len(bars) == 1, f"{what}: one scale bar")
    text = bars[0].find(SVG + "text").text
    match = re.fullmatch(r"(\d+) (k?m)", text)
    check(match is not None and match[1][0] in "125" and set(match[1][1:]) <= {"0"},
          f"{what}: a scale bar of 1, 2 or 5 times a power of ten: {text!r}")
    metres = int(match[1]) * (1000 if match[2] == "km" else 1)
    pixels = float(having(bars[0], "scale-bar-length", "rect")[0].get("width"))
    expected = metres / METRES_PER_DEGREE * pixels_per_degree
    check(abs(pixels - expected) < 0.5, f"{what}: {text} is {pixels} pixels, the graticule says {expected:.1f}")
    check(frame[2] - frame[0] >= pixels * 2.5, f"{what}: the bar is a fraction of the map")


def boxes(root, kind):
    result = []
    for rect in having(root, kind, "rect"):
        x, y = float(rect.get("x")), float(rect.get("y"))
        result.append((x, y, x + float(rect.get("width")), y + float(rect.get("height"))))
    return result


def overlapping(a, b):
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


def letters(root, kind):
    return [g.find(SVG + "text").text for g in having(root, kind, "g")]


def legend(root):
    """{name as shown: (entry title or None, inset letter or '', (stroke, dasharray))}"""
    entries = {}
    for entry in having(root, "legend-entry", "g"):
        name = having(entry, "legend-name", "text")[0].text
        inset = having(entry, "legend-inset", "text")
        line = having(entry, "legend-line", "line")[0]
        title = entry.find(SVG + "title")
        check(name not in entries, f"one legend entry per name: {name}")
        entries[name] = (title.text if title is not None else None, inset[0].text if inset else "",
                         (line.get("stroke"), line.get("stroke-dasharray") or ""))
    return entries


def coast_points(root, kind="coast"):
    points = []
    for path in having(root, kind, "path"):
        numbers = [float(n) for n in re.findall(r"-?\d+(?:\.\d+)?", path.get("d"))]
        points += list(zip(numbers[0::2], numbers[1::2]))
    return points


with tempfile.TemporaryDirectory() as work:
    # Two groups 200 km apart, a lone speck, and 120 walks for a legend longer than the map.
    description = walk("Alps 1", 46.0, 7.0) + walk("Alps 2", 46.01, 7.02)
    description += walk("Jura", 47.7, 7.0) + walk("Speck", 46.5, 9.5, points=3, step=0.000001)
    description += "".join(walk(f"Walk {i}", 46.0 + i * 0.0001, 7.001, points=5) for i in range(1, 121))
    svg, root, _ = plot(work, "groups", describe(work, "groups", description))
    maps = frames(root)
    check(len(maps) == 4, f"an overview and an inset for each of 3 groups, not {len(maps)} maps")
    check(sorted(letters(root, "overview-letter")) == ["A", "B", "C"], "lettered frames on the overview")
    check(sorted(letters(root, "inset-letter")) == ["A", "B", "C"], "lettered insets")
    check(any(c.get("r") == "5" for c in root.iter(f"{SVG}circle")), "a marker for the speck")
    starts = [c for c in root.iter(f"{SVG}circle") if c.get("r") == "3.5"]
    ends = [r for r in root.iter(f"{SVG}rect") if r.get("width") == "6"]
    check(len(starts) == len(ends) and len(starts) >= 3, "start and end markers")
    height, width = float(root.get("height")), float(root.get("width"))
    names = legend(root)
    positions = [(float(t.get("x")), float(t.get("y")), t.text) for t in having(root, "legend-name", "text")]
    check(len(names) == 124, f"every track in the legend, not {len(names)}")
    check(all(y < height and x < width for x, y, _ in positions), "the legend stays inside the picture")
    check(len({x for x, _, _ in positions}) >= 2, "a long legend wraps into columns")
    order = [name for _, _, name in sorted(positions, key=lambda e: (e[0], e[1]))]
    walks = [n for n in order if n.startswith("Walk")]
    check(walks == [f"Walk {i}" for i in range(1, 121)], f"natural order: {walks[:12]}")
    # Each track's legend letter is that of the inset that draws it.
    for name, (_, letter, _) in names.items():
        holders = [inset for inset, frame in maps.items() if inset != "map0" and any(
            g.find(SVG + "title").text == name and inside(frame, *marker(g)) for g in having(root, "track", "g"))]
        check(len(holders) == 1, f"{name} is in one inset: {holders}")
        frame = maps[holders[0]]
        badge = [g for g in having(root, "inset-letter", "g")
                 if inside(frame, float(g.find(SVG + "rect").get("x")), float(g.find(SVG + "rect").get("y")))]
        check(len(badge) == 1 and badge[0].find(SVG + "text").text == letter,
              f"{name}: legend says inset {letter!r}, it is drawn in the one lettered "
              f"{[b.find(SVG + 'text').text for b in badge]}")
    check(names["Jura"][1] != names["Alps 1"][1] == names["Walk 7"][1], "groups far apart, insets apart")
    # The graticule says where things are, on the overview and on an inset; so do the scale bars.
    scale = check_graticule(root, maps["map0"], "Jura", (47.7, 7.0), "overview")
    check_scale_bar(root, maps["map0"], -scale, "overview")
    jura = next(m for m, f in maps.items() if m != "map0" and any(
        g.find(SVG + "title").text == "Jura" and inside(f, *marker(g)) for g in having(root, "track", "g")))
    scale = check_graticule(root, maps[jura], "Jura", (47.7, 7.0), "Jura's inset")
    check_scale_bar(root, maps[jura], -scale, "Jura's inset")
    # Every track of one colour, each in a style of its own, the same on the map as in the legend.
    styles = [style for _, _, style in names.values()]
    check(len(set(styles)) == len(styles), "124 tracks of one colour told apart by their dashes")
    for g in having(root, "track", "g"):
        line = g.find(SVG + "polyline")
        if line is not None:
            style = (line.get("stroke"), line.get("stroke-dasharray") or "")
            check(names[g.find(SVG + "title").text][2] == style, "a track drawn as its legend shows it")
    check(not any(overlapping(a, b) for a, b in itertools.combinations(boxes(root, "overview-letter-box"), 2)),
          "overview letters apart")

    # The demo's walks lie together: one map, and no inset letters or key in the legend.
    run(PATHLET, "demo", "--root", os.path.join(work, "demo"))
    demo_svg = os.path.join(work, "demo.svg")
    run(PATHLET, "plot", os.path.join(work, "demo", "Demo_User", "Pathlet", "Tracks.tlx"), "-o", demo_svg)
    root = ET.parse(demo_svg).getroot()
    check(len(frames(root)) == 1 and not having(root, "legend-key", "tspan") and
          not any(letter for _, letter, _ in legend(root).values()), "one group: no insets, no letters, no key")

    # Two million points: thinned to what the screen shows.
    big = os.path.join(work, "big.pdb")
    run(PDBGEN, "synth", "--logs", "40", "--points", "50000", "--per-record", "2000", "-o", big)
    svg, root, _ = plot(work, "big", big)
    size = os.path.getsize(svg)
    check(size < 2_000_000, f"the SVG of 2,000,000 points has {size} bytes")
    lines = root.findall(f".//{SVG}polyline")
    check(len(lines) >= 40, "every track drawn")
    for line in lines[:5]:
        xy = [tuple(map(float, p.split(","))) for p in line.get("points").split()]
        check(len(xy) >= 2, "a line keeps its ends")

    # Three harbours of the Mediterranean, 150 to 300 km apart: the overview shows the shore.
    coast = describe(work, "coast", walk("Marseille", 43.245, 5.372, color=1) +
                     walk("Nice", 43.695, 7.275, color=2) + walk("Genoa", 44.405, 8.925, color=3))
    if os.path.exists(COASTLINES):
        _, root, errors = plot(work, "coast", coast)
        check(errors == "", f"nothing said: {errors!r}")
        maps = frames(root)
        shore = [p for p in coast_points(root) if inside(maps["map0"], *p)]
        check(len(shore) > 50, f"the shore drawn on the overview: {len(shore)} points")
        scale = check_graticule(root, maps["map0"], "Marseille", (43.245, 5.372), "the shore's overview")
        check_scale_bar(root, maps["map0"], -scale, "the shore's overview")
        # The graticule's labels leave the groups' frames clear: Marseille lies by the left edge, on 43°15′N.
        for label in having(root, "graticule-label", "text"):
            x, y = float(label.get("x")), float(label.get("y"))
            width = 6.0 * len(label.text)
            box = (x, y - 5, x + width, y + 5) if "latitude" in classes(label) else (x - width / 2, y - 9, x + width / 2, y)
            for frame in boxes(root, "group-frame"):
                check(not overlapping(box, frame), f"graticule label {label.text} over a group's frame {frame}")
        # Each harbour lies on the shore (the data set strays a kilometre, a few pixels here).
        for g in having(root, "track", "g"):
            x, y = marker(g)
            if inside(maps["map0"], x, y):
                near = min(math.hypot(x - px, y - py) for px, py in shore)
                check(near < 12, f"{g.find(SVG + 'title').text} is {near:.1f} pixels from the shore")
    else:
        print(f"note: {COASTLINES} is not installed; the map is checked without shores")
    # A data set that is not there: the same map, without shores, and not a word about it.
    environment = dict(os.environ, PATHLET_COASTLINES=os.path.join(work, "no-such-coastlines.nc"))
    _, root, errors = plot(work, "no-coast", coast, env=environment)
    check(errors == "", f"a missing data set is not an error: {errors!r}")
    check(not having(root, "coast", "path") and not having(root, "lake", "path"), "no shores without data")
    check(len(having(root, "track", "g")) == 6 and len(frames(root)) == 4, "the map drawn all the same")
    check_graticule(root, frames(root)["map0"], "Nice", (43.695, 7.275), "the map without shores")

    # Across the antimeridian: one map, east longitudes left of west ones, 180° between them.
    _, root, _ = plot(work, "dateline", describe(
        work, "dateline", walk("Ferry", -16.8, 179.7, points=60, step=0.003, east=0.012, color=3) +
        walk("Taveuni", -16.85, -179.95, points=30, step=0.002, color=5)))
    maps = frames(root)
    check(len(maps) == 1, "tracks either side of the antimeridian lie together")
    _, longitudes = graticule(root, maps["map0"])
    texts = [text for _, text in sorted((x, t.text) for t in having(root, "longitude", "text")
                                         for x in [float(t.get("x"))])]
    check(texts[0].endswith("E") and texts[-1].endswith("W"), f"east on the left, west on the right: {texts}")
    check(any(t.startswith("180°") and t[-1] not in "EW" for t in texts), f"the antimeridian labelled: {texts}")
    check_graticule(root, maps["map0"], "Taveuni", (-16.85, -179.95), "across the antimeridian")
    ferry = [g for g in having(root, "track", "g") if g.find(SVG + "title").text == "Ferry"][0]
    xs = [float(p.split(",")[0]) for p in ferry.find(SVG + "polyline").get("points").split()]
    check(max(xs) - min(xs) < 800 and xs == sorted(xs), "the ferry sails east in one piece")

    # A dozen groups a few kilometres apart and one far away: crowded letters that never touch.
    crowd = "".join(walk(f"Spot {i}", 45.0 + (i % 4) * 0.08, 6.0 + (i // 4) * 0.09, points=10, step=0.0003)
                    for i in range(12))
    _, root, _ = plot(work, "crowd", describe(work, "crowd", crowd + walk("Far away", 48.0, 11.0)))
    labels = boxes(root, "overview-letter-box")
    check(len(labels) == 12, f"twelve lettered groups: {len(labels)}")
    overview = frames(root)["map0"]
    check(all(inside(overview, b[0], b[1]) and inside(overview, b[2], b[3]) for b in labels),
          "letters inside the overview")
    for a, b in itertools.combinations(labels, 2):
        check(not overlapping(a, b), f"overview letters {a} and {b} overlap")
    check(sorted(letters(root, "inset-letter")) == [chr(ord("A") + i) for i in range(12)], "twelve insets")
    names = legend(root)
    check(sorted(letter for _, letter, _ in names.values()) == [chr(ord("A") + i) for i in range(12)] + [DASH]
          and len(names) == 13, f"the legend letters every track an inset shows, and marks the thirteenth "
          f"group's as having none: {[letter for _, letter, _ in names.values()]}")
    key = "".join(having(root, "legend-key", "tspan")[0].itertext())
    check(DASH + ": none, plot it with --track" in key, f"the legend's key says what the mark means: {key!r}")
    # A track of its own: drawn alone, its map fitted to it; other names are refused with words.
    crowd_file = os.path.join(work, "crowd", "Ann", "Pathlet", "Tracks.tlx")
    alone = os.path.join(work, "alone.svg")
    run(PATHLET, "plot", crowd_file, "--track", "Far away", "--track", "Spot 3", "-o", alone)
    root = ET.parse(alone).getroot()
    check(sorted(legend(root)) == ["Far away", "Spot 3"], f"only the tracks asked for: {sorted(legend(root))}")
    check(sorted(letters(root, "inset-letter")) == ["A", "B"], "the two far apart, each in an inset of its own")
    refused = subprocess.run([PATHLET, "plot", crowd_file, "--track", "Spot 99", "-o", alone], capture_output=True,
                             text=True, timeout=60)
    check(refused.returncode == 1 and "no track is named 'Spot 99' ('pathlet dump' lists the tracks)" in
          refused.stderr, f"an unknown track is named: {refused.returncode} {refused.stderr!r}")
    check(legend(ET.parse(alone).getroot()).keys() == {"Far away", "Spot 3"}, "a refused plot leaves the old map")

    # Fifty tracks in the handheld's sixteen colours: fifty styles, colours kept.
    fifty = "".join(walk(f"Walk {i}", 46.0 + (i % 10) * 0.002, 7.0 + (i // 10) * 0.004, points=12,
                         step=0.0002, color=i % 16) for i in range(50))
    _, root, _ = plot(work, "fifty", describe(work, "fifty", fifty))
    names = legend(root)
    check(len(names) == 50, "fifty in the legend")
    styles = [style for _, _, style in names.values()]
    check(len(set(styles)) == 50, f"fifty tracks, {len(set(styles))} styles")
    check(len({colour for colour, _ in styles}) == 16, "the handheld's sixteen colours kept")
    check(sum(1 for _, dashes in styles if dashes == "") == 16, "the first track of each colour is solid")

    # Names longer than the legend's column, in a code page of two-byte characters: cut on a
    # character with "…", the whole name in the entry's title and the track's.
    long_names = ["Mt Fuji 東京から富士山までの長い長い散歩道です", "ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴ",
                  "Lake Kawaguchi and the long way round back"]
    described = "".join(walk(escaped(n, "cp932"), 35.36 + i * 0.001, 138.73, points=8)
                        for i, n in enumerate(long_names + ["短い"]))
    _, root, _ = plot(work, "names", describe(work, "names", described), codepage="932")
    names = legend(root)
    check(names.get("短い", (None,))[0] is None, f"a short name whole and untitled: {list(names)}")
    for full in long_names:
        shown = [n for n, (title, _, _) in names.items() if title == full]
        check(len(shown) == 1, f"{full} has a legend entry titled with its whole name: {list(names)}")
        cut = shown[0]
        check(cut.endswith(ELLIPSIS) and len(cut) < len(full) and full.startswith(cut[:-1]),
              f"{full!r} cut with an ellipsis: {cut!r}")
        check(any(g.find(SVG + "title").text == full for g in having(root, "track", "g")),
              f"{full}: the whole name on the track")
print("map checks passed")
