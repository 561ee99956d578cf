#!/usr/bin/python3
"""pathlet sync --usb end to end, against simulated USB handhelds (an unmodified libusb under
umockdev): Tracks.tlx through USB equals `pathlet hotsync` of the same files for every kind of
device the table knows (the usual one, the Treo 90's interrupt reply, a 32-byte OUT pipe, a device
that answers no extended information, high speed, and the first models' serial stack); a device
that appears only after HotSync is pressed is waited for; unplugging, stalling and silence end the
HotSync with a clear line, the old file whole and no hang; a device silent in the handshake is sent
nothing more, and a session slow as a whole is cut.
Usage: check_usb.py BED PATHLET PDBGEN"""
import os
import sys
import tempfile
import time

from linkcheck import check, finish, run
import linkcheck

BED, PATHLET, PDBGEN = sys.argv[1], sys.argv[2], sys.argv[3]


def new_root(path):
    return linkcheck.new_root(PATHLET, path, "Ada Lovelace")


def tracks(root):
    with open(os.path.join(root, "Ada_Lovelace", "Pathlet", "Tracks.tlx"), "rb") as f:
        return f.read()


def over_usb(root, handheld, *bed_args, sync_args=()):
    return run(BED, "--handheld", handheld, "--user", "Ada Lovelace", "--user-id", "7", *bed_args, "--",
               PATHLET, "sync", "--usb", "--once", "--quiet", "--root", root, *sync_args)


with tempfile.TemporaryDirectory() as work:
    handhelds = {}
    for name, args in {"walks": ["--logs", "3", "--points", "400", "--per-record", "60"],
                       "one-per-record": ["--logs", "2", "--points", "12", "--per-record", "1"],
                       "empty": ["--logs", "0"]}.items():
        handhelds[name] = os.path.join(work, name + ".pdb")
        run(PDBGEN, "synth", *args, "--seed", "3", "-o", handhelds[name])
    devices = {"usual": (), "treo-90": ("--device", "082d:0200", "--layout", "treo", "--ext-reply", "empty"),
               "32-byte-out": ("--device", "0830:0031", "--layout", "tungsten-w"),
               "no-extended-information": ("--layout", "first", "--ext-reply", "silent"),
               "high-speed": ("--layout", "highspeed"), "appears-late": ("--appear-after", "1500"),
               # The first models speak the serial stack on their bulk pipes.
               "visor-serial-stack": ("--device", "082d:0100", "--layout", "visor"),
               "early-clie-serial-stack": ("--device", "054c:0038", "--layout", "early-clie")}
    for name, handheld in handhelds.items():
        expected_root = new_root(os.path.join(work, name, "file"))
        run(PATHLET, "hotsync", "--handheld", handheld, "--root", expected_root, "--user", "Ada Lovelace")
        for device, bed_args in devices.items():
            if name != "walks" and device != "usual":
                continue
            root = new_root(os.path.join(work, name, device))
            code, out, err = over_usb(root, handheld, *bed_args)
            check(code == 0 and tracks(root) == tracks(expected_root),
                  f"{name} on {device}: the same Tracks.tlx as hotsync ({code}): {err[-600:]}")
            check("Ada Lovelace on USB " in err, f"{name} on {device}: who and where: {err[-300:]}")
            if "serial-stack" in device:
                check("on the serial stack:" in err, f"{name} on {device}: the serial stack was played: {err[-300:]}")

    # Faults that end the HotSync: a clear line, the old file whole, and in bounded time.
    root = new_root(os.path.join(work, "faults"))
    over_usb(root, handhelds["walks"])
    old = tracks(root)
    for fault, words in ((("--unplug-at", "20"), "link to the handheld"), (("--halt-at", "20"), "link to the handheld"),
                         (("--silent-at", "20"), "said nothing")):
        start = time.monotonic()
        code, out, err = over_usb(root, handhelds["walks"], *fault, sync_args=("--timeout", "2"))
        check(code == 1 and words in err and time.monotonic() - start < 60, f"{fault}: {code} {err[-600:]}")
        check(tracks(root) == old, f"{fault}: the old file is whole")
    # An unplugged handheld on the serial stack says so too.
    start = time.monotonic()
    code, out, err = over_usb(root, handhelds["walks"], "--device", "082d:0100", "--layout", "visor", "--unplug-at", "8",
                              sync_args=("--timeout", "2"))
    check(code == 1 and "left the bus" in err and time.monotonic() - start < 60, f"serial stack unplugged: {err[-600:]}")
    check(tracks(root) == old, "serial stack unplugged: the old file is whole")
    # A device silent in the Net Sync handshake is sent nothing more (the bed counts anything as
    # a violation) and dropped after one wait.
    start = time.monotonic()
    code, out, err = over_usb(root, handhelds["walks"], "--silent-handshake", sync_args=("--timeout", "1"))
    check(code == 1 and "said nothing for 1.0 s" in err and "violation" not in err and time.monotonic() - start < 30,
          f"silent in the handshake: {code} {err[-600:]}")
    # Each answer in its time, the session too slow as a whole.
    start = time.monotonic()
    code, out, err = over_usb(root, handhelds["one-per-record"], "--delay-ms", "280", sync_args=("--timeout", "0.3"))
    check(code == 1 and "the handheld kept the desktop waiting" in err and time.monotonic() - start < 40,
          f"a slow session on USB: {code} {err[-600:]}")
    check(tracks(root) == old, "a slow session on USB: the old file is whole")
finish("USB")
