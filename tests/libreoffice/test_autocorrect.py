#!/usr/bin/env python3
"""Writer's AutoCorrect list of sure fixes, as a user meets it: the test's own small
table is made into acor_ur-PK.dat and acor_ur-IN.dat by tools/make-autocorrect-list
(byte for byte, and twice the same), put into the build's zabrel.oxt, which unopkg
installs into a temporary profile where the user already has a list of their own for
ur-IN. The first office start copies the extension's ur-PK list into the user's
AutoCorrect folder and leaves the user's ur-IN list alone; at the next start text is
typed into Writer, key by key, in ur-PK, ur-IN and Arabic paragraphs, and what Writer
made of it is compared.

Usage: test_autocorrect.py OXT SOURCE_DIR
       test_autocorrect.py --installed SOURCE_DIR   (the lists of the system's packages)
Skipped (exit 77) when LibreOffice or its Python bridge is missing, except under CI.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import office  # noqa: E402

TEST = "libreoffice_autocorrect"
SHARED = "/usr/lib/libreoffice/share/autocorr"  # where the package puts its lists
TABLE = "# sure fixes\nاسکی\tاس کی\nمزہب\tمذہب\nھے\tہے\n"
DOCUMENT_LIST = (
    '<?xml version="1.0" encoding="UTF-8"?>\n'
    '<block-list:block-list xmlns:block-list="http://openoffice.org/2001/block-list">\n'
    ' <block-list:block block-list:abbreviated-name="اسکی" block-list:name="اس کی"/>\n'
    ' <block-list:block block-list:abbreviated-name="مزہب" block-list:name="مذہب"/>\n'
    ' <block-list:block block-list:abbreviated-name="ھے" block-list:name="ہے"/>\n'
    "</block-list:block-list>\n")
# Typed key by key. Writer mends a whole word when the space after it is typed: not
# one inside a longer word (کھے, اسکیں), nor one the typing ends on, nor one that a
# full stop (۔) or comma (،) ends.
TYPED = "یہ ھے اسکی کتاب، مزہب ھے۔ کھے اسکیں ھے، ھے"
MENDED = "یہ ہے اس کی کتاب، مذہب ھے۔ کھے اسکیں ھے، ھے"
# The user's own ur-IN list, which the extension must not replace.
OWN_TABLE = "کیہ\tکیا\n"


def make_list(source, folder, output, *more):
    return subprocess.run([sys.executable, os.path.join(source, "tools", "make-autocorrect-list"), folder,
                           output, *more], capture_output=True, text=True)


def check_lists(source, tmp):
    """The tool's bytes for the test's table, an empty one and damaged ones."""
    failures = []
    folder = os.path.join(tmp, "urdu")
    os.makedirs(folder)
    made = [os.path.join(tmp, name) for name in ("empty.dat", "a.dat", "b.dat", "c.dat")]
    done = make_list(source, folder, made[0])
    with zipfile.ZipFile(made[0]) as package:
        empty = package.read("DocumentList.xml").decode("utf-8")
    if done.returncode != 0 or ' <block-list:block ' in empty or not empty.endswith("</block-list:block-list>\n"):
        failures.append(f"without a table: exit {done.returncode}, {done.stderr!r}, {empty!r}")
    with open(os.path.join(folder, "surefixes.txt"), "w", encoding="utf-8", newline="\n") as table:
        table.write(TABLE)
    make_list(source, folder, made[1], "--alias", made[2])
    make_list(source, folder, made[3])
    data = [open(path, "rb").read() for path in made[1:]]
    if data[0] != data[1] or data[0] != data[2]:
        failures.append("the same table made different lists")
    with zipfile.ZipFile(made[1]) as package:
        names = [(entry.filename, entry.compress_type, entry.date_time) for entry in package.infolist()]
        document = package.read("DocumentList.xml").decode("utf-8")
    if names != [(name, zipfile.ZIP_STORED, (1980, 1, 1, 0, 0, 0))
                 for name in ("mimetype", "META-INF/manifest.xml", "DocumentList.xml")]:
        failures.append(f"the list's package holds {names}")
    if document != DOCUMENT_LIST:
        failures.append(f"DocumentList.xml is {document!r}")
    with open(os.path.join(folder, "surefixes.txt"), "wb") as table:
        table.write("ھے\tہے\nھے\tہی\n".encode("utf-8"))
    done = make_list(source, folder, os.path.join(tmp, "bad.dat"))
    expected = f"make-autocorrect-list: {folder}/surefixes.txt:2: ھے again (first on line 1)\n"
    if (done.returncode, done.stderr) != (2, expected) or os.path.exists(os.path.join(tmp, "bad.dat")):
        failures.append(f"a damaged table: exit {done.returncode}, {done.stderr!r}")
    return failures, data[0]


def with_lists(oxt, listed, output):
    """The build's extension with the test's lists in place of data/urdu's."""
    with zipfile.ZipFile(oxt) as original, zipfile.ZipFile(output, "w", zipfile.ZIP_DEFLATED) as copy:
        for entry in original.infolist():
            if entry.filename.startswith("autocorr/"):
                continue
            copy.writestr(entry, original.read(entry))
        for name in ("acor_ur-PK.dat", "acor_ur-IN.dat"):
            copy.writestr(f"autocorr/{name}", listed)


def typed_in_writer(soffice, language, country, text):
    """`text` typed key by key into a new Writer document in that (complex-script)
    language; what the document then holds."""
    from com.sun.star.lang import Locale

    uno = soffice.uno
    document = soffice.create("com.sun.star.frame.Desktop").loadComponentFromURL(
        "private:factory/swriter", "_blank", 0, ())
    try:
        document.getCurrentController().getViewCursor().CharLocaleComplex = Locale(language, country, "")
        action = uno.createUnoStruct("com.sun.star.beans.PropertyValue")
        action.Name, action.Value = "TEXT", text
        ui = soffice.create("org.libreoffice.uitest.UITest")
        ui.getTopFocusWindow().getChild("writer_edit").executeAction("TYPE", (action,))
        return document.getText().getString()
    finally:
        document.close(True)


def check_writer(soffice, typed):
    failures = []
    for (language, country), text, expected in typed:
        got = typed_in_writer(soffice, language, country, text)
        if got != expected:
            failures.append(f"typed in {language}-{country}: {text!r} became {got!r}, not {expected!r}")
    return failures


def own_list(source, tmp):
    folder = os.path.join(tmp, "own")
    os.makedirs(folder)
    with open(os.path.join(folder, "surefixes.txt"), "w", encoding="utf-8") as table:
        table.write(OWN_TABLE)
    output = os.path.join(tmp, "own.dat")
    make_list(source, folder, output)
    with open(output, "rb") as made:
        return made.read()


def main(oxt, source):
    status = office.absent(TEST)
    if status is not None:
        return status
    if oxt is not None and shutil.which("unopkg") is None:
        return office.missing(TEST, "unopkg")
    with tempfile.TemporaryDirectory() as tmp:
        env = dict(os.environ, HOME=os.path.join(tmp, "home"), XDG_DATA_HOME=os.path.join(tmp, "data"))
        env["ZABREL_SHIPPED_DICTIONARY"] = os.path.join(source, "data", "urdu")
        env.pop("ZABREL_LIBRARY", None)
        profile = os.path.join(tmp, "profile")
        user = os.path.join(profile, "user", "autocorr")
        if oxt is None:
            # The package's lists are what data/urdu makes, in LibreOffice's own folder.
            failures = []
            made = os.path.join(tmp, "made.dat")
            make_list(source, os.path.join(source, "data", "urdu"), made)
            listed = open(made, "rb").read()
            for name in ("acor_ur-PK.dat", "acor_ur-IN.dat"):
                path = os.path.join(SHARED, name)
                if not os.path.isfile(path) or open(path, "rb").read() != listed:
                    failures.append(f"{path} is not what data/urdu makes")
            with zipfile.ZipFile(made) as package:
                document = package.read("DocumentList.xml").decode("utf-8")
            # Its first fix typed, when the table has one.
            pair = document.split('abbreviated-name="', 1)[1:]
            typed = []
            if pair:
                slip, rest = pair[0].split('"', 1)
                fix = rest.split('name="', 1)[1].split('"', 1)[0]
                typed = [(("ur", "PK"), f"{slip} ", f"{fix} "), (("ur", "IN"), f"{slip} ", f"{fix} ")]
            os.makedirs(profile)
        else:
            failures, listed = check_lists(source, tmp)
            os.makedirs(os.path.join(tmp, "made"))
            extension = os.path.join(tmp, "made", "zabrel.oxt")
            with_lists(oxt, listed, extension)
            office.install_extension(extension, profile, tmp)
            os.makedirs(user, exist_ok=True)
            own = own_list(source, tmp)
            with open(os.path.join(user, "acor_ur-IN.dat"), "wb") as mine:
                mine.write(own)
            typed = [(("ur", "PK"), TYPED, MENDED),
                     (("ur", "IN"), "ھے کیہ ", "ھے کیا "),       # the user's list, not ours
                     (("ar", "SA"), "ھے اسکی ", "ھے اسکی ")]     # not an Urdu paragraph
        log = os.path.join(tmp, "soffice.log")
        # The first start: the spell checker starts (as for the first Urdu word) and
        # copies what the office lacks.
        with office.Office(profile, env, log) as soffice:
            soffice.create("org.zabrel.SpellChecker")
            soffice.stop()
        copied = os.path.join(user, "acor_ur-PK.dat")
        if oxt is not None:
            if not os.path.isfile(copied) or open(copied, "rb").read() != listed:
                failures.append(f"{copied} is not the extension's list")
            if open(os.path.join(user, "acor_ur-IN.dat"), "rb").read() != own:
                failures.append("the user's own ur-IN list was changed")
        elif os.path.exists(copied):
            failures.append(f"{copied} was copied though LibreOffice's folder has the list")
        with office.Office(profile, env, log) as soffice:
            failures += check_writer(soffice, typed)
            errors = soffice.stop()
        logged = "".join(line for line in errors.splitlines(True) if line.startswith("zabrel:"))
        if logged:
            failures.append(f"the extension logged: {logged.strip()}")
    for failure in failures:
        print(f"{TEST}: {failure}", file=sys.stderr)
    if failures:
        return 1
    print(f"{TEST}: {len(typed)} paragraphs typed into Writer, mended as the lists say")
    return 0


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--installed":
        sys.exit(main(None, sys.argv[2]))
    if len(sys.argv) != 3:
        print("usage: test_autocorrect.py OXT SOURCE_DIR | --installed SOURCE_DIR", file=sys.stderr)
        sys.exit(2)
    sys.exit(main(*sys.argv[1:]))
