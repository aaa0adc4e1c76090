# SPDX-License-Identifier: MIT
"""Writer's AutoCorrect list of Urdu sure fixes (acor_ur-PK.dat, acor_ur-IN.dat).

LibreOffice reads a language's list from two folders only, its own share folder and
the user's, and an extension cannot add a third: a folder added to the AutoCorrect
paths takes the place of the user's, which hides the user's own lists of every
language. So a distribution installs the lists into LibreOffice's share folder, and
an extension installed by unopkg copies its lists into the user's folder, once, when
neither folder has a list for that language: a list there is the user's (or the
distribution's) and is never replaced. Writer reads a new list at its next start.
"""

import os
import tempfile

import uno
from com.sun.star.beans import UnknownPropertyException

LANGUAGES = ("ur-PK", "ur-IN")
_done = False


def folders(context):
    """LibreOffice's AutoCorrect folders: (the shared ones, the user's), as paths;
    None in a process that has none, which is no office and has no Writer."""
    settings = context.ServiceManager.createInstanceWithContext("com.sun.star.util.PathSettings", context)
    try:
        internal = settings.getPropertyValue("AutoCorrect_internal")
        writable = settings.getPropertyValue("AutoCorrect_writable")
    except UnknownPropertyException:
        return None
    shared = [uno.fileUrlToSystemPath(url) for url in internal if url.startswith("file:")]
    return shared, uno.fileUrlToSystemPath(writable)


def copy_new(source, target):
    """`source` to `target`, whole, unless `target` is there by then: another office
    may do the same at the same time, and what it finds there is kept."""
    with open(source, "rb") as listed:
        data = listed.read()
    handle, temporary = tempfile.mkstemp(prefix=".zabrel-", dir=os.path.dirname(target))
    try:
        with os.fdopen(handle, "wb") as out:
            out.write(data)
            out.flush()
            os.fsync(out.fileno())
        os.chmod(temporary, 0o644)
        os.link(temporary, target)  # fails, and changes nothing, where a file is
    except FileExistsError:
        pass
    finally:
        os.unlink(temporary)


def install(context, extension):
    """Copies the extension's lists into the user's folder where needed; once a process.
    Returns the lists copied."""
    global _done
    if _done:
        return []
    _done = True
    paths = folders(context)
    if paths is None:
        return []
    shared, user = paths
    copied = []
    for language in LANGUAGES:
        name = f"acor_{language}.dat"
        source = os.path.join(extension, "autocorr", name)
        if not os.path.isfile(source) or any(os.path.lexists(os.path.join(folder, name))
                                             for folder in shared + [user]):
            continue
        os.makedirs(user, exist_ok=True)
        copy_new(source, os.path.join(user, name))
        copied.append(name)
    return copied
