# SPDX-License-Identifier: MIT
"""A large document through zabrel-lsp: it is checked whole, its diagnostics stay
bounded, and so does the server's memory, measured as /usr/bin/time -v reports it.

Usage: test_lsp_large.py PROGRAM MEGABYTES"""

import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
import lspclient  # noqa: E402

PROGRAM = None
MEGABYTES = 50
# Far less than the many copies a careless server makes of a document (the message,
# its JSON, the text, a copy per check), and more than the few it needs.
MEMORY_PER_DOCUMENT_BYTE = 8


class LargeDocument(unittest.TestCase):
    def test_fifty_megabytes_are_checked_to_the_end_within_bounded_memory(self):
        line = "یہ ایک اچھی کتاب ہے اور اس کا شہر بہت بڑا ہے۔\n"
        size = MEGABYTES * 1000 * 1000
        count = size // len(line.encode())
        # A misspelt word near the start, and one on the very last line: the check ends
        # there, and the cap on findings is never reached.
        text = "سخت بزار\n" + line * count + "آخری بزار"
        with lspclient.Server(PROGRAM, wrapper=["/usr/bin/time", "-v"]) as s:
            s.initialize(["utf-8"])
            s.open("file:///large.txt", text)
            found = s.diagnostics("file:///large.txt")["diagnostics"]
            self.assertEqual([(d["range"]["start"]["line"], d["range"]["start"]["character"]) for d in found],
                             [(0, len("سخت ".encode())), (count + 1, len("آخری ".encode()))])
            # An edit near the end is checked again, over the whole text.
            s.change("file:///large.txt", 2, [{"range": {"start": {"line": count + 1, "character": 0},
                                                         "end": {"line": count + 1, "character": 0}},
                                               "text": "بزار "}])
            self.assertEqual(len(s.diagnostics("file:///large.txt", 2)["diagnostics"]), 3)
            _, code = s.shutdown_and_exit()
            self.assertEqual(code, 0)
            report = s.process.stderr.read().decode()
        peak_kb = int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", report).group(1))
        document = len(text.encode())
        print(f"\npeak RSS {peak_kb / 1024:.0f} MiB for a document of {document / 1e6:.1f} MB "
              f"({peak_kb * 1024 / document:.1f} bytes for each of its bytes)", file=sys.stderr)
        self.assertLess(peak_kb * 1024, MEMORY_PER_DOCUMENT_BYTE * document + 200 * 1024 * 1024)


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    MEGABYTES = int(sys.argv.pop(1))
    unittest.main()
