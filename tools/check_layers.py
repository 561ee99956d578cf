#!/usr/bin/env python3
"""Checks that every folder includes only what the layer table of docs/DEVELOPING.md lets it use.

The table's rows name a folder and what it may use: folders (with everything those may use in
turn) or single headers (that header alone, as the host sees the conduit). An include is resolved
to the file it reaches, whether it is written as "folder/File.h" or bare ("File.h", found beside the
including file or anywhere in the tree, as an include path would find it), so a header of another
folder cannot slip in under its bare name. The build enforces the same through each library's
include view; this check also covers the tools and the bare names the build's include paths allow.
Usage: tools/check_layers.py [REPOSITORY]"""
import pathlib
import re
import sys

SOURCES = (".h", ".cpp")
SKIPPED = ("build", ".git", "tests", "bench", "fuzz", "docs", "cmake")


def layer_table(root):
    """{folder: [allowed folder or header, ...]} from the table under '## Layers'."""
    text = (root / "docs" / "DEVELOPING.md").read_text()
    table = {}
    row = re.compile(r"^\|\s*`([a-z0-9/_-]+)/`\s*\|\s*(.*?)\s*\|\s*(.*?)\s*\|\s*$")
    for line in text.splitlines():
        match = row.match(line)
        if match:
            table[match.group(1)] = [entry.rstrip("/") for entry in re.findall(r"`([^`]+)`", match.group(2))]
    return table


def closure(table):
    """Each folder's permissions with those of the folders it may use, transitively."""
    allowed = {}

    def visit(folder, seen):
        if folder in allowed:
            return allowed[folder]
        if folder in seen:
            raise SystemExit(f"layers: the table has a cycle through {folder}/")
        result = set()
        for entry in table.get(folder, []):
            result.add(entry)
            if not entry.endswith(".h"):
                result |= visit(entry, seen | {folder})
        allowed[folder] = result
        return result

    for folder in table:
        visit(folder, set())
    return allowed


def owner(path, folders):
    """The most specific folder of the table that holds `path` (relative, with '/')."""
    best = None
    for folder in folders:
        if (path + "/").startswith(folder + "/") and (best is None or len(folder) > len(best)):
            best = folder
    return best


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    table = layer_table(root)
    if not table:
        print("layers: no layer table in docs/DEVELOPING.md")
        return 1
    allowed = closure(table)
    files = [p for p in root.rglob("*") if p.suffix in SOURCES and p.is_file()
             and p.relative_to(root).parts[0] not in SKIPPED and not p.relative_to(root).parts[0].startswith("build")]
    by_name = {}
    for path in sorted(files):
        by_name.setdefault(path.name, []).append(path)
    include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
    problems = []
    for path in sorted(files):
        own = path.relative_to(root).as_posix()
        folder = owner(own, table)
        if folder is None:
            problems.append(f"{own}: its folder has no row in the layer table")
            continue
        for written in include.findall(path.read_text(errors="replace")):
            target = path.parent / written
            if not target.is_file():
                target = root / written
            if not target.is_file():
                found = by_name.get(pathlib.PurePath(written).name, [])
                if not found:
                    continue  # a header of the system or of a package
                target = found[0]
            header = target.resolve().relative_to(root).as_posix()
            reached = owner(header, table)
            if reached == folder or header in allowed[folder] or (reached and reached in allowed[folder]):
                continue
            shown = header if header == written else f"{written} ({header})"
            problems.append(f"{own}: includes {shown}, which {folder}/ may not use")
    for problem in problems:
        print(problem)
    print(f"layers: {len(problems)} problem(s)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
