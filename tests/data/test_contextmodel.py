#!/usr/bin/env python3
"""Tests of tools/contextmodel.py, through make-dictionary, on tiny sources made in a temp directory."""

import json
import math
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from test_make_dictionary import REPO_ROOT, SourcesTestCase, md  # noqa: E402

cm = md.contextmodel
D = cm.DISCOUNT


def q(p):
    """ln p as the file keeps it."""
    return -min(255, round(-math.log(p) * cm.STEP)) / cm.STEP


class BuildTest(SourcesTestCase):
    def write_makhzan(self, unigrams, pairs, triples):
        for name, table in [(cm.UNIGRAMS_FILE, unigrams), (cm.BIGRAMS_FILE, pairs), (cm.TRIGRAMS_FILE, triples)]:
            (self.sources / name).write_text(json.dumps(table, ensure_ascii=False), encoding="utf-8")

    def test_counts_are_merged_smoothed_and_checked(self):
        # Lexicon: ہے ہیں کی گئی بات (unilex); Latin and words outside the list go.
        self.write_sources(unilex_rows=[("ہے", 900), ("ہیں", 800), ("کی", 700), ("گئی", 600), ("بات", 500)],
                           pairs=["بات ہیں", "گئی ہے"])
        # Makhzan's forms are unnormalised: گئی with a mark, and with a decomposed
        # hamza (ی + ٔ) that NFC composes to ئ, are the same word and add up.
        self.write_makhzan(
            {"ہے": 100, "ہیں": 40, "کی": 50, "گئی": 20, "گئی\u064e": 5, "بات": 30, "xyz": 999_755},
            {"گئی": {"ہے": 12, "ہیں": 4}, "گ\u064a\u0654ی": {"ہے": 3}, "کی": {"گئی": 10, "xyz": 9}},
            {"کی گئی": {"ہے": 8}, "کی xyz": {"ہے": 7}})
        out = self.dir / "urdu"
        self.assertEqual(self.run_main("--out", str(out))[0], 0)
        (out / "costs.txt").write_bytes(b"")
        data = (out / md.CONTEXT_FILE).read_bytes()
        model = cm.read(data)
        self.assertEqual(model.words, sorted(["ہے", "ہیں", "کی", "گئی", "بات"]))
        # tesseract's two pairs: گئی ہے is Makhzan's too, so it keeps Makhzan's count;
        # بات ہیں is tesseract's alone, seen fewer than 4 times in Makhzan.
        self.assertEqual(set(model.pairs), {("گئی", "ہے"), ("گئی", "ہیں"), ("کی", "گئی"), ("بات", "ہیں")})
        self.assertEqual(set(model.triples), {("کی", "گئی", "ہے")})
        # A million words, so that the word list's frequencies keep to seven digits.
        tokens, vocabulary = 1_000_000, 5
        p1 = lambda c: (c + 1) / (tokens + vocabulary)
        # گئی: 20 + 5 times alone, and its pairs 15 (12 + 3) and 4: the pruned rest
        # (25 - 19) is what the back-off gets, with the discounts.
        alpha = 1 - ((15 - D) + (4 - D)) / 25
        p2 = (15 - D) / 25 + alpha * p1(100)
        self.assertEqual(model.log_probability("ہے", ["گئی"]), q(p2))
        self.assertEqual(model.backoff["گئی"], q(alpha))
        self.assertEqual(model.log_probability("بات", ["گئی"]), q(alpha) + q(p1(30)))
        # The triple, over its pair's count (10), backed off to P2.
        alpha3 = 1 - (8 - D) / 10
        self.assertEqual(model.log_probability("ہے", ["کی", "گئی"]), q((8 - D) / 10 + alpha3 * p2))
        self.assertEqual(model.log_probability("ہیں", ["کی", "گئی"]),
                         q(alpha3) + model.log_probability("ہیں", ["گئی"]))
        # A word the model lacks costs what a word never seen would.
        self.assertEqual(model.log_probability("کتاب"), q(1 / (tokens + vocabulary)))
        self.assertLess(model.log_probability("بات"), model.log_probability("ہے"))
        # The same sources make the same bytes, and --check holds them to it.
        self.assertEqual(self.run_main("--out", str(out), "--check"), (0, ""))
        (out / md.CONTEXT_FILE).write_bytes(data[:-1])
        status, message = self.run_main("--out", str(out), "--check")
        self.assertEqual(status, 1)
        self.assertIn("differs: %s" % (out / md.CONTEXT_FILE), message)
        self.assertIn("%s: the context model's length does not match its counts" % (out / md.CONTEXT_FILE),
                      message)

    def test_tesseract_ranks_are_put_on_the_counts_scale(self):
        # Counts falling exactly as 1000 / rank give back that line.
        intercept, slope = cm.fit_rank_line([(r, 1000 / r) for r in range(1, 50)])
        self.assertAlmostEqual(intercept, math.log(1000))
        self.assertAlmostEqual(slope, 1.0)
        self.assertEqual(cm.fit_rank_line([(1, 5)]), cm.DEFAULT_LINE)
        # Without Makhzan's files the model is tesseract's pairs alone, on the default line,
        # never past the pruned counts.
        self.write_sources(unilex_rows=[("ہے", 900), ("کہ", 800), ("اب", 700)], pairs=["ہے کہ", "اب ہے"])
        files = md.generate(self.sources)
        model = cm.read(files[md.CONTEXT_FILE])
        self.assertEqual(set(model.pairs), {("ہے", "کہ"), ("اب", "ہے")})
        alpha = 1 - (cm.PRUNED_BELOW - 0.5 - D) / (cm.PRUNED_BELOW - 0.5)
        self.assertEqual(model.backoff["ہے"], q(alpha))

    def test_damaged_models_are_refused(self):
        self.write_sources(unilex_rows=[("ہے", 900), ("کہ", 800), ("اب", 700)], pairs=["ہے کہ", "اب ہے"])
        good = md.generate(self.sources)[md.CONTEXT_FILE]
        cm.read(good)
        pair_at = len(good) - 2 * 6
        cases = {
            b"ZBLM\x03\x00\x00\x00" + good[8:]: "an old ZBLM context model",
            good[:4] + b"\x03" + good[5:]: "version 3",
            good[:20]: "not a context model",
            good[:30]: "cut short",
            good + b"\0": "length does not match",
            good[:21] + b"\x01" + good[22:]: "header is damaged",
            good[:pair_at] + b"\x09\x00" + good[pair_at + 2:]: "names no word",
            good[:pair_at] + good[pair_at + 6:] + good[pair_at:pair_at + 6]: "pairs are not in order",
        }
        for data, reason in cases.items():
            with self.subTest(reason=reason), self.assertRaisesRegex(cm.ContextModelError, reason):
                cm.read(data)

    def test_the_shipped_model_is_current_and_small(self):
        data = (REPO_ROOT / "data" / "urdu" / md.CONTEXT_FILE).read_bytes()
        self.assertLess(len(data), 3_000_000)
        model = cm.read(data)
        # An agreement the model must know: گئی ہے is far commoner than گئی ہیں.
        self.assertGreater(model.log_probability("ہے", ["گئی"]), model.log_probability("ہیں", ["گئی"]) + 1)


if __name__ == "__main__":
    unittest.main()
