#!/usr/bin/env python3
"""make-misspellings and make-hunspell-dictionary on small word lists of their own."""

import subprocess
import sys
import tempfile
import unittest
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


if __name__ == "__main__":
    unittest.main()
