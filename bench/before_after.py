#!/usr/bin/env python3
"""Zabrel against an older build of itself, in one run: time ratios and peak memory.

Runs `compare --zabrel-only` of the old and the new build in turn (ROUNDS times each,
alternating, so that both see the same machine load) and prints the median of each
figure with the ratio new/old. Then checks a 1 MB text with both builds'
zabrel-check and prints their peak resident memory.

Usage: before_after.py NEW_BUILD OLD_BUILD [--rounds N] [--reps N]
"""

import argparse
import itertools
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
TEXT_BYTES = 1 << 20


def read_times(path):
    figures = {}
    for line in Path(path).read_text().splitlines():
        key, value = line.split()
        figures[key] = float(value)
    return figures


def time_rounds(builds, rounds, reps, scratch):
    runs = {name: [] for name in builds}
    for r in range(rounds):
        for name, build in builds.items():
            out = scratch / f"{name}-{r}.txt"
            subprocess.run([str(build / "bench" / "compare"), "--zabrel-only", "--reps", str(reps),
                            "--times", str(out)], check=True, stdout=subprocess.DEVNULL)
            runs[name].append(read_times(out))
    return {name: {key: statistics.median(run[key] for run in found) for key in found[0]}
            for name, found in runs.items()}


def make_text(path):
    """About 1 MB of lexicon words by frequency, one in fifty a misspelling."""
    data = (ROOT / "data" / "urdu" / "wordlist.txt").read_bytes()[2:].decode("utf-16-le")
    records = [line.split("\t") for line in data.split("\r\n")[1:] if "\t" in line[1:]]
    words = [w for w, _ in records]
    weights = list(itertools.accumulate(max(int(f), 1) for _, f in records))
    misspelt = [line.split("\t")[0] for line in
                (ROOT / "bench" / "data" / "misspellings.tsv").read_text(encoding="utf-8").splitlines()[1:]]
    rng = random.Random(17)
    lines, size = [], 0
    while size < TEXT_BYTES:
        line = " ".join(rng.choice(misspelt) if rng.random() < 0.02 else rng.choices(words, cum_weights=weights)[0]
                        for _ in range(12))
        lines.append(line)
        size += len(line.encode("utf-8")) + 1
    path.write_text("\n".join(lines) + "\n", encoding="utf-8")


def peak_memory_kib(build, text, scratch, name):
    """Peak RSS of zabrel-check on `text` with a later-run dictionary (first run done)."""
    folder = scratch / f"dict-{name}"
    shutil.copytree(ROOT / "data" / "urdu", folder)
    check = build / "src" / "cli" / "zabrel-check"
    subprocess.run([str(check), "-d", str(folder), "-l", str(text)], stdout=subprocess.DEVNULL)
    process = subprocess.Popen([str(check), "-d", str(folder), "-l", str(text)], stdout=subprocess.DEVNULL)
    _, _, usage = os.wait4(process.pid, 0)
    return usage.ru_maxrss


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("new", type=Path)
    parser.add_argument("old", type=Path)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--reps", type=int, default=11)
    args = parser.parse_args(argv)
    builds = {"old": args.old.resolve(), "new": args.new.resolve()}
    for build in builds.values():
        if not (build / "bench" / "compare").exists():
            print(f"before_after: {build}/bench/compare missing", file=sys.stderr)
            return 2
    with tempfile.TemporaryDirectory() as tmp:
        scratch = Path(tmp)
        medians = time_rounds(builds, args.rounds, args.reps, scratch)
        print(f"Medians of {args.rounds} alternating runs of compare --zabrel-only --reps {args.reps}; "
              "ratio < 1 means the new build is faster.")
        print(f"{'':28} {'old':>10} {'new':>10} {'new/old':>9}")
        for key, old in medians["old"].items():
            new = medians["new"].get(key)
            if new is not None:
                print(f"{key:28} {old:10.3f} {new:10.3f} {new / old:8.2f}x")
        text = scratch / "text.txt"
        make_text(text)
        if all((b / "src" / "cli" / "zabrel-check").exists() for b in builds.values()):
            peaks = {name: peak_memory_kib(build, text, scratch, name) for name, build in builds.items()}
            print(f"{'zabrel-check peak, 1 MB (MiB)':28} {peaks['old'] / 1024:10.1f} {peaks['new'] / 1024:10.1f} "
                  f"{'+%.1f MiB' % ((peaks['new'] - peaks['old']) / 1024):>9}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
