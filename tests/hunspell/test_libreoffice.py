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
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
CONNECT_SECONDS = 120
WORD, MISSPELT, MEANT = "کتاب", "ابادی", "آبادی"


def missing(what):
    if os.environ.get("CI"):
        print(f"libreoffice: {what} missing (scripts/install-deps installs it)", file=sys.stderr)
        return 1
    print(f"libreoffice: {what} missing; skipped (scripts/install-deps installs it)")
    return SKIP


def connect(uno, pipe, office):
    local = uno.getComponentContext()
    resolver = local.ServiceManager.createInstanceWithContext(
        "com.sun.star.bridge.UnoUrlResolver", local)
    deadline = time.monotonic() + CONNECT_SECONDS
    while True:
        try:
            return resolver.resolve(f"uno:pipe,name={pipe};urp;StarOffice.ComponentContext")
        except Exception:
            if office.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError(f"soffice did not answer on pipe {pipe} "
                                   f"(exit status {office.poll()})")
            time.sleep(0.5)


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
    office_program = shutil.which("soffice")
    if office_program is None:
        return missing("LibreOffice (soffice)")
    try:
        import uno
    except ImportError:
        return missing(f"the LibreOffice Python bridge (python3-uno for {sys.executable})")
    with tempfile.TemporaryDirectory() as tmp:
        prefix = os.path.join(tmp, "prefix")
        subprocess.run([cmake, "--install", build, "--prefix", prefix], check=True,
                       stdout=subprocess.DEVNULL)
        dictionaries = os.path.join(prefix, "share", "hunspell")
        if not os.path.isfile(os.path.join(dictionaries, "ur_PK.dic")):
            print("libreoffice: ur_PK.dic not installed to share/hunspell", file=sys.stderr)
            return 1
        profile = os.path.join(tmp, "profile")
        pipe = f"zabrel_libreoffice_{os.getpid()}"
        env = dict(os.environ, DICPATH=dictionaries, HOME=os.path.join(tmp, "home"))
        office = subprocess.Popen(
            [office_program, "--headless", "--invisible", "--norestore", "--nologo", "--nodefault",
             f"-env:UserInstallation=file://{profile}", f"--accept=pipe,name={pipe};urp;"],
            env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        try:
            context = connect(uno, pipe, office)
            failures = check(uno, context)
            try:
                context.ServiceManager.createInstanceWithContext(
                    "com.sun.star.frame.Desktop", context).terminate()
            except Exception:
                pass  # the bridge goes down with the office
            office.wait(timeout=60)
        finally:
            if office.poll() is None:
                office.kill()
                office.wait()
    for failure in failures:
        print(f"libreoffice: {failure}", file=sys.stderr)
    if not failures:
        print(f"libreoffice: ur-PK and ur-IN spell checkers accept {WORD}, reject {MISSPELT} "
              f"and offer {MEANT}")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print("usage: test_libreoffice.py CMAKE BUILD_DIR", file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2]))
