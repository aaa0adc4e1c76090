#!/usr/bin/env python3
"""Tests of tools/make-dictionary on tiny word sources made in a temp directory."""

import contextlib
import importlib.machinery
import importlib.util
import io
import json
import math
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


def lexicon_of(data):
    count, records = decode_wordlist(data)
    return dict(records[:-1])


class SourcesTestCase(unittest.TestCase):
    def setUp(self):
        tmp = tempfile.TemporaryDirectory()
        self.addCleanup(tmp.cleanup)
        self.dir = Path(tmp.name)
        self.sources = self.dir / "sources"
        self.sources.mkdir()

    def write_sources(self, unilex_rows=(), words=(), unilex_text=None, words_text=None,
                      tesseract=(), pairs=(), edited=None, edited_pairs=None,
                      replacements=(), approved=()):
        if unilex_text is None:
            unilex_text = UNILEX_HEADER + "".join(f"{w}\t{v}\n" for w, v in unilex_rows)
        if words_text is None:
            words_text = "".join(f"{w}\n" for w in words)
        (self.sources / md.UNILEX_FILE).write_bytes(unilex_text.encode("utf-8"))
        (self.sources / md.URDU_WORDS_FILE).write_bytes(words_text.encode("utf-8"))
        (self.sources / md.TESSERACT_FILE).write_bytes("".join(f"{w}\n" for w in tesseract).encode("utf-8"))
        (self.sources / md.BIGRAMS_FILE).write_bytes("".join(f"{p}\n" for p in pairs).encode("utf-8"))
        (self.sources / md.MAKHZAN_FILE).write_text(json.dumps(edited or {}, ensure_ascii=False),
                                                    encoding="utf-8")
        (self.sources / md.MAKHZAN_PAIRS_FILE).write_text(
            json.dumps(edited_pairs or {}, ensure_ascii=False), encoding="utf-8")
        (self.sources / md.REPLACEMENTS_FILE).write_bytes(
            "".join(f"{a}\t{b}\n" for a, b in replacements).encode("utf-8"))
        (self.sources / md.APPROVED_FILE).write_bytes("".join(f"{w}\n" for w in approved).encode("utf-8"))

    def build_records(self, **sources):
        self.write_sources(**sources)
        count, records = decode_wordlist(md.generate(self.sources)["wordlist.txt"])
        self.assertEqual(count, len(records))
        self.assertEqual(records[-1], ("", 0), "the list does not end with the end record")
        return records[:-1]

    def lexicon(self, **sources):
        return dict(self.build_records(**sources))

    def run_main(self, *args):
        stderr = io.StringIO()
        with contextlib.redirect_stdout(io.StringIO()), contextlib.redirect_stderr(stderr):
            status = md.main(["--sources", str(self.sources), *args])
        return status, stderr.getvalue()


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
        # Frequency 1 is left to words no running text attests.
        self.assertEqual(lexicon, {"اب": 84, "تب": 2, "جب": 2, "کب": 2, "سب": 2,
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

    def test_count_is_words_plus_one_and_an_empty_record_ends_the_list(self):
        # The engine reads one record past the count and never inserts it; an
        # empty one keeps every word once for every other reader of the file.
        self.write_sources(unilex_rows=[("اب", 70)], words=["تم", "ہم"])
        count, records = decode_wordlist(md.generate(self.sources)["wordlist.txt"])
        self.assertEqual(count, 4)
        self.assertEqual(records, [("اب", 7), ("تم", 1), ("ہم", 1), ("", 0)])

    def test_exact_bytes_of_two_words(self):
        self.write_sources(unilex_rows=[("اب", 120)], words=["تم"])
        expected = (b"\xff\xfe"
                    b"3\x00\r\x00\n\x00"
                    b"\x27\x06\x28\x06\t\x001\x002\x00\r\x00\n\x00"
                    b"\x2a\x06\x45\x06\t\x001\x00\r\x00\n\x00"
                    b"\t\x000\x00\r\x00\n\x00")
        self.assertEqual(md.generate(self.sources)["wordlist.txt"], expected)

    def test_a_word_twice_is_refused_and_found_in_a_committed_list(self):
        with self.assertRaisesRegex(md.DictionaryError, "twice"):
            md.wordlist_bytes([("اب", 3), ("اب", 2)])
        good = md.wordlist_bytes([("اب", 3), ("تب", 2)])
        self.assertEqual(md.wordlist_problems(good), [])
        # The old layout: the last word written again where the end record goes.
        text = good[2:].decode("utf-16-le").replace("\t0\r\n", "تب\t2\r\n")
        self.assertEqual(md.wordlist_problems(md.BOM_UTF16LE + text.encode("utf-16-le")),
                         ["the list does not end with the end record"])
        text = "4\r\nاب\t3\r\nتب\t2\r\nتب\t2\r\n\t0\r\n"
        self.assertEqual(md.wordlist_problems(md.BOM_UTF16LE + text.encode("utf-16-le")),
                         ["listed more than once: تب"])
        self.assertEqual(md.wordlist_problems(b"3\r\n"), ["no FF FE mark"])

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


class EvidenceTest(SourcesTestCase):
    def test_frequencies_of_every_source_on_unilex_scale(self):
        # The counted words fix the lines (frequencies 1,000, 500, 250 and
        # 125 at tesseract's ranks 1, 2, 4 and 5), which then place the words
        # known only to tesseract or to the pairs.
        self.write_sources(
            unilex_rows=[("اب", 10000), ("تب", 5000), ("جب", 2500), ("کب", 1250)],
            tesseract=["اب", "تب", "سب", "جب", "کب", "نب"],
            pairs=["اب تب", "اب جب", "اب کب", "اب رب", "اب ہم", "تب کب", "تب ہم"],
            words=["دل"])
        evidence, _ = md.read_evidence(self.sources)
        a, b = md.Calibration(evidence).rank_line
        self.assertLess(b, 0)
        self.assertTrue(250 < math.exp(a + b * math.log(3)) < 500)
        self.assertTrue(250 < evidence["سب"].frequency < 500)   # tesseract only
        self.assertLess(evidence["نب"].frequency, 125)
        self.assertEqual(evidence["دل"].frequency, 1)      # a headword only
        self.assertTrue(evidence["ہم"].frequency >= 2)     # pairs only
        # A counted word's frequency is the median of its estimates: with two,
        # their geometric mean, so unilex still orders the counted words.
        order = sorted(["اب", "تب", "جب", "کب"], key=lambda w: -evidence[w].frequency)
        self.assertEqual(order, ["اب", "تب", "جب", "کب"])
        self.assertEqual(sorted(lexicon_of(md.generate(self.sources)["wordlist.txt"])),
                         sorted(["اب", "تب", "جب", "کب", "سب", "نب", "رب", "ہم", "دل"]))

    def test_an_odd_first_line_of_tesseract_does_not_top_the_list(self):
        # As in the real list: tesseract's first word, counted and paired little.
        rows = [(w, 1000 * (100 - i)) for i, w in enumerate(["اب", "تب", "جب", "کب", "سب"])]
        self.write_sources(unilex_rows=rows + [("مزمل", 2000)], tesseract=["مزمل"] + [w for w, _ in rows],
                           pairs=["مزمل اب", "تب جب", "کب سب"])
        evidence, _ = md.read_evidence(self.sources)
        self.assertLess(evidence["مزمل"].frequency, evidence["سب"].frequency)

    def test_without_urdu_words_only_running_text_is_listed(self):
        self.write_sources(unilex_rows=[("اب", 900)], tesseract=["اب", "تم"], words=["دل"])
        self.assertEqual(sorted(lexicon_of(md.generate(self.sources, urdu_words=False)["wordlist.txt"])),
                         ["اب", "تم"])


class SlipTest(SourcesTestCase):
    COMMON = [("ہیں", 90000), ("ہو", 80000), ("نہیں", 70000), ("لڑکا", 60000), ("کتاب", 50000),
              ("مذہب", 40000), ("تھی", 30000), ("سال", 20000)]

    def build_with(self, ratio=md.SLIP_RATIO, headword_minimum=md.HEADWORD_MIN_FREQUENCY):
        files, dropped = md.build(self.sources, thresholds=md.Thresholds(ratio, headword_minimum))
        return lexicon_of(files["wordlist.txt"]), dropped.decode("utf-8").splitlines()

    def test_slips_of_much_commoner_words_are_dropped_with_their_reason(self):
        self.write_sources(
            unilex_rows=self.COMMON + [("تھیں", 20000)],
            # Tesseract ranks its words after the counted ones.
            tesseract=[w for w, _ in self.COMMON] + ["تھیں", "ہین", "ھو"],
            words=["کتاپ", "مزہب", "لڑکی", "کتابب", "ہیں", "تھا"])
        lexicon, dropped = self.build_with(ratio=2, headword_minimum=1000)
        self.assertEqual(dropped[0], "# word\tevidence\trule\tslip\tmeant\tmeant/word: Makhzan's "
                         "counts (rules edited and replaced), the frequencies (rule web) "
                         "(made by tools/make-dictionary)")
        reasons = {line.split("\t")[0]: [line.split("\t")[1]] + line.split("\t")[3:5]
                   for line in dropped[1:]}
        self.assertEqual({line.split("\t")[2] for line in dropped[1:]}, {"web"})
        # ن for ں, ز for ذ, پ for ب (same class), ھ for ہ (both h letters).
        self.assertEqual(reasons["ہین"][1:], ["ن for ں", "ہیں"])
        self.assertEqual(reasons["مزہب"], ["urdu-words", "ز for ذ", "مذہب"])
        self.assertEqual(reasons["ھو"][1:], ["ھ for ہ", "ہو"])
        self.assertEqual(reasons["کتاپ"], ["urdu-words", "پ for ب", "کتاب"])
        self.assertTrue(reasons["ہین"][0].startswith("tesseract:"))
        # Kept: counted words, other forms of a headword's stem (لڑکی beside
        # لڑکا, تھا beside تھی), and a consonant added (کتابب: only vowel,
        # h, hamza and noon ghunna letters count as added or left out).
        for word in ["ہیں", "تھیں", "لڑکی", "تھا", "کتابب"]:
            self.assertIn(word, lexicon)
        for word in ["ہین", "مزہب", "ھو", "کتاپ"]:
            self.assertNotIn(word, lexicon)

    def test_thresholds_decide_what_is_a_slip(self):
        self.write_sources(unilex_rows=self.COMMON, tesseract=[w for w, _ in self.COMMON] + ["ہین"],
                           words=["کتاپ"])
        lexicon, _ = self.build_with(ratio=10 ** 6, headword_minimum=10 ** 6)
        self.assertIn("ہین", lexicon)
        self.assertIn("کتاپ", lexicon)
        lexicon, _ = self.build_with(ratio=10 ** 6, headword_minimum=1000)
        self.assertIn("ہین", lexicon)
        self.assertNotIn("کتاپ", lexicon)
        lexicon, _ = self.build_with(ratio=2, headword_minimum=1000)
        self.assertNotIn("ہین", lexicon)

    def test_a_counted_word_is_never_a_slip(self):
        self.write_sources(unilex_rows=self.COMMON + [("ہین", 84)], words=["کتاپ"])
        lexicon, dropped = self.build_with(ratio=2, headword_minimum=2)
        self.assertIn("ہین", lexicon)
        self.assertEqual([line.split("\t")[0] for line in dropped[1:]], ["کتاپ"])

    def test_letters_of_other_classes_make_no_slip(self):
        # ک for س is no confusion, nor is a consonant added to a word.
        self.write_sources(unilex_rows=self.COMMON, words=["کال", "سالم"])
        lexicon, _ = self.build_with(ratio=2, headword_minimum=2)
        self.assertIn("کال", lexicon)
        self.assertIn("سالم", lexicon)

    def test_swapped_neighbours_and_words_run_together(self):
        # بتا for تبا; but in two letters a swap makes another word (رت, تر).
        self.write_sources(unilex_rows=self.COMMON + [("تر", 90000), ("تبا", 90000)],
                           words=["رت", "بتا"])
        lexicon, dropped = self.build_with(ratio=2, headword_minimum=1000)
        self.assertIn("رت", lexicon)
        self.assertEqual([line.split("\t")[3:5] for line in dropped[1:]], [["بت for تب", "تبا"]])
        # A pair without its space is a slip of tesseract's web text, at any
        # threshold; written joined by the dictionary it is a compound.
        self.write_sources(unilex_rows=self.COMMON, tesseract=["ہوسال", "ہیںسال"],
                           pairs=["ہو سال", "ہیں سال"], words=["ہیںسال"])
        lexicon, dropped = self.build_with(ratio=10 ** 6, headword_minimum=10 ** 6)
        self.assertNotIn("ہوسال", lexicon)
        self.assertIn("ہیںسال", lexicon)
        self.assertEqual(dropped[1].split("\t")[3:5], ["space left out", "ہو سال"])

    def test_fit_reaches_the_floor_with_the_fewest_false_alarms(self):
        # کتاپ is a slip of کتاب (4,538 here), the clean word سالی a
        # headword one ی from سال (2,463): a minimum of 3,000 drops کتاپ
        # alone, 1,000 drops سالی too.
        self.write_sources(unilex_rows=self.COMMON, words=["کتاپ", "سالی", "لڑکے"])
        evidence, pairs = md.read_evidence(self.sources)
        judged = md.judge(evidence, pairs)
        clean = {"سالی": 5, "ہیں": 100}
        self.assertEqual(md.fit(judged, evidence, ["کتاپ"], ["کتاب"], clean, 1.0).headword_minimum, 3000)
        # Out of reach, the floor gives way to the most flagged.
        self.assertEqual(md.fit(judged, evidence, ["کتاپ", "لڑکے"], ["کتاب"], clean, 1.0).headword_minimum, 3000)
        # Nothing to flag: nothing is dropped that need not be.
        self.assertEqual(md.fit(judged, evidence, [], ["کتاب"], clean, 0.5).headword_minimum,
                         md.HEADWORD_MIN_FREQUENCIES[-1])

    def test_the_shipped_list_keeps_every_word_of_the_sample_texts(self):
        # The samples are correct text apart from their listed misspellings; a
        # slip rule that drops one of their words flags correct Urdu.
        samples = REPO_ROOT / "data" / "samples"
        misspelt = {row.split("\t")[1] for row in
                    (samples / "misspellings.tsv").read_text(encoding="utf-8").splitlines()[1:]}
        lexicon = set(lexicon_of((REPO_ROOT / "data" / "urdu" / "wordlist.txt").read_bytes()))
        separators = "\u060c\u06d4\u061b\u061f:;'"
        for text in sorted(samples.glob("*.txt")):
            words = text.read_text(encoding="utf-8")
            for mark in separators:
                words = words.replace(mark, " ")
            with self.subTest(text.name):
                self.assertEqual(sorted({w for w in words.split() if len(w) > 1} - lexicon - misspelt), [])


def round_total(counts, total):
    """Counts of filler words that bring Makhzan's total to `total`, none of them
    a variant of another word or the commonest by far."""
    fillers = ["پچ" + a + b for a in "پچٹڈگ" for b in "پچٹڈگ"]
    rest = total - sum(counts.values())
    found = {w: rest // len(fillers) for w in fillers}
    found[fillers[0]] += rest - sum(found.values())
    return found


class EditedEvidenceTest(SourcesTestCase):
    """Makhzan's counts of edited prose: the scale, the slips it shows and the sure fixes."""

    EDITED = {
        "ہے": 170163, "ھے": 2360,                    # ھ where it is no aspirate
        "ذرای\u0654ع": 1000, "ذرائع": 24, "زرائع": 10,  # a decomposed hamza; ز for ذ
        "تمہارے": 272, "تمھارے": 656,               # both spellings of edited prose
        "ان": 48199, "ا\u0653ن": 380,               # آن: rarer, but a word of its own
        "مضبوط": 713, "مظبوط": 27,                  # a slip only Makhzan has
        "کرتا": 5000, "جدید": 3, "قدیم": 2,
        "اس": 9000, "کی": 9000, "انکی": 40,         # a replaced join still in the text
    }
    PAIRS = {"کرتا": {"ہے": 2027}, "بہاول": {"پور": 400}, "اس": {"کی": 3000}, "ان": {"کی": 2000}}

    def write_edited(self, **more):
        edited = dict(self.EDITED)
        edited.update(round_total(edited, 10 ** 7))  # frequency = 10 × count
        self.write_sources(
            edited=edited, edited_pairs=self.PAIRS,
            unilex_rows=[("کرتاہے", 3000), ("زرائع", 500), ("انکی", 500)],
            tesseract=["ھے", "تمھارے"],
            words=["زرائع", "اسکی", "بہاولپور", "ذرائع", "لڑکا"],
            replacements=[("اسکی", "اس کی"), ("رہے تھے", "رہےتھے"), ("کرتاہے", "کرتا ہے"), ("انکی", "ان کی"),
                          ("اسکیکرتا", "اس کی کرتا")],
            approved=["بہاولپور"], **more)

    # Thresholds of the tests' own, so that a new fit leaves them as they are.
    OPTIONS = ["--edited-ratio", "20", "--variant-min-count", "30", "--makhzan-min-count", "3",
               "--rare-max-count", "30", "--web-max-count", "3", "--replaced-max-frequency", "1"]
    THRESHOLDS = md.Thresholds(30, 3000, 20, 30, 3, 30, 3, 1)

    def test_edited_prose_decides_the_list_and_its_sure_fixes(self):
        self.write_edited()
        out = self.dir / "urdu"
        self.assertEqual(self.run_main("--out", str(out), *self.OPTIONS)[0], 0)
        lexicon = lexicon_of((out / "wordlist.txt").read_bytes())
        # Forms that normalise alike add up; a Makhzan count is its frequency
        # per 100 M words, and unilex has no word to share with Makhzan here,
        # so its own scale stands.
        self.assertEqual(lexicon["ذرائع"], 10240)
        self.assertEqual(lexicon["آن"], 3800)
        self.assertEqual(lexicon["کرتا"], 50000)
        # Kept: both spellings edited prose uses, a rarer word of its own, a
        # join its editors approved, a Makhzan-only word seen 3 times, a
        # headword; the other sources' form of a counted word gives way.
        for word in ["تمھارے", "تمہارے", "آن", "بہاولپور", "جدید", "لڑکا"]:
            self.assertIn(word, lexicon)
        # Left out: ھ for ہ, ز for ذ (a web word too), a slip only Makhzan
        # has, a join, a replaced join, and a Makhzan-only form seen twice.
        for word in ["ھے", "زرائع", "مظبوط", "کرتاہے", "اسکی", "قدیم"]:
            self.assertNotIn(word, lexicon)
        dropped = {line.split("\t")[0]: line.split("\t")[1:] for line in
                   (self.sources / md.DROPPED_FILE).read_text(encoding="utf-8").splitlines()[1:]}
        self.assertEqual(dropped["زرائع"],
                         ["makhzan:10 unilex:50 urdu-words", "edited", "ز for ذ", "ذرائع", "1024/10"])
        # A replaced form the web writes too is weighed by Makhzan's pair counts.
        self.assertEqual(dropped["کرتاہے"][1:], ["edited", "space left out", "کرتا ہے", "2027/0"])
        self.assertEqual(dropped["اسکی"], ["urdu-words", "replaced", "the editors' replacement", "اس کی", "-/0"])
        self.assertEqual(dropped["ھے"][1:], ["edited", "ھ for ہ", "ہے", "170163/2360"])
        self.assertEqual(dropped["انکی"][1:], ["edited", "space left out", "ان کی", "2000/40"])
        self.assertEqual(sorted(dropped), ["اسکی", "انکی", "زرائع", "مظبوط", "کرتاہے", "ھے"])
        # Sure: the reviewed replacements (the one of two words by one is no
        # slip, one by three words no word), and each slip whose only variant
        # is seen 100 times or more.
        self.assertEqual((out / md.SUREFIXES_FILE).read_bytes(), (
            "# Sure fixes of the Urdu dictionary: slip<TAB>fix, one a line, sorted by slip.\n"
            "# Each slip is out of the word list and each word of its fix is in it: the\n"
            "# fix is what edited prose makes certain (made by tools/make-dictionary).\n"
            "اسکی\tاس کی\nانکی\tان کی\nزرائع\tذرائع\nمظبوط\tمضبوط\nکرتاہے\tکرتا ہے\nھے\tہے\n").encode("utf-8"))
        self.assertEqual(self.run_main("--out", str(out), "--check", *self.OPTIONS),
                         (1, self.stale(out)))

    def stale(self, out):
        return f"differs: {out / 'costs.txt'}\nrun tools/make-dictionary to regenerate\n"

    def test_a_second_variant_makes_a_slip_unsure(self):
        # سکول beside the slip سقول is sure; add a second variant seen more
        # than a hundredth as often and it is not.
        # ذرا beside the slip زرا is sure while the second variant ظرا is seen
        # at most a hundredth as often.
        edited = {"ذرا": 4000, "ظرا": 41}
        self.write_sources(edited=dict(edited, **round_total(edited, 10 ** 7)), words=["زرا"])
        files, _ = md.build(self.sources, thresholds=self.THRESHOLDS)
        self.assertNotIn("زرا", lexicon_of(files["wordlist.txt"]))
        self.assertNotIn("زرا".encode("utf-8"), files[md.SUREFIXES_FILE])
        edited = {"ذرا": 4000, "ظرا": 40}
        self.write_sources(edited=dict(edited, **round_total(edited, 10 ** 7)), words=["زرا"])
        files, _ = md.build(self.sources, thresholds=self.THRESHOLDS)
        self.assertIn("زرا\tذرا\n".encode("utf-8"), files[md.SUREFIXES_FILE])

    def test_without_urdu_words_the_list_and_its_fixes_still_stand(self):
        self.write_edited()
        out = self.dir / "running-text"
        self.assertEqual(self.run_main("--out", str(out), "--without-urdu-words", *self.OPTIONS)[0], 0)
        lexicon = lexicon_of((out / "wordlist.txt").read_bytes())
        self.assertNotIn("لڑکا", lexicon)
        self.assertIn("بہاولپور", lexicon)
        fixes = (out / md.SUREFIXES_FILE).read_bytes()
        self.assertIn("اسکی\tاس کی\n".encode("utf-8"), fixes)
        self.assertEqual(md.surefixes_problems(fixes, set(lexicon)), [])

    def test_check_reads_the_committed_sure_fixes(self):
        self.write_edited()
        out = self.dir / "urdu"
        self.assertEqual(self.run_main("--out", str(out), *self.OPTIONS)[0], 0)
        (out / "costs.txt").write_bytes(b"")
        self.assertEqual(self.run_main("--out", str(out), "--check", *self.OPTIONS), (0, ""))
        fixes = out / md.SUREFIXES_FILE
        good = fixes.read_bytes()
        damaged = {
            good.replace("ھے\tہے".encode("utf-8"), "ھے\tہے ہے ہے".encode("utf-8")):
                "line 9: the fix ہے ہے ہے is not one or two words of the list",
            good.replace("ھے\tہے".encode("utf-8"), "ذرائع\tہے".encode("utf-8")):
                "line 9: the slip ذرائع is a word of the list or not an Urdu word",
            good + "ھے\tہے\n".encode("utf-8"): "line 10: ھے twice",
            good + "ابب\n".encode("utf-8"): "line 10: not slip TAB fix",
            good + b"\xff\n": "not UTF-8",
            good.replace(b"\n", b"\r\n"): "not LF line ends",
        }
        for data, problem in damaged.items():
            with self.subTest(problem):
                fixes.write_bytes(data)
                status, message = self.run_main("--out", str(out), "--check", *self.OPTIONS)
                self.assertEqual(status, 1)
                self.assertIn(f"differs: {fixes}\n", message)
                self.assertIn(f"{fixes}: {problem}\n", message)
        fixes.unlink()
        self.assertEqual(self.run_main("--out", str(out), "--check", *self.OPTIONS),
                         (1, f"differs: {fixes}\nrun tools/make-dictionary to regenerate\n"))

    def test_makhzan_forms_are_normalised_as_the_others(self):
        self.assertEqual(md.normalise("ذرای\u0654ع"), "ذرائع")
        self.assertEqual(md.normalise("ا\u0653ج"), "آج")
        self.assertEqual(md.normalise("و\u0654"), "ؤ")
        self.assertEqual(md.normalise("جُرا\u0654ت"), "جرأت")
        self.assertEqual(md.normalise("ہ\u0654"), "ۂ")


class CheckTest(SourcesTestCase):
    def test_check_reports_changed_and_missing_files(self):
        self.write_sources(unilex_rows=[("اب", 120)], words=["تم"])
        out = self.dir / "urdu"
        self.assertEqual(self.run_main("--out", str(out))[0], 0)
        (out / "costs.txt").write_bytes(b"")
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
        self.write_sources(unilex_rows=[("ہم", 90000)], words=["ھم", "تم"])
        out = self.dir / "urdu"
        self.assertEqual(self.run_main("--out", str(out))[0], 0)
        dropped = self.sources / md.DROPPED_FILE
        self.assertIn("ھم\turdu-words\tweb\tھ for ہ\tہم\t9000/1\n", dropped.read_text(encoding="utf-8"))
        dropped.write_bytes(dropped.read_bytes().replace("ھم".encode("utf-8"), "تم".encode("utf-8")))
        status, message = self.run_main("--out", str(out), "--check")
        self.assertEqual(status, 1)
        self.assertIn(md.DROPPED_FILE, message)
        self.assertNotIn("wordlist.txt", message)

    def test_check_reports_a_word_listed_twice(self):
        # The committed list is read on its own too: the build that wrote the
        # last word twice would have agreed with itself.
        self.write_sources(unilex_rows=[("اب", 120)], words=["تم"])
        out = self.dir / "urdu"
        self.assertEqual(self.run_main("--out", str(out))[0], 0)
        (out / "costs.txt").write_bytes(b"")
        text = "3\r\nاب\t12\r\nتم\t1\r\nتم\t1\r\n"
        (out / "wordlist.txt").write_bytes(md.BOM_UTF16LE + text.encode("utf-16-le"))
        status, message = self.run_main("--out", str(out), "--check")
        self.assertEqual(status, 1)
        self.assertIn("wordlist.txt: the list does not end with the end record", message)

    def test_without_urdu_words_the_dropped_words_go_with_the_folder(self):
        self.write_sources(unilex_rows=[("ہم", 90000), ("تب", 40000), ("جب", 20000)],
                           tesseract=["ہم", "تب", "جب", "ھم"], words=["تم"])
        out = self.dir / "running-text"
        self.assertEqual(self.run_main("--out", str(out), "--without-urdu-words", "--slip-ratio", "2")[0], 0)
        self.assertEqual(sorted(lexicon_of((out / "wordlist.txt").read_bytes())), ["تب", "جب", "ہم"])
        self.assertIn("ھم\t", (out / md.DROPPED_FILE).read_text(encoding="utf-8"))
        self.assertFalse((self.sources / md.DROPPED_FILE).exists())

    def test_hand_written_files_are_kept_and_required(self):
        self.write_sources(unilex_rows=[("اب", 120)], words=["تم"])
        out = self.dir / "urdu"
        self.assertEqual(self.run_main("--out", str(out))[0], 0)
        status, message = self.run_main("--out", str(out), "--check")
        self.assertEqual(status, 1)
        self.assertIn("differs: %s" % (out / "costs.txt"), message)
        (out / "costs.txt").write_bytes(b"weight transpose 1\n")
        self.assertEqual(self.run_main("--out", str(out))[0], 0)
        self.assertEqual((out / "costs.txt").read_bytes(), b"weight transpose 1\n")
        self.assertEqual(self.run_main("--out", str(out), "--check"), (0, ""))


if __name__ == "__main__":
    unittest.main()
