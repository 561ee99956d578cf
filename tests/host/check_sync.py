#!/usr/bin/python3
"""pathlet sync end to end on loopback: the handheld simulator HotSyncs through the server, and
the Tracks.tlx equals the one `pathlet hotsync` writes from the same .pdb files, for every kind of
handheld the tests make. Then every failure: dropped, stalled and lying links, unknown users, no
TrackDB, two handhelds at once, Ctrl-C, peers silent in the handshake, answers and sessions that
trickle, a crowd of 50 connections with silent ones among them, a TrackDB beyond --max-size, and
1,000 HotSyncs through one server.
Usage: check_sync.py PATHLET PDBGEN SIMULATOR [--sanitized]"""
import json
import os
import re
import signal
import socket
import subprocess
import sys
import tempfile
import time

from linkcheck import check, contents, finish, run
import linkcheck

PATHLET, PDBGEN, SIM = sys.argv[1], sys.argv[2], sys.argv[3]
# A sanitizer keeps freed memory in quarantine, so resident memory says nothing there; its leak
# check at the server's exit says more.
SANITIZED = "--sanitized" in sys.argv[4:]



class Server:
    """pathlet sync on a free loopback port, its output collected."""

    count = 0

    def __init__(self, root, *extra, listen="127.0.0.1:0"):
        # Output goes to files: a pipe nobody reads would stop the server once it is full.
        Server.count += 1
        base = os.path.join(os.path.dirname(root), f"server-{Server.count}")
        self.out_path, self.err_path = base + ".out", base + ".err"
        with open(self.out_path, "w") as out, open(self.err_path, "w") as err:
            self.process = subprocess.Popen([PATHLET, "sync", "--listen", listen, "--root", root, "--quiet",
                                             *extra], stdout=out, stderr=err, text=True)
        deadline = time.monotonic() + 10
        found = None
        while not found and time.monotonic() < deadline and self.process.poll() is None:
            time.sleep(0.02)
            found = re.search(r"waiting for handhelds on \S*?:(\d+) ", open(self.err_path).read())
        if not found:
            self.process.kill()
            raise RuntimeError(f"the server did not start: {open(self.err_path).read()}")
        self.port = found.group(1)

    def handheld(self, *args, timeout=60):
        return run(SIM, "--connect", f"127.0.0.1:{self.port}", *args, timeout=timeout)

    def stalled_handheld(self, handheld):
        """A handheld that holds the HotSync's turn: it stalls at its eighth request."""
        process = subprocess.Popen([SIM, "--connect", f"127.0.0.1:{self.port}", "--handheld", handheld, "--user",
                                    "Alice", "--stall-at", "8"], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                   text=True)
        time.sleep(0.5)
        return process

    def finish(self, timeout=30):
        try:
            self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        return self.process.returncode, open(self.out_path).read(), open(self.err_path).read()

    def stop(self):
        self.process.send_signal(signal.SIGINT)
        return self.finish()


def pdb(path, description):
    with open(path + ".txt", "w") as f:
        f.write(description)
    code, _, err = run(PDBGEN, "describe", path + ".txt", "-o", path)
    assert code == 0, err
    return path


def new_root(path, user="Alice"):
    return linkcheck.new_root(PATHLET, path, user)


def corpus(work):
    """Every kind of handheld the other tests make."""
    handhelds = {}
    demo = os.path.join(work, "demo")
    run(PATHLET, "demo", "--root", demo)
    handhelds["demo"] = os.path.join(demo, "handheld", "TrackDB.pdb")
    for name, args in {"synth": [], "synth-many": ["--logs", "12", "--points", "3000", "--per-record", "400"],
                       "synth-one-per-record": ["--logs", "2", "--points", "40", "--per-record", "1"],
                       "synth-empty": ["--logs", "0"]}.items():
        path = os.path.join(work, name + ".pdb")
        run(PDBGEN, "synth", *args, "--seed", "5", "-o", path)
        handhelds[name] = path
    descriptions = {
        "worked-example": "log T1 color=3 flags=time per-record=2\nraw-point 536870913 134217728 t=1\n"
                          "raw-point 536870912 134217728 t=0\n",
        "names-and-values": 'log "Caf\\xe9 <&> \\x01 \\"q\\"" color=3 flags=time,alt\n'
                            "raw-point 536870912 134217728 t=1 alt=412.5\nraw-point 536870914 -134217728 t=0 alt=-3.25\n"
                            'log "Plain" color=0 flags=none\nraw-point 2 4\n',
        "extremes": 'log "Edge" flags=time,alt,aux\n' + "".join(
            f"raw-point {2 * i} {4 * i} t={i + 1} alt={v} aux={v}\n"
            for i, v in enumerate(["nan", "inf", "-inf", "-0", "1e-45", "3.4028234663852886e38"])),
        "stride-zero": "".join(f"log L{i} flags=time stride=0 count=65535\npoint 47 8 t=10\n" for i in range(40)),
        "segments": "log Walk flags=time\npoint 47 8 t=1\npoint 47.1 8 t=2 seg\npoint 47.2 8 t=3\n"
                    "log Walk flags=time\npoint 46 8 t=9\n",
        "active-log": 'log "ACTIVE LOG" color=9 flags=time\npoint 47 8 t=1\npoint 47.01 8 t=60\n',
        "no-times": "log Undated flags=none\npoint 47 8\npoint 47.5 8.5\n",
    }
    for name, description in descriptions.items():
        handhelds[name] = pdb(os.path.join(work, name + ".pdb"), description)
    return handhelds


def same_bytes_checks(work):
    for name, handheld in corpus(os.path.join(work, "corpus")).items():
        by_file, by_link = new_root(os.path.join(work, name, "file")), new_root(os.path.join(work, name, "link"))
        code, _, err = run(PATHLET, "hotsync", "--handheld", handheld, "--root", by_file, "--user", "Alice")
        server = Server(by_link, "--once")
        sim_code, sim_out, sim_err = server.handheld("--handheld", handheld, "--user", "Alice")
        server_code, server_out, server_err = server.finish()
        check(sim_code == 0 and server_code == code, f"{name}: sync {server_code}, hotsync {code}: {server_err}{sim_err}")
        if code == 0:
            a = contents(os.path.join(by_file, "Alice", "Pathlet", "Tracks.tlx"))
            b = contents(os.path.join(by_link, "Alice", "Pathlet", "Tracks.tlx"))
            if a != b and len(a) == len(b):
                # Points without a time are given the current time: the bytes that change between
                # two runs of hotsync a second apart are those, and only those may differ.
                time.sleep(1.1)
                run(PATHLET, "hotsync", "--handheld", handheld, "--root", by_file, "--user", "Alice")
                again = contents(os.path.join(by_file, "Alice", "Pathlet", "Tracks.tlx"))
                clock = {i for i in range(len(a)) if a[i] != again[i]}
                a = bytes(0 if i in clock else x for i, x in enumerate(a))
                b = bytes(0 if i in clock else x for i, x in enumerate(b))
            check(a == b, f"{name}: the same Tracks.tlx either way ({len(a)} and {len(b)} bytes)")
            check("copied" in sim_out, f"{name}: the handheld's log says what was copied: {sim_out}")


def failure_checks(work):
    handheld = os.path.join(work, "walks.pdb")  # 80 records: requests 6 to 85 read them
    run(PDBGEN, "synth", "--logs", "4", "--points", "2000", "--per-record", "100", "-o", handheld)
    root = new_root(os.path.join(work, "root"))
    tracks = os.path.join(root, "Alice", "Pathlet", "Tracks.tlx")
    other = os.path.join(work, "other.pdb")
    run(PDBGEN, "synth", "--logs", "2", "--points", "100", "--seed", "9", "-o", other)
    server = Server(root, "--once")
    check(server.handheld("--handheld", other, "--user", "Alice")[0] == 0, "a first HotSync")
    check(server.finish()[0] == 0, "the first HotSync succeeds")
    old = contents(tracks)

    def attempt(*sim_args, server_args=(), sim_timeout=60):
        server = Server(root, "--once", *server_args)
        sim = server.handheld("--handheld", handheld, *sim_args, timeout=sim_timeout)
        return sim, server.finish()

    # A link dropped in the middle of the records.
    sim, (code, out, err) = attempt("--user", "Alice", "--drop-at", "12")
    check(code == 1 and "22 failure: PALMDATABASE.CPP-93-2.3" in out and "link to the handheld was lost" in err,
          f"dropped link: {out}{err}")
    check(contents(tracks) == old, "a dropped link leaves the old Tracks.tlx whole")
    # A stalled handheld: the server gives up in its time.
    start = time.monotonic()
    sim, (code, out, err) = attempt("--user", "Alice", "--stall-at", "9", "--timeout", "5", server_args=("--timeout", "1"))
    check(code == 1 and "said nothing for 1.0 s" in err and time.monotonic() - start < 15, f"stall: {err}")
    check(contents(tracks) == old, "a stalled link leaves the old Tracks.tlx whole")
    # Answers that break the protocol.
    for lie in ("transaction", "function", "oversized", "short", "garbage"):
        sim, (code, out, err) = attempt("--user", "Alice", "--lie", f"{lie}@8")
        check(code == 1 and ("broke the protocol" in err or "link to the handheld was lost" in err), f"lie {lie}: {err}")
        check(contents(tracks) == old, f"a {lie} lie leaves the old Tracks.tlx whole")
    # An error answer to the reads, and no TrackDB: the sync still ends properly.
    sim, (code, out, err) = attempt("--user", "Alice", "--error", "20=3")
    check(code == 1 and sim[0] == 0 and "could not be read: the handheld answered with error 3" in err,
          f"read error: {err} {sim}")
    memo = os.path.join(work, "memo.pdb")
    code_, _, _ = run(PDBGEN, "synth", "--logs", "1", "-o", memo)
    with open(memo, "r+b") as f:
        f.write(b"MemoDB".ljust(32, b"\0"))
    server = Server(root, "--once")
    sim = server.handheld("--handheld", memo, "--user", "Alice")
    code, out, err = server.finish()
    check(code == 1 and "22 failure: PALMDATABASE.CPP-64-2.3" in out and "no TrackDB on the handheld" in err,
          f"no TrackDB: {out}{err}")
    check(sim[0] == 0 and "log: Pathlet: no TrackDB on the handheld" in sim[1], f"the handheld is told: {sim}")
    sim, (code, out, err) = attempt("--user", "Alice", "--error", "17=5")
    check(code == 1 and "22 failure: PALMDATABASE.CPP-64-2.3" in out, "not found is the .pdb handheld's failure")
    # Unknown users are refused on both sides, or added with --add-users.
    sim, (code, out, err) = attempt("--user", "Zed", "--user-id", "77")
    check(code == 1 and "unknown user 'Zed' refused" in err and sim[0] == 0
          and "log: Pathlet: Zed is not a user of this desktop" in sim[1], f"unknown user: {err}{sim}")
    sim, (code, out, err) = attempt("--user", "Zed", "--user-id", "77", server_args=("--add-users",))
    check(code == 0 and "added user 'Zed' (id 77" in err, f"--add-users: {err}")
    check(os.path.exists(os.path.join(root, "Zed", "Pathlet", "Tracks.tlx")), "the added user's file")
    sim, (code, out, err) = attempt()
    check(code == 1 and "no HotSync user yet" in err, f"a handheld without a user: {err}")
    # JSON lines and an export.
    sim, (code, out, err) = attempt("--user", "Alice", server_args=("--log-format", "jsonl", "--export", "gpx"))
    check(code == 0 and [json.loads(l) for l in out.splitlines()][-1] == {"result": 0}, f"jsonl: {out}")
    check(os.path.exists(os.path.join(root, "Alice", "Pathlet", "Tracks.gpx")), "--export gpx")


def concurrency_checks(work):
    root = new_root(os.path.join(work, "busy"))
    handheld = os.path.join(work, "h.pdb")
    run(PDBGEN, "synth", "--logs", "2", "--points", "500", "-o", handheld)
    server = Server(root, "--timeout", "3")
    first = server.stalled_handheld(handheld)
    code, out, err = server.handheld("--handheld", handheld, "--user", "Alice", timeout=30)
    check(code == 0 and "log: Pathlet: the desktop is busy with another HotSync" in out, f"busy: {out}{err}")
    first.kill()
    first.communicate()
    time.sleep(3.5)
    code, out, err = server.handheld("--handheld", handheld, "--user", "Alice", timeout=30)
    check(code == 0 and "copied" in out, f"after the stalled one, a HotSync works: {out}{err}")
    code, out, err = server.stop()
    check(code == 0 and "stopped" in err, f"Ctrl-C ends the server: {code} {err}")


def timed(function, *args, **kwargs):
    start = time.monotonic()
    result = function(*args, **kwargs)
    return result, time.monotonic() - start


def silence_checks(work):
    """A peer silent before or during the handshake is sent nothing and dropped after one wait."""
    root = new_root(os.path.join(work, "root"))
    server = Server(root, "--timeout", "1")
    for step in ("0", "1", "2"):
        (code, out, err), took = timed(server.handheld, "--user", "Alice", "--silent-handshake", step, timeout=30)
        found = re.search(r"silent: (\d+) frames came after; the link ended after ([\d.]+) s", out)
        check(code == 0 and found and found.group(1) == "0", f"silent after {step} frames: nothing more sent: {out}{err}")
        check(found and 0.9 <= float(found.group(2)) < 1.7, f"silent after {step} frames: dropped after one wait: {out}")
    code, out, err = server.stop()
    check(err.count("no HotSync began") == 3 and "said nothing for 1.0 s" in err, f"the server says so: {err}")


def trickle_checks(work):
    """Answers whose bytes each come in time, but never whole: each answer and each session are
    bounded as a whole."""
    handheld = os.path.join(work, "walks.pdb")
    run(PDBGEN, "synth", "--logs", "4", "--points", "2000", "--per-record", "100", "-o", handheld)
    tiny = os.path.join(work, "tiny.pdb")  # 60 records of one point: answers of a few dozen bytes
    run(PDBGEN, "synth", "--logs", "1", "--points", "60", "--per-record", "1", "-o", tiny)
    root = new_root(os.path.join(work, "root"))
    tracks = os.path.join(root, "Alice", "Pathlet", "Tracks.tlx")
    server = Server(root, "--once")
    check(server.handheld("--handheld", tiny, "--user", "Alice")[0] == 0 and server.finish()[0] == 0, "a first HotSync")
    old = contents(tracks)
    # The handshake's first frame, a byte every 0.15 s: each in time, the whole 28 not within 1.1 s.
    server = Server(root, "--timeout", "1")
    (code, out, err), took = timed(server.handheld, "--handheld", handheld, "--user", "Alice",
                                   "--trickle", "1", "--trickle-gap", "0.15", timeout=30)
    check(code == 1 and took < 4, f"a trickled handshake is cut in its time ({took:.1f} s): {out}{err}")
    code, out, err = server.stop()
    check(re.search(r"no HotSync began: only \d+ bytes of a Net Sync frame(.s header| of 22 bytes) came within 1\.[01] s",
                    err), f"the server says why: {err}")
    # Every answer from the sixth frame on, a byte every 0.1 s: the answer in flight is cut.
    server = Server(root, "--once", "--timeout", "1")
    (code, out, err), took = timed(server.handheld, "--handheld", handheld, "--user", "Alice",
                                   "--trickle", "6", "--trickle-gap", "0.1", timeout=60)
    code, out, err = server.finish()
    check(code == 1 and took < 6 and "came within" in err, f"a trickled answer is cut ({took:.1f} s): {err}")
    check(contents(tracks) == old, "a trickled answer leaves the old Tracks.tlx whole")
    # Every answer 0.25 s late, within the 0.3 s each may take: the session as a whole runs out
    # (3 s, and 2 ms more for every byte the handheld sent).
    server = Server(root, "--once", "--timeout", "0.3")
    (code, out, err), took = timed(server.handheld, "--handheld", tiny, "--user", "Alice", "--delay", "0.25",
                                   timeout=60)
    code, out, err = server.finish()
    check(code == 1 and "the handheld kept the desktop waiting" in err and took < 12,
          f"a slow session is cut as a whole ({took:.1f} s): {err}")
    check(contents(tracks) == old, "a session cut as a whole leaves the old Tracks.tlx whole")
    # The same handheld at its own pace is well within its time.
    server = Server(root, "--once", "--timeout", "0.3")
    sim = server.handheld("--handheld", tiny, "--user", "Alice", "--delay", "0.01")
    check(server.finish()[0] == 0 and sim[0] == 0, f"an honest handheld within its time: {sim}")


def crowd_checks(work):
    """A trickling peer never delays the next handheld; 50 connections at once, 10 of them silent:
    every handheld ends with a HotSync or a clean 'busy', none is reset."""
    root = new_root(os.path.join(work, "root"))
    handheld = os.path.join(work, "h.pdb")
    run(PDBGEN, "synth", "--logs", "2", "--points", "500", "-o", handheld)
    server = Server(root, "--timeout", "3")
    first = server.stalled_handheld(handheld)
    second = subprocess.Popen([SIM, "--connect", f"127.0.0.1:{server.port}", "--handheld", handheld, "--user", "Alice",
                               "--trickle", "1", "--trickle-gap", "0.5"], stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, text=True)
    time.sleep(0.3)
    (code, out, err), took = timed(server.handheld, "--handheld", handheld, "--user", "Alice", timeout=30)
    check(code == 0 and "desktop is busy" in out and took < 1.5, f"a third handheld is told at once ({took:.1f} s): {out}{err}")
    for process in (first, second):
        process.communicate(timeout=30)
    silent = []
    for _ in range(10):
        connection = socket.create_connection(("127.0.0.1", int(server.port)), timeout=5)
        silent.append(connection)
    crowd = [subprocess.Popen([SIM, "--connect", f"127.0.0.1:{server.port}", "--handheld", handheld, "--user", "Alice"],
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True) for _ in range(40)]
    results = [process.communicate(timeout=120) + (process.returncode,) for process in crowd]
    copied = sum("copied" in out for out, _, _ in results)
    busy = sum("desktop is busy" in out for out, _, _ in results)
    failed = [err for out, err, code in results if code != 0]
    check(not failed and copied >= 1 and copied + busy == 40,
          f"40 handhelds among 10 silent peers: {copied} copied, {busy} busy, failed: {failed[:3]}")
    for connection in silent:
        connection.close()
    code, out, err = server.stop()
    check(code == 0 and err.count("no HotSync began") >= 10, f"the silent ones are dropped: {err[-2000:]}")


def size_checks(work):
    """A handheld whose TrackDB brings more than --max-size is refused whole, in words, and the
    old Tracks.tlx stays."""
    handheld = os.path.join(work, "walks.pdb")  # about 100 KB of records
    run(PDBGEN, "synth", "--logs", "4", "--points", "2000", "--per-record", "100", "-o", handheld)
    small = os.path.join(work, "small.pdb")
    run(PDBGEN, "synth", "--logs", "1", "--points", "100", "-o", small)
    root = new_root(os.path.join(work, "root"))
    directory = os.path.join(root, "Alice", "Pathlet")
    server = Server(root, "--once", "--max-size", "0.05")
    check(server.handheld("--handheld", small, "--user", "Alice")[0] == 0 and server.finish()[0] == 0,
          "a TrackDB within --max-size")
    old = contents(os.path.join(directory, "Tracks.tlx"))
    server = Server(root, "--once", "--max-size", "0.05")
    sim = server.handheld("--handheld", handheld, "--user", "Alice")
    code, out, err = server.finish()
    words = "the handheld's TrackDB holds more than 52428 bytes, the most this desktop takes from a handheld"
    check(code == 1 and words in err and "old Tracks.tlx is kept" in err, f"refused in words: {err}")
    check(sim[0] == 0 and "log: Pathlet: " + words in sim[1], f"the handheld is told: {sim}")
    check(contents(os.path.join(directory, "Tracks.tlx")) == old, "the old Tracks.tlx stays")
    check(not [n for n in os.listdir(directory) if n.endswith(".partial")], "nothing half-written stays")


def address_checks(work):
    """--listen as people write it: a name, a bare port, IPv6; each serves a handheld."""
    root = new_root(os.path.join(work, "addresses"))
    handheld = os.path.join(work, "a.pdb")
    run(PDBGEN, "synth", "--logs", "1", "--points", "50", "-o", handheld)
    probe = socket.socket()
    probe.bind(("127.0.0.1", 0))
    free_port = probe.getsockname()[1]
    probe.close()
    forms = [("localhost:0", "127.0.0.1"), (str(free_port), "127.0.0.1")]
    try:
        with socket.socket(socket.AF_INET6) as six:
            six.bind(("::1", 0))
        forms += [("[::1]:0", "[::1]"), ("[::]:0", "127.0.0.1")]  # "::" takes IPv4 too
    except OSError:
        print("no IPv6 loopback here: --listen [::1] was not tried")
    for listen, connect in forms:
        server = Server(root, listen=listen)
        port = free_port if listen == str(free_port) else server.port
        code, out, err = run(SIM, "--connect", f"{connect}:{port}", "--handheld", handheld, "--user", "Alice")
        _, _, server_err = server.stop()
        check(code == 0 and "copied" in out, f"--listen {listen}: the handheld says {out!r} {err!r}")
        check(re.search(r"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d Alice on ", server_err) is not None,
              f"--listen {listen}: when and who: {server_err}")
    code, _, err = run(PATHLET, "sync", "--root", root, "--listen", "[::1")
    check(code == 2 and "is not [ADDRESS]:PORT (see pathlet sync --help)" in err, f"a broken --listen: {err!r}")


def soak_checks(work):
    """1,000 HotSyncs in a row through one server: no growth in memory or open files."""
    root = new_root(os.path.join(work, "soak"))
    handheld = os.path.join(work, "s.pdb")
    run(PDBGEN, "synth", "--logs", "2", "--points", "200", "-o", handheld)
    server = Server(root)
    pid = server.process.pid

    def usage():
        # The handheld ends when its sync is answered; the server closes the connection a moment
        # later, so the open files are counted once it is idle again (the fewest over a second).
        files = []
        for _ in range(20):
            files.append(len(os.listdir(f"/proc/{pid}/fd")))
            time.sleep(0.05)
        with open(f"/proc/{pid}/status") as f:
            rss = int(re.search(r"VmRSS:\s+(\d+)", f.read()).group(1))
        return rss, min(files)

    bad = 0
    for i in range(1000):
        if i == 100:
            before = usage()
        code, out, _ = server.handheld("--handheld", handheld, "--user", "Alice")
        bad += code != 0
    after = usage()
    code, _, err = server.stop()
    check(code == 0 and "ERROR" not in err, f"the server ends cleanly after 1,000 HotSyncs: {err[-2000:]}")
    check(bad == 0, f"{bad} of 1,000 HotSyncs failed")
    check(after[1] == before[1], f"open files {before[1]} then {after[1]}")
    if not SANITIZED:
        check(after[0] - before[0] < 2048, f"memory {before[0]} KB then {after[0]} KB")
    print(f"1,000 HotSyncs: memory {before[0]} -> {after[0]} KB, open files {before[1]} -> {after[1]}")


with tempfile.TemporaryDirectory() as work:
    for group in (same_bytes_checks, failure_checks, concurrency_checks, silence_checks, trickle_checks,
                  crowd_checks, size_checks, address_checks, soak_checks):
        os.makedirs(os.path.join(work, group.__name__))
        group(os.path.join(work, group.__name__))
finish("sync")
