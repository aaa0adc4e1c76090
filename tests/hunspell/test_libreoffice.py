#!/usr/bin/env python3
"""LibreOffice with the Urdu hunspell dictionary installed: the build is installed
into a temporary prefix, soffice --headless runs on a temporary profile with that
prefix's share/hunspell on DICPATH (where Debian's LibreOffice looks besides
/usr/share/hunspell), and a UNO client asks it for a spell checker for ur-PK and
ur-IN and has it judge a word and a misspelling.

Usage: test_libreoffice.py CMAKE BUILD_DIR
Skipped (exit 77) with a message when LibreOffice or its Python bridge is missing,
except under CI, where that is a failure.
"""

import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import office  # noqa: E402

WORD, MISSPELT, MEANT = "کتاب", "ابادی", "آبادی"


def check(uno, context):
    from com.sun.star.lang import Locale

    manager = context.ServiceManager
    lingu = manager.createInstanceWithContext("com.sun.star.linguistic2.LinguServiceManager", context)
    no_properties = uno.Any("[]com.sun.star.beans.PropertyValue", ())
    failures = []
    for country in ("PK", "IN"):
        locale = Locale("ur", country, "")
        services = lingu.getAvailableServices("com.sun.star.linguistic2.SpellChecker", locale)
        if not services:
            failures.append(f"no spell checker for ur-{country}")
            continue
        # The service itself, not the dispatcher: its isValid has one signature only.
        speller = manager.createInstanceWithContext(services[0], context)
        if not uno.invoke(speller, "isValid", (WORD, locale, no_properties)):
            failures.append(f"ur-{country}: {WORD} rejected")
        if uno.invoke(speller, "isValid", (MISSPELT, locale, no_properties)):
            failures.append(f"ur-{country}: {MISSPELT} accepted")
        answer = uno.invoke(speller, "spell", (MISSPELT, locale, no_properties))
        alternatives = list(answer.getAlternatives()) if answer else []
        if alternatives[:1] != [MEANT]:
            failures.append(f"ur-{country}: {MISSPELT} -> {alternatives[:5]}, not {MEANT} first")
    return failures


def main(cmake, build):
    status = office.absent("libreoffice")
    if status is not None:
        return status
    with tempfile.TemporaryDirectory() as tmp:
        prefix = os.path.join(tmp, "prefix")
        subprocess.run([cmake, "--install", build, "--prefix", prefix], check=True,
                       stdout=subprocess.DEVNULL)
        dictionaries = os.path.join(prefix, "share", "hunspell")
        if not os.path.isfile(os.path.join(dictionaries, "ur_PK.dic")):
            print("libreoffice: ur_PK.dic not installed to share/hunspell", file=sys.stderr)
            return 1
        env = dict(os.environ, DICPATH=dictionaries, HOME=os.path.join(tmp, "home"))
        with office.Office(os.path.join(tmp, "profile"), env, os.path.join(tmp, "soffice.log")) as soffice:
            failures = check(soffice.uno, soffice.context)
            soffice.stop()
    return office.finish("libreoffice", failures,
                         f"ur-PK and ur-IN spell checkers accept {WORD}, reject {MISSPELT} and offer {MEANT}")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print("usage: test_libreoffice.py CMAKE BUILD_DIR", file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2]))
