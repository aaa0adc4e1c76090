# SPDX-License-Identifier: MIT
"""A client that drives zabrel-lsp through pipes with the protocol's own framing
(python3-pylsp-jsonrpc's stream reader and writer), for the tests."""

import os
import queue
import shutil
import subprocess
import tempfile
import threading

from pylsp_jsonrpc.streams import JsonRpcStreamReader, JsonRpcStreamWriter

SOURCE = os.environ.get("ZABREL_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
# Long enough for a slow machine under the sanitizers; a hang still fails.
WAIT = 120


class Server:
    """One zabrel-lsp over a copy of the shipped dictionary in a temporary folder."""

    def __init__(self, program, extra_args=(), dictionary=None, home=None, wrapper=()):
        self.tmp = tempfile.mkdtemp(prefix="zabrel-lsp-test-")
        self.dictionary = dictionary or os.path.join(self.tmp, "urdu")
        if dictionary is None:
            shutil.copytree(os.path.join(SOURCE, "data", "urdu"), self.dictionary)
        self.home = home or os.path.join(self.tmp, "home")
        os.makedirs(self.home, exist_ok=True)
        self.personal = os.path.join(self.tmp, "personal.txt")
        env = dict(os.environ, HOME=self.home, XDG_DATA_HOME=os.path.join(self.home, "data"))
        self.process = subprocess.Popen(
            [*wrapper, program, "--stdio", "-d", self.dictionary, "--personal", self.personal, *extra_args],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)
        # Urdu as it is, not as \\u escapes: a document's bytes are the message's.
        self.writer = JsonRpcStreamWriter(self.process.stdin, ensure_ascii=False)
        self.messages = queue.Queue()
        self.next_id = 0
        self.pending = []
        reader = JsonRpcStreamReader(self.process.stdout)
        self.thread = threading.Thread(target=reader.listen, args=(self.messages.put,), daemon=True)
        self.thread.start()

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()
        for stream in (self.process.stdin, self.process.stdout, self.process.stderr):
            try:
                stream.close()
            except OSError:
                pass
        shutil.rmtree(self.tmp, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    # Sending.
    def notify(self, method, params=None):
        message = {"jsonrpc": "2.0", "method": method}
        if params is not None:
            message["params"] = params
        self.writer.write(message)

    def send_request(self, method, params=None):
        self.next_id += 1
        message = {"jsonrpc": "2.0", "id": self.next_id, "method": method}
        if params is not None:
            message["params"] = params
        self.writer.write(message)
        return self.next_id

    def raw(self, data):
        self.process.stdin.write(data)
        self.process.stdin.flush()

    # Receiving.
    def next_message(self):
        try:
            return self.messages.get(timeout=WAIT)
        except queue.Empty:
            raise AssertionError("zabrel-lsp said nothing more") from None

    def wait_for(self, accept):
        """The first message `accept` takes; the others stay for later waits, in order."""
        for at, message in enumerate(self.pending):
            if accept(message):
                return self.pending.pop(at)
        while True:
            message = self.next_message()
            if accept(message):
                return message
            self.pending.append(message)

    def response(self, request_id):
        return self.wait_for(lambda m: m.get("id") == request_id and "method" not in m)

    def request(self, method, params=None):
        return self.response(self.send_request(method, params))

    def diagnostics(self, uri, version=None):
        """The next diagnostics published for `uri` (for `version`, when given)."""
        return self.wait_for(lambda m: m.get("method") == "textDocument/publishDiagnostics"
                             and m["params"]["uri"] == uri
                             and (version is None or m["params"].get("version") == version))["params"]

    def initialize(self, encodings=None, options=None):
        capabilities = {}
        if encodings is not None:
            capabilities["general"] = {"positionEncodings": encodings}
        params = {"processId": os.getpid(), "rootUri": None, "capabilities": capabilities}
        if options is not None:
            params["initializationOptions"] = options
        answer = self.request("initialize", params)
        self.notify("initialized", {})
        return answer

    def open(self, uri, text, language="plaintext", version=1):
        self.notify("textDocument/didOpen", {"textDocument": {
            "uri": uri, "languageId": language, "version": version, "text": text}})

    def change(self, uri, version, changes):
        self.notify("textDocument/didChange", {
            "textDocument": {"uri": uri, "version": version}, "contentChanges": changes})

    def shutdown_and_exit(self):
        answer = self.request("shutdown")
        self.notify("exit")
        return answer, self.process.wait(timeout=WAIT)
