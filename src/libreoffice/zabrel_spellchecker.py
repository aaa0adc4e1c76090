# SPDX-License-Identifier: MIT
"""Zabrel as LibreOffice's spell checker for Urdu (ur-PK, ur-IN): a Python UNO
component over libzabrel's C API, through ctypes.

It must never crash or stall the office. The dictionary is opened in a thread of its
own, because the first open of the user's copy builds its derived files; until it is
ready, and whenever something fails, words count as correct, the failure is logged
once, and LibreOffice is told to check again when the dictionary becomes ready.
"""

import ctypes
import logging
import os
import sys
import threading

import uno
import unohelper
from com.sun.star.lang import XInitialization, XServiceDisplayName, XServiceInfo
from com.sun.star.linguistic2 import XLinguServiceEventBroadcaster, XSpellAlternatives, XSpellChecker
from com.sun.star.linguistic2.LinguServiceEventFlags import (SPELL_CORRECT_WORDS_AGAIN,
                                                             SPELL_WRONG_WORDS_AGAIN)
from com.sun.star.linguistic2.SpellFailure import SPELLING_ERROR

IMPLEMENTATION = "org.zabrel.SpellChecker"
SERVICES = ("com.sun.star.linguistic2.SpellChecker",)
COUNTRIES = ("PK", "IN")
SETTINGS = "/org.zabrel.SpellChecker/Settings"
# The values of the Ranking setting, as the C API numbers them.
# LibreOffice hands over one word at a time: "context" gives what the context gives a
# word alone, the accurate ranking with a bare final ئ completed first.
RANKINGS = {"exact": 0, "accurate": 1, "context": 2}

log = logging.getLogger("zabrel")
if not log.handlers:
    _handler = logging.StreamHandler(sys.stderr)
    _handler.setFormatter(logging.Formatter("zabrel: %(message)s"))
    log.addHandler(_handler)
    log.propagate = False


def library_candidates():
    """$ZABREL_LIBRARY, the build's and the installed library (baked in by CMake),
    then whatever the dynamic loader finds."""
    candidates = []
    if os.environ.get("ZABREL_LIBRARY"):
        candidates.append(os.environ["ZABREL_LIBRARY"])
    try:
        import zabrel_paths
        candidates.extend(zabrel_paths.LIBRARIES)
    except ImportError:
        pass
    candidates.append("libzabrel.so.0")
    return candidates


def load_library():
    tried = []
    for path in library_candidates():
        if os.sep in path and not os.path.exists(path):
            tried.append(f"{path} (absent)")
            continue
        try:
            lib = ctypes.CDLL(path)
        except OSError as error:
            tried.append(str(error))
            continue
        strings = ctypes.POINTER(ctypes.c_char_p)
        handle = ctypes.c_void_p
        lib.zabrel_open_default.argtypes = [ctypes.POINTER(ctypes.c_void_p)]
        lib.zabrel_open_default.restype = handle
        lib.zabrel_close.argtypes = [handle]
        lib.zabrel_close.restype = None
        lib.zabrel_check.argtypes = [handle, ctypes.c_char_p, ctypes.c_size_t]
        lib.zabrel_check.restype = ctypes.c_int
        lib.zabrel_suggest.argtypes = [handle, ctypes.c_char_p, ctypes.c_size_t,
                                       ctypes.POINTER(ctypes.c_size_t)]
        lib.zabrel_suggest.restype = strings
        lib.zabrel_warnings.argtypes = [handle, ctypes.POINTER(ctypes.c_size_t)]
        lib.zabrel_warnings.restype = strings
        lib.zabrel_set_ranking.argtypes = [handle, ctypes.c_int]
        lib.zabrel_set_ranking.restype = ctypes.c_int
        lib.zabrel_error.argtypes = [handle]
        lib.zabrel_error.restype = ctypes.c_char_p
        lib.zabrel_string_free.argtypes = [ctypes.c_void_p]
        lib.zabrel_string_free.restype = None
        lib.zabrel_list_free.argtypes = [strings]
        lib.zabrel_list_free.restype = None
        return lib
    raise OSError("libzabrel.so.0 could not be loaded: " + "; ".join(tried))


class Urdu:
    """The one dictionary of the office process, shared by the component's instances."""

    def __init__(self):
        self.lock = threading.Lock()
        self.ready = threading.Event()
        self.lib = None
        self.handle = None
        # Unknown until the first request sets it: the library opens with its own
        # default, which need not be the setting's.
        self.ranking = None
        self.logged = set()
        self.listeners = []
        threading.Thread(target=self.open, name="zabrel-open", daemon=True).start()

    def fail(self, message):
        if message not in self.logged:
            self.logged.add(message)
            log.error("%s", message)

    def open(self):
        try:
            lib = load_library()
            error = ctypes.c_void_p()
            handle = lib.zabrel_open_default(ctypes.byref(error))
            if not handle:
                text = ctypes.string_at(error.value).decode("utf-8", "replace") if error.value else ""
                lib.zabrel_string_free(error)
                raise RuntimeError(text or "the Urdu dictionary could not be opened")
            for warning in self.strings(lib, lib.zabrel_warnings(handle, None)):
                log.warning("%s", warning)
            with self.lock:
                self.lib, self.handle = lib, handle
        except Exception as error:  # whatever it is, Urdu stays unchecked, not the office down
            self.fail(f"Urdu is not checked: {error}")
        finally:
            self.ready.set()
        if self.handle:
            self.check_again()

    @staticmethod
    def strings(lib, listed):
        if not listed:
            return []
        items = []
        k = 0
        while listed[k] is not None:
            items.append(listed[k].decode("utf-8", "replace"))
            k += 1
        lib.zabrel_list_free(listed)
        return items

    def check_again(self):
        """Words judged while the dictionary was loading were all correct."""
        event = uno.createUnoStruct("com.sun.star.linguistic2.LinguServiceEvent")
        event.nEvent = SPELL_CORRECT_WORDS_AGAIN | SPELL_WRONG_WORDS_AGAIN
        with self.lock:
            listeners = list(self.listeners)
        for source, listener in listeners:
            try:
                event.Source = source
                listener.processLinguServiceEvent(event)
            except Exception as error:
                self.fail(f"a listener refused the news that the dictionary is ready: {error}")

    def error_of(self, handle):
        return self.lib.zabrel_error(handle).decode("utf-8", "replace")

    def check(self, word):
        """True, False, or None when the dictionary is not (yet) there."""
        if not self.ready.is_set() or not self.handle:
            return None
        data = word.encode("utf-8")
        answer = self.lib.zabrel_check(self.handle, data, len(data))
        if answer < 0:
            raise RuntimeError(self.error_of(self.handle))
        return answer == 1

    def suggest(self, word, ranking):
        data = word.encode("utf-8")
        with self.lock:
            if ranking != self.ranking:
                if self.lib.zabrel_set_ranking(self.handle, ranking) != 0:
                    raise RuntimeError(self.error_of(self.handle))
                self.ranking = ranking
            listed = self.lib.zabrel_suggest(self.handle, data, len(data), None)
        if not listed:
            raise RuntimeError(self.error_of(self.handle))
        return self.strings(self.lib, listed)


_shared = None
_shared_lock = threading.Lock()


def shared():
    global _shared
    with _shared_lock:
        if _shared is None:
            _shared = Urdu()
        return _shared


def autocorrect(context):
    """Writer's AutoCorrect list of sure fixes, where the office has none for Urdu."""
    try:
        import zabrel_autocorrect
        zabrel_autocorrect.install(context, os.path.dirname(os.path.abspath(__file__)))
    except Exception as error:  # spelling goes on without it
        log.error("the AutoCorrect list was not installed: %s", error)


class Alternatives(unohelper.Base, XSpellAlternatives):
    def __init__(self, word, locale, alternatives):
        self.word, self.locale, self.alternatives = word, locale, tuple(alternatives)

    def getWord(self):
        return self.word

    def getLocale(self):
        return self.locale

    def getFailureType(self):
        return SPELLING_ERROR

    def getAlternativesCount(self):
        return len(self.alternatives)

    def getAlternatives(self):
        return self.alternatives


class SpellChecker(unohelper.Base, XServiceInfo, XServiceDisplayName, XInitialization,
                   XSpellChecker, XLinguServiceEventBroadcaster):
    def __init__(self, context, *args):
        self.context = context
        self.settings = None
        self.urdu = shared()
        autocorrect(context)

    # XServiceInfo, XServiceDisplayName, XInitialization
    def getImplementationName(self):
        return IMPLEMENTATION

    def supportsService(self, name):
        return name in SERVICES

    def getSupportedServiceNames(self):
        return SERVICES

    def getServiceDisplayName(self, locale):
        return "Zabrel (Urdu)"

    def initialize(self, arguments):
        pass

    # XSupportedLocales
    def getLocales(self):
        locale = uno.getClass("com.sun.star.lang.Locale")
        return tuple(locale("ur", country, "") for country in COUNTRIES)

    def hasLocale(self, locale):
        return locale.Language == "ur" and locale.Country in COUNTRIES

    # XSpellChecker: any failure means "correct", logged once.
    def isValid(self, word, locale, properties):
        try:
            if not self.hasLocale(locale):
                return True
            return self.urdu.check(word) is not False
        except Exception as error:
            self.urdu.fail(f"a word could not be checked: {error}")
            return True

    def spell(self, word, locale, properties):
        try:
            if not self.hasLocale(locale) or self.urdu.check(word) is not False:
                return None
            return Alternatives(word, locale, self.urdu.suggest(word, self.chosen_ranking()))
        except Exception as error:
            self.urdu.fail(f"a word could not be checked: {error}")
            return None

    def chosen_ranking(self):
        """The Ranking setting, read at each request for suggestions so that a change
        in the expert configuration counts at once."""
        try:
            if self.settings is None:
                provider = self.context.ServiceManager.createInstanceWithContext(
                    "com.sun.star.configuration.ConfigurationProvider", self.context)
                path = uno.createUnoStruct("com.sun.star.beans.PropertyValue")
                path.Name, path.Value = "nodepath", SETTINGS
                self.settings = provider.createInstanceWithArguments(
                    "com.sun.star.configuration.ConfigurationAccess", (path,))
            value = self.settings.getPropertyValue("Ranking")
        except Exception as error:
            self.urdu.fail(f"the Ranking setting could not be read: {error}")
            return RANKINGS["accurate"]
        if value not in RANKINGS:
            self.urdu.fail(f"the Ranking setting is {value!r}, not one of {', '.join(RANKINGS)}")
            return RANKINGS["accurate"]
        return RANKINGS[value]

    # XLinguServiceEventBroadcaster
    def addLinguServiceEventListener(self, listener):
        with self.urdu.lock:
            self.urdu.listeners.append((self, listener))
        return True

    def removeLinguServiceEventListener(self, listener):
        with self.urdu.lock:
            kept = [entry for entry in self.urdu.listeners if entry[1] != listener]
            removed = len(kept) != len(self.urdu.listeners)
            self.urdu.listeners = kept
        return removed


g_ImplementationHelper = unohelper.ImplementationHelper()
g_ImplementationHelper.addImplementation(SpellChecker, IMPLEMENTATION, SERVICES)
