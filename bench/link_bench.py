#!/usr/bin/python3
"""The link layer measured: a 2,000,000-point handheld through `pathlet sync` on each link the
tests can make here (the serial stack and Net Sync framing over a pseudo-terminal, unpaced, and
Net Sync over TCP on loopback), against the same HotSync from .pdb files in the same run. For each
link: the time, round trips per record and the handheld's bytes on the wire per point (what the
simulated handheld wrote to its line, from /proc/PID/io; a socket's writes are not counted there), and
the desktop's own processor time per record beside the time a round trip takes: a link-bound
HotSync spends most of each round trip waiting for the link.
Usage: bench/link_bench.py [BUILD_DIR] [POINTS]"""
import os
import re
import subprocess
import sys
import tempfile
import time

build = sys.argv[1] if len(sys.argv) > 1 else "build-bench"
points = int(sys.argv[2]) if len(sys.argv) > 2 else 2_000_000
pathlet, pdbgen, sim = (os.path.join(build, name) for name in ("pathlet", "pathlet-pdbgen", "pathlet-handheld-sim"))


def written_by(process):
    """Waits for the process; the bytes it wrote, read from /proc while it ran."""
    written = 0
    while process.poll() is None:
        try:
            with open(f"/proc/{process.pid}/io") as io:
                written = int(re.search(r"^wchar: (\d+)", io.read(), re.M).group(1))
        except (OSError, AttributeError):
            pass
        time.sleep(0.005)
    return written


with tempfile.TemporaryDirectory() as work:
    handheld = os.path.join(work, "TrackDB.pdb")
    logs = -(-points // 10000)
    subprocess.run([pdbgen, "synth", "--logs", str(logs), "--points", str(points // logs), "--per-record", "4000",
                    "--seed", "7", "-o", handheld], check=True)
    pdb_bytes = os.path.getsize(handheld)

    def root(name):
        path = os.path.join(work, name)
        subprocess.run([pathlet, "users", "add", "Bench", "--root", path], check=True, capture_output=True)
        return path

    start = time.monotonic()
    by_file = root("file")
    subprocess.run([pathlet, "hotsync", "--handheld", handheld, "--root", by_file, "--user", "Bench"], check=True,
                   capture_output=True)
    file_time = time.monotonic() - start
    expected = open(os.path.join(by_file, "Bench", "Pathlet", "Tracks.tlx"), "rb").read()
    print(f"Handheld: {points:,} points, {pdb_bytes:,} bytes of .pdb ({pdb_bytes / points:.2f} bytes a point)")
    print(f"HotSync from .pdb files: {file_time:.2f} s")

    for link in ("serial stack on a pty", "Net Sync framing on a pty", "Net Sync over TCP"):
        destination = root(link.replace(" ", "-"))
        if "pty" in link:
            stack = "slp" if "serial" in link else "netsync"
            device = subprocess.Popen([sim, "--pty", "--handheld", handheld, "--user", "Bench", "--stack", stack],
                                      stdout=subprocess.PIPE, text=True)
            path = device.stdout.readline().split()[1]
            start = time.monotonic()
            server = subprocess.Popen([pathlet, "sync", "--serial", path, "--once", "--quiet", "--root", destination],
                                      stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        else:
            server = subprocess.Popen([pathlet, "sync", "--listen", "127.0.0.1:0", "--once", "--quiet", "--root",
                                       destination], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
            port = re.search(r"127\.0\.0\.1:(\d+)", server.stderr.readline()).group(1)
            start = time.monotonic()
            device = subprocess.Popen([sim, "--connect", f"127.0.0.1:{port}", "--handheld", handheld, "--user", "Bench"],
                                      stdout=subprocess.PIPE, text=True)
        wire = written_by(device)
        out = device.stdout.read()
        # Waited for here rather than by server.wait(), for the server's own processor time.
        _, status, usage = os.wait4(server.pid, 0)
        server.returncode = os.waitstatus_to_exitcode(status)
        elapsed = time.monotonic() - start
        desktop = usage.ru_utime + usage.ru_stime
        same = open(os.path.join(destination, "Bench", "Pathlet", "Tracks.tlx"), "rb").read() == expected
        counts = re.search(r"(\d+) records read, (\d+) requests", out)
        records, requests = int(counts.group(1)), int(counts.group(2))
        print(f"{link}: {elapsed:.2f} s ({elapsed / file_time:.1f} x the .pdb HotSync), "
              f"{requests / records:.3f} round trips a record, "
              f"{f'{wire / points:.2f}' if wire > points else 'n/a (socket writes are not counted)'} bytes a point "
              "from the handheld"
              f"{'' if same else ', TRACKS.TLX DIFFERS'}")
        line = f"    desktop: {desktop * 1e3 / records:.3f} ms of processor time a record; round trip: " \
               f"{elapsed * 1e3 / requests:.3f} ms unpaced ({desktop / elapsed:.0%} of it the desktop's)"
        baud = re.search(r"^baud (\d+)", out, re.M)
        if baud and wire > points:
            # A byte on an asynchronous line takes ten bit times: a start bit, eight bits, a stop bit.
            on_wire = wire / records * 10 / int(baud.group(1))
            line += f"; at the {int(baud.group(1)):,} baud agreed, a record takes {on_wire * 1e3:,.0f} ms on the wire"
        print(line)
