#!/usr/bin/env python3
"""zabrel.oxt in LibreOffice as a user meets it: unopkg installs it into a temporary
profile, soffice --headless starts on that profile, and a UNO client asks the
LinguServiceManager for Urdu. The spell checker must be there for ur-PK and ur-IN,
judge words as zabrel-check does, offer zabrel-check's suggestions (in the accurate
ranking by default and, once the setting asks for them, the exact and context ones), accept the words of
the shared personal list, and find the misspelt words of an Urdu paragraph in a
Writer document. Beforehand the component alone, with no dictionary to open, must
take every word as correct and say why once.

Usage: test_extension.py OXT ZABREL_CHECK SOURCE_DIR
       test_extension.py --installed ZABREL_CHECK   (the extension and dictionary of
                                                      the system's packages)
Skipped (exit 77) when LibreOffice or its Python bridge is missing, except under CI.
"""

import os
import subprocess
import sys
import tempfile
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import office  # noqa: E402

TEST = "libreoffice_extension"
READY_SECONDS = 60
CORRECT = ["کتاب", "پاکستان", "اچھی"]
MISSPELT = ["کتابب", "ابادی"]
# ہوئ: the context completes its bare final ئ, so its order differs from the accurate one.
RANKED = MISSPELT + ["ہوئ"]
PERSONAL = "زبرلزبرل"  # in no dictionary, only in the personal list
PARAGRAPH = "یہ کتابب بہت اچھی ہے اور ابادی بڑھ رہی ہے۔"
IMPLEMENTATION = "org.zabrel.SpellChecker"
INSTALLED = "/usr/lib/libreoffice/share/extensions/zabrel"  # the package's
LANGUAGES = {("ur", "PK"): 0x0420, ("ur", "IN"): 0x0820}  # LibreOffice's language numbers


def suggestions_of(zabrel_check, env, word, ranking):
    """zabrel-check's suggestions for `word`, all of them, from its pipe mode."""
    choice = "--context" if ranking == "context" else f"--ranking={ranking}"
    answer = subprocess.run([zabrel_check, "-a", "--all", choice], input=word + "\n",
                            env=env, capture_output=True, text=True, check=True).stdout.splitlines()
    line = answer[1]
    if not line.startswith("& "):
        raise RuntimeError(f"zabrel-check -a answers {line!r} for {word}")
    return line.split(": ", 1)[1].split(", ")


def logged(soffice):
    with open(soffice.log, encoding="utf-8", errors="replace") as errors:
        return "".join(line for line in errors if line.startswith("zabrel:"))


def wait_until_ready(soffice, speller, locale, props):
    """The dictionary opens in the background; until then every word is correct."""
    deadline = time.monotonic() + READY_SECONDS
    while soffice.uno.invoke(speller, "spell", (MISSPELT[0], locale, props)) is None:
        if logged(soffice):
            raise RuntimeError(f"the extension logged: {logged(soffice).strip()}")
        if time.monotonic() > deadline:
            raise RuntimeError(f"{MISSPELT[0]} still accepted after {READY_SECONDS} s")
        time.sleep(0.05)


def set_ranking(soffice, value):
    path = soffice.uno.createUnoStruct("com.sun.star.beans.PropertyValue")
    path.Name, path.Value = "nodepath", "/org.zabrel.SpellChecker/Settings"
    provider = soffice.create("com.sun.star.configuration.ConfigurationProvider")
    settings = provider.createInstanceWithArguments("com.sun.star.configuration.ConfigurationUpdateAccess",
                                                    (path,))
    settings.setPropertyValue("Ranking", value)
    settings.commitChanges()


def misspelt_in_writer(soffice, lingu, props):
    """A Writer document with the paragraph in Urdu (its complex-script locale), checked
    word by word as Writer cuts it, through the LinguServiceManager's dispatcher."""
    from com.sun.star.lang import Locale

    hidden = soffice.uno.createUnoStruct("com.sun.star.beans.PropertyValue")
    hidden.Name, hidden.Value = "Hidden", True
    document = soffice.create("com.sun.star.frame.Desktop").loadComponentFromURL(
        "private:factory/swriter", "_blank", 0, (hidden,))
    try:
        text = document.getText()
        cursor = text.createTextCursor()
        cursor.CharLocaleComplex = Locale("ur", "PK", "")
        text.insertString(cursor, PARAGRAPH, False)
        # Writer asks the dispatcher through XSpellChecker1, by language number, which is
        # also the isValid pyuno takes of the two.
        dispatcher = lingu.getSpellChecker()
        words, misspelt = [], []
        cursor = text.createTextCursor()
        cursor.gotoStart(False)
        while True:
            cursor.gotoEndOfWord(True)
            word = cursor.getString()
            if word.strip() and word != "۔":
                words.append(word)
                locale = cursor.CharLocaleComplex
                language = LANGUAGES[(locale.Language, locale.Country)]
                if not soffice.uno.invoke(dispatcher, "isValid", (word, language, props)):
                    misspelt.append(word)
            if not cursor.gotoNextWord(False):
                break
        return words, misspelt
    finally:
        document.close(True)


def check(soffice, zabrel_check, env):
    uno = soffice.uno
    from com.sun.star.lang import Locale

    failures = []
    props = uno.Any("[]com.sun.star.beans.PropertyValue", ())
    lingu = soffice.create("com.sun.star.linguistic2.LinguServiceManager")
    dispatcher = lingu.getSpellChecker()
    for country in ("PK", "IN"):
        locale = Locale("ur", country, "")
        if not dispatcher.hasLocale(locale):
            failures.append(f"the LinguServiceManager has no spell checker for ur-{country}")
        configured = lingu.getConfiguredServices("com.sun.star.linguistic2.SpellChecker", locale)
        if IMPLEMENTATION not in configured:
            failures.append(f"ur-{country} is checked by {list(configured)}, not {IMPLEMENTATION}")
    if failures:
        return failures, None
    locale = Locale("ur", "PK", "")
    # Its own service: the dispatcher's isValid and spell are overloaded.
    # The first request starts LibreOffice's Python and the component, which opens the
    # dictionary (making the user's copy): that is the first-start cost.
    started = time.monotonic()
    speller = soffice.create(IMPLEMENTATION)
    wait_until_ready(soffice, speller, locale, props)
    ready = time.monotonic() - started

    for country in ("PK", "IN"):
        locale = Locale("ur", country, "")
        for word in CORRECT + [PERSONAL]:
            if not uno.invoke(speller, "isValid", (word, locale, props)):
                failures.append(f"ur-{country}: {word} rejected")
            if uno.invoke(speller, "spell", (word, locale, props)) is not None:
                failures.append(f"ur-{country}: spell({word}) is not empty")
        for word in MISSPELT:
            if uno.invoke(speller, "isValid", (word, locale, props)):
                failures.append(f"ur-{country}: {word} accepted")
    # Untouched, the setting is the accurate ranking; then each in turn, exact included.
    for setting in (None, "exact", "accurate", "context"):
        if setting is not None:
            set_ranking(soffice, setting)
        ranking = setting or "accurate"
        for word in RANKED:
            answer = uno.invoke(speller, "spell", (word, locale, props))
            offered = list(answer.getAlternatives()) if answer is not None else []
            expected = suggestions_of(zabrel_check, env, word, ranking)
            if offered != expected:
                failures.append(f"{ranking}: {word} -> {offered[:5]}..., zabrel-check: {expected[:5]}...")
    # Another language is not ours to judge.
    if not uno.invoke(speller, "isValid", (MISSPELT[0], Locale("en", "US", ""), props)):
        failures.append("a word of another locale was rejected")

    words, misspelt = misspelt_in_writer(soffice, lingu, props)
    if len(words) != len(PARAGRAPH.rstrip("۔").split()):
        failures.append(f"Writer cut the paragraph into {words}")
    if misspelt != MISSPELT:
        failures.append(f"Writer's paragraph: misspelt {misspelt}, not {MISSPELT}")
    return failures, ready


# The component outside the office, where the dictionary cannot be opened (no home).
PROBE = """
import sys
sys.path[:0] = [sys.argv[1], sys.argv[1] + "/pythonpath"]
import uno
import zabrel_spellchecker
from com.sun.star.lang import Locale
checker = zabrel_spellchecker.SpellChecker(uno.getComponentContext())
if not checker.urdu.ready.wait(60):
    sys.exit("the dictionary's thread never ended")
urdu = Locale("ur", "PK", "")
print([checker.isValid(sys.argv[2], urdu, ()) for _ in range(3)], checker.spell(sys.argv[2], urdu, ()))
"""


def failures_count_as_correct(extension):
    """What cannot be checked is correct, and the reason is said once."""
    env = {name: value for name, value in os.environ.items()
           if name not in ("HOME", "XDG_DATA_HOME", "ZABREL_LIBRARY")}
    env["PYTHONDONTWRITEBYTECODE"] = "1"
    probe = subprocess.run([sys.executable, "-c", PROBE, extension, MISSPELT[0]], env=env,
                           capture_output=True, text=True, timeout=120)
    expected = ("[True, True, True] None\n",
                "zabrel: Urdu is not checked: zabrel: neither XDG_DATA_HOME nor HOME is set, "
                "so there is no dictionary folder\n")
    if (probe.stdout, probe.stderr) != expected:
        return [f"without a home the component answers {probe.stdout!r} and logs {probe.stderr!r}"]
    return []


def main(oxt, zabrel_check, source):
    """`oxt` None: the extension installed by the system's package, with its dictionary."""
    status = office.absent(TEST, unopkg=oxt is not None)
    if status is not None:
        return status
    with tempfile.TemporaryDirectory() as tmp:
        data = os.path.join(tmp, "data")
        os.makedirs(os.path.join(data, "zabrel"))
        with open(os.path.join(data, "zabrel", "personal.txt"), "w", encoding="utf-8") as personal:
            personal.write(PERSONAL + "\n")
        env = dict(os.environ, HOME=os.path.join(tmp, "home"), XDG_DATA_HOME=data)
        for name in ("ZABREL_LIBRARY", "ZABREL_SHIPPED_DICTIONARY"):
            env.pop(name, None)
        if source is not None:
            env["ZABREL_SHIPPED_DICTIONARY"] = os.path.join(source, "data", "urdu")
        if oxt is None:
            failures = failures_count_as_correct(INSTALLED)
        else:
            unpacked = os.path.join(tmp, "unpacked")
            with zipfile.ZipFile(oxt) as archive:
                archive.extractall(unpacked)
            failures = failures_count_as_correct(unpacked)
        profile = os.path.join(tmp, "profile")
        how = "installed by its package"
        if oxt is not None:
            started = time.monotonic()
            office.install_extension(oxt, profile, tmp)
            how = f"unopkg add {time.monotonic() - started:.1f} s"
        started = time.monotonic()
        with office.Office(profile, env, os.path.join(tmp, "soffice.log")) as soffice:
            connected = time.monotonic() - started
            found, ready = check(soffice, zabrel_check, env)
            failures += found
            soffice.stop()
            errors = logged(soffice)
        if not os.path.isfile(os.path.join(data, "zabrel", "urdu", "config.ini")):
            failures.append("the extension did not use the user's copy of the dictionary")
        if errors:
            failures.append(f"the extension logged: {errors.strip()}")
    return office.finish(TEST, failures, f"{how}, soffice up {connected:.1f} s, the first request answered in "
                         f"{ready:.2f} s; ur-PK and ur-IN checked as zabrel-check does")


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--installed":
        sys.exit(main(None, sys.argv[2], None))
    if len(sys.argv) != 4:
        print("usage: test_extension.py OXT ZABREL_CHECK SOURCE_DIR | --installed ZABREL_CHECK",
              file=sys.stderr)
        sys.exit(2)
    sys.exit(main(*sys.argv[1:]))
