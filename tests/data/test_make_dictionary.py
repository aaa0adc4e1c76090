#!/usr/bin/env python3
"""Tests of tools/make-dictionary on tiny word sources made in a temp directory."""

import contextlib
import importlib.machinery
import importlib.util
import io
import sys
import tempfile
import unittest
from pathlib import Path

REPO_ROOT = Path(__file__).resolve().parents[2]
SCRIPT = REPO_ROOT / "tools" / "make-dictionary"


def load_script():
    # The script has no .py suffix, so it needs an explicit loader; keep the
    # source tree free of a __pycache__ for it.
    sys.dont_write_bytecode = True
    loader = importlib.machinery.SourceFileLoader("make_dictionary", str(SCRIPT))
    module_spec = importlib.util.spec_from_loader(loader.name, loader)
    module = importlib.util.module_from_spec(module_spec)
    loader.exec_module(module)
    return module


md = load_script()

UNILEX_HEADER = ("Form\tFrequency\n\n# SPDX-License-Identifier: Unicode-DFS-2016\n"
                 "# Corpus-Size: 3583946\n\n")


def decode_wordlist(data):
    """Split a word list into its count and its (word, frequency) records."""
    assert data[:2] == b"\xff\xfe", "missing FF FE mark"
    text = data[2:].decode("utf-16-le")
    assert text.endswith("\r\n"), "last line has no CR LF"
    lines = text[:-2].split("\r\n")
    records = [tuple(line.split("\t")) for line in lines[1:]]
    return int(lines[0]), [(word, int(freq)) for word, freq in records]


class SourcesTestCase(unittest.TestCase):
    def setUp(self):
        tmp = tempfile.TemporaryDirectory()
        self.addCleanup(tmp.cleanup)
        self.dir = Path(tmp.name)
        self.sources = self.dir / "sources"
        self.sources.mkdir()

    def write_sources(self, unilex_rows=(), words=(), unilex_text=None, words_text=None):
        if unilex_text is None:
            unilex_text = UNILEX_HEADER + "".join(f"{w}\t{v}\n" for w, v in unilex_rows)
        if words_text is None:
            words_text = "".join(f"{w}\n" for w in words)
        (self.sources / md.UNILEX_FILE).write_bytes(unilex_text.encode("utf-8"))
        (self.sources / md.URDU_WORDS_FILE).write_bytes(words_text.encode("utf-8"))

    def build_records(self, **sources):
        self.write_sources(**sources)
        count, records = decode_wordlist(md.generate(self.sources)["wordlist.txt"])
        self.assertEqual(count, len(records))
        return records[:-1]

    def lexicon(self, **sources):
        return dict(self.build_records(**sources))


class WordFilterTest(SourcesTestCase):
    def test_marks_and_joiners_are_removed_before_merging(self):
        lexicon = self.lexicon(words=[
            "ابّا",            # shadda
            "کتاب\u064e",       # fatha
            "عل\u0670ی",        # superscript alif
            "بـات",            # tatweel
            "نہ\u200cیں",       # ZWNJ
            "می\u200fں",        # RLM
        ])
        self.assertEqual(sorted(lexicon), sorted(["ابا", "کتاب", "علی", "بات", "نہیں", "میں"]))

    def test_words_outside_the_urdu_letters_are_dropped(self):
        lexicon = self.lexicon(
            unilex_rows=[("book", 900), ("كتاب", 900), ("علي", 900), ("هم", 900),
                         ("ہم", 900), ("ab12", 900)],
            words=["دو3", "کہىں", "تم", "ﷲ"])
        self.assertEqual(sorted(lexicon), sorted(["ہم", "تم"]))

    def test_word_length_bounds(self):
        lexicon = self.lexicon(words=["ب", "بب", "ب" * 20, "ب" * 21, "ب\u064e"])
        self.assertEqual(sorted(lexicon), sorted(["بب", "ب" * 20]))

    def test_phrases_of_the_word_list_are_skipped(self):
        lexicon = self.lexicon(words=["آپ_کا", "آپ کا", "آپ"])
        self.assertEqual(list(lexicon), ["آپ"])

    def test_utf8_bom_and_crlf_in_sources_are_ignored(self):
        lexicon = self.lexicon(
            unilex_text="\ufeff" + UNILEX_HEADER.replace("\n", "\r\n") + "اب\t100\r\n",
            words_text="\ufeffآپ\r\nتم\r\n")
        self.assertEqual(lexicon, {"اب": 10, "آپ": 1, "تم": 1})


class FrequencyTest(SourcesTestCase):
    def test_unilex_counts_are_rounded_tenths_of_at_least_one(self):
        lexicon = self.lexicon(unilex_rows=[("اب", 837), ("تب", 15), ("جب", 14),
                                            ("کب", 4), ("سب", 0), ("کے", 46220283)])
        self.assertEqual(lexicon, {"اب": 84, "تب": 2, "جب": 1, "کب": 1, "سب": 1,
                                   "کے": 4622028})

    def test_duplicates_keep_the_highest_frequency(self):
        lexicon = self.lexicon(
            unilex_rows=[("ابا", 95), ("ابّا", 1395), ("ابا", 20), ("دل", 500)],
            words=["دل", "ابا", "گھر"])
        self.assertEqual(lexicon, {"ابا": 140, "دل": 50, "گھر": 1})

    def test_comment_and_blank_lines_of_unilex_are_skipped(self):
        # Only the column line has a TAB among the header lines.
        lexicon = self.lexicon(unilex_text=UNILEX_HEADER + "# note\n\nاب\t30\n")
        self.assertEqual(lexicon, {"اب": 3})

    def test_a_frequency_beyond_seven_digits_fails(self):
        self.write_sources(unilex_rows=[("اب", 99999995)])
        with self.assertRaises(md.DictionaryError):
            md.generate(self.sources)
        stderr = io.StringIO()
        with contextlib.redirect_stderr(stderr):
            status = md.main(["--sources", str(self.sources), "--out", str(self.dir / "out")])
        self.assertNotEqual(status, 0)
        self.assertIn("10000000", stderr.getvalue())
        self.assertFalse((self.dir / "out" / "wordlist.txt").exists())


class WordListLayoutTest(SourcesTestCase):
    def test_descending_frequency_then_code_unit_order(self):
        # Code-unit order, not alphabet order: آ U+0622 before ا U+0627,
        # ک U+06A9 before گ U+06AF before ی U+06CC.
        records = self.build_records(
            unilex_rows=[("اب", 50), ("آب", 50), ("کل", 990)],
            words=["یہ", "گل", "کم", "بس"])
        self.assertEqual(records, [("کل", 99), ("آب", 5), ("اب", 5),
                                   ("بس", 1), ("کم", 1), ("گل", 1), ("یہ", 1)])

    def test_count_is_words_plus_one_and_last_record_repeats(self):
        self.write_sources(unilex_rows=[("اب", 70)], words=["تم", "ہم"])
        count, records = decode_wordlist(md.generate(self.sources)["wordlist.txt"])
        self.assertEqual(count, 4)
        self.assertEqual(records, [("اب", 7), ("تم", 1), ("ہم", 1), ("ہم", 1)])

    def test_exact_bytes_of_two_words(self):
        self.write_sources(unilex_rows=[("اب", 120)], words=["تم"])
        expected = (b"\xff\xfe"
                    b"3\x00\r\x00\n\x00"
                    b"\x27\x06\x28\x06\t\x001\x002\x00\r\x00\n\x00"
                    b"\x2a\x06\x45\x06\t\x001\x00\r\x00\n\x00"
                    b"\x2a\x06\x45\x06\t\x001\x00\r\x00\n\x00")
        self.assertEqual(md.generate(self.sources)["wordlist.txt"], expected)

    def test_no_usable_word_fails(self):
        self.write_sources(words=["abc", "ب"])
        with self.assertRaises(md.DictionaryError):
            md.generate(self.sources)


class FixedFilesTest(unittest.TestCase):
    def test_alphabet_is_fifty_letters_each_ended_by_crlf(self):
        data = md.alphabet_bytes()
        self.assertEqual(len(data), 2 + 50 * 6)
        self.assertEqual(data[:8], b"\xff\xfe\x27\x06\r\x00\n\x00")
        self.assertEqual(data[-6:], b"\x49\x06\r\x00\n\x00")
        letters = data[2:].decode("utf-16-le").split("\r\n")
        self.assertEqual(letters[-1], "")
        self.assertEqual(len(set(letters[:-1])), 50)
        self.assertEqual(letters[45:49], ["\u06d3", "\u064a", "\u0643", "\u0647"])

    def test_code_tables_load_without_a_trailing_empty_line(self):
        for name, classes in (("soundex", md.SOUNDEX_CLASSES), ("shapex", md.SHAPEX_CLASSES)):
            with self.subTest(name):
                data = md.code_table_bytes(classes)
                self.assertTrue(data.endswith(b"\r\n"))
                self.assertFalse(data.endswith(b"\r\n\r\n"))
                lines = data.decode("ascii").split("\r\n")[:-1]
                points = [line.split("=")[0] for line in lines]
                self.assertEqual(len(points), len(set(points)), "a letter in two classes")
                for line in lines:
                    self.assertRegex(line, r"^06[0-9A-F]{2}=[1-9]$")
                    self.assertIn(int(line[:4], 16), md.ALPHABET)
        self.assertTrue(md.code_table_bytes(md.SOUNDEX_CLASSES).startswith(b"0628=1\r\n067E=1\r\n"))

    def test_config_asks_for_a_first_run_build(self):
        data = md.config_bytes()
        self.assertTrue(data.startswith(b"initialize = YES\r\nwordListFilePath = wordlist.txt\r\n"))
        self.assertTrue(data.endswith(b"soundexFilePath = soundex.txt\r\n"
                                      b"shapexFilePath = shapex.txt\r\n"))
        self.assertEqual(data.count(b"\r\n"), 10)
        self.assertEqual(data.count(b"\n"), 10)


# A small rule table with one rule of each form, in the committed table's layout.
RULES = """# rule\twritten\tmeant\twhere\tmin-frequency
do-chashmi-for-he\tھ\tہ\tnot-after:بپ\t84
final-hamza\tئ\tئی\tend\t84
noon-ghunna-left-out\t-\tں\tend after:و\t84
alef-added\tا\t-\tstart\t500
noon-ghunna-inside\tں\t*\tnot-end\t-
"""


class MisspellingRulesTest(SourcesTestCase):
    def build_with_rules(self, rules_text, **sources):
        rules = self.dir / "rules.tsv"
        rules.write_bytes(rules_text.encode("utf-8"))
        self.write_sources(**sources)
        files, dropped = md.build(self.sources, rules)
        count, records = decode_wordlist(files["wordlist.txt"])
        return dict(records[:-1]), dropped

    def test_frequency_one_slips_of_attested_words_are_dropped_with_their_reason(self):
        lexicon, dropped = self.build_with_rules(
            RULES,
            unilex_rows=[("ہم", 900), ("ہوئی", 900), ("لوگوں", 900), ("کتاب", 6000),
                         ("ھر", 900), ("دکان", 4000)],
            words=["ھم", "بھم", "ہوئ", "لوگو", "دکا", "اکتاب", "ادکان", "کیوںکہ", "ہم"])
        # ھر has a frequency of its own; بھم is an aspirate, not a slip; دکا
        # ends in no و; دکان is below the 500 that alef-added asks for.
        self.assertEqual(lexicon, {"ہم": 90, "ہوئی": 90, "لوگوں": 90, "کتاب": 600,
                                   "ھر": 90, "دکان": 400, "بھم": 1, "دکا": 1, "ادکان": 1})
        self.assertEqual(dropped.decode("utf-8"), (
            "# word\trule\tmeant (made by tools/make-dictionary; - when the spelling is never right)\n"
            "اکتاب\talef-added\tکتاب\n"
            "لوگو\tnoon-ghunna-left-out\tلوگوں\n"
            "کیوںکہ\tnoon-ghunna-inside\t-\n"
            "ھم\tdo-chashmi-for-he\tہم\n"
            "ہوئ\tfinal-hamza\tہوئی\n"))

    def test_the_first_rule_that_explains_a_word_gives_its_reason(self):
        rules = RULES + "ends-in-hamza\tئ\t*\tend\t-\n"
        _, dropped = self.build_with_rules(rules, unilex_rows=[("نئی", 900)],
                                           words=["نئ", "گئ"])
        lines = dropped.decode("utf-8").splitlines()[1:]
        self.assertEqual(lines, ["نئ\tfinal-hamza\tنئی", "گئ\tends-in-hamza\t-"])

    def test_a_bad_rule_line_names_its_file_and_line(self):
        bad_lines = [
            "too-few\tھ\tہ\t-",
            "unknown-place\tھ\tہ\tmiddle\t84",
            "attested-by-itself\tھ\tہ\t-\t1",
            "never-right-with-frequency\tں\t*\t-\t84",
            "latin-letters\th\tہ\t-\t84",
            "same-spelling\tھ\tھ\t-\t84",
        ]
        for line in bad_lines:
            with self.subTest(line):
                with self.assertRaisesRegex(md.DictionaryError, r"rules\.tsv:3: "):
                    self.build_with_rules("# header\n\n" + line + "\n", words=["ہم"])

    def test_the_shipped_rules_keep_every_word_of_the_sample_texts(self):
        # The samples are correct text apart from their listed misspellings; a
        # rule that drops one of their words flags correct Urdu.
        samples = REPO_ROOT / "data" / "samples"
        misspelt = {row.split("\t")[1] for row in
                    (samples / "misspellings.tsv").read_text(encoding="utf-8").splitlines()[1:]}
        _, records = decode_wordlist((REPO_ROOT / "data" / "urdu" / "wordlist.txt").read_bytes())
        lexicon = {word for word, _ in records}
        separators = "\u060c\u06d4\u061b\u061f:;'"
        for text in sorted(samples.glob("*.txt")):
            words = text.read_text(encoding="utf-8")
            for mark in separators:
                words = words.replace(mark, " ")
            with self.subTest(text.name):
                self.assertEqual(sorted({w for w in words.split() if len(w) > 1} - lexicon - misspelt), [])


class CheckTest(SourcesTestCase):
    def run_main(self, *args):
        stderr = io.StringIO()
        with contextlib.redirect_stdout(io.StringIO()), contextlib.redirect_stderr(stderr):
            status = md.main(["--sources", str(self.sources), *args])
        return status, stderr.getvalue()

    def test_check_reports_changed_and_missing_files(self):
        self.write_sources(unilex_rows=[("اب", 120)], words=["تم"])
        out = self.dir / "urdu"
        self.assertEqual(self.run_main("--out", str(out))[0], 0)
        self.assertEqual(self.run_main("--out", str(out), "--check"), (0, ""))

        (out / "soundex.txt").write_bytes(md.code_table_bytes(md.SOUNDEX_CLASSES) + b"\r\n")
        (out / "alphabet.txt").unlink()
        status, message = self.run_main("--out", str(out), "--check")
        self.assertEqual(status, 1)
        self.assertIn("soundex.txt", message)
        self.assertIn("alphabet.txt", message)
        self.assertNotIn("wordlist.txt", message)
        self.assertNotIn(md.DROPPED_FILE, message)

    def test_check_reports_a_stale_dropped_word_file(self):
        self.write_sources(unilex_rows=[("ہم", 900)], words=["ھم", "تم"])
        out = self.dir / "urdu"
        self.assertEqual(self.run_main("--out", str(out))[0], 0)
        dropped = self.sources / md.DROPPED_FILE
        self.assertIn("ھم\tdo-chashmi-for-he\tہم\n", dropped.read_text(encoding="utf-8"))
        dropped.write_bytes(dropped.read_bytes().replace("ھم".encode("utf-8"), "تم".encode("utf-8")))
        status, message = self.run_main("--out", str(out), "--check")
        self.assertEqual(status, 1)
        self.assertIn(md.DROPPED_FILE, message)
        self.assertNotIn("wordlist.txt", message)


if __name__ == "__main__":
    unittest.main()
