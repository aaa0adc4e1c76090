#!/usr/bin/env python3
"""make-misspellings and make-hunspell-dictionary on small word lists of their own, and
the server benchmark's text and wrk script."""

import http.server
import shutil
import subprocess
import sys
import tempfile
import threading
import unittest
import urllib.parse
from pathlib import Path

TOOLS = Path(__file__).resolve().parent.parent / "tools"

WORDS = ["کتاب", "کتب", "پاکستان", "لاہور", "کراچی", "سکول", "استاد", "دوست", "محبت",
         "ہم", "تم", "وہ", "یہ", "اردو", "زبان", "خوبصورت", "دروازہ", "کھڑکی", "آسمان",
         "بارش", "موسم", "شہر", "گاؤں", "درخت", "پانی", "روٹی", "چائے", "دودھ",
         "انتظامیہ", "حکومت", "ٹیلیفون", "اخبار"]


def write_wordlist(path, words):
    records = [(w, 1000 - i) for i, w in enumerate(words)]
    records += records[-1:]
    lines = [str(len(words) + 1)] + [f"{w}\t{f}" for w, f in records]
    path.write_bytes(b"\xff\xfe" + "".join(l + "\r\n" for l in lines).encode("utf-16-le"))


def run(tool, *args):
    return subprocess.run([sys.executable, str(TOOLS / tool), *map(str, args)],
                          capture_output=True, text=True)


class MakeMisspellings(unittest.TestCase):
    def test_same_seed_same_bytes_and_no_lexicon_word(self):
        with tempfile.TemporaryDirectory() as tmp:
            tmp = Path(tmp)
            write_wordlist(tmp / "wordlist.txt", WORDS)
            outputs = []
            for name, seed in (("a.tsv", 3), ("b.tsv", 3), ("c.tsv", 4)):
                result = run("make-misspellings", "--dictionary", tmp / "wordlist.txt",
                             "--output", tmp / name, "--count", 60, "--seed", seed)
                self.assertEqual(result.returncode, 0, result.stderr)
                outputs.append((tmp / name).read_bytes())
            self.assertEqual(outputs[0], outputs[1])
            self.assertNotEqual(outputs[0], outputs[2])
            lines = outputs[0].decode("utf-8").splitlines()
            self.assertEqual(lines[0], "misspelt\tintended\tkind")
            rows = [line.split("\t") for line in lines[1:]]
            self.assertEqual(len(rows), 60)
            misspelt = [r[0] for r in rows]
            self.assertEqual(len(set(misspelt)), 60)
            for wrong, intended, kind in rows:
                self.assertNotIn(wrong, WORDS)
                self.assertIn(intended, WORDS)
                self.assertIn(kind, {"skeleton", "sound", "letter", "drop", "double", "insert", "swap"})
                self.assertGreaterEqual(len(wrong), 2)
            check = run("make-misspellings", "--dictionary", tmp / "wordlist.txt",
                        "--output", tmp / "a.tsv", "--count", 60, "--seed", 3, "--check")
            self.assertEqual(check.returncode, 0, check.stderr)
            stale = run("make-misspellings", "--dictionary", tmp / "wordlist.txt",
                        "--output", tmp / "c.tsv", "--count", 60, "--seed", 3, "--check")
            self.assertEqual(stale.returncode, 1)

    def test_avoided_words_are_never_misspellings(self):
        with tempfile.TemporaryDirectory() as tmp:
            tmp = Path(tmp)
            write_wordlist(tmp / "wordlist.txt", WORDS)
            args = ["--dictionary", tmp / "wordlist.txt", "--count", 60, "--seed", 3]
            self.assertEqual(run("make-misspellings", *args, "--output", tmp / "all.tsv").returncode, 0)
            made = [line.split("\t")[0] for line in
                    (tmp / "all.tsv").read_text(encoding="utf-8").splitlines()[1:]]
            avoided = set(made[::3])
            (tmp / "dropped.tsv").write_text(
                "# word\trule\tmeant\n" + "".join(f"{w}\tsome-rule\t-\n" for w in sorted(avoided)),
                encoding="utf-8")
            result = run("make-misspellings", *args, "--output", tmp / "fewer.tsv",
                         "--avoid", tmp / "dropped.tsv")
            self.assertEqual(result.returncode, 0, result.stderr)
            again = [line.split("\t")[0] for line in
                     (tmp / "fewer.tsv").read_text(encoding="utf-8").splitlines()[1:]]
            self.assertEqual(len(again), 60)
            self.assertEqual(avoided & set(again), set())


class MakeHunspellDictionary(unittest.TestCase):
    def test_every_word_once_and_letters_by_frequency(self):
        with tempfile.TemporaryDirectory() as tmp:
            tmp = Path(tmp)
            # ب is in the most frequent word and in no other, ا in several.
            path = tmp / "wordlist.txt"
            lines = ["4", "اب\t100", "ات\t5", "تا\t1", "تا\t1"]
            path.write_bytes(b"\xff\xfe" + "".join(l + "\r\n" for l in lines).encode("utf-16-le"))
            result = run("make-hunspell-dictionary", path, tmp / "out" / "ur")
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual((tmp / "out" / "ur.dic").read_bytes().decode("utf-8"), "3\nاب\nات\nتا\n")
            self.assertEqual((tmp / "out" / "ur.aff").read_bytes().decode("utf-8"),
                             "SET UTF-8\nTRY ابت\n")
            result = run("make-hunspell-dictionary", path, tmp / "out" / "ur0", "--no-ngram")
            self.assertEqual(result.returncode, 0, result.stderr)
            self.assertEqual((tmp / "out" / "ur0.aff").read_bytes().decode("utf-8"),
                             "SET UTF-8\nTRY ابت\nMAXNGRAMSUGS 0\n")


def load_server_bench():
    sys.dont_write_bytecode = True
    sys.path.insert(0, str(Path(__file__).resolve().parent))
    import server_bench  # noqa: E402

    return server_bench


class ServerBench(unittest.TestCase):
    """The load benchmark's own parts: its text, and its wrk script run by the real wrk
    against a small stand-in that records what it is sent and fails every third request."""

    def setUp(self):
        self.bench = load_server_bench()

    def test_text_of_dictionary_words_one_in_ten_misspelt(self):
        with tempfile.TemporaryDirectory() as tmp:
            path = Path(tmp) / "wordlist.txt"
            write_wordlist(path, WORDS)
            entries = self.bench.read_wordlist(path)
        self.assertEqual(entries[0], (WORDS[0], 1000))
        self.assertEqual(len(entries), len(WORDS) + 1)  # the list's last word comes twice
        misspelt = ["کتابب", "ااردو"]
        text = self.bench.make_text(entries, misspelt, words=300)
        self.assertEqual(text, self.bench.make_text(entries, misspelt, words=300))
        words = text.split()
        self.assertEqual(len(words), 300)
        self.assertEqual(text.count("۔"), 25)  # sentences of twelve words
        bare = [word.rstrip("۔") for word in words]
        self.assertEqual(sum(word in misspelt for word in bare), 30)
        self.assertTrue(all(word in WORDS or word in misspelt for word in bare))
        self.assertEqual(self.bench.read_misspellings(self.bench.MISSPELLINGS)[:1], ["ظو"])

    def test_wrk_posts_the_body_and_its_figures_are_read(self):
        if shutil.which("wrk") is None:
            self.skipTest("wrk missing (scripts/install-deps installs it)")
        text = "یہ کتابب & 50% + اچھی ہے"
        body = self.bench.form_body(text)
        received = []

        class StandIn(http.server.BaseHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def do_POST(self):
                data = self.rfile.read(int(self.headers["Content-Length"]))
                received.append((self.path, self.headers["Content-Type"], data))
                status = 500 if len(received) % 3 == 0 else 200
                self.send_response(status)
                self.send_header("Content-Length", "2")
                self.end_headers()
                self.wfile.write(b"{}")

        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), StandIn)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        try:
            with tempfile.TemporaryDirectory() as tmp:
                script = Path(tmp) / "check.lua"
                script.write_text(self.bench.lua_script(body), encoding="ascii")
                run = subprocess.run(["wrk", "-t1", "-c2", "-d1s", "-s", str(script),
                                      f"http://127.0.0.1:{server.server_address[1]}/v2/check"],
                                     capture_output=True, text=True, timeout=60)
        finally:
            server.shutdown()
            server.server_close()
        self.assertEqual(run.returncode, 0, run.stderr)
        figures = self.bench.parse_figures(run.stdout)
        self.assertGreaterEqual(len(received), 3)
        path, kind, data = received[0]
        self.assertEqual((path, kind), ("/v2/check", "application/x-www-form-urlencoded"))
        self.assertEqual(urllib.parse.parse_qs(data.decode("ascii")), {"text": [text], "language": ["ur-PK"]})
        # Requests still in flight when wrk stops reach the stand-in but are not counted.
        self.assertLessEqual(figures["requests"], len(received))
        # One in three failed; which of those in flight at the end wrk counted is not known.
        self.assertGreater(figures["failed"], 0)
        self.assertLessEqual(abs(figures["failed"] - figures["requests"] // 3), 2)
        self.assertLessEqual(figures["p50_ms"], figures["p99_ms"])
        with self.assertRaises(ValueError):
            self.bench.parse_figures("Running 1s test\nzabrel requests 5\n")

    def test_memory_is_flat_within_its_margin(self):
        self.assertTrue(self.bench.memory_flat(100_000, 100_000 + 10_000 + 4096))
        self.assertFalse(self.bench.memory_flat(100_000, 100_000 + 10_000 + 4097))
        self.assertTrue(self.bench.memory_flat(100_000, 90_000))


if __name__ == "__main__":
    unittest.main()
