# SPDX-License-Identifier: MIT
"""zabrel-lsp end to end: the real program driven through its stdio with the
protocol's framing, over a copy of the shipped dictionary in a temporary folder.

Usage: test_lsp_server.py PROGRAM [unittest options]"""

import os
import shutil
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import lspclient  # noqa: E402

PROGRAM = None

# بزار is misspelt (بازار first); سخت, یہ, ہے, اور are words.
WRONG = "بزار"
FIX = "بازار"


def server(*args, **kwargs):
    return lspclient.Server(PROGRAM, *args, **kwargs)


def ranges(diagnostics):
    return [(d["range"]["start"]["line"], d["range"]["start"]["character"],
             d["range"]["end"]["line"], d["range"]["end"]["character"]) for d in diagnostics["diagnostics"]]


def offset_in(text, line, character, encoding):
    """Where a position falls in `text`, counting as a client does: lines end at
    LF, CR LF or CR; characters are UTF-16 units or UTF-8 bytes."""
    lines = text.replace("\r\n", "\n").replace("\r", "\n").split("\n")
    start = 0
    for number in range(line):
        start += len(lines[number])
        start += 2 if text[start:start + 2] == "\r\n" else 1
    at = start
    counted = 0
    unit = "utf-16-le" if encoding == "utf-16" else "utf-8"
    while counted < character:
        counted += len(text[at].encode(unit)) // (2 if encoding == "utf-16" else 1)
        at += 1
    return at


def apply_edits(text, edits, encoding):
    for edit in sorted(edits, key=lambda e: (e["range"]["start"]["line"], e["range"]["start"]["character"]),
                       reverse=True):
        start = offset_in(text, edit["range"]["start"]["line"], edit["range"]["start"]["character"], encoding)
        end = offset_in(text, edit["range"]["end"]["line"], edit["range"]["end"]["character"], encoding)
        text = text[:start] + edit["newText"] + text[end:]
    return text


class Positions(unittest.TestCase):
    # A character outside the BMP before the word, a CR LF line, a lone CR line and
    # an LF line: utf-16 counts the emoji as two, utf-8 as four, and every Urdu letter
    # as one and two.
    TEXT = "😀" + WRONG + " سخت\r\nیہ " + WRONG + "\rاور " + WRONG + " ہے\nسخت"

    def test_exact_positions_in_both_encodings_and_fixes_that_land_there(self):
        expected = {
            "utf-16": [(0, 2, 0, 6), (1, 3, 1, 7), (2, 4, 2, 8)],
            "utf-8": [(0, 4, 0, 12), (1, 5, 1, 13), (2, 7, 2, 15)],
        }
        for offered, encoding in ((None, "utf-16"), (["utf-16"], "utf-16"), (["utf-32", "utf-8", "utf-16"], "utf-8")):
            with self.subTest(offered=offered), server() as s:
                answer = s.initialize(offered)
                self.assertEqual(answer["result"]["capabilities"]["positionEncoding"], encoding)
                s.open("file:///p.txt", self.TEXT)
                published = s.diagnostics("file:///p.txt")
                self.assertEqual(published["version"], 1)
                self.assertEqual(ranges(published), expected[encoding])
                for d in published["diagnostics"]:
                    self.assertEqual((d["source"], d["code"], d["severity"]), ("zabrel", "ZABREL_UR_SPELLING", 3))
                    self.assertEqual(d["message"], "ہجے کی غلطی: " + WRONG)
                # Each word's preferred fix, applied as the client would, puts the fix
                # exactly over the word.
                text = self.TEXT
                for line, character, _, _ in reversed(expected[encoding]):
                    actions = s.request("textDocument/codeAction", {
                        "textDocument": {"uri": "file:///p.txt"},
                        "range": {"start": {"line": line, "character": character},
                                  "end": {"line": line, "character": character}},
                        "context": {"diagnostics": []}})["result"]
                    preferred = [a for a in actions if a.get("isPreferred")]
                    self.assertEqual(len(preferred), 1)
                    self.assertEqual(preferred[0]["kind"], "quickfix")
                    text = apply_edits(text, preferred[0]["edit"]["changes"]["file:///p.txt"], encoding)
                self.assertEqual(text, self.TEXT.replace(WRONG, FIX))
                self.assertEqual(s.shutdown_and_exit(), ({"jsonrpc": "2.0", "id": s.next_id, "result": None}, 0))


class Editing(unittest.TestCase):
    def test_incremental_and_full_changes_keep_text_positions_and_versions(self):
        uri = "file:///e.md"
        text = "یہ سخت ہے\r\nاور ہے"
        with server() as s:
            s.initialize(["utf-8"])
            s.open(uri, text, "markdown")
            self.assertEqual(s.diagnostics(uri, 1)["diagnostics"], [])
            # Two edits in one change, in order: a misspelt word typed into the first
            # line, then the CR LF joined away with the second line's start.
            first = {"range": {"start": {"line": 0, "character": 4}, "end": {"line": 0, "character": 4}},
                     "text": " " + WRONG}
            text = apply_edits(text, [dict(first, newText=first["text"])], "utf-8")
            second = {"range": {"start": {"line": 0, "character": len("یہ سخت بزار ہے".encode())},
                                "end": {"line": 1, "character": len("اور".encode())}},
                      "text": " " + WRONG}
            text = apply_edits(text, [dict(second, newText=second["text"])], "utf-8")
            s.change(uri, 5, [first, second])
            self.assertEqual(text, "یہ " + WRONG + " سخت ہے " + WRONG + " ہے")
            published = s.diagnostics(uri, 5)
            self.assertEqual(ranges(published), [(0, 5, 0, 13), (0, 26, 0, 34)])
            # A whole new text, then a deletion of the first word.
            s.change(uri, 6, [{"text": "سخت " + WRONG + "\n" + WRONG}])
            s.change(uri, 7, [{"range": {"start": {"line": 0, "character": 0}, "end": {"line": 0, "character": 7}},
                               "text": ""}])
            self.assertEqual(ranges(s.diagnostics(uri, 7)), [(0, 0, 0, 8), (1, 0, 1, 8)])

    def test_typing_publishes_the_last_version(self):
        uri = "file:///t.txt"
        with server() as s:
            s.initialize()
            s.open(uri, "سخت ")
            s.diagnostics(uri, 1)
            # A misspelt word typed a letter at a time, each its own version.
            for version, letter in enumerate(WRONG + " ", start=2):
                s.change(uri, version, [{"range": {"start": {"line": 0, "character": version + 2},
                                                   "end": {"line": 0, "character": version + 2}},
                                         "text": letter}])
            last = len(WRONG) + 2
            published = s.diagnostics(uri, last)
            self.assertEqual(ranges(published), [(0, 4, 0, 8)])
            # Whatever was published on the way named a version that was sent, in order.
            versions = [m["params"]["version"] for m in s.pending
                        if m.get("method") == "textDocument/publishDiagnostics"]
            self.assertEqual(versions, sorted(versions))
            self.assertTrue(set(versions) <= set(range(2, last)))

    def test_a_stale_check_offers_no_fix_and_diagnostics_name_their_version(self):
        uri = "file:///stale.txt"
        with server() as s:
            # A long debounce: the change below is not checked until something asks.
            s.initialize(None, {"zabrel": {"debounce": 60000}})
            s.open(uri, "سخت " + WRONG)
            self.assertEqual(ranges(s.diagnostics(uri, 1)), [(0, 4, 0, 8)])
            s.change(uri, 2, [{"range": {"start": {"line": 0, "character": 0}, "end": {"line": 0, "character": 0}},
                               "text": "یہ "}])
            # The findings are of version 1: their place is no longer the word's.
            actions = s.request("textDocument/codeAction", {
                "textDocument": {"uri": uri},
                "range": {"start": {"line": 0, "character": 7}, "end": {"line": 0, "character": 7}},
                "context": {"diagnostics": []}})
            self.assertEqual(actions["result"], [])
            # A setting changed checks again at once, for the version the client has.
            s.notify("workspace/didChangeConfiguration", {"settings": {"zabrel": {"severity": "warning"}}})
            published = s.diagnostics(uri)
            self.assertEqual(published["version"], 2)
            self.assertEqual(ranges(published), [(0, 7, 0, 11)])
            self.assertEqual(published["diagnostics"][0]["severity"], 2)


class Actions(unittest.TestCase):
    def test_fixes_add_to_the_shared_list_once_and_ignore_in_one_document(self):
        a, b = "file:///a.txt", "file:///b.txt"
        with server() as s:
            s.initialize(None, {"zabrel": {"ranking": "exact"}})
            s.open(a, "یہ " + WRONG + " اور سخت ہے")
            s.open(b, WRONG)
            self.assertEqual(len(s.diagnostics(a)["diagnostics"]), 1)
            self.assertEqual(len(s.diagnostics(b)["diagnostics"]), 1)
            actions = s.request("textDocument/codeAction", {
                "textDocument": {"uri": a},
                "range": {"start": {"line": 0, "character": 4}, "end": {"line": 0, "character": 5}},
                "context": {"diagnostics": []}})["result"]
            fixes = [x for x in actions if "edit" in x]
            commands = [x["command"] for x in actions if "command" in x]
            self.assertEqual(fixes[0]["edit"]["changes"][a],
                             [{"range": {"start": {"line": 0, "character": 3}, "end": {"line": 0, "character": 7}},
                               "newText": FIX}])
            self.assertTrue(fixes[0]["isPreferred"])
            self.assertNotIn("isPreferred", fixes[1])
            self.assertEqual([c["command"] for c in commands], ["zabrel.addWord", "zabrel.ignoreInDocument"])
            self.assertEqual(commands[0]["arguments"], [WRONG])
            self.assertEqual(commands[1]["arguments"], [a, WRONG])
            self.assertEqual(actions[0]["diagnostics"][0]["code"], "ZABREL_UR_SPELLING")

            # Ignored in a: a is published again without it, b still has it.
            ignore = s.request("workspace/executeCommand", commands[1])
            self.assertEqual(ignore["result"], None)
            self.assertEqual(s.diagnostics(a)["diagnostics"], [])
            s.change(b, 2, [{"text": WRONG + " " + WRONG}])
            self.assertEqual(len(s.diagnostics(b, 2)["diagnostics"]), 2)

            # Added twice: the list holds it once, and both documents lose it.
            self.assertEqual(s.request("workspace/executeCommand", commands[0])["result"], None)
            self.assertEqual(s.diagnostics(b, 2)["diagnostics"], [])
            self.assertEqual(s.request("workspace/executeCommand", commands[0])["result"], None)
            with open(s.personal, encoding="utf-8") as list_file:
                self.assertEqual(list_file.read(), WRONG + "\n")
            personal = s.personal
            s.shutdown_and_exit()
            # Another program's session, on the same list, takes the word as correct.
            with server() as again:
                os.replace(personal, again.personal)
                again.initialize()
                again.open(a, "یہ " + WRONG)
                self.assertEqual(again.diagnostics(a)["diagnostics"], [])

    def test_settings_change_ranking_severity_and_dictionary(self):
        uri = "file:///s.txt"
        with server() as s:
            s.initialize(None, {"zabrel": {"ranking": "exact", "severity": "hint"}})
            s.open(uri, "یہ سخت " + WRONG + " ہے")
            published = s.diagnostics(uri)
            self.assertEqual(published["diagnostics"][0]["severity"], 4)

            def suggestions():
                actions = s.request("textDocument/codeAction", {
                    "textDocument": {"uri": uri},
                    "range": {"start": {"line": 0, "character": 8}, "end": {"line": 0, "character": 8}},
                    "context": {"diagnostics": []}})["result"]
                return [x["edit"]["changes"][uri][0]["newText"] for x in actions if "edit" in x][:5]

            self.assertEqual(suggestions(), ["بازار", "بیزار", "بزور", "بزاز", "بار"])
            s.notify("workspace/didChangeConfiguration", {"settings": {"zabrel": {"ranking": "context"}}})
            s.diagnostics(uri)
            # As zabrel-check --context ranks them in the same line.
            self.assertEqual(suggestions(), ["بازار", "بیزار", "بار", "بہار", "بزور"])

            # A bad value is said, and the rest still taken.
            s.notify("workspace/didChangeConfiguration",
                     {"settings": {"zabrel": {"severity": "loud", "ranking": 3, "debounce": 0}}})
            shown = s.wait_for(lambda m: m.get("method") == "window/showMessage")
            self.assertEqual(shown["params"], {"type": 2, "message":
                             "zabrel-lsp: ranking must be context, accurate or exact; "
                             "severity must be error, warning, information or hint"})
            self.assertEqual(s.diagnostics(uri)["diagnostics"][0]["severity"], 4)

            # A dictionary folder of our own whose list has the word in the fix's place.
            other = os.path.join(s.tmp, "other")
            shutil.copytree(os.path.join(lspclient.SOURCE, "data", "urdu"), other)
            path = os.path.join(other, "wordlist.txt")
            with open(path, "rb") as words:
                listed = words.read().decode("utf-16-le")
            self.assertIn("\r\n" + FIX + "\t", listed)
            with open(path, "wb") as words:
                words.write(listed.replace("\r\n" + FIX + "\t", "\r\n" + WRONG + "\t", 1).encode("utf-16-le"))
            s.notify("workspace/didChangeConfiguration", {"settings": {"zabrel": {"dictionary": other}}})
            self.assertEqual(s.diagnostics(uri)["diagnostics"], [])
            # A folder that is no dictionary: said, and the one in use stays.
            s.notify("workspace/didChangeConfiguration",
                     {"settings": {"zabrel": {"dictionary": os.path.join(s.tmp, "none")}}})
            shown = s.wait_for(lambda m: m.get("method") == "window/showMessage")
            self.assertEqual(shown["params"]["type"], 1)
            self.assertIn("none", shown["params"]["message"])
            self.assertEqual(s.diagnostics(uri)["diagnostics"], [])


class Markup(unittest.TestCase):
    def flagged(self, language, text):
        with server() as s:
            s.initialize()
            s.open("file:///m", text, language)
            lines = text.split("\n")
            found = []
            for d in s.diagnostics("file:///m")["diagnostics"]:
                start, end = d["range"]["start"], d["range"]["end"]
                self.assertEqual(start["line"], end["line"])
                found.append((start["line"], lines[start["line"]][start["character"]:end["character"]]))
            return found

    def test_markdown_checks_prose_only(self):
        text = "\n".join([
            "# سخت " + WRONG,                              # 0: prose
            "`" + WRONG + "` اور ``a ` " + WRONG + "``",    # 1: code spans
            "[" + WRONG + "](http://x/" + WRONG + ") <http://x/" + WRONG + "> <b title='" + WRONG + "'>",
            "[ref]: http://x/" + WRONG,                     # 3: a reference's target
            "```",
            WRONG,                                          # 5: fenced
            "~~~",                                          # 6: not the fence's letter
            WRONG,
            "```",
            "",
            "    " + WRONG,                                 # 10: indented code
            "",
            "Latin words and " + WRONG + " <!-- " + WRONG + " -->",
        ])
        self.assertEqual(self.flagged("markdown", text), [(0, WRONG), (2, WRONG), (12, WRONG)])
        # The same text as plain text: every one.
        self.assertEqual(len(self.flagged("plaintext", text)), 13)

    def test_latex_checks_prose_only(self):
        text = "\n".join([
            "\\section[" + WRONG + "]{" + WRONG + "} \\label{" + WRONG + "}",   # 0: the title only
            "متن $" + WRONG + "$ اور \\(" + WRONG + "\\) % " + WRONG,              # 1: math, comment
            "\\begin{equation}",
            WRONG,                                                                # 3: math over lines
            "\\end{equation} " + WRONG + " \\% " + WRONG,                         # 4: after it, prose
            "\\begin{verbatim}" + WRONG,
            "\\end{verbatim}\\textbf{" + WRONG + "}\\cite{" + WRONG + "}",        # 6: bold prose
            "$$",
            WRONG + "$$" + WRONG,                                                 # 8: after display math
        ])
        self.assertEqual(self.flagged("latex", text),
                         [(0, WRONG), (4, WRONG), (4, WRONG), (6, WRONG), (8, WRONG)])


class Protocol(unittest.TestCase):
    def error_of(self, answer):
        return answer["error"]["code"], answer["error"]["message"]

    def test_errors_answer_and_the_server_goes_on(self):
        with server() as s:
            # Before initialize.
            self.assertEqual(self.error_of(s.request("textDocument/codeAction", {})),
                             (-32002, "The server is not initialized"))
            s.initialize()
            # Headers without a length and an empty body: the framing finds the next
            # message, and an empty body is no JSON.
            s.raw(b"hello\r\n\r\nContent-Length: 0\r\n\r\n")
            self.assertEqual(s.wait_for(lambda m: "error" in m)["error"]["code"], -32700)
            # A body that is no JSON, framed right.
            s.raw(b"Content-Length: 9\r\n\r\n{\"id\": 1,")
            answer = s.wait_for(lambda m: "error" in m)
            self.assertEqual(answer["id"], None)
            self.assertEqual(answer["error"]["code"], -32700)
            # JSON that is no request.
            for body, code in ((b"[1, 2]", -32600), (b"{\"jsonrpc\":\"2.0\",\"id\":7}", -32600),
                               (b"{\"jsonrpc\":\"2.0\",\"id\":{},\"method\":\"shutdown\"}", -32600)):
                s.raw(b"Content-Length: %d\r\n\r\n%s" % (len(body), body))
                self.assertEqual(s.wait_for(lambda m: "error" in m)["error"]["code"], code)
            self.assertEqual(self.error_of(s.request("textDocument/hover", {})),
                             (-32601, "Unknown method: textDocument/hover"))
            self.assertEqual(self.error_of(s.request("initialize", {"capabilities": {}})),
                             (-32600, "The server is initialized already"))
            self.assertEqual(self.error_of(s.request("textDocument/codeAction", {
                "textDocument": {"uri": "file:///nowhere"},
                "range": {"start": {"line": 0, "character": 0}, "end": {"line": 0, "character": 0}}})),
                (-32602, "Unknown document: file:///nowhere"))
            self.assertEqual(self.error_of(s.request("workspace/executeCommand", {"command": "zabrel.nothing"})),
                             (-32602, "Unknown command: zabrel.nothing"))
            self.assertEqual(self.error_of(s.request("workspace/executeCommand",
                                                     {"command": "zabrel.ignoreInDocument",
                                                      "arguments": ["file:///nowhere", WRONG]})),
                             (-32602, "Unknown document: file:///nowhere"))
            # Unknown notifications and changes to unknown documents are no crash.
            s.notify("$/unknown", {"x": 1})
            s.change("file:///nowhere", 2, [{"text": WRONG}])
            self.assertEqual(s.wait_for(lambda m: m.get("method") == "window/showMessage")["params"]["type"], 2)
            # Still serving.
            s.open("file:///ok.txt", WRONG)
            self.assertEqual(len(s.diagnostics("file:///ok.txt")["diagnostics"]), 1)
            self.assertEqual(s.request("shutdown")["result"], None)
            self.assertEqual(self.error_of(s.request("textDocument/codeAction", {})),
                             (-32600, "The server is shutting down"))
            s.notify("exit")
            self.assertEqual(s.process.wait(timeout=lspclient.WAIT), 0)
            # The framing's own words on what it met (Qt's wording), and nothing else:
            # no crash, no sanitizer report.
            said = s.process.stderr.read().decode().splitlines()
            self.assertTrue(said)
            self.assertEqual([line for line in said if not line.startswith("zabrel-lsp: ")], [])

    def test_exit_without_shutdown_and_end_of_input(self):
        with server() as s:
            s.initialize()
            s.notify("exit")
            self.assertEqual(s.process.wait(timeout=lspclient.WAIT), 1)
        with server() as s:
            s.initialize()
            s.process.stdin.close()
            self.assertEqual(s.process.wait(timeout=lspclient.WAIT), 1)
        # Noise of every kind, then the end: an exit, not a crash.
        import random
        noise = random.Random(36)
        for length in (1, 100, 10000):
            with server() as s:
                s.initialize()
                s.raw(bytes(noise.randrange(256) for _ in range(length)) + b"Content-Length: 99999\r\n\r\n{")
                s.process.stdin.close()
                self.assertEqual(s.process.wait(timeout=lspclient.WAIT), 1)

    def test_a_dictionary_that_cannot_load_fails_initialize(self):
        with server(dictionary="/nonexistent/zabrel") as s:
            answer = s.request("initialize", {"capabilities": {}})
            self.assertEqual(answer["error"]["code"], -32603)
            self.assertIn("/nonexistent/zabrel", answer["error"]["message"])

    def test_command_line(self):
        version = subprocess.run([PROGRAM, "--version"], capture_output=True, check=True)
        self.assertRegex(version.stdout.decode(), r"^zabrel-lsp \(Zabrel\) \d+\.\d+\.\d+\n$")
        helped = subprocess.run([PROGRAM, "--help"], capture_output=True, check=True)
        self.assertIn(b"--stdio", helped.stdout)
        wrong = subprocess.run([PROGRAM, "--bogus"], capture_output=True)
        self.assertEqual(wrong.returncode, 2)
        self.assertIn(b"Try 'zabrel-lsp --help'", wrong.stderr)


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main()
