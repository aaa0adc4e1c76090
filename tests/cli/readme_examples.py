#!/usr/bin/env python3
"""Runs the README's zabrel-check examples and holds their output to what the README shows.

usage: readme_examples.py README.md ZABREL_CHECK SHIPPED_DICTIONARY

An example is an indented line of README.md starting with "$ " (a shell command line);
the indented lines after it, up to the next "$ " line or the end of the block, are what
it prints on standard output. Each runs in bash in an empty folder, with the built
zabrel-check first on PATH and a fresh user copy of the shipped dictionary (as a first
run makes it), so the README's examples cannot drift from the program's answers."""
import os
import subprocess
import sys
import tempfile

# The rankings the README must show by example.
REQUIRED = ["--ranking=exact", "--ranking=accurate", "--context", "--context --correct",
            "--context --real-word-slips"]


def examples(readme):
    found = []
    command = None
    for number, line in enumerate(readme.split("\n"), 1):
        indented = line.startswith("    ")
        if indented and line[4:].startswith("$ "):
            command = (number, line[6:], [])
            found.append(command)
        elif indented and command is not None:
            command[2].append(line[4:])
        else:
            command = None
    return found


def options_of(command):
    """The options zabrel-check is given in `command`, in order."""
    if "zabrel-check" not in command:
        return []
    words = command.split("zabrel-check", 1)[1].split()
    options = []
    for word in words:
        if not word.startswith("-") or word == "-":
            break
        options.append(word)
    return options


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    readme_path, program, shipped = sys.argv[1:]
    with open(readme_path, encoding="utf-8") as f:
        found = examples(f.read())
    failures = []
    shown = [options_of(command) for _, command, _ in found]
    for option in REQUIRED:
        if option.split() not in shown:
            failures.append(f"README.md shows no example of zabrel-check {option}")
    if not found:
        failures.append("README.md has no examples")
    with tempfile.TemporaryDirectory() as home:
        env = dict(os.environ, HOME=home, XDG_DATA_HOME=os.path.join(home, "data"),
                   XDG_CONFIG_HOME=os.path.join(home, "config"), ZABREL_SHIPPED_DICTIONARY=shipped,
                   PATH=os.path.dirname(os.path.abspath(program)) + os.pathsep + os.environ["PATH"],
                   LC_ALL="C.UTF-8")
        work = os.path.join(home, "work")
        os.mkdir(work)
        for number, command, expected in found:
            run = subprocess.run(["bash", "-c", command], cwd=work, env=env, capture_output=True,
                                 timeout=300)
            got = run.stdout.decode("utf-8", "replace").split("\n")
            if got and got[-1] == "":
                got.pop()
            err = run.stderr.decode("utf-8", "replace")
            if got != expected or err:
                failures.append(f"README.md:{number}: $ {command}\n  README shows:\n    " +
                                "\n    ".join(expected) + "\n  the program prints:\n    " +
                                "\n    ".join(got) + (f"\n  and on standard error:\n    {err}" if err else ""))
    for failure in failures:
        print(failure, file=sys.stderr)
    print(f"{len(found)} examples, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
