#!/usr/bin/env python3
"""zabrel-server under load: wrk's clients (32 by default) post the same 300-word Urdu
text to /v2/check for 30 s on localhost. Prints requests per second, the p50 and p99
latency, the failed requests and the server's resident memory at the start, the middle
and the end of the run. Exits 1 when a request failed or the memory grew from the
middle to the end (a leak per request shows there; the first seconds only fill the
allocator's arenas).

The text is made from the dictionary's own words, the frequent ones drawn by their
frequency, with one word in ten a misspelling of bench/data/misspellings.tsv, in
sentences of about twelve words: it has the misspellings a writer's page has.

Usage: server_bench.py --server ZABREL_SERVER --dictionary DIR [--seconds 30]
       [--connections 32] [--threads 2] [--words 300]
"""

import argparse
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
MISSPELLINGS = os.path.join(HERE, "data", "misspellings.tsv")
FREQUENT = 2000  # the correct words are drawn from this many of the most frequent
SEED = 35
# Memory may grow this much from the middle of the run to its end and still be flat.
GROWTH_FRACTION = 0.10
GROWTH_KIB = 4096


def read_wordlist(path):
    """(word, frequency) of a word list: UTF-16LE after its mark, a count line first."""
    with open(path, "rb") as source:
        data = source.read()
    if data[:2] != b"\xff\xfe":
        raise ValueError(f"{path}: not UTF-16LE with its byte-order mark")
    entries = []
    for line in data[2:].decode("utf-16-le").split("\r\n")[1:]:
        word, _, frequency = line.partition("\t")
        if word and frequency.strip().isdigit():
            entries.append((word, int(frequency)))
    return entries


def read_misspellings(path):
    with open(path, encoding="utf-8") as source:
        rows = [line.rstrip("\n").split("\t") for line in source if not line.startswith("misspelt\t")]
    return [row[0] for row in rows if row and row[0]]


def make_text(entries, misspellings, words=300, seed=SEED):
    """`words` words, one in ten misspelt, in sentences ending with ۔"""
    chooser = random.Random(seed)
    frequent = sorted(entries, key=lambda entry: -entry[1])[:FREQUENT]
    vocabulary = [word for word, _ in frequent]
    weights = [frequency for _, frequency in frequent]
    chosen = []
    for index in range(words):
        if index % 10 == 9:
            chosen.append(chooser.choice(misspellings))
        else:
            chosen.append(chooser.choices(vocabulary, weights)[0])
    sentences = [" ".join(chosen[start:start + 12]) + "۔" for start in range(0, words, 12)]
    return " ".join(sentences)


def form_body(text):
    return urllib.parse.urlencode({"text": text, "language": "ur-PK"})


def lua_script(body):
    """wrk's script: the POST, and one parseable line per figure when the run is done."""
    return f"""wrk.method = "POST"
wrk.body = "{body}"
wrk.headers["Content-Type"] = "application/x-www-form-urlencoded"

done = function(summary, latency, requests)
  local e = summary.errors
  io.write(string.format("zabrel requests %d\\n", summary.requests))
  io.write(string.format("zabrel seconds %.3f\\n", summary.duration / 1e6))
  io.write(string.format("zabrel p50_ms %.3f\\n", latency:percentile(50) / 1000))
  io.write(string.format("zabrel p99_ms %.3f\\n", latency:percentile(99) / 1000))
  io.write(string.format("zabrel failed %d\\n", e.connect + e.read + e.write + e.status + e.timeout))
  io.write(string.format("zabrel why connect %d read %d write %d status %d timeout %d\\n",
                         e.connect, e.read, e.write, e.status, e.timeout))
end
"""


def parse_figures(output):
    """The `zabrel NAME VALUE` lines of the script's done(), as numbers."""
    figures = {}
    for name, value in re.findall(r"^zabrel (\w+) ([0-9.]+)$", output, re.MULTILINE):
        figures[name] = float(value)
    why = re.search(r"^zabrel why (.*)$", output, re.MULTILINE)
    figures["why"] = why.group(1) if why else ""
    missing = {"requests", "seconds", "p50_ms", "p99_ms", "failed"} - figures.keys()
    if missing:
        raise ValueError(f"wrk's output lacks {sorted(missing)}:\n{output}")
    return figures


def memory_flat(middle_kib, end_kib):
    return end_kib <= middle_kib * (1 + GROWTH_FRACTION) + GROWTH_KIB


def rss_kib(pid):
    with open(f"/proc/{pid}/status", encoding="ascii") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise RuntimeError(f"no VmRSS for process {pid}")


def start_server(program, dictionary, threads):
    command = [program, "--listen", "127.0.0.1:0", "-d", dictionary]
    if threads:
        command += ["--threads", str(threads)]
    server = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True)
    line = server.stdout.readline()
    prefix = "zabrel-server: listening on "
    if not line.startswith(prefix):
        server.kill()
        server.wait()
        raise RuntimeError(f"zabrel-server said {line!r}")
    threading.Thread(target=server.stdout.read, daemon=True).start()
    return server, line[len(prefix):].strip().rstrip("/")


def main(argv=None):
    options = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    options.add_argument("--server", required=True)
    options.add_argument("--dictionary", required=True)
    options.add_argument("--seconds", type=int, default=30)
    options.add_argument("--connections", type=int, default=32)
    options.add_argument("--threads", type=int, default=2, help="wrk's threads")
    options.add_argument("--server-threads", type=int, default=0, help="zabrel-server's --threads")
    options.add_argument("--words", type=int, default=300)
    args = options.parse_args(argv)
    wrk = shutil.which("wrk")
    if wrk is None:
        print("server_bench: wrk missing (scripts/install-deps installs it)", file=sys.stderr)
        return 1

    with tempfile.TemporaryDirectory(prefix="zabrel-server-bench-") as work:
        # The server may build the dictionary's derived files: on a copy, never the shipped folder.
        dictionary = os.path.join(work, "dictionary")
        shutil.copytree(args.dictionary, dictionary)
        text = make_text(read_wordlist(os.path.join(dictionary, "wordlist.txt")),
                         read_misspellings(MISSPELLINGS), args.words)
        body = form_body(text)
        script = os.path.join(work, "check.lua")
        with open(script, "w", encoding="ascii") as out:
            out.write(lua_script(body))

        server, url = start_server(args.server, dictionary, args.server_threads)
        try:
            with urllib.request.urlopen(f"{url}/v2/check", body.encode(), timeout=60) as answer:
                matches = len(json.load(answer)["matches"])
            rss = {"start": rss_kib(server.pid)}
            run = subprocess.Popen([wrk, f"-t{args.threads}", f"-c{args.connections}", f"-d{args.seconds}s",
                                    "--timeout", "10s", "-s", script, f"{url}/v2/check"],
                                   stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
            time.sleep(args.seconds / 2)
            rss["middle"] = rss_kib(server.pid)
            time.sleep(max(args.seconds / 2 - 1, 0))
            rss["end"] = rss_kib(server.pid)
            output, _ = run.communicate()
            if run.returncode != 0:
                raise RuntimeError(f"wrk exited with {run.returncode}:\n{output}")
            figures = parse_figures(output)
        finally:
            server.send_signal(signal.SIGTERM)
            status = server.wait()

    words = len(text.split())
    print(f"server_bench: {os.cpu_count()} cores; {args.connections} clients ({args.threads} wrk threads) "
          f"for {args.seconds} s; a text of {words} words, {len(text.encode('utf-16-le')) // 2} UTF-16 units, "
          f"{matches} matches")
    print(f"requests/s {figures['requests'] / figures['seconds']:.1f}  "
          f"p50 {figures['p50_ms']:.2f} ms  p99 {figures['p99_ms']:.2f} ms  "
          f"requests {int(figures['requests'])}  failed {int(figures['failed'])}")
    print(f"server RSS: start {rss['start'] / 1024:.1f} MiB, middle {rss['middle'] / 1024:.1f} MiB, "
          f"end {rss['end'] / 1024:.1f} MiB")
    problems = []
    if figures["failed"]:
        problems.append(f"{int(figures['failed'])} requests failed ({figures['why']})")
    if not memory_flat(rss["middle"], rss["end"]):
        problems.append("memory grew from the middle of the run to its end")
    if status != 0:
        problems.append(f"zabrel-server exited with {status} on SIGTERM")
    for problem in problems:
        print(f"server_bench: {problem}", file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
