#!/usr/bin/env python3
"""The layer check sees every kind of slip: a folder reaching up, the host reaching into the
conduit past its published headers, a header of tools/ under its bare name, a host library using
one above it, and a folder the table does not know. Allowed uses, direct and through a lower
folder, pass. Usage: check_layers_test.py REPOSITORY"""
import pathlib
import shutil
import subprocess
import sys
import tempfile

repo = pathlib.Path(sys.argv[1]).resolve()
check = repo / "tools" / "check_layers.py"

with tempfile.TemporaryDirectory() as temp:
    tree = pathlib.Path(temp)
    (tree / "docs").mkdir()
    shutil.copy(repo / "docs" / "DEVELOPING.md", tree / "docs")

    def plant(path, *includes):
        file = tree / path
        file.parent.mkdir(parents=True, exist_ok=True)
        file.write_text("".join(f'#include "{name}"\n' for name in includes))

    for header in ("nav/NAV_Track.h", "app/Settings.h", "app/HostInterface.h", "tools/pdbgen/PdbWriter.h",
                   "host/platform/HotSyncRoot.h", "rec/REC_DatabaseReader.h", "dlp/DLP_Desktop.h",
                   "host/cli/Local.h"):
        plant(header)
    slips = {
        "geo/GEO_Box.cpp": ["nav/NAV_Track.h"],
        "host/cli/Cmd.cpp": ["app/Settings.h"],
        "host/cli/DemoCommand.cpp": ["PdbWriter.h"],
        "host/text/Words.cpp": ["host/platform/HotSyncRoot.h"],
        "host/exports/Map.cpp": ["dlp/DLP_Desktop.h"],
        "newlib/Thing.cpp": [],
    }
    for path, includes in slips.items():
        plant(path, *includes)
    # Allowed: a published header, a folder reached through a lower one, a bare name beside the file.
    plant("host/platform/Services.cpp", "app/HostInterface.h")
    plant("host/cli/Read.cpp", "rec/REC_DatabaseReader.h", "Local.h", "host/platform/HotSyncRoot.h")
    plant("tools/pdbgen/main.cpp", "PdbWriter.h")

    run = subprocess.run([sys.executable, str(check), str(tree)], capture_output=True, text=True)
    out = run.stdout
    expected = [
        "geo/GEO_Box.cpp: includes nav/NAV_Track.h, which geo/ may not use",
        "host/cli/Cmd.cpp: includes app/Settings.h, which host/cli/ may not use",
        "host/cli/DemoCommand.cpp: includes PdbWriter.h (tools/pdbgen/PdbWriter.h), which host/cli/ may not use",
        "host/text/Words.cpp: includes host/platform/HotSyncRoot.h, which host/text/ may not use",
        "host/exports/Map.cpp: includes dlp/DLP_Desktop.h, which host/exports/ may not use",
        "newlib/Thing.cpp: its folder has no row in the layer table",
    ]
    failures = [line for line in expected if line not in out]
    if run.returncode != 1 or f"layers: {len(expected)} problem(s)" not in out or failures:
        print(out, run.stderr)
        print("missing:", *failures, sep="\n  ")
        sys.exit(1)
print("every planted slip reported, every allowed use passed")
