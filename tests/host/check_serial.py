#!/usr/bin/python3
"""pathlet sync on serial lines, end to end over pseudo-terminals: the simulated handheld plays a
cradle on the master side, pathlet opens the slave as it would /dev/ttyS0. For every kind of
handheld the tests make, Tracks.tlx through --serial (the serial stack, and Net Sync framing as a
USB handheld on the kernel's tty) equals `pathlet hotsync` of the same files; the rate is the
one offered; every fault of the line ends in a clear line, the old file whole and no hang; peers
that stay silent in the handshake, trickle or tickle for ever are dropped in their time.
Usage: check_serial.py PATHLET PDBGEN SIMULATOR"""
import os
import re
import signal
import subprocess
import sys
import tempfile
import time

from linkcheck import check, contents, finish, run
import linkcheck

PATHLET, PDBGEN, SIM = sys.argv[1], sys.argv[2], sys.argv[3]


def new_root(path, *users):
    return linkcheck.new_root(PATHLET, path, *(users or ("Alice",)))


class Handheld:
    """The simulator on a new pseudo-terminal; `path` is the side the desktop opens."""

    def __init__(self, work, *args):
        Handheld.count = getattr(Handheld, "count", 0) + 1
        self.out_path = os.path.join(work, f"handheld-{Handheld.count}.out")
        with open(self.out_path, "w") as out:
            self.process = subprocess.Popen([SIM, "--pty", *args], stdout=out, stderr=subprocess.STDOUT, text=True)
        deadline = time.monotonic() + 10
        found = None
        while not found and time.monotonic() < deadline and self.process.poll() is None:
            time.sleep(0.02)
            found = re.search(r"^pty (\S+)$", open(self.out_path).read(), re.M)
        if not found:
            self.process.kill()
            raise RuntimeError(f"the simulator made no pty: {open(self.out_path).read()}")
        self.path = found.group(1)

    def finish(self, timeout=60):
        try:
            self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        return self.process.returncode, open(self.out_path).read()


def sync(root, *links, extra=(), timeout=120):
    args = [PATHLET, "sync", "--root", root, "--quiet", *extra]
    for link in links:
        args += ["--serial", link]
    return run(*args, timeout=timeout)


def through_serial(work, name, handheld, stack, *sim_args, extra=()):
    root = new_root(os.path.join(work, f"{name}-{stack}"))
    device = Handheld(work, "--handheld", handheld, "--user", "Alice", "--stack", stack, *sim_args)
    code, out, err = sync(root, device.path, extra=("--once", *extra))
    sim_code, sim_out = device.finish()
    return root, code, out, err, sim_code, sim_out


def corpus(work):
    handhelds = {}
    demo = os.path.join(work, "demo")
    run(PATHLET, "demo", "--root", demo)
    handhelds["demo"] = os.path.join(demo, "handheld", "TrackDB.pdb")
    for name, args in {"synth-many": ["--logs", "6", "--points", "3000", "--per-record", "400"],
                       "synth-one-per-record": ["--logs", "2", "--points", "40", "--per-record", "1"],
                       "synth-empty": ["--logs", "0"]}.items():
        handhelds[name] = os.path.join(work, name + ".pdb")
        run(PDBGEN, "synth", *args, "--seed", "5", "-o", handhelds[name])
    descriptions = {
        "names-and-values": 'log "Caf\\xe9 <&> \\x01" color=3 flags=time,alt\n'
                            "raw-point 536870912 134217728 t=1 alt=412.5\nraw-point 536870914 -134217728 t=2 alt=-3.25\n",
        "segments": "log Walk flags=time\npoint 47 8 t=1\npoint 47.1 8 t=2 seg\npoint 47.2 8 t=3\n"
                    "log Walk flags=time\npoint 46 8 t=9\n",
        "big-record": "log Long flags=time,alt,aux per-record=3000\n" +
                      "".join(f"point 47.{i:04d} 8 t={i + 1} alt=1 aux=2\n" for i in range(3000)),
    }
    for name, text in descriptions.items():
        path = os.path.join(work, name + ".pdb")
        with open(path + ".txt", "w") as f:
            f.write(text)
        run(PDBGEN, "describe", path + ".txt", "-o", path)
        handhelds[name] = path
    return handhelds


def same_bytes_checks(work):
    for name, handheld in corpus(work).items():
        by_file = new_root(os.path.join(work, name + "-file"))
        code, _, err = run(PATHLET, "hotsync", "--handheld", handheld, "--root", by_file, "--user", "Alice")
        expected = contents(os.path.join(by_file, "Alice", "Pathlet", "Tracks.tlx"))
        for stack in ("slp", "netsync"):
            root, sync_code, out, sync_err, sim_code, sim_out = through_serial(work, name, handheld, stack)
            check(sync_code == code == 0 and sim_code == 0, f"{name} over {stack}: {sync_code} {sync_err} {sim_out}")
            check(contents(os.path.join(root, "Alice", "Pathlet", "Tracks.tlx")) == expected,
                  f"{name} over {stack}: the same Tracks.tlx as hotsync")
            check("copied" in sim_out, f"{name} over {stack}: the handheld's log says what was copied: {sim_out}")
            check(re.search(r"Alice on /dev/pts/\d+", sync_err) is not None, f"{name}: who and where: {sync_err}")


def rate_checks(work):
    handheld = os.path.join(work, "walk.pdb")
    run(PDBGEN, "synth", "--logs", "1", "--points", "200", "-o", handheld)
    for offered, device_max, expected in ((None, None, 115200), ("57600", None, 57600), (None, "38400", 38400),
                                          ("9600", None, 9600), ("230400", None, 115200)):
        sim_args = ("--max-baud", device_max) if device_max else ()
        extra = ("--baud", offered) if offered else ()
        root, code, out, err, sim_code, sim_out = through_serial(work, f"rate-{offered}-{device_max}", handheld, "slp",
                                                                 *sim_args, extra=extra)
        check(code == 0 and f"baud {expected}" in sim_out and f"at {expected} baud" in err,
              f"--baud {offered}, handheld {device_max}: {expected} expected: {sim_out} {err}")
    # An older handheld without long PADP headers, one that takes a while after the rate change.
    for sim_args in (("--short-padp", "--cmp-version", "1.2"), ("--deaf", "0.8"), ("--repeat-wakeup",)):
        root, code, out, err, sim_code, sim_out = through_serial(work, "-".join(sim_args), handheld, "slp", *sim_args)
        check(code == 0 and sim_code == 0, f"{sim_args}: {err} {sim_out}")


def fault_checks(work):
    handheld = os.path.join(work, "walks.pdb")
    run(PDBGEN, "synth", "--logs", "3", "--points", "600", "--per-record", "50", "-o", handheld)
    expected = None
    # Faults the link recovers from: the HotSync succeeds with the same bytes.
    for fault in (("--bad-crc", "5"), ("--lose-ack", "4"), ("--duplicate", "6"), ("--garbage",)):
        root, code, out, err, sim_code, sim_out = through_serial(work, fault[0].strip("-"), handheld, "slp", *fault)
        tracks = os.path.join(root, "Alice", "Pathlet", "Tracks.tlx")
        check(code == 0 and os.path.exists(tracks), f"{fault}: recovered: {err} {sim_out}")
        if os.path.exists(tracks):
            expected = expected or contents(tracks)
            check(contents(tracks) == expected, f"{fault}: the same bytes")
    # Faults that end the HotSync: a clear line, the old file whole, no hang.
    root = new_root(os.path.join(work, "ending"))
    tracks = os.path.join(root, "Alice", "Pathlet", "Tracks.tlx")
    first = Handheld(work, "--handheld", handheld, "--user", "Alice")
    check(sync(root, first.path, extra=("--once",))[0] == 0 and first.finish()[0] is not None, "a first HotSync")
    old = contents(tracks)
    for fault, words in ((("--drop-at", "8"), "the link to the handheld"), (("--stall-at", "8"), "said nothing")):
        device = Handheld(work, "--handheld", handheld, "--user", "Alice", *fault)
        start = time.monotonic()
        code, out, err = sync(root, device.path, extra=("--once", "--timeout", "2"))
        device.process.kill()
        device.finish()
        check(code == 1 and words in err and time.monotonic() - start < 60, f"{fault}: {code} {err}")
        check(contents(tracks) == old, f"{fault}: the old file is whole")
    # A handheld that never wakes up is waited for, and Ctrl-C ends the wait at once.
    device = Handheld(work, "--handheld", handheld, "--user", "Alice", "--never-wake")
    server = subprocess.Popen([PATHLET, "sync", "--root", root, "--serial", device.path, "--once"],
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    time.sleep(2)
    check(server.poll() is None, "a handheld that never wakes up is waited for")
    server.send_signal(signal.SIGINT)
    try:
        _, err = server.communicate(timeout=10)
        check(server.returncode == 130 and "stopped" in err, f"Ctrl-C while waiting: {server.returncode} {err}")
    except subprocess.TimeoutExpired:
        server.kill()
        check(False, "Ctrl-C ends the wait for a handheld")
    device.process.kill()
    device.finish()
    # Ctrl-C in the middle of a HotSync on a line ends it at once and leaves the old file.
    device = Handheld(work, "--handheld", handheld, "--user", "Alice", "--stall-at", "10")
    server = subprocess.Popen([PATHLET, "sync", "--root", root, "--serial", device.path, "--once"],
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    time.sleep(3)
    start = time.monotonic()
    server.send_signal(signal.SIGINT)
    try:
        _, err = server.communicate(timeout=10)
        check(server.returncode == 130 and time.monotonic() - start < 5 and "stopped by Ctrl-C" in err,
              f"Ctrl-C during a serial HotSync: {server.returncode} {err}")
    except subprocess.TimeoutExpired:
        server.kill()
        check(False, "Ctrl-C ends a serial HotSync")
    check(contents(tracks) == old, "Ctrl-C during a serial HotSync: the old file is whole")
    device.process.kill()
    device.finish()
    # A line that is not there is said before the server starts.
    code, _, err = sync(root, os.path.join(work, "no-such-tty"), extra=("--once",))
    check(code == 1 and "no-such-tty" in err, f"a missing line: {code} {err}")


def hostile_checks(work):
    """Peers that hold the line: silent in the Net Sync handshake, trickling, tickling for ever.
    Each is dropped in its time, sent nothing after a handshake it never finished, the old file
    whole."""
    handheld = os.path.join(work, "tiny.pdb")
    run(PDBGEN, "synth", "--logs", "1", "--points", "60", "--per-record", "1", "-o", handheld)
    root = new_root(os.path.join(work, "hostile"))
    tracks = os.path.join(root, "Alice", "Pathlet", "Tracks.tlx")
    first = Handheld(work, "--handheld", handheld, "--user", "Alice")
    check(sync(root, first.path, extra=("--once",))[0] == 0 and first.finish()[0] == 0, "a first HotSync")
    old = contents(tracks)
    # Net Sync framing on the tty, silent after its first frame or its answer.
    for step in ("1", "2"):
        device = Handheld(work, "--handheld", handheld, "--user", "Alice", "--stack", "netsync",
                          "--silent-handshake", step)
        code, out, err = sync(root, device.path, extra=("--once", "--timeout", "1"))
        sim_code, sim_out = device.finish()
        found = re.search(r"silent: (\d+) frames came after; the link ended after ([\d.]+) s", sim_out)
        check(code == 1 and found and found.group(1) == "0", f"silent after {step} frames on a tty: nothing more sent: {sim_out}{err}")
        check(found and float(found.group(2)) < 1.7, f"silent after {step} frames on a tty: dropped after one wait: {sim_out}")
    # Net Sync framing on the tty, a byte every 0.15 s from the second frame on: each in time, the
    # frame not.
    device = Handheld(work, "--handheld", handheld, "--user", "Alice", "--stack", "netsync", "--trickle", "2",
                      "--trickle-gap", "0.15")
    start = time.monotonic()
    code, out, err = sync(root, device.path, extra=("--once", "--timeout", "1"))
    device.process.kill()
    device.finish()
    check(code == 1 and re.search(r"only \d+ bytes of a Net Sync frame(.s header| of \d+ bytes) came within 1\.\d s", err)
          and time.monotonic() - start < 8, f"a trickled frame on a tty: {err}")
    # The serial stack: tickles for ever in place of an answer. Each tickle would give the answer
    # its whole time again; they may lengthen the wait ten times the timeout at most.
    device = Handheld(work, "--handheld", handheld, "--user", "Alice", "--stall-at", "8", "--tickle-stalled", "0.2")
    start = time.monotonic()
    code, out, err = sync(root, device.path, extra=("--once", "--timeout", "0.3"))
    device.process.kill()
    device.finish()
    check(code == 1 and "the handheld sent nothing but tickles for 3.0 s" in err and time.monotonic() - start < 20,
          f"a handheld that tickles for ever: {time.monotonic() - start:.1f} s: {err}")
    check(contents(tracks) == old, "the old file is whole")


def two_lines_checks(work):
    """Two cradles at once: one HotSync at a time, the second waits its turn."""
    handheld = os.path.join(work, "walks.pdb")
    run(PDBGEN, "synth", "--logs", "2", "--points", "2000", "--per-record", "100", "-o", handheld)
    root = new_root(os.path.join(work, "root"), "Alice", "Bob")
    alice = Handheld(work, "--handheld", handheld, "--user", "Alice")
    bob = Handheld(work, "--handheld", handheld, "--user", "Bob", "--stack", "netsync")
    server = subprocess.Popen([PATHLET, "sync", "--root", root, "--quiet", "--serial", alice.path, "--serial", bob.path],
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    results = [alice.finish(), bob.finish()]
    server.send_signal(signal.SIGINT)
    _, err = server.communicate(timeout=30)
    check(all(code == 0 and "copied" in out for code, out in results), f"two lines: {results} {err}")
    for user in ("Alice", "Bob"):
        check(os.path.exists(os.path.join(root, user, "Pathlet", "Tracks.tlx")), f"{user}'s file")
    check(server.returncode == 0 and err.count("written:") == 2, f"both HotSyncs, one at a time: {err}")


with tempfile.TemporaryDirectory() as work:
    for group in (same_bytes_checks, rate_checks, fault_checks, hostile_checks, two_lines_checks):
        os.makedirs(os.path.join(work, group.__name__))
        group(os.path.join(work, group.__name__))
finish("serial")
