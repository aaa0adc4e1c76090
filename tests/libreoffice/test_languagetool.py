#!/usr/bin/env python3
"""zabrel-server as LibreOffice's own LanguageTool client meets it. The test writes a
small dictionary, starts zabrel-server on a free localhost port, starts soffice
--headless on a temporary profile and sets the client's options (the base URL and
"enabled") through UNO's configuration provider, as the Options dialog does. Then:

- the locales LibreOffice gives the client come from the server's language list
  (GET <base>/languages): ur-PK and ur-IN are there and LanguageTool is the
  proofreader configured for both, with no other setting;
- a Writer document's paragraphs in ur-PK and ur-IN (a character outside the BMP
  before a misspelt word, a run-together pair) are proofread through the
  document's own proofreading iterator, and every match the server gives for that
  text comes back as a LibreOffice proofreading error at the same UTF-16 place,
  with the same suggestions and messages;
- a paragraph in plain Urdu, without a country, is checked too (LibreOffice asks
  for it as "ur-"), and so is one with & + and % in it (LibreOffice 7.4 puts the
  text into its form unescaped);
- a paragraph over the server's text limit gets no errors and breaks nothing: the
  next paragraph is still checked.

Usage: test_languagetool.py ZABREL_SERVER SOURCE_DIR
Skipped (exit 77) when LibreOffice or its Python bridge is missing, except under CI.
"""

import importlib.machinery
import importlib.util
import json
import os
import subprocess
import sys
import tempfile
import threading
import urllib.parse
import urllib.request

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import office  # noqa: E402

TEST = "libreoffice_languagetool"
CLIENT = "org.openoffice.lingu.LanguageToolGrammarChecker"
PROOFREADER = "com.sun.star.linguistic2.Proofreader"
MAX_TEXT = 120  # UTF-16 units: the long paragraph goes over it, the others do not
WORDS = {"یہ": 900, "کتاب": 500, "بہت": 800, "اچھی": 400, "ہے": 950, "اور": 900, "شہر": 300,
         "بڑا": 350, "میں": 940, "اس": 920, "رہتا": 200, "ہوں": 600, "نئی": 250, "بازار": 300,
         "بڑے": 330, "بڑےشہر": 2}
# Running text writes بڑے شہر: the lexicon's بڑےشہر is two words run together.
PAIRS = [("بڑے", "شہر"), ("یہ", "کتاب")]
# Misspelt کتابب after a character outside the BMP (two UTF-16 units), the broken word
# با زار, the run-together بڑےشہر, misspelt شہرر near the end.
PARAGRAPHS = [
    (("ur", "PK"), "یہ 😀 کتابب بہت اچھی ہے اور با زار بڑےشہر شہرر میں ہے۔"),
    (("ur", "IN"), "میں اس شہرر میں رہتا ہوں اور 𝒜 یہ نئیی کتاب ہے۔"),
    (("ur", ""), "یہ کتابب نئی ہے۔"),
    # LibreOffice 7.4 sends the text unescaped: & + and % are the form's own characters.
    (("ur", "PK"), "یہ 50% اور 100%25 کتاب & a+b=c کتابب ہے۔"),
    (("ur", "PK"), " ".join(["کتابب"] * 30)),  # over MAX_TEXT: refused by the server
    (("ur", "PK"), "شہرر بڑا ہے۔"),
]
SURE = [("کتابب", "کتاب"), ("شہرر", "شہر"), ("نئیی", "نئی")]  # found, with this first


def units(text):
    """A Python string's length in UTF-16 code units, as LibreOffice and the server count."""
    return len(text.encode("utf-16-le")) // 2


def write_dictionary(folder, source):
    path = os.path.join(source, "tools", "make-dictionary")
    loader = importlib.machinery.SourceFileLoader("make_dictionary", path)
    module = importlib.util.module_from_spec(importlib.util.spec_from_loader(loader.name, loader))
    sys.dont_write_bytecode = True
    loader.exec_module(module)
    # A context model as a long text of these pairs would make it: each pair less often
    # than the one before, its words rare alone.
    pairs = {pair: 1000 / place for place, pair in enumerate(PAIRS, 1)}
    unigrams = {}
    for (first, second), count in pairs.items():
        unigrams[first] = unigrams.get(first, 0) + count
        unigrams[second] = unigrams.get(second, 0) + count
    model = module.contextmodel.model_bytes(unigrams, 1_000_000, pairs, {}, len(WORDS))
    os.makedirs(folder)
    module.write_files(module.dictionary_files(dict(WORDS), context=model), folder)


class Server:
    """zabrel-server on a free port; what it writes to stderr is kept for the failures."""

    def __init__(self, program, dictionary, work):
        self.log = open(os.path.join(work, "server.log"), "w+b")
        self.process = subprocess.Popen(
            [program, "--listen", "127.0.0.1:0", "-d", dictionary, "--max-text-length", str(MAX_TEXT)],
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=self.log, text=True)
        line = self.process.stdout.readline()
        prefix = "zabrel-server: listening on "
        if not line.startswith(prefix):
            self.stop()
            raise RuntimeError(f"zabrel-server said {line!r} ({self.errors().strip()})")
        self.url = line[len(prefix):].strip().rstrip("/")
        # Nothing more is expected on stdout; drained so that a chatty server never blocks.
        threading.Thread(target=self.process.stdout.read, daemon=True).start()

    def check(self, text, language):
        body = urllib.parse.urlencode({"text": text, "language": language}).encode()
        with urllib.request.urlopen(f"{self.url}/v2/check", body, timeout=60) as answer:
            return json.load(answer)

    def errors(self):
        self.log.seek(0)
        return self.log.read().decode(errors="replace")

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=30)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        return self.process.returncode


def set_client(soffice, base_url):
    """The client's options, as Tools > Options > Language Settings > LanguageTool Server sets them."""
    path = soffice.uno.createUnoStruct("com.sun.star.beans.PropertyValue")
    path.Name, path.Value = "nodepath", "/org.openoffice.Office.Linguistic/GrammarChecking/LanguageTool"
    provider = soffice.create("com.sun.star.configuration.ConfigurationProvider")
    settings = provider.createInstanceWithArguments("com.sun.star.configuration.ConfigurationUpdateAccess",
                                                    (path,))
    settings.setPropertyValue("BaseURL", base_url)
    settings.setPropertyValue("IsEnabled", True)
    settings.commitChanges()


def locales_offered(soffice, failures):
    from com.sun.star.lang import Locale

    lingu = soffice.create("com.sun.star.linguistic2.LinguServiceManager")
    offered = {(locale.Language, locale.Country) for locale in lingu.getAvailableLocales(PROOFREADER)}
    for language, country in (("ur", "PK"), ("ur", "IN"), ("ur", "")):
        if (language, country) not in offered:
            failures.append(f"{language}-{country} is not among the proofreading locales {sorted(offered)}")
        configured = lingu.getConfiguredServices(PROOFREADER, Locale(language, country, ""))
        if CLIENT not in configured:
            failures.append(f"{language}-{country}: the proofreader configured is {configured}, not {CLIENT}")
    if ("en", "US") in offered:
        failures.append("en-US is offered to the LanguageTool client, which the server never listed")


def writer_document(soffice):
    """A hidden Writer document with one paragraph per entry of PARAGRAPHS, each in its locale
    (as the complex-script language, which is where Urdu lives, and the Western one)."""
    from com.sun.star.beans import PropertyValue
    from com.sun.star.lang import Locale
    from com.sun.star.text.ControlCharacter import PARAGRAPH_BREAK

    hidden = PropertyValue()
    hidden.Name, hidden.Value = "Hidden", True
    desktop = soffice.create("com.sun.star.frame.Desktop")
    document = desktop.loadComponentFromURL("private:factory/swriter", "_blank", 0, (hidden,))
    text = document.getText()
    cursor = text.createTextCursor()
    for index, ((language, country), paragraph) in enumerate(PARAGRAPHS):
        if index:
            text.insertControlCharacter(cursor, PARAGRAPH_BREAK, False)
        cursor.CharLocaleComplex = Locale(language, country, "")
        cursor.CharLocale = Locale(language, country, "")
        text.insertString(cursor, paragraph, False)
    return document


def proofread(soffice, document):
    """Each paragraph's errors as Writer's proofreading iterator gets them from the
    proofreader configured for the paragraph's locale."""
    from com.sun.star.text.TextMarkupType import PROOFREADING

    iterator = soffice.create("com.sun.star.linguistic2.ProofreadingIterator")
    paragraphs = document.getFlatParagraphIterator(PROOFREADING, True)
    found = []
    flat = paragraphs.getFirstPara()
    while flat is not None:
        text = flat.getText()
        locale = flat.getLanguageOfText(0, len(text))
        result = iterator.checkSentenceAtPosition(document, flat, text, locale, 0, len(text), -1)
        found.append((text, (locale.Language, locale.Country), list(result.aErrors)))
        flat = paragraphs.getParaAfter(flat)
    return found


def compare(text, language, errors, answer, failures):
    """LibreOffice's errors for `text` against the server's own answer for it."""
    where = f"{language} {text[:20]}..."
    matches = answer["matches"]
    if len(errors) != len(matches):
        failures.append(f"{where}: {len(errors)} errors in LibreOffice, {len(matches)} matches from the server")
        return
    for error, match in zip(errors, matches):
        got = (error.nErrorStart, error.nErrorLength, list(error.aSuggestions))
        wanted = (match["offset"], match["length"], [r["value"] for r in match["replacements"]])
        if got != wanted:
            failures.append(f"{where}: LibreOffice has {got}, the server said {wanted}")
        # LibreOffice 7.4 shows the message as the short comment and the short message as
        # the long one; which way round does not matter to the writer.
        comments = {error.aShortComment, error.aFullComment}
        if match["message"] not in comments or (match["shortMessage"] and match["shortMessage"] not in comments):
            failures.append(f"{where}: comments {comments} for {match['message']!r} / {match['shortMessage']!r}")
        if error.aRuleIdentifier not in ("", match["rule"]["id"]):
            failures.append(f"{where}: rule {error.aRuleIdentifier!r}, the server said {match['rule']['id']}")


def expect_sure(text, errors, failures):
    """The misspelt words this dictionary is sure of, at their UTF-16 places, first fix first."""
    for wrong, right in SURE:
        at = text.find(wrong)
        if at < 0:
            continue
        place = (units(text[:at]), units(wrong))
        hit = [e for e in errors if (e.nErrorStart, e.nErrorLength) == place]
        if not hit:
            failures.append(f"{wrong} at {place} in {text[:20]}... is not among LibreOffice's errors "
                            f"{[(e.nErrorStart, e.nErrorLength) for e in errors]}")
        elif not hit[0].aSuggestions or hit[0].aSuggestions[0] != right:
            failures.append(f"{wrong}: suggestions {list(hit[0].aSuggestions)}, {right} first expected")


def check(soffice, server, failures):
    locales_offered(soffice, failures)
    document = writer_document(soffice)
    try:
        found = proofread(soffice, document)
    finally:
        document.close(True)
    if [text for text, _, _ in found] != [text for _, text in PARAGRAPHS]:
        failures.append(f"Writer's paragraphs are {[text[:10] for text, _, _ in found]}")
        return
    rules = set()
    for (text, locale, errors), ((language, country), _) in zip(found, PARAGRAPHS):
        tag = f"{language}-{country}" if country else language
        if locale != (language, country):
            failures.append(f"{text[:20]}...: Writer says {locale}, not {tag}")
        if units(text) > MAX_TEXT:
            if errors:
                failures.append(f"the paragraph over the limit has {len(errors)} errors")
            continue
        answer = server.check(text, tag)
        rules |= {match["rule"]["id"] for match in answer["matches"]}
        compare(text, tag, errors, answer, failures)
        expect_sure(text, errors, failures)
        if not errors:
            failures.append(f"{tag}: no errors came back for {text[:20]}...")
    for rule in ("ZABREL_UR_SPELLING", "ZABREL_UR_BROKEN_WORD", "ZABREL_UR_RUN_TOGETHER"):
        if rule not in rules:
            failures.append(f"no {rule} among the matches {sorted(rules)}")


def main(program, source):
    skip = office.absent(TEST)
    if skip is not None:
        return skip
    failures = []
    with tempfile.TemporaryDirectory(prefix="zabrel-lt-") as work:
        dictionary = os.path.join(work, "dictionary")
        write_dictionary(dictionary, source)
        server = Server(program, dictionary, work)
        try:
            env = dict(os.environ, HOME=os.path.join(work, "home"))
            with office.Office(os.path.join(work, "profile"), env, os.path.join(work, "soffice.log")) as soffice:
                set_client(soffice, f"{server.url}/v2")
                check(soffice, server, failures)
                soffice.stop()
        finally:
            status = server.stop()
            if status != 0:
                failures.append(f"zabrel-server exited with {status} on SIGTERM: {server.errors().strip()}")
    return office.finish(TEST, failures, "ur-PK, ur-IN and ur proofread by LibreOffice's LanguageTool client")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print("usage: test_languagetool.py ZABREL_SERVER SOURCE_DIR", file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2]))
