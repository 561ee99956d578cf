#!/usr/bin/python3
"""pathlet sync --usb against a simulated USB handheld that speaks the serial stack (CMP, then DLP
over PADP and SLP) on its bulk pipes, as the first models of the device table do.

Without FAULT: the HotSync succeeds and its Tracks.tlx equals `pathlet hotsync` of the same .pdb.
With FAULT (bed options, such as --unplug-at 8): after a good HotSync, the faulty one ends with
exit 1, a line naming what happened (WORDS), the old file whole, in bounded time.

Usage: check_serial_stack.py BED PATHLET PDBGEN VID:PID LAYOUT [WORDS FAULT...]"""
import os
import subprocess
import sys
import tempfile
import time

BED, PATHLET, PDBGEN, DEVICE, LAYOUT = sys.argv[1:6]
WORDS = sys.argv[6] if len(sys.argv) > 6 else None
FAULT = sys.argv[7:]
USER = "Ada Lovelace"
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def run(*args, timeout=120):
    result = subprocess.run(args, capture_output=True, text=True, timeout=timeout)
    return result.returncode, result.stdout, result.stderr


def new_root(path):
    code, _, err = run(PATHLET, "users", "add", USER, "--root", path)
    assert code == 0, err
    return path


def tracks(root):
    with open(os.path.join(root, USER.replace(" ", "_"), "Pathlet", "Tracks.tlx"), "rb") as f:
        return f.read()


def over_usb(root, handheld, *bed_args, sync_args=()):
    start = time.monotonic()
    code, out, err = run(BED, "--handheld", handheld, "--user", USER, "--user-id", "7", "--device", DEVICE,
                         "--layout", LAYOUT, *bed_args, "--", PATHLET, "sync", "--usb", "--once", "--quiet",
                         "--root", root, *sync_args)
    return code, err, time.monotonic() - start


with tempfile.TemporaryDirectory() as work:
    # Records of a few kilobytes: each answer is several PADP fragments, several packets each.
    handheld = os.path.join(work, "TrackDB.pdb")
    code, _, err = run(PDBGEN, "synth", "--logs", "3", "--points", "300", "--per-record", "150", "--seed", "3",
                       "-o", handheld)
    assert code == 0, err
    expected = new_root(os.path.join(work, "file"))
    code, _, err = run(PATHLET, "hotsync", "--handheld", handheld, "--root", expected, "--user", USER)
    assert code == 0, err

    root = new_root(os.path.join(work, "usb"))
    code, err, seconds = over_usb(root, handheld)
    print(f"{DEVICE} ({LAYOUT}) on the serial stack: a HotSync in {seconds:.2f} s")
    check(code == 0 and tracks(root) == tracks(expected),
          f"the same Tracks.tlx as hotsync ({code}): {err[-800:]}")
    check(f"{USER} on USB {DEVICE}" in err, f"who and where: {err[-300:]}")
    check("on the serial stack:" in err, f"the bed played the serial stack: {err[-300:]}")

    if FAULT:
        old = tracks(root)
        code, err, seconds = over_usb(root, handheld, *FAULT, sync_args=("--timeout", "2"))
        print(f"{' '.join(FAULT)}: ended in {seconds:.2f} s")
        check(code == 1, f"{FAULT}: exit 1, not {code}: {err[-800:]}")
        check(any(line.startswith("pathlet: ") and WORDS in line for line in err.splitlines()),
              f"{FAULT}: a line that says '{WORDS}': {err[-800:]}")
        check(seconds < 30, f"{FAULT}: took {seconds:.1f} s")
        check(tracks(root) == old, f"{FAULT}: the old file is whole")
if failures:
    sys.exit(f"{len(failures)} checks failed")
print("serial stack USB checks passed")
