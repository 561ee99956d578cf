#!/usr/bin/python3
"""Installs the build into a fresh prefix and checks what lands there: the programs run, and the
manual pages and bash completion know every command and option that --help shows.
Usage: check_install.py BUILD_DIR"""
import os
import re
import subprocess
import sys
import tempfile

BUILD = sys.argv[1]

def check(condition, what):
    if not condition:
        sys.exit("FAILED: " + what)

def run(*args):
    return subprocess.run(args, capture_output=True, text=True, check=True).stdout

def help_of(program, *command):
    """Subcommands and long options that `program command --help` lists."""
    text = run(program, *command, "--help")
    subcommands = re.findall(r"^  ([a-z]+) {2,}", text.split("Subcommands:")[1], re.M) if "Subcommands:" in text else []
    options = sorted(set(re.findall(r"(--[a-z][a-z-]*)", text.split("Options:")[1].split("Subcommands:")[0])))
    return subcommands, options

def complete(script, *words):
    """What bash completion offers for the words, the last one being completed."""
    line = " ".join(f"'{w}'" for w in words)
    program = "_pathlet_pdbgen" if words[0] == "pathlet-pdbgen" else "_pathlet"
    out = subprocess.run(["bash", "-c", f'source "{script}"; COMP_WORDS=({line}); COMP_CWORD={len(words) - 1}; '
                          f'{program}; printf "%s\\n" "${{COMPREPLY[@]}}"'], capture_output=True, text=True)
    return out.stdout.split()

with tempfile.TemporaryDirectory() as prefix:
    subprocess.run(["cmake", "--install", BUILD, "--prefix", prefix], check=True, capture_output=True)
    pathlet = os.path.join(prefix, "bin", "pathlet")
    pdbgen = os.path.join(prefix, "bin", "pathlet-pdbgen")
    check(run(pathlet, "--version").startswith("pathlet "), "installed pathlet runs")
    check(run(pdbgen, "--version").startswith("pathlet-pdbgen "), "installed pathlet-pdbgen runs")
    completion = os.path.join(prefix, "share", "bash-completion", "completions")
    for name in ("pathlet", "pathlet-pdbgen"):
        check(os.path.isfile(os.path.join(completion, name)), f"completion for {name}")
    script = os.path.join(completion, "pathlet")

    for program, page in ((pathlet, "pathlet.1"), (pdbgen, "pathlet-pdbgen.1")):
        path = os.path.join(prefix, "share", "man", "man1", page)
        check(os.path.isfile(path), f"{page} installed")
        text = open(path).read().replace("\\-", "-")
        check(text.startswith(".TH "), f"{page} is a manual page")
        name = os.path.basename(program)
        commands, _ = help_of(program)
        queue = [[c] for c in commands]
        while queue:
            command = queue.pop(0)
            subcommands, options = help_of(program, *command)
            queue += [command + [s] for s in subcommands]
            check(command[-1] in text, f"{page} describes '{' '.join(command)}'")
            offered = complete(script, name, *command, "")
            if subcommands:
                check(set(subcommands) <= set(offered), f"completion offers {subcommands} after {command}: {offered}")
            for option in options:
                if option in ("--help", "--version"):
                    continue
                check(option in text, f"{page} describes {option} of '{' '.join(command)}'")
                check(option in complete(script, name, *command, option[:4]),
                      f"completion offers {option} for '{' '.join(command)}'")
    # The udev rule and the user unit: the unit runs the installed program with options it has.
    rules = os.path.join(prefix, "lib", "udev", "rules.d", "60-pathlet-handhelds.rules")
    check(os.path.isfile(rules), "the udev rule installed")
    rule_text = open(rules).read()
    check(rule_text.count('TAG+="uaccess"') >= 2 * 40 and "MODE=" not in rule_text and "GROUP=" not in rule_text,
          "the udev rule lets the logged-in user open every device, with no mode or group")
    unit = os.path.join(prefix, "share", "systemd", "user", "pathlet-sync.service")
    check(os.path.isfile(unit), "the systemd user unit installed")
    unit_text = open(unit).read()
    check(f"ExecStart={pathlet} sync" in unit_text, "the unit runs the installed pathlet")
    _, sync_options = help_of(pathlet, "sync")
    arguments = "\n".join(line for line in unit_text.splitlines() if "PATHLET_SYNC_ARGS=" in line or "ExecStart" in line)
    for option in re.findall(r"(--[a-z][a-z-]*)", arguments):
        check(option in sync_options, f"the unit's {option} is an option of pathlet sync")
    check(complete(script, "pathlet", "hot") == ["hotsync"], "completion of a command")
    check(complete(script, "pathlet", "hotsync", "--export", "g") == ["gpx", "geojson"], "completion of a value")
print("install checks passed")
