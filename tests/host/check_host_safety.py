#!/usr/bin/python3
"""Drives the built pathlet and pathlet-pdbgen as users and hostile neighbours would: a demo that
deletes nothing it did not make, concurrent HotSyncs of one user, links at the temporary names,
handhelds that claim more points than their bytes hold, damaged and doubled TrackDBs, users.ini
mistakes, the reasons printed for every failure, and what a HotSync killed mid-write leaves.
Usage: check_host_safety.py PATHLET PDBGEN"""
import concurrent.futures
import fcntl
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

PATHLET, PDBGEN = sys.argv[1], sys.argv[2]
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def run(*args, env=None, timeout=120):
    result = subprocess.run(args, capture_output=True, text=True, env=env, timeout=timeout)
    return result.returncode, result.stdout, result.stderr


def pdb(path, description):
    text = path + ".txt"
    with open(text, "w") as f:
        f.write(description)
    code, out, err = run(PDBGEN, "describe", text, "-o", path)
    assert code == 0, err
    return path


def contents(path):
    with open(path, "rb") as f:
        return f.read()


def words(err):
    """The last line on standard error: what happened, in words."""
    lines = [l for l in err.splitlines() if l.startswith("pathlet: ")]
    return lines[-1][len("pathlet: "):] if lines else ""


def demo_checks(work):
    # A HotSync root with real data is refused and left whole.
    root = os.path.join(work, "real-root")
    run(PATHLET, "users", "add", "Alice", "--root", root)
    with open(os.path.join(root, "Alice", "Pathlet", "Tracks.tlx"), "w") as f:
        f.write("precious")
    code, out, err = run(PATHLET, "demo", "--root", root)
    check(code == 1 and "not a demo root" in err, f"demo refuses a real root: {err}")
    check(contents(os.path.join(root, "Alice", "Pathlet", "Tracks.tlx")) == b"precious", "the root is untouched")
    # Without a root the demo makes its own directory and says where.
    env = dict(os.environ, TMPDIR=work)
    code, out, err = run(PATHLET, "demo", env=env)
    made = re.search(r"The demo wrote only in (\S+);", out)
    check(code == 0 and made and made.group(1).startswith(work + "/pathlet-demo-"), f"demo root: {out}")
    # An earlier demo's root is made afresh; something the demo did not make there stops it.
    again = os.path.join(work, "demo-again")
    check(run(PATHLET, "demo", "--root", again)[0] == 0, "a demo in a new directory")
    check(run(PATHLET, "demo", "--root", again)[0] == 0, "a demo again in its own root")
    with open(os.path.join(again, "notes.txt"), "w") as f:
        f.write("mine")
    code, out, err = run(PATHLET, "demo", "--root", again)
    check(code == 1 and "notes.txt" in err and os.path.exists(os.path.join(again, "notes.txt")), "notes kept")


def concurrency_checks(work):
    """8 HotSyncs of one user at once, 50 times: every result is one run's whole file."""
    root = os.path.join(work, "busy")
    run(PATHLET, "users", "add", "Alice", "--root", root)
    handhelds, expected = [], set()
    for k in range(8):
        path = os.path.join(work, f"h{k}.pdb")
        run(PDBGEN, "synth", "--logs", str(2 + k), "--points", str(300 + 50 * k), "--seed", str(k + 1), "-o", path)
        handhelds.append(path)
        alone = os.path.join(work, f"alone{k}")
        run(PATHLET, "users", "add", "Alice", "--root", alone)
        code, _, err = run(PATHLET, "hotsync", "--handheld", path, "--root", alone, "--user", "Alice")
        assert code == 0, err
        expected.add(contents(os.path.join(alone, "Alice", "Pathlet", "Tracks.tlx")))
    tracks = os.path.join(root, "Alice", "Pathlet", "Tracks.tlx")
    bad = 0
    with concurrent.futures.ThreadPoolExecutor(8) as pool:
        for repeat in range(50):
            results = list(pool.map(lambda h: run(PATHLET, "hotsync", "--handheld", h, "--root", root,
                                                  "--user", "Alice"), handhelds))
            bad += sum(1 for code, _, _ in results if code != 0)
            if contents(tracks) not in expected:
                bad += 1
    check(bad == 0, f"{bad} of 400 concurrent HotSyncs failed or left a file that is no run's output")
    # A HotSync that cannot get the user's lock in time does nothing and says why.
    with open(os.path.join(root, ".hotsync-1.lock"), "w") as held:
        fcntl.flock(held, fcntl.LOCK_EX)
        before = contents(tracks)
        code, _, err = run(PATHLET, "hotsync", "--handheld", handhelds[0], "--root", root, "--user", "Alice",
                           "--wait", "0.3")
        check(code == 1 and "is running; waiting" in err and "is still running; nothing was done" in err, err)
        check(contents(tracks) == before, "a refused HotSync leaves the file")
    leftovers = [n for n in os.listdir(os.path.dirname(tracks)) if n != "Tracks.tlx"]
    check(not leftovers, f"nothing beside Tracks.tlx: {leftovers}")
    blocks = open(os.path.join(root, "HotSync.log")).read().split("--- HotSync of ")[1:]
    check(len(blocks) == 400, f"400 blocks in HotSync.log, not {len(blocks)}")
    check(all(re.fullmatch(r"Alice at [^\n]*\n19 start\n20 finish: Pathlet\n", b) for b in blocks),
          "every block of HotSync.log is one whole run")


def link_checks(work):
    root = os.path.join(work, "links")
    run(PATHLET, "users", "add", "Alice", "--root", root)
    handheld = pdb(os.path.join(work, "one.pdb"), "log T flags=time\npoint 47 8 t=10\npoint 47.1 8 t=20\n")
    outside = os.path.join(work, "outside.txt")
    with open(outside, "w") as f:
        f.write("precious")
    for name in ("Alice/Pathlet/Tracks.tlx.partial", "Alice/settings.ini.partial", "users.ini.partial"):
        os.symlink(outside, os.path.join(root, name))
    os.symlink(os.path.join(work, "dangling-target"), os.path.join(root, "Alice", "Pathlet", "x.partial"))
    code, _, err = run(PATHLET, "hotsync", "--handheld", handheld, "--root", root, "--user", "Alice")
    check(code == 0, f"HotSync beside links: {err}")
    check(run(PATHLET, "configure", "--root", root, "--user", "Alice", "--action", "sync")[0] == 0, "configure")
    check(contents(outside) == b"precious" and not os.path.exists(os.path.join(work, "dangling-target")),
          "nothing written through a link")
    # A HotSync.log that is a link is not appended through: the HotSync says so.
    os.rename(os.path.join(root, "HotSync.log"), os.path.join(work, "old.log"))
    os.symlink(outside, os.path.join(root, "HotSync.log"))
    code, _, err = run(PATHLET, "hotsync", "--handheld", handheld, "--root", root, "--user", "Alice")
    check(code == 1 and "HotSync log" in err and contents(outside) == b"precious", f"linked log: {err}")


def bound_checks(work):
    """Logs of stride 0 claim 65,535 points each from a few bytes."""
    root = os.path.join(work, "bound")
    run(PATHLET, "users", "add", "Alice", "--root", root)
    logs = "".join(f"log L{i} flags=time stride=0 count=65535\npoint 47 8 t=10\n" for i in range(400))
    handheld = pdb(os.path.join(work, "stride0.pdb"), logs)
    size = os.path.getsize(handheld)
    code, out, err = run(PATHLET, "hotsync", "--handheld", handheld, "--root", root, "--user", "Alice")
    check(code == 0 and "decoding stopped" in out, f"the log says decoding stopped: {out}")
    written = os.path.getsize(os.path.join(root, "Alice", "Pathlet", "Tracks.tlx"))
    points = int(re.search(r"([\d,]+) points?$", words(err)).group(1).replace(",", ""))
    check(points <= size // 8, f"{points} points from a {size}-byte handheld")
    check(written < 40 * size, f"a {size}-byte handheld gave a {written}-byte file")


def failure_checks(work):
    root = os.path.join(work, "fail")
    run(PATHLET, "users", "add", "Alice", "--root", root)
    good = pdb(os.path.join(work, "good.pdb"), "log T flags=time\npoint 47 8 t=10\n")
    data = contents(good)

    def hotsync(handheld, *extra, user="Alice"):
        return run(PATHLET, "hotsync", "--handheld", handheld, "--root", root, "--user", user, *extra)

    gpx = os.path.join(work, "tracks.gpx")
    with open(gpx, "w") as f:
        f.write("<?xml version='1.0'?><gpx></gpx>")
    code, _, err = hotsync(gpx)
    check(code == 1 and words(err) == f"no TrackDB in {gpx} (not a database file)", f"gpx: {words(err)}")
    empty = os.path.join(work, "empty.pdb")
    open(empty, "w").close()
    code, _, err = hotsync(empty)
    check(code == 1 and words(err).startswith(f"no TrackDB in {empty}"), f"empty: {words(err)}")
    cut = os.path.join(work, "cut", "TrackDB.pdb")
    os.makedirs(os.path.dirname(cut))
    with open(cut, "wb") as f:
        f.write(data[:82])
    code, _, err = hotsync(cut)
    check(code == 1 and words(err).startswith("TrackDB.pdb is damaged: "), f"truncated: {words(err)}")
    nothing = os.path.join(work, "nothing")
    os.makedirs(nothing)
    code, _, err = hotsync(nothing)
    check(code == 1 and words(err) == f"no TrackDB in {nothing} (0 database files there)", f"dir: {words(err)}")

    # Of two TrackDBs the first good one wins, and the other is named.
    double = os.path.join(work, "double")
    os.makedirs(double)
    with open(os.path.join(double, "a.pdb"), "wb") as f:
        f.write(data[:82])
    with open(os.path.join(double, "b.pdb"), "wb") as f:
        f.write(data)
    with open(os.path.join(double, "c.pdb"), "wb") as f:
        f.write(data)
    code, _, err = hotsync(double)
    check(code == 0 and "warning: a.pdb is damaged" in err and "b.pdb was used instead" in err
          and "c.pdb also holds TrackDB and was not used" in err, f"doubled TrackDB: {err}")

    check(words(hotsync(good, "--sync-type", "6")[2]) == "nothing done: the action asked for is Do nothing",
          "do nothing asked for")
    run(PATHLET, "configure", "--root", root, "--user", "Alice", "--action", "nothing")
    check(words(hotsync(good)[2]) == "nothing done: the action for this user is Do nothing", "do nothing")
    # Every sync type a HotSync Manager passes is taken, by number or name; the conduit copies only
    # for handheld to desktop and leaves the desktop file as it was for all the others.
    tlx = os.path.join(root, "Alice", "Pathlet", "Tracks.tlx")
    with open(tlx, "rb") as f:
        before = f.read()
    for given, said in (("0", "Fast sync"), ("slow", "Slow sync"), ("3", "Desktop overwrites handheld"),
                        ("Desktop-To-Handheld", "Desktop overwrites handheld"), ("4", "Install"),
                        ("backup", "Backup"), ("NOTHING", "Do nothing"), ("7", "Profile install")):
        code, out, err = hotsync(good, "--sync-type", given)
        check(code == 0 and words(err) == f"nothing done: the action asked for is {said}",
              f"sync type {given}: {code} {err}")
        check([line.split()[0] for line in out.splitlines() if line[:2].isdigit()] == ["19", "20"],
              f"sync type {given} logs start and finish only: {out}")
        with open(tlx, "rb") as f:
            check(f.read() == before, f"sync type {given} left Tracks.tlx alone")
    for wrong in ("8", "-1", "sideways", ""):
        code, _, err = hotsync(good, "--sync-type", wrong)
        check(code == 2 and "--sync-type" in err, f"sync type '{wrong}' refused: {err}")

    conduit = os.path.join(root, "Alice", "Pathlet")
    os.rename(conduit, conduit + ".moved")
    with open(conduit, "w") as f:
        f.write("a file")
    code, _, err = hotsync(good)
    check(code == 1 and words(err) == f"{conduit} should be the conduit's directory but is a file", words(err))
    os.remove(conduit)
    os.rename(conduit + ".moved", conduit)
    if os.geteuid() != 0:  # permissions do not stop root
        os.chmod(conduit, 0o555)
        code, _, err = hotsync(good)
        check(code == 1 and "Permission denied" in words(err), f"read-only: {words(err)}")
        os.chmod(conduit, 0o755)

    code, _, err = hotsync(good, user="Nobody")
    check(code == 1 and words(err).startswith("unknown user 'Nobody'"), words(err))

    # users.ini mistakes: a shared id refuses both users, an invalid directory is named.
    with open(os.path.join(root, "users.ini"), "a") as f:
        f.write("[Bob]\nid=1\ndir=Bob\n\n[Eve]\nid=7\ndir=../elsewhere\n")
    code, _, err = hotsync(good)
    check(code == 1 and "its id 1 is also given to 'Bob'" in words(err), f"shared id: {words(err)}")
    code, _, err = hotsync(good, user="Eve")
    check(code == 1 and "its directory '../elsewhere' is not a plain directory name" in words(err), words(err))
    code, out, err = run(PATHLET, "users", "list", "--root", root)
    check(code == 1 and err.count("is refused") == 3, f"users list names the refused entries: {err}")
    code, _, err = run(PATHLET, "users", "add", "Carol", "--id", "7", "--root", root)
    check(code == 1 and "id 7 is taken" in err, f"a taken id is refused: {err}")
    check(not [n for n in os.listdir(root) if n.endswith(".partial")], "no partial files in the root")

    # A code-page-932 name that is not valid text says so.
    bad = pdb(os.path.join(work, "cp932.pdb"), 'log "A\\x81" flags=time\npoint 47 8 t=1\nlog B flags=time\npoint 47 8 t=1\n')
    root2 = os.path.join(work, "cp")
    run(PATHLET, "users", "add", "Alice", "--root", root2)
    code, _, err = run(PATHLET, "hotsync", "--handheld", bad, "--root", root2, "--user", "Alice", "--codepage", "932")
    check(code == 1 and words(err).startswith("TrackDB is damaged: the name of the track log in record 0 is not "
                                              "text of code page 932"), f"cp932: {words(err)}")

    # A value the conduit refuses is named with its log, record and point, from what the conduit
    # says of the failure: a latitude past the poles, a colour without a colour, a time past 2038.
    lines = "".join(f"point 47 8.{i:03d} t={i + 1}\n" for i in range(200))
    for name, description, said in (
            ("latitude", 'log Walk flags=time\npoint 1 1 t=1\nlog "Lake loop" flags=time per-record=30\n' + lines.replace(
                "point 47 8.118 t=119", "point 95.2 8.118 t=119"),
             "TrackDB is damaged: track log 'Lake loop', record 4, point 118: latitude 95.2 is outside -90..90"),
            ("colour", 'log Ridge color=16 flags=time\npoint 47 8 t=1\n',
             "TrackDB is damaged: track log 'Ridge', record 0: colour code 16 is not one of the handheld's colours (0 to 15)"),
            ("time", 'log Late flags=time\npoint 47 8 t=1\npoint 47 8 t=2000000000\n',
             "TrackDB is damaged: track log 'Late', record 0, point 1: the time 2053-05-17 03:33:20 UTC is past "
             "2038-01-19 03:14:07 UTC, the last a desktop file can hold")):
        handheld = pdb(os.path.join(work, f"refused-{name}.pdb"), description)
        code, out, err = run(PATHLET, "hotsync", "--handheld", handheld, "--root", root2, "--user", "Alice")
        check(code == 1 and words(err) == said, f"refused {name}: {words(err)}")
        check("22 failure" in out, f"refused {name}: the HotSync log keeps its failure line: {out}")


def mounted_disk_checks(work):
    """A full disk and a read-only one, on small file systems of their own (root only)."""
    root = os.path.join(work, "mounts")
    run(PATHLET, "users", "add", "Alice", "--root", root)
    conduit = os.path.join(root, "Alice", "Pathlet")
    big = os.path.join(work, "big.pdb")
    run(PDBGEN, "synth", "--logs", "3", "--points", "2000", "-o", big)
    if os.geteuid() != 0 or subprocess.run(["mount", "-t", "tmpfs", "-o", "size=96k", "tmpfs", conduit],
                                           capture_output=True).returncode != 0:
        print("a full or read-only disk cannot be made here: those checks were skipped")
        return
    try:
        code, _, err = run(PATHLET, "hotsync", "--handheld", big, "--root", root, "--user", "Alice")
        check(code == 1 and "Tracks.tlx: the disk holding it is full (free some space" in words(err), f"full: {words(err)}")
        check(os.listdir(conduit) == [], f"a full disk keeps nothing half-written: {os.listdir(conduit)}")
        subprocess.run(["mount", "-o", "remount,ro", conduit], check=True)
        code, _, err = run(PATHLET, "hotsync", "--handheld", big, "--root", root, "--user", "Alice")
        check(code == 1 and words(err).endswith("Tracks.tlx: Read-only file system"), f"read-only: {words(err)}")
    finally:
        subprocess.run(["umount", conduit])


def leftover_checks(work):
    """A HotSync killed mid-write leaves its half-written file; the next HotSync of the user removes
    it, and only the leftovers of runs that are gone."""
    root = os.path.join(work, "killed")
    run(PATHLET, "users", "add", "Alice", "--root", root)
    directory = os.path.join(root, "Alice", "Pathlet")
    big = os.path.join(work, "big.pdb")
    run(PDBGEN, "synth", "--logs", "12", "--points", "60000", "--per-record", "2000", "-o", big)
    small = pdb(os.path.join(work, "small.pdb"), "log T flags=time\npoint 47 8 t=10\n")

    def partials():
        return sorted(n for n in os.listdir(directory) if n.endswith(".partial"))

    def written():
        sizes = []
        for name in partials():
            try:
                sizes.append(os.path.getsize(os.path.join(directory, name)))
            except OSError:
                pass  # renamed meanwhile
        return any(sizes)

    left = []
    for _ in range(10):
        process = subprocess.Popen([PATHLET, "hotsync", "--handheld", big, "--root", root, "--user", "Alice"],
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 60
        while process.poll() is None and not written() and time.monotonic() < deadline:
            time.sleep(0.001)
        process.send_signal(signal.SIGKILL)
        process.wait()
        left = partials()
        if left and process.returncode == -signal.SIGKILL:
            break
    check(len(left) == 1 and re.fullmatch(r"Tracks\.tlx\.\d+-\d+-\d+\.partial", left[0])
          and os.path.getsize(os.path.join(directory, left[0])) > 0,
          f"kill -9 mid-write leaves the half-written file: {left}")
    # The fresh file of a process that still runs (this one) stays, and so does another file's.
    alive = f"Tracks.tlx.{os.getpid()}-7-1.partial"
    other = "Tracks.gpx." + left[0].split(".")[2] + ".partial" if left else "Tracks.gpx.1-1-1.partial"
    for name in (alive, other):
        with open(os.path.join(directory, name), "w") as f:
            f.write("someone else's")
    code, out, err = run(PATHLET, "hotsync", "--handheld", small, "--root", root, "--user", "Alice")
    check(code == 0, f"a clean HotSync after the killed one: {err}")
    check(partials() == sorted([alive, other]), f"the killed run's file is gone, the others stay: {partials()}")
    os.remove(os.path.join(directory, alive))
    os.remove(os.path.join(directory, other))


def usage_checks():
    code, _, err = run(PATHLET, "hotsnyc")
    check(code == 2 and err == "pathlet: unknown command 'hotsnyc' (did you mean 'hotsync'?) (see pathlet --help)\n", err)
    code, _, err = run(PATHLET, "hotsync", "--handhled", "x", "--user", "A")
    check(code == 2 and "unknown option '--handhled' for 'pathlet hotsync' (did you mean '--handheld'?)" in err, err)
    code, _, err = run(PATHLET, "users", "ad", "x")
    check(code == 2 and "(did you mean 'add'?)" in err, err)
    for program in (PATHLET, PDBGEN):
        code, out, _ = run(program, "--version")
        check(code == 0 and re.fullmatch(r"pathlet(-pdbgen)? \d+\.\d+\.\d+\n", out), f"--version: {out}")
    code, _, err = run(PDBGEN, "synth", "--lgs", "3", "-o", "/dev/null")
    check(code == 2 and err.count("\n") == 1 and "did you mean '--logs'" in err, err)
    code, _, err = run(PDBGEN, "synth", "--logs", "x", "-o", "/dev/null")
    check(code == 2 and err.count("\n") == 1 and err.startswith("pathlet-pdbgen: "), err)
    code, _, err = run(PDBGEN, "describe", "/nonexistent", "-o", "/dev/null")
    check(code == 2 and err == "pathlet-pdbgen: cannot read /nonexistent\n", err)


with tempfile.TemporaryDirectory() as work:
    for group in (demo_checks, concurrency_checks, link_checks, bound_checks, failure_checks, mounted_disk_checks,
                  leftover_checks):
        os.makedirs(os.path.join(work, group.__name__))
        group(os.path.join(work, group.__name__))
    usage_checks()
if failures:
    sys.exit(f"{len(failures)} checks failed")
print("host safety checks passed")
