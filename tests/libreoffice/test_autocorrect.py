#!/usr/bin/env python3
"""Writer's AutoCorrect list of sure fixes, as a user meets it: the test's own small
table is made into a list by tools/make-autocorrect-list (byte for byte, twice the
same) and put into the build's zabrel.oxt, which unopkg installs into a temporary
profile whose user already has an ur-IN list of their own. The first office start
copies the extension's ur-PK list into the user's AutoCorrect folder and leaves the
user's list alone; at the next start text is typed into Writer key by key, in ur-PK,
ur-IN and Arabic, and what Writer made of it is compared.

Usage: test_autocorrect.py OXT SOURCE_DIR
       test_autocorrect.py --installed SOURCE_DIR   (the lists of the system's packages)
Skipped (exit 77) when LibreOffice or its Python bridge is missing, except under CI.
"""

import os
import subprocess
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import office  # noqa: E402

TEST = "libreoffice_autocorrect"
SHARED = "/usr/lib/libreoffice/share/autocorr"  # where the package puts its lists
TABLE = "# sure fixes\nاسکی\tاس کی\nمزہب\tمذہب\nھے\tہے\n"
BLOCKS = (' <block-list:block block-list:abbreviated-name="اسکی" block-list:name="اس کی"/>\n'
          ' <block-list:block block-list:abbreviated-name="مزہب" block-list:name="مذہب"/>\n'
          ' <block-list:block block-list:abbreviated-name="ھے" block-list:name="ہے"/>\n')
DOCUMENT_LIST = ('<?xml version="1.0" encoding="UTF-8"?>\n<block-list:block-list '
                 'xmlns:block-list="http://openoffice.org/2001/block-list">\n{}</block-list:block-list>\n')
# Writer mends a whole word when the space after it is typed: not one inside a longer
# word (کھے, اسکیں), nor the one typing ends on, nor one that ۔ or ، ends.
TYPED = "یہ ھے اسکی کتاب، مزہب ھے۔ کھے اسکیں ھے، ھے"
MENDED = "یہ ہے اس کی کتاب، مذہب ھے۔ کھے اسکیں ھے، ھے"


def read(path):
    return open(path, "rb").read() if os.path.isfile(path) else None


def make_list(source, table, tmp, name, *more):
    """The list the tool makes of `table` (None: no table), and its exit and stderr."""
    folder = os.path.join(tmp, name)
    os.makedirs(folder)
    if table is not None:
        with open(os.path.join(folder, "surefixes.txt"), "wb") as out:
            out.write(table.encode("utf-8"))
    output = os.path.join(folder, "acor.dat")
    done = subprocess.run([sys.executable, os.path.join(source, "tools", "make-autocorrect-list"), folder,
                           output, *more], capture_output=True, text=True)
    return read(output), done.returncode, done.stderr.replace(folder, "DIR")


def check_lists(source, tmp):
    failures = []
    listed, status, _ = make_list(source, TABLE, tmp, "a", "--alias", os.path.join(tmp, "alias.dat"))
    again = make_list(source, TABLE, tmp, "b")[0]
    if status != 0 or listed != again or listed != read(os.path.join(tmp, "alias.dat")):
        failures.append("the same table made different lists")
    with zipfile.ZipFile(os.path.join(tmp, "a", "acor.dat")) as package:
        names = [(entry.filename, entry.compress_type, entry.date_time) for entry in package.infolist()]
        document = package.read("DocumentList.xml").decode("utf-8")
    if names != [(name, zipfile.ZIP_STORED, (1980, 1, 1, 0, 0, 0))
                 for name in ("mimetype", "META-INF/manifest.xml", "DocumentList.xml")]:
        failures.append(f"the list's package holds {names}")
    make_list(source, None, tmp, "none")
    with zipfile.ZipFile(os.path.join(tmp, "none", "acor.dat")) as package:
        documents = [document, package.read("DocumentList.xml").decode("utf-8")]
    if documents != [DOCUMENT_LIST.format(BLOCKS), DOCUMENT_LIST.format("")]:
        failures.append(f"DocumentList.xml of the table and of none: {documents}")
    damaged = make_list(source, "ھے\tہے\nھے\tہی\n", tmp, "damaged")
    if damaged != (None, 2, "make-autocorrect-list: DIR/surefixes.txt:2: ھے again (first on line 1)\n"):
        failures.append(f"a damaged table: {damaged}")
    own = make_list(source, "کیہ\tکیا\n", tmp, "own")[0]
    return failures, listed, own


def with_lists(oxt, listed, output):
    """The build's extension with the test's lists in place of data/urdu's."""
    with zipfile.ZipFile(oxt) as original, zipfile.ZipFile(output, "w", zipfile.ZIP_DEFLATED) as copy:
        for entry in original.infolist():
            if not entry.filename.startswith("autocorr/"):
                copy.writestr(entry, original.read(entry))
        for name in ("acor_ur-PK.dat", "acor_ur-IN.dat"):
            copy.writestr(f"autocorr/{name}", listed)


def typed_in_writer(soffice, language, country, text):
    """What a new Writer document holds once `text` is typed into it key by key, in
    that language (Urdu script takes the complex-text one)."""
    from com.sun.star.lang import Locale

    document = soffice.create("com.sun.star.frame.Desktop").loadComponentFromURL(
        "private:factory/swriter", "_blank", 0, ())
    try:
        document.getCurrentController().getViewCursor().CharLocaleComplex = Locale(language, country, "")
        action = soffice.uno.createUnoStruct("com.sun.star.beans.PropertyValue")
        action.Name, action.Value = "TEXT", text
        ui = soffice.create("org.libreoffice.uitest.UITest")
        ui.getTopFocusWindow().getChild("writer_edit").executeAction("TYPE", (action,))
        return document.getText().getString()
    finally:
        document.close(True)


def main(oxt, source):
    status = office.absent(TEST, unopkg=oxt is not None)
    if status is not None:
        return status
    with tempfile.TemporaryDirectory() as tmp:
        env = dict(os.environ, HOME=os.path.join(tmp, "home"), XDG_DATA_HOME=os.path.join(tmp, "data"),
                   ZABREL_SHIPPED_DICTIONARY=os.path.join(source, "data", "urdu"))
        env.pop("ZABREL_LIBRARY", None)
        profile = os.path.join(tmp, "profile")
        user = os.path.join(profile, "user", "autocorr")
        if oxt is None:
            # The package's lists are what data/urdu makes; its first fix is typed.
            path = os.path.join(source, "data", "urdu", "surefixes.txt")
            table = read(path).decode("utf-8") if os.path.isfile(path) else None
            listed = make_list(source, table, tmp, "shipped")[0]
            failures = [f"{SHARED}/{name} is not what data/urdu makes"
                        for name in ("acor_ur-PK.dat", "acor_ur-IN.dat")
                        if read(os.path.join(SHARED, name)) != listed]
            first = [line.split("\t") for line in (table or "").splitlines() if not line.startswith("#")][:1]
            typed = [(("ur", country), f"{slip} ", f"{fix} ") for slip, fix in first for country in ("PK", "IN")]
            os.makedirs(profile)
        else:
            failures, listed, own = check_lists(source, tmp)
            os.makedirs(os.path.join(tmp, "oxt"))
            extension = os.path.join(tmp, "oxt", "zabrel.oxt")
            with_lists(oxt, listed, extension)
            office.install_extension(extension, profile, tmp)
            os.makedirs(user, exist_ok=True)
            with open(os.path.join(user, "acor_ur-IN.dat"), "wb") as mine:
                mine.write(own)
            typed = [(("ur", "PK"), TYPED, MENDED),
                     (("ur", "IN"), "ھے کیہ ", "ھے کیا "),       # the user's list, not ours
                     (("ar", "SA"), "ھے اسکی ", "ھے اسکی ")]     # not an Urdu paragraph
        log = os.path.join(tmp, "soffice.log")
        # The spell checker starts, as for the first Urdu word, and copies what is missing.
        with office.Office(profile, env, log) as soffice:
            soffice.create("org.zabrel.SpellChecker")
            soffice.stop()
        copied = os.path.join(user, "acor_ur-PK.dat")
        if oxt is None and os.path.exists(copied):
            failures.append(f"{copied} was made though LibreOffice's folder has the list")
        if oxt is not None and (read(copied) != listed or read(os.path.join(user, "acor_ur-IN.dat")) != own):
            failures.append("the extension's ur-PK list was not copied, or the user's ur-IN list changed")
        with office.Office(profile, env, log) as soffice:
            for (language, country), text, expected in typed:
                got = typed_in_writer(soffice, language, country, text)
                if got != expected:
                    failures.append(f"typed in {language}-{country}: {text!r} became {got!r}, not {expected!r}")
            logged = [line for line in soffice.stop().splitlines() if line.startswith("zabrel:")]
        if logged:
            failures.append(f"the extension logged: {logged}")
    return office.finish(TEST, failures, f"{len(typed)} paragraphs typed into Writer, mended as the lists say")


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--installed":
        sys.exit(main(None, sys.argv[2]))
    if len(sys.argv) != 3:
        print("usage: test_autocorrect.py OXT SOURCE_DIR | --installed SOURCE_DIR", file=sys.stderr)
        sys.exit(2)
    sys.exit(main(*sys.argv[1:]))
