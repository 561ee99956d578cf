#!/usr/bin/python3
"""Takes the tour a new user takes, through the built pathlet: every failure is one line that names
its cause (and the fix where there is one), user names keep their letters, the dump table fits the
terminal, and the command line answers the way its help says.
Usage: check_user_tour.py PATHLET PDBGEN"""
import os
import shutil
import subprocess
import sys
import tempfile

PATHLET, PDBGEN = sys.argv[1], sys.argv[2]
failures = []
NOBODY = 65534


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def run(*args, env=None, as_nobody=False, stdin=None, stdout=subprocess.PIPE):
    # Root reads and writes everything: a permission problem is met as an ordinary user.
    if as_nobody and os.geteuid() == 0:
        args = ("setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups", *args)
    result = subprocess.run(args, stdout=stdout, stderr=subprocess.PIPE, text=True, env=env, input=stdin,
                            timeout=120)
    return result.returncode, result.stdout or "", result.stderr


def last_line(err):
    lines = [line for line in err.splitlines() if line.startswith("pathlet: ")]
    return lines[-1][len("pathlet: "):] if lines else ""


def demo_root(base):
    root = os.path.join(base, "root")
    code, _, err = run(PATHLET, "demo", "--root", root)
    assert code == 0, err
    for directory, subdirs, files in os.walk(base):
        os.chmod(directory, 0o777)
        for name in files:
            os.chmod(os.path.join(directory, name), 0o666)
    return root


def hotsync(root, user="Demo User", handheld=None, as_nobody=False):
    return run(PATHLET, "hotsync", "--root", root, "--user", user, "--handheld",
               handheld or os.path.join(root, "handheld"), as_nobody=as_nobody)


def permissions(base):
    root = demo_root(base)
    handheld = os.path.join(root, "handheld")
    pdb = os.path.join(handheld, "TrackDB.pdb")

    os.chmod(pdb, 0)
    code, _, err = hotsync(root, as_nobody=True)
    check(code == 1 and last_line(err) == f"no TrackDB found: cannot read {pdb}: Permission denied (the files "
          "must be readable by the user running the HotSync)", f"unreadable .pdb: {last_line(err)}")
    os.chmod(pdb, 0o666)

    os.chmod(handheld, 0)
    code, _, err = hotsync(root, as_nobody=True)
    check(code == 1 and last_line(err) == f"cannot list {handheld}: Permission denied (the directory must be "
          "readable by the user running the HotSync)", f"unreadable directory: {last_line(err)}")
    os.chmod(handheld, 0o777)

    os.chmod(root, 0o555)
    code, _, err = run(PATHLET, "users", "add", "--root", root, "Bob", as_nobody=True)
    check(code == 1 and last_line(err) == f"cannot create {root}/Bob/Pathlet: Permission denied (the HotSync "
          "root must be writable by you; choose another with --root or PATHLET_ROOT)",
          f"users add on a read-only root: {last_line(err)}")
    os.chmod(root, 0o777)

    # users.ini that cannot be read is never taken for an empty one, nor written over.
    users = os.path.join(root, "users.ini")
    with open(users) as f:
        before = f.read()
    os.chmod(users, 0)
    code, out, err = run(PATHLET, "users", "add", "--root", root, "Carol", as_nobody=True)
    check(code == 1 and last_line(err) == f"cannot read {users}: Permission denied",
          f"users add, unreadable users.ini: {last_line(err)}")
    code, out, err = run(PATHLET, "users", "list", "--root", root, as_nobody=True)
    check(code == 1 and "No users" not in out and last_line(err) == f"cannot read {users}: Permission denied",
          f"users list, unreadable users.ini: {out!r} {last_line(err)}")
    os.chmod(users, 0o666)
    with open(users) as f:
        check(f.read() == before, "users.ini kept")


def places(base):
    root = demo_root(base)
    tracks = os.path.join(root, "Demo_User", "Pathlet", "Tracks.tlx")
    os.rename(tracks, tracks + ".kept")
    os.mkdir(tracks)
    code, _, err = hotsync(root)
    check(code == 1 and last_line(err) == f"cannot write {tracks}: Is a directory",
          f"Tracks.tlx a directory: {last_line(err)}")
    os.rmdir(tracks)

    user_dir = os.path.join(root, "Demo_User")
    os.rename(user_dir, user_dir + ".moved")
    words = (f"the directory of user 'Demo User', {user_dir}, is missing: put it back, or run "
             "'pathlet users remove \"Demo User\"' and add the user again")
    code, _, err = hotsync(root)
    check(code == 1 and last_line(err) == words, f"user directory gone, hotsync: {last_line(err)}")
    code, out, err = run(PATHLET, "users", "list", "--root", root)
    check(code == 1 and out == "1\tDemo User\tDemo_User\n" and last_line(err) == words,
          f"user directory gone, users list: {out!r} {last_line(err)}")
    os.rename(user_dir + ".moved", user_dir)

    # Standard output that takes nothing is a failure, not a success.
    with open("/dev/full", "w") as full:
        code, _, err = run(PATHLET, "dump", tracks + ".kept", stdout=full)
    check(code == 1 and last_line(err).startswith("cannot write to standard output"),
          f"dump to a full disk: {code} {last_line(err)}")
    # A device is written into, never replaced by a plain file.
    code, _, err = run(PATHLET, "export", tracks + ".kept", "--format", "gpx", "-o", "/dev/full")
    check(code == 1 and last_line(err) == "cannot write /dev/full: the disk holding it is full" and
          not os.path.isfile("/dev/full"), f"export -o /dev/full: {code} {last_line(err)}")
    os.rename(tracks + ".kept", tracks)
    code, out, err = run(PATHLET, "export", "--user", "Demo User", "--root", root, "-o", os.path.join(base, "x.KML"))
    with open(os.path.join(base, "x.KML")) as kml:
        check(code == 0 and "<kml" in kml.read(), f"export --user, format from the name: {err!r}")


def names(base):
    root = os.path.join(base, "names")
    expected = {"Иван Петров": "Иван_Петров", "José Müller": "José_Müller", "山田 太郎": "山田_太郎",
                "users.ini": "users.ini_4", "HotSync.log": "HotSync.log_5", "a/b": "a_b"}
    for name, directory in expected.items():
        code, out, err = run(PATHLET, "users", "add", "--root", root, name)
        check(code == 0 and out.strip().endswith(f"directory {directory})") and
              os.path.isdir(os.path.join(root, directory, "Pathlet")), f"user {name}: {out!r} {err!r}")
    code, _, err = run(PATHLET, "users", "add", "--root", root, "Eve", "--dir", "conduits.ini")
    check(code == 1 and "is a file of the HotSync root" in last_line(err), f"--dir conduits.ini: {err!r}")
    code, out, _ = run(PATHLET, "users", "rename", "--root", root, "José Müller", "José M.")
    check(code == 0, f"rename: {out!r}")
    code, out, _ = run(PATHLET, "users", "list", "--root", root)
    check("\tJosé M.\tJosé_Müller\n" in out and "José Müller\t" not in out, f"renamed: {out!r}")
    code, _, err = run(PATHLET, "users", "rename", "--root", root, "José M.", "Иван Петров")
    check(code == 1 and last_line(err) == "user 'Иван Петров' already exists", f"rename onto another: {err!r}")
    code, out, _ = run(PATHLET, "users", "remove", "--root", root, "Иван Петров")
    check(code == 0 and os.path.isdir(os.path.join(root, "Иван_Петров")) and "are kept" in out,
          f"remove keeps the files: {out!r}")
    code, out, _ = run(PATHLET, "users", "list", "--root", root)
    check("Иван" not in out, f"removed: {out!r}")
    code, _, err = run(PATHLET, "users", "remove", "--root", root, "Nobody")
    check(code == 1 and last_line(err).startswith("no user 'Nobody' in "), f"remove unknown: {err!r}")


def table(base):
    handheld = os.path.join(base, "wide.pdb")
    # Names are the handheld's bytes: code page 932 for a Japanese handheld.
    logs = "".join(f'log "{name}"\npoint 35.6 139.7 t=1000\npoint 35.61 139.71 t=1060\npoint 35.62 139.72 t=1120\n'
                   for name in ("Walk 10", "Walk 2", "東京タワー散歩", "Tab\there"))
    with open(handheld + ".txt", "wb") as f:
        f.write(logs.encode("cp932"))
    code, _, err = run(PDBGEN, "describe", handheld + ".txt", "-o", handheld)
    assert code == 0, err
    root = os.path.join(base, "table")
    run(PATHLET, "users", "add", "--root", root, "Ann")
    code, _, err = run(PATHLET, "hotsync", "--root", root, "--user", "Ann", "--handheld", handheld,
                       "--codepage", "932")
    check(code == 0, f"hotsync for the table: {err}")
    env = dict(os.environ, COLUMNS="200")
    code, out, err = run(PATHLET, "dump", "--user", "Ann", "--root", root, env=env)
    rows = [line for line in out.splitlines() if line.startswith(("Walk", "東京", "Tab", "Track "))]
    check([row.split("  ")[0].rstrip() for row in rows] ==
          ["Track", "Tab here", "Walk 2", "Walk 10", "東京タワー散歩"], f"natural order, one line: {rows}")

    def width(text):
        return sum(2 if 0x3000 <= ord(c) <= 0x9FFF or 0xFF00 <= ord(c) <= 0xFF60 else 1 for c in text)
    points_at = {width(row[:row.index(" 3 ") + 2]) for row in rows[1:]}
    check(len(points_at) == 1, f"columns line up by display width: {points_at} {rows}")
    check("1 track," not in out and "4 tracks, 0 waypoints, 0 routes" in out, "counts in words")
    for columns in (60, 80):
        code, out, _ = run(PATHLET, "dump", "--user", "Ann", "--root", root, env=dict(os.environ, COLUMNS=str(columns)))
        table_lines = [line for line in out.splitlines()[2:] if line and not line.startswith(("4 tracks", "Left out"))]
        check(all(width(line) <= columns for line in table_lines) and "Left out to fit the terminal" in out,
              f"fits {columns} columns: {[width(line) for line in table_lines]}")
    # Copied away from its user, the file no longer knows its code page: the dump says what it assumed.
    copy = os.path.join(base, "copy.tlx")
    shutil.copy(os.path.join(root, "Ann", "Pathlet", "Tracks.tlx"), copy)
    code, out, _ = run(PATHLET, "dump", copy)
    check("Names read as code page 1252 (assumed)" in out and "--codepage" in out, f"code page hint: {out[:300]!r}")
    code, out, _ = run(PATHLET, "dump", copy, "--codepage", "932")
    check("(assumed)" not in out and "東京タワー散歩" in out, "code page given")


def completion_of(*words):
    """What bash completion offers for the words (the first the program's path)."""
    script = os.path.join(os.path.dirname(__file__), "..", "..", "tools", "completion", "pathlet.bash")
    line = " ".join(f"'{w}'" for w in words)
    out = subprocess.run(["bash", "-c", f'source "{script}"; COMP_WORDS=({line}); COMP_CWORD={len(words) - 1}; '
                          '_pathlet; printf "%s\\n" "${COMPREPLY[@]}"'], capture_output=True, text=True)
    return out.stdout.splitlines()


def command_line(base):
    code, out, _ = run(PATHLET, "help", "export")
    check(code == 0 and "Usage: pathlet export" in out, f"help export: {out[:80]!r}")
    code, _, err = run(PATHLET, "help", "exprot")
    check(code == 2 and "did you mean 'export'" in err, f"help with a typo: {err!r}")
    usage_errors = [("export", "--format", "xml", "x.tlx"), ("users", "add", "--root", base, "a]b"),
                    ("dump",), ("dump", "--bogus"), ("hotsync", "--user", "A"), ("sync", "--listen", "nowhere:99999"),
                    ("hotsync", "--root", base, "--user", "A", "--handheld", base, "--codepage", "77")]
    for arguments in usage_errors:
        code, _, err = run(PATHLET, *arguments)
        command = "pathlet " + " ".join(a for a in arguments[:2] if a in ("export", "users", "add", "dump",
                                                                           "hotsync", "sync"))
        check(code == 2 and err.rstrip().endswith(f"(see {command} --help)"),
              f"usage error {arguments}: {code} {err!r}")
    code, _, err = run(PATHLET, "dump", "--user", "Nobody", "--root", base)
    check(code == 1 and last_line(err).startswith("unknown user 'Nobody'"), f"dump --user unknown: {err!r}")
    # Completion offers the root's user names, quoted for the shell.
    names_root = os.path.join(base, "completion")
    for name in ("Ann Lee", "Anna", "Bob"):
        run(PATHLET, "users", "add", "--root", names_root, name)
    check(completion_of(PATHLET, "dump", "--root", names_root, "--user", "An") == ["Ann\\ Lee", "Anna"],
          f"--user completion: {completion_of(PATHLET, 'dump', '--root', names_root, '--user', 'An')}")
    check(completion_of(PATHLET, "users", "remove", "--root", names_root, "B") == ["Bob"], "users remove completion")
    # configure asks again until it understands.
    root = os.path.join(base, "configure")
    run(PATHLET, "users", "add", "--root", root, "Ann")
    code, out, _ = run(PATHLET, "configure", "--root", root, "--user", "Ann", stdin="x\n2\nmaybe\ny\nq\n\n")
    check(code == 0 and out.count("is not an answer here") == 3 and "Default for Ann: do nothing" in out,
          f"configure asks again: {out!r}")


def full_disk(base):
    """A disk that fills during a large Tracks.tlx, and one with no byte left (root only)."""
    disk = os.path.join(base, "disk")
    os.mkdir(disk)
    if os.geteuid() != 0 or subprocess.run(["mount", "-t", "tmpfs", "-o", "size=1m", "tmpfs", disk],
                                           capture_output=True).returncode != 0:
        print("a full disk cannot be made here: those checks were skipped")
        return
    try:
        root = os.path.join(disk, "root")
        run(PATHLET, "users", "add", "--root", root, "Ann")
        big = os.path.join(base, "big.pdb")
        run(PDBGEN, "synth", "--logs", "2", "--points", "40000", "-o", big)
        tracks = os.path.join(root, "Ann", "Pathlet", "Tracks.tlx")
        code, _, err = hotsync(root, "Ann", big)
        check(code == 1 and last_line(err) == f"cannot write {tracks}: the disk holding it is full (free some "
              "space and HotSync again; the old file is kept)", f"a large file on a full disk: {last_line(err)}")
        small = os.path.join(base, "small.pdb")
        run(PDBGEN, "synth", "--logs", "1", "--points", "15000", "-o", small)
        code, _, err = run(PATHLET, "hotsync", "--root", root, "--user", "Ann", "--handheld", small, "--export", "gpx")
        check(code == 1 and last_line(err) == f"{tracks} written: 1 track, 15,000 points; but the export failed: "
              f"cannot write {tracks[:-4]}.gpx: the disk holding it is full", f"export on a full disk: {last_line(err)}")
        filler = os.open(os.path.join(disk, "filler"), os.O_WRONLY | os.O_CREAT, 0o600)
        try:
            while os.write(filler, b"\0" * 4096) > 0:
                pass
        except OSError:
            pass
        finally:
            os.close(filler)
        code, _, err = hotsync(root, "Ann", big)
        check(code == 1 and last_line(err) == "the user's settings could not be written: cannot write "
              f"{root}/Ann/settings.ini: No space left on device", f"no byte free: {last_line(err)}")
    finally:
        subprocess.run(["umount", disk])


for part in (permissions, places, names, table, command_line, full_disk):
    with tempfile.TemporaryDirectory() as base:
        os.chmod(base, 0o777)
        part(base)

if failures:
    print(f"{len(failures)} checks failed")
    sys.exit(1)
print("user tour: all checks passed")
