"""What the end-to-end checks of pathlet's links share: a list of failed checks, running a
program with a bound on its time, the bytes of a file, a HotSync root with users."""
import subprocess
import sys

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def run(*args, timeout=120):
    result = subprocess.run(args, capture_output=True, text=True, timeout=timeout)
    return result.returncode, result.stdout, result.stderr


def contents(path):
    with open(path, "rb") as f:
        return f.read()


def new_root(pathlet, path, *users):
    for user in users:
        code, _, err = run(pathlet, "users", "add", user, "--root", path)
        assert code == 0, err
    return path


def finish(name):
    """Ends the script: the number of failed checks, or that all passed."""
    if failures:
        sys.exit(f"{len(failures)} checks failed")
    print(f"{name} checks passed")
