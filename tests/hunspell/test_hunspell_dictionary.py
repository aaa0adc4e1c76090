#!/usr/bin/env python3
"""The exported hunspell dictionary: its exact lines on small tables of the test's
own, and the dictionary made of today's data/urdu through hunspell and nuspell.

Usage: test_hunspell_dictionary.py BUILT_DIR   (the build's data/hunspell folder)
"""

import importlib.machinery
import importlib.util
import json
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile
from pathlib import Path

REPO_ROOT = Path(__file__).resolve().parents[2]
TOOL = REPO_ROOT / "tools" / "make-hunspell-dictionary"
BUILT = None  # set from the command line


def load_tool():
    sys.dont_write_bytecode = True
    loader = importlib.machinery.SourceFileLoader("make_hunspell_dictionary", str(TOOL))
    module = importlib.util.module_from_spec(importlib.util.spec_from_loader(loader.name, loader))
    loader.exec_module(module)
    return module


mh = load_tool()
md = mh.md


def hunspell_pipe(prefix, words):
    """hunspell -a's answer lines for each word (the banner dropped), and its stderr."""
    done = subprocess.run(["hunspell", "-a", "-i", "utf-8", "-d", str(prefix)],
                          input="".join(f"^{w}\n" for w in words), capture_output=True,
                          text=True, encoding="utf-8")
    return done.stdout.split("\n")[1:], done.stderr


def first_answers(prefix, words):
    """{word: None when accepted, else its suggestions}."""
    lines, _ = hunspell_pipe(prefix, words)
    blocks = "\n".join(lines).split("\n\n")
    answers = {}
    for word, block in zip(words, blocks):
        line = block.strip("\n")
        if line == "*" or line.startswith("+") or line.startswith("-"):
            answers[word] = None
        elif line.startswith("&"):
            answers[word] = line.split(": ", 1)[1].split(", ")
        else:
            answers[word] = []
    return answers


class SmallTables(unittest.TestCase):
    """Every line of the .aff and .dic, from tables small enough to read."""

    def setUp(self):
        tmp = tempfile.TemporaryDirectory()
        self.addCleanup(tmp.cleanup)
        self.dir = Path(tmp.name)
        self.folder = self.dir / "urdu"
        self.folder.mkdir()
        words = {"کہ": 800, "آباد": 90, "باد": 40, "کتاب": 500, "کتابوں": 30}
        (self.folder / "wordlist.txt").write_bytes(md.wordlist_bytes(md.sort_entries(words)))
        (self.folder / "costs.txt").write_text(
            "weight family 0.45   # weights are the ranking's, not hunspell's\n"
            "substitute family ہ ھ\n"
            "substitute sound ک گ\n"
            "substitute-end end ا ہ\n"
            "indel vowel ا و\n"
            "split-after ا\n", encoding="utf-8")
        self.rules = self.dir / "rules.tsv"
        self.rules.write_text(
            "# rule\twritten\tmeant\twhere\tmin-frequency\n"
            "alef-for-alef-madda\tا\tآ\tstart\t84\n"
            "noon-ghunna-left-out\t-\tں\tend after:وی\t84\n"
            "hay-left-out\t-\tح\t-\t5000\n"
            "hamza-at-the-end\tئ\t*\tend\t-\n", encoding="utf-8")
        self.dropped = self.dir / "dropped.tsv"
        # For the order by evidence: the nasal slip is the commoner one here.
        self.dropped.write_text(
            "# word\trule\tmeant\n"
            "ابادی\talef-for-alef-madda\tآبادی\n"
            "کتابو\tnoon-ghunna-left-out\tکتابوں\n"
            "لڑکو\tnoon-ghunna-left-out\tلڑکوں\n"
            "ہوئ\thamza-at-the-end\t-\n", encoding="utf-8")

        # Two rows of letters; a key without a letter parts a row, a lone letter is no row.
        self.xkb = self.dir / "pk"
        self.xkb.write_text(
            'xkb_symbols "urd-phonetic" {\n'
            '   key <AD01> {  [     0x1000642  ,       0x1000652     ]     };\n'
            '   key <AD02> {  [     0x1000648  ,       0x1000624     ]     };\n'
            '   key <AC01> {  [     0x1000627  ,       0x1000622     ]     };\n'
            '   key <AC02> {  [     0x1000633  ,       0x1000635     ]     };\n'
            '   key <AB01> {  [     0x1000632  ,       0x1000630     ]     };\n'
            '};\n', encoding="utf-8")

    def make(self, *options):
        done = subprocess.run([sys.executable, str(TOOL), str(self.folder), str(self.dir / "out" / "ur_PK"),
                               "--alias", str(self.dir / "out" / "ur_IN"), "--rules", str(self.rules),
                               "--dropped", str(self.dropped), "--xkb", str(self.xkb), *options],
                              capture_output=True, text=True)
        self.assertEqual(done.returncode, 0, done.stderr)
        return [(self.dir / "out" / f"ur_PK.{ext}").read_bytes().decode("utf-8") for ext in ("aff", "dic")]

    def test_lines(self):
        aff, dic = self.make("--no-affixes")
        # What the engine drops: harakat, tatweel, ZWJ, letters it lacks (ة, ٱ); not
        # its own letters, the Arabic forms it reads as letters, ZWNJ or digits.
        ignored = mh.ignored_units()
        for unit in "\u064e\u0670\u0640\u200d\u0629\u0671":
            self.assertIn(unit, ignored)
        for unit in "اےيه\u200c\u06f1\u060c":
            self.assertNotIn(unit, ignored)
        letters = "".join(chr(c) + "/N\n" for c in md.ALPHABET)
        # The word list's words in its order, then the single letters it lacks.
        self.assertEqual(dic, f"{5 + len(md.ALPHABET)}\nکہ\nکتاب\nآباد\nباد\nکتابوں\n" + letters)
        self.assertEqual(aff.split("\n"), [
            "SET UTF-8",
            # ک 1330, ہ 800, ا and ب 660 (by code point), ت 530, د 130, آ 90, و and ں 30.
            "TRY کہابتدآوں",
            "NOSUGGEST N",
            "IGNORE " + mh.ignored_units(),
            "WORDCHARS \u200c\u200d",
            "BREAK 3", "BREAK \u200c", "BREAK ^\u200c", "BREAK \u200c$",
            "KEY قو|اس|آص",
            # The slip rules in their order, then the cost table's pairs in its order;
            # a letter added with nothing around it (ح) is hunspell's own edit.
            "REP 9", "REP ^ا آ", "REP و$ وں", "REP ی$ یں",
            "REP ہ ھ", "REP ھ ہ", "REP ک گ", "REP گ ک", "REP ا$ ہ", "REP ہ$ ا",
            "MAP 1", "MAP ہھ",
            ""])
        self.assertEqual((self.dir / "out" / "ur_IN.aff").read_bytes(), aff.encode("utf-8"))
        self.assertEqual((self.dir / "out" / "ur_IN.dic").read_bytes(), dic.encode("utf-8"))

    def test_hunspell_takes_the_slips_first(self):
        self.make()
        prefix = self.dir / "out" / "ur_PK"
        answers = first_answers(prefix, ["اباد", "کتابو", "کھ", "ب", "کتا\u064eب", "کتاب\u200cباد",
                                         "کتاب\u200dباد", "بب"])
        self.assertEqual(answers["اباد"][0], "آباد")        # REP ^ا before hunspell's edits
        self.assertEqual(answers["کتابو"][0], "کتابوں")     # REP و$
        self.assertEqual(answers["کھ"][0], "کہ")            # MAP and REP of a family
        self.assertIsNone(answers["ب"])                    # a single letter, as the engine
        self.assertIsNone(answers["کتا\u064eب"])           # a haraka is ignored
        self.assertIsNone(answers["کتاب\u200cباد"])        # ZWNJ: two words
        self.assertIsNotNone(answers["کتاب\u200dباد"])     # ZWJ is ignored: one unknown word
        self.assertNotIn("ب", answers["بب"])               # single letters are never offered

    def test_sure_fixes_are_whole_word_rep_lines_offered_first(self):
        # Without the table hunspell's own edits come first: a letter left out (مزہ,
        # اسی) before a letter changed (مذہب) or a word cut in two (اس کی).
        words = {"مزہ": 90, "مذہب": 80, "اسی": 70, "اس": 60, "کی": 50, "ہے": 40}
        (self.folder / "wordlist.txt").write_bytes(md.wordlist_bytes(md.sort_entries(words)))
        prefix = self.dir / "out" / "ur_PK"
        slips = ["مزہب", "اسکی", "اسکیں"]
        aff, _ = self.make()
        before = first_answers(prefix, slips)
        self.assertEqual([before[s][0] for s in slips[:2]], ["مزہ", "اسی"])
        (self.folder / "surefixes.txt").write_bytes(
            "# the sure fixes\nاسکی\tاس کی\nمزہب\tمذہب\n".encode("utf-8"))
        aff, _ = self.make()
        # First, in the table's order, tied to the whole word, _ for the space.
        self.assertIn("\nREP 11\nREP ^اسکی$ اس_کی\nREP ^مزہب$ مذہب\nREP ^ا آ\n", aff)
        after = first_answers(prefix, slips)
        self.assertEqual(after["مزہب"][0], "مذہب")
        self.assertEqual(after["اسکی"][0], "اس کی")
        self.assertEqual(after["اسکیں"], before["اسکیں"])  # not the whole slip: untouched
        # The same bytes again (the alias too), and the same with --order evidence.
        self.assertEqual(self.make()[0], aff)
        self.assertIn("\nREP ^اسکی$ اس_کی\nREP ^مزہب$ مذہب\nREP و$ وں\n",
                      self.make("--order", "evidence")[0])

    def test_damaged_sure_fix_table_is_named_with_its_line(self):
        table = self.folder / "surefixes.txt"
        for data, message in [
                (b"# fixes\n\xd9\x87\xd9\n", "surefixes.txt:2: not UTF-8"),
                ("# fixes\nھے ہے\n".encode(), "surefixes.txt:2: no tab between a slip and its fix"),
                ("ھے\t\n".encode(), "surefixes.txt:1: an empty slip or fix"),
                ("\tہے\n".encode(), "surefixes.txt:1: an empty slip or fix"),
                ("اسکی\tاس  کی\n".encode(), "surefixes.txt:1: a fix is one word or two words with one space"),
                ("اسکی\tاس\tکی\n".encode(), "surefixes.txt:1: 'اس\\tکی' is not a word of Urdu letters"),
                ("ھے\tہے\r\n".encode(), "surefixes.txt:1: 'ہے\\r' is not a word of Urdu letters"),
                ("ھے\tہے\nمزہب\tمذہب\nھے\tہی\n".encode(), "surefixes.txt:3: ھے again (first on line 1)")]:
            table.write_bytes(data)
            done = subprocess.run([sys.executable, str(TOOL), str(self.folder), str(self.dir / "x"),
                                   "--rules", str(self.rules), "--xkb", str(self.xkb)],
                                  capture_output=True, text=True)
            self.assertEqual((done.returncode, done.stderr),
                             (2, f"make-hunspell-dictionary: {table}{message[len('surefixes.txt'):]}\n"))
            self.assertFalse((self.dir / "x.aff").exists())

    def test_suffix_classes(self):
        # کتاب and کتابیں: ("", یں) and (ب, بیں) spare the 12 bytes of کتابیں, the
        # swaps back the 8 of کتاب; ties go by code point. کتاب is the root, and the
        # other classes make nothing that is not made already.
        words = ["کتاب", "کتابیں"]
        classes = mh.suffix_classes(words)
        self.assertEqual(classes, [("", "یں"), ("ب", "بیں"), ("بیں", "ب"), ("یں", "")])
        roots = mh.root_flags(words, classes)
        self.assertEqual(roots, {"کتاب": "A"})
        self.assertEqual(mh.sfx_lines(classes, "A"), ["SFX A Y 1", "SFX A 0 یں ."])
        self.assertEqual(mh.dic_text([(w, 1) for w in words], [], roots), "1\nکتاب/A\n")

        # On the test's list: hunspell accepts every word and nothing a class would
        # make of a root without its flag.
        aff, dic = self.make()
        self.assertLess(len(dic.splitlines()), 5 + len(md.ALPHABET) + 1)
        self.assertIn("SFX ", aff)
        prefix = self.dir / "out" / "ur_PK"
        answers = first_answers(prefix, ["کہ", "آباد", "باد", "کتاب", "کتابوں", "کتابیں", "آبادوں",
                                         "کہوں"])
        self.assertEqual([w for w, a in answers.items() if a is None], ["کہ", "آباد", "باد", "کتاب", "کتابوں"])

    def test_other_choices(self):
        # By evidence: the nasal mends two of the known slips, the madda one.
        aff, _ = self.make("--no-key", "--iconv", "--no-ngram", "--order", "evidence")
        self.assertIn("REP 9\nREP و$ وں\nREP ^ا آ\nREP ی$ یں\nREP ہ ھ\n", aff)
        self.assertNotIn("KEY", aff)
        self.assertIn("MAXNGRAMSUGS 0\n", aff)
        self.assertIn("ICONV 5\nICONV ي ی\nICONV ى ی\nICONV ك ک\nICONV ه ہ\nICONV ة ۃ\n", aff)
        ignore = next(line for line in aff.splitlines() if line.startswith("IGNORE "))
        self.assertNotIn("ة", ignore)  # ICONV must see it
        costs = mh.read_costs(self.folder)
        rules = mh.read_rules(self.rules)
        reps = mh.candidate_reps(costs, rules, list("وی"), "all")
        ordered = mh.by_evidence(reps, mh.read_dropped(self.dropped))
        self.assertEqual([r.pattern for r in ordered[:3]], ["و$", "^ا", "ی$"])
        # The list make-dictionary writes has more columns; its meant words are found by
        # the header, so the order by evidence has evidence to go by.
        shipped = mh.read_dropped(mh.DEFAULT_DROPPED)
        self.assertGreater(len(shipped), 10000)
        self.assertIn(("ھے", "ہے"), shipped)
        # "all" adds a letter added or left out at the end after each letter given;
        # a line the slip rules already have is not written twice.
        self.assertEqual(len(reps), 9)
        costs.indel_end.append(("end-letter", ["ں"]))
        reps = mh.candidate_reps(costs, rules, list("وی"), "all")
        self.assertEqual([(r.pattern, r.replacement) for r in reps[9:]],
                         [("وں$", "و"), ("یں$", "ی")])

    def test_bad_tables_are_reported(self):
        for costs, message in [("substitute family\n", "costs.txt:1: a letter list needs a kind and letters"),
                               ("swap family ا آ\n", "costs.txt:1: unknown line 'swap'")]:
            (self.folder / "costs.txt").write_text(costs, encoding="utf-8")
            done = subprocess.run([sys.executable, str(TOOL), str(self.folder), str(self.dir / "x"),
                                   "--rules", str(self.rules), "--dropped", str(self.dropped)],
                                  capture_output=True, text=True)
            self.assertEqual(done.returncode, 2)
            self.assertIn(message, done.stderr)
            self.assertFalse((self.dir / "x.aff").exists())
        (self.folder / "costs.txt").write_text("substitute family ہ ھ\n", encoding="utf-8")
        # The cleaned-out words are read for the order by evidence only.
        self.dropped.unlink()
        self.make()
        done = subprocess.run([sys.executable, str(TOOL), str(self.folder), str(self.dir / "x"),
                               "--rules", str(self.rules), "--dropped", str(self.dropped),
                               "--order", "evidence"], capture_output=True, text=True)
        self.assertEqual(done.returncode, 2)
        self.assertIn("dropped.tsv", done.stderr)
        done = subprocess.run([sys.executable, str(TOOL), str(self.folder), str(self.dir / "x"),
                               "--rules", str(self.rules), "--dropped", str(self.dropped),
                               "--xkb", str(self.dir / "none")], capture_output=True, text=True)
        self.assertEqual(done.returncode, 2)
        self.assertIn("(the xkb-data package has it)", done.stderr)

    def test_rule_places_become_anchors_and_context(self):
        rule = mh.parse_rules("r\tھ\tہ\tnot-after:بپتٹجچدڈڑکگلمن\t84\n")[0]
        reps = mh.rule_reps(rule, list("بہا"))
        # ^ and the letters not excluded, each as the letter before on both sides.
        self.assertEqual([(r.pattern, r.replacement) for r in reps],
                         [("^ھ", "ہ"), ("اھ", "اہ"), ("ہھ", "ہہ")])
        rule = mh.parse_rules("r\tئ\tئی\tend\t84\n")[0]
        self.assertEqual([(r.pattern, r.replacement) for r in mh.rule_reps(rule, [])], [("ئ$", "ئی")])
        self.assertEqual(mh.Rep("ئ$", "ئی").apply("ئئ"), ["ئئی"])
        self.assertEqual(mh.Rep("^ا", "آ").apply("اا"), ["آا"])
        self.assertEqual(mh.Rep("ا", "آ").apply("اا"), ["آا", "اآ"])


class CrossValidation(unittest.TestCase):
    def test_each_fold_is_scored_by_what_the_others_picked(self):
        loader = importlib.machinery.SourceFileLoader("fit_hunspell", str(REPO_ROOT / "tools" / "fit-hunspell"))
        fit = importlib.util.module_from_spec(importlib.util.spec_from_loader(loader.name, loader))
        loader.exec_module(fit)
        pairs = [(f"m{i}", f"w{i}") for i in range(6)]
        folds = fit.folds_of(pairs, 2)
        self.assertEqual(sorted(p for fold in folds for p in fold), pairs)
        # Each combination is right on one fold only, so picking on the other fold
        # always picks the one that is wrong here: nothing held out is right.
        right = [{m: [w] for m, w in fold} for fold in folds]
        answers = [{m: right[c].get(m, ["x"]) for m, _ in pairs} for c in (0, 1)]
        self.assertEqual(fit.cross_validate(folds, answers), (0, 0, [1, 0]))
        # One right everywhere ties on each training fold with the one right there;
        # the tie goes to the earlier, simpler combination.
        everywhere = {m: [w] for m, w in pairs}
        self.assertEqual(fit.cross_validate(folds, [everywhere] + answers), (6, 6, [0, 0]))
        self.assertEqual(fit.cross_validate(folds, answers + [everywhere]), (0, 0, [1, 0]))


class ShippedDictionary(unittest.TestCase):
    """The dictionary made of data/urdu as it is now, and the build's copy of it."""

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.dir = Path(cls.tmp.name)
        cls.prefix = cls.dir / "ur_PK"
        done = subprocess.run([sys.executable, str(TOOL), str(REPO_ROOT / "data" / "urdu"),
                               str(cls.prefix)], capture_output=True, text=True)
        if done.returncode != 0:
            raise AssertionError(done.stderr)
        cls.words = [w for w, _ in mh.read_wordlist(REPO_ROOT / "data" / "urdu" / "wordlist.txt")]

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_build_holds_what_data_urdu_makes(self):
        for name in ("ur_PK", "ur_IN"):
            for ext in ("aff", "dic"):
                built = Path(BUILT) / f"{name}.{ext}"
                self.assertTrue(built.is_file(), f"{built} not built")
                self.assertEqual(built.read_bytes(), Path(f"{self.prefix}.{ext}").read_bytes(),
                                 f"{built} is not what data/urdu makes; rebuild")
        with zipfile.ZipFile(Path(BUILT) / "zabrel-ur.xpi") as xpi:
            manifest = json.loads(xpi.read("manifest.json"))
            self.assertEqual(manifest["dictionaries"], {"ur-PK": "dictionaries/ur_PK.dic"})
            self.assertEqual(manifest["manifest_version"], 2)
            self.assertIn("id", manifest["browser_specific_settings"]["gecko"])
            for ext in ("aff", "dic"):
                self.assertEqual(xpi.read(f"dictionaries/ur_PK.{ext}"),
                                 Path(f"{self.prefix}.{ext}").read_bytes())

    def test_suffix_classes_make_the_list_and_nothing_else(self):
        aff = Path(f"{self.prefix}.aff").read_text(encoding="utf-8").splitlines()
        dic = Path(f"{self.prefix}.dic").read_text(encoding="utf-8").splitlines()[1:]
        rules = {}
        for line in aff:
            fields = line.split()
            if fields[0] == "SFX" and len(fields) == 5:
                strip, add = ("" if f == "0" else f for f in fields[2:4])
                rules[fields[1]] = (strip, add)
        self.assertGreater(len(rules), 10)
        made, roots = [], []
        for entry in dic:
            word, _, flags = entry.partition("/")
            if flags == mh.NOSUGGEST_FLAG:
                continue
            roots.append((word, flags))
            made.append(word)
            for flag in flags:
                strip, add = rules[flag]
                self.assertTrue(word.endswith(strip), entry)
                made.append(word[:len(word) - len(strip)] + add)
        # Each word of the list once, whether written or made (the list has one twice).
        self.assertEqual(sorted(made), sorted(set(self.words)))
        self.assertLess(len(dic), 0.7 * len(self.words))
        # What a class would make of a root that lacks its flag is not accepted
        # (a single letter is, as every single letter).
        known = set(self.words) | set(chr(c) for c in md.ALPHABET)
        others = sorted({word[:len(word) - len(strip)] + add
                         for word, flags in roots[:3000] for flag, (strip, add) in rules.items()
                         if flag not in flags and word.endswith(strip)
                         and word[:len(word) - len(strip)] + add not in known})
        self.assertGreater(len(others), 1000)
        done = subprocess.run(["hunspell", "-l", "-i", "utf-8", "-d", str(self.prefix)],
                              input="\n".join(others) + "\n", capture_output=True,
                              text=True, encoding="utf-8")
        self.assertEqual(done.stdout.split(), others)

    def test_hunspell_accepts_every_word_without_a_warning(self):
        done = subprocess.run(["hunspell", "-l", "-i", "utf-8", "-d", str(self.prefix)],
                              input="\n".join(self.words) + "\n", capture_output=True,
                              text=True, encoding="utf-8")
        self.assertEqual(done.stderr, "")
        self.assertEqual(done.stdout, "")
        answers = first_answers(self.prefix, ["ابادی", "قادیانیو", "فتنه", "ک"])
        self.assertEqual(answers["ابادی"][0], "آبادی")
        self.assertEqual(answers["قادیانیو"][0], "قادیانیوں")
        self.assertEqual(answers["فتنه"][0], "فتنہ")  # an Arabic he is a slip, as for the engine
        self.assertIsNone(answers["ک"])

    def test_every_sure_fix_is_the_first_suggestion(self):
        pairs = mh.read_surefixes(REPO_ROOT / "data" / "urdu")
        if not pairs:
            self.skipTest("data/urdu has no sure-fix table")
        answers = first_answers(self.prefix, [slip for slip, _ in pairs])
        self.assertEqual([(slip, fix, (answers[slip] or [None])[:3]) for slip, fix in pairs
                          if (answers[slip] or [None])[0] != fix], [])

    def test_nuspell_accepts_every_word_without_a_warning(self):
        if shutil.which("nuspell") is None:
            if os.environ.get("CI"):
                self.fail("nuspell missing (scripts/install-deps installs it)")
            self.skipTest("nuspell is not installed")
        done = subprocess.run(["nuspell", "--encoding=UTF-8", "-d", f"{self.prefix}.aff"],
                              input="\n".join(self.words) + "\n", capture_output=True,
                              text=True, encoding="utf-8")
        self.assertEqual(done.returncode, 0, done.stderr)
        noise = [line for line in done.stderr.splitlines() if not line.startswith("INFO: ")]
        self.assertEqual(noise, [])
        # One verdict a word; the first comes after nuspell's prompt.
        verdicts = [line for line in done.stdout.split("\n") if line]
        verdicts[0] = verdicts[0].removeprefix("Enter some text: ")
        self.assertEqual(len(verdicts), len(self.words))
        self.assertEqual([v for v in verdicts if v != "* OK"], [])


if __name__ == "__main__":
    BUILT = sys.argv.pop(1)
    unittest.main()
