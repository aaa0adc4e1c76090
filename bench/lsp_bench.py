#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""How long a writer waits for zabrel-lsp's diagnostics after an edit.

Starts the real program on a copy of a dictionary folder, talks to it through its standard
input and output with the protocol's own framing (python3-pylsp-jsonrpc), opens a Markdown
document of about 5,000 words (the dictionary's own words, a few of them misspelt), then
edits one word at a time and times each change to the publishDiagnostics of that version.
Once with the debounce at 0, once at the server's default.

usage: lsp_bench.py ZABREL_LSP DICT_DIR [--edits N] [--words N]
"""
import argparse
import os
import queue
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

from pylsp_jsonrpc.streams import JsonRpcStreamReader, JsonRpcStreamWriter

URI = "file:///bench/notes.md"
# A reply this late means the server is stuck: the bench stops rather than hangs.
PATIENCE_S = 120


def units(text):
    return len(text.encode("utf-16-le")) // 2


def lexicon(folder, count):
    """The `count` most frequent words of the folder's word list."""
    raw = (Path(folder) / "wordlist.txt").read_bytes().decode("utf-16")
    words = []
    for line in raw.splitlines()[1:]:
        word, _, frequency = line.partition("\t")
        if word and frequency.strip().isdigit():
            words.append((int(frequency), word))
    words.sort(reverse=True)
    return [word for _, word in words[:count]]


def slips(source):
    lines = (Path(source) / "bench" / "data" / "misspellings.tsv").read_text(encoding="utf-8").splitlines()
    return [line.split("\t")[0] for line in lines[1:] if line]


class Document:
    """Lines of words; a heading every ten paragraphs, a full stop every dozen words."""

    def __init__(self, words, misspelt, size, rng):
        self.lines = []
        written = 0
        paragraph = 0
        while written < size:
            if paragraph % 10 == 0:
                self.lines.append(["##"] + rng.sample(words, 3))
                self.lines.append([])
            line = []
            for i in range(min(60, size - written)):
                word = rng.choice(misspelt) if rng.random() < 0.03 else rng.choice(words)
                line.append(word + ("۔" if i % 12 == 11 else ""))
            written += len(line)
            self.lines.append(line)
            self.lines.append([])
            paragraph += 1

    def text(self):
        return "".join(" ".join(line) + "\n" for line in self.lines)

    def replace(self, line, index, word):
        """Puts `word` in place of a word; returns the LSP range it replaced."""
        before = " ".join(self.lines[line][:index]) + (" " if index else "")
        old = self.lines[line][index]
        self.lines[line][index] = word
        start = units(before)
        return {"start": {"line": line, "character": start}, "end": {"line": line, "character": start + units(old)}}


class Server:
    def __init__(self, program, dictionary, settings):
        self.process = subprocess.Popen([program, "--stdio", "--dictionary", dictionary],
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.writer = JsonRpcStreamWriter(self.process.stdin)
        self.inbox = queue.Queue()
        reader = JsonRpcStreamReader(self.process.stdout)
        threading.Thread(target=reader.listen, args=(self.inbox.put,), daemon=True).start()
        self.next_id = 0
        self.published = 0
        self.capabilities = self.request("initialize", {
            "processId": os.getpid(), "rootUri": None, "initializationOptions": {"zabrel": settings},
            "capabilities": {"general": {"positionEncodings": ["utf-16"]}},
        })["capabilities"]
        self.notify("initialized", {})

    def notify(self, method, params):
        self.writer.write({"jsonrpc": "2.0", "method": method, "params": params})

    def request(self, method, params):
        self.next_id += 1
        self.writer.write({"jsonrpc": "2.0", "id": self.next_id, "method": method, "params": params})
        return self.wait(lambda m: m.get("id") == self.next_id and "method" not in m).get("result")

    def wait(self, wanted):
        deadline = time.monotonic() + PATIENCE_S
        while True:
            try:
                message = self.inbox.get(timeout=max(0.0, deadline - time.monotonic()))
            except queue.Empty:
                sys.exit("lsp_bench: the server stopped answering")
            if "method" in message and "id" in message:  # the server asks something: no opinion
                self.writer.write({"jsonrpc": "2.0", "id": message["id"], "result": None})
            elif wanted(message):
                return message

    def diagnostics(self, version):
        """The next diagnostics of the document, of `version` when the server names it."""
        def wanted(message):
            params = message.get("params") or {}
            return (message.get("method") == "textDocument/publishDiagnostics" and params.get("uri") == URI
                    and params.get("version", version) == version)
        return self.wait(wanted)["params"]["diagnostics"]

    def close(self):
        self.request("shutdown", None)
        self.notify("exit", None)
        self.process.wait(timeout=PATIENCE_S)


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(share * (len(ordered) - 1))))]


def measure(program, dictionary, settings, words, misspelt, size, edits):
    rng = random.Random(36)
    document = Document(words, misspelt, size, rng)
    started = time.perf_counter()
    server = Server(program, dictionary, settings)
    ready = time.perf_counter() - started
    started = time.perf_counter()
    server.notify("textDocument/didOpen", {"textDocument": {
        "uri": URI, "languageId": "markdown", "version": 1, "text": document.text()}})
    first = server.diagnostics(1)
    opened = time.perf_counter() - started
    sync = server.capabilities.get("textDocumentSync")
    incremental = (sync.get("change") if isinstance(sync, dict) else sync) == 2
    times = []
    for version in range(2, edits + 2):
        line = rng.choice([n for n, words_of in enumerate(document.lines) if words_of and words_of[0] != "##"])
        index = rng.randrange(len(document.lines[line]))
        word = rng.choice(misspelt) if version % 2 else rng.choice(words)
        replaced = document.replace(line, index, word)
        change = {"range": replaced, "text": word} if incremental else {"text": document.text()}
        started = time.perf_counter()
        server.notify("textDocument/didChange", {"textDocument": {"uri": URI, "version": version},
                                                 "contentChanges": [change]})
        server.diagnostics(version)
        times.append((time.perf_counter() - started) * 1000)
    server.close()
    return {"ready": ready * 1000, "opened": opened * 1000, "flagged": len(first), "median": statistics.median(times),
            "p95": percentile(times, 0.95), "max": max(times), "sync": "incremental" if incremental else "full"}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("program")
    parser.add_argument("dictionary")
    parser.add_argument("--edits", type=int, default=50)
    parser.add_argument("--words", type=int, default=5000)
    args = parser.parse_args()
    source = Path(__file__).resolve().parent.parent
    with tempfile.TemporaryDirectory(prefix="zabrel-lsp-bench-") as work:
        # The server may build the derived files into its folder: never the shipped one.
        copy = os.path.join(work, "urdu")
        shutil.copytree(args.dictionary, copy)
        words = lexicon(copy, 3000)
        misspelt = slips(source)
        # The first start builds the derived files; time the ones after it.
        Server(args.program, copy, {}).close()
        print(f"{args.words:,}-word Markdown document, {args.edits} edits of one word each, time from "
              "didChange to the publishDiagnostics of that version (ms)")
        print("| debounce | sync | start | open: first diagnostics | flagged | change: median | p95 | max |")
        print("|---|---|---:|---:|---:|---:|---:|---:|")
        for label, settings in (("0 ms", {"debounce": 0}), ("default", {})):
            got = measure(args.program, copy, settings, words, misspelt, args.words, args.edits)
            print(f"| {label} | {got['sync']} | {got['ready']:.1f} | {got['opened']:.1f} | {got['flagged']} | "
                  f"{got['median']:.1f} | {got['p95']:.1f} | {got['max']:.1f} |")


if __name__ == "__main__":
    main()
