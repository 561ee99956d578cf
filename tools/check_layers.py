#!/usr/bin/env python3
"""Checks that every folder includes only the folders below it (the layers of docs/DEVELOPING.md).
The build enforces the same through each library's include view; this check also covers what the
build cannot see: the host uses the conduit only through its published headers.
Usage: tools/check_layers.py [REPOSITORY]"""
import pathlib
import re
import sys

# Each folder and the folders it may include, directly or through the libraries it links.
BELOW = {
    "glo": set(),
    "geo": {"glo"}, "map": {"glo"}, "gdi": {"glo"}, "bin": {"glo"}, "jnl": {"glo"},
    "win": {"glo"},
    "plm": {"glo"},
    "nav": {"glo", "geo", "map", "gdi", "bin", "jnl"},
}
BELOW["iog"] = {"nav"} | BELOW["nav"]
BELOW["rec"] = {"nav", "bin"} | BELOW["nav"]
BELOW["app"] = {"rec", "nav", "iog", "plm", "win"} | BELOW["rec"] | BELOW["iog"] | BELOW["plm"] | BELOW["win"]
BELOW["dlp"] = set()
BELOW["host"] = {"app", "dlp"} | BELOW["app"]
BELOW["tools"] = {"dlp"}
# What the host may see of the conduit: the exports and the published host interface.
PUBLISHED = {"app/ConduitApi.h", "app/HostInterface.h"}

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
include = re.compile(r'^\s*#\s*include\s+"([a-z]+)/([^"]+)"', re.M)
problems = []
for folder, allowed in BELOW.items():
    for path in sorted((root / folder).rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        own = str(path.relative_to(root))
        # The Windows module and its installer sit on top of everything, as the module's binary.
        if own.startswith("app/win32/"):
            continue
        for target, rest in include.findall(path.read_text(errors="replace")):
            header = f"{target}/{rest}"
            if target == folder or target in allowed and not (folder == "host" and target == "app"):
                continue
            if folder == "host" and header in PUBLISHED:
                continue
            problems.append(f"{own}: includes {header}, which {folder}/ may not use")
for problem in problems:
    print(problem)
print(f"layers: {len(problems)} problem(s)")
sys.exit(1 if problems else 0)
