"""The server's systemd units, as shipped in debian/: systemd-analyze verifies both
(with the program they start being the one built here), the system unit keeps its
hardening (its exposure stays low), and the command line each starts the server with
is one the real server runs: the user unit's, on a home where Zabrel never ran, serves
the page's Add into the personal list it names, and ends cleanly on SIGTERM.

usage: test_units.py ZABREL_SERVER SOURCE_DIR
Skipped (exit 77) when systemd-analyze is missing, except under CI."""

import os
import shlex
import shutil
import subprocess
import sys
import tempfile
import urllib.error
import urllib.parse
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from test_page import Server, write_dictionary  # noqa: E402

TEST = "server_units"
# systemd-analyze security's scale is 0-100 here: 20 is an exposure of 2.0, "OK".
EXPOSURE_AT_MOST = 20


def exec_start(unit):
    with open(unit, encoding="utf-8") as f:
        for line in f:
            if line.startswith("ExecStart="):
                return shlex.split(line[len("ExecStart="):])
    raise AssertionError(f"{unit} has no ExecStart")


def analyze(args, env, failures, what):
    result = subprocess.run(["systemd-analyze", *args], capture_output=True, text=True, env=env)
    if result.returncode != 0:
        failures.append(f"{what}: {result.stdout}{result.stderr}".strip())
    return result


def post(url, fields, origin=None):
    request = urllib.request.Request(url, data=urllib.parse.urlencode(fields).encode(), method="POST")
    if origin:
        request.add_header("Origin", origin)
    try:
        with urllib.request.urlopen(request, timeout=60) as response:
            return response.status, response.read().decode()
    except urllib.error.HTTPError as e:
        return e.code, e.read().decode()


def verified(program, source, work, failures):
    runtime = os.path.join(work, "runtime")
    os.makedirs(runtime, mode=0o700)
    env = dict(os.environ, XDG_RUNTIME_DIR=runtime)
    for name, user in (("zabrel-server.service", False), ("zabrel-server.user.service", True)):
        with open(os.path.join(source, "debian", name), encoding="utf-8") as f:
            text = f.read().replace("/usr/bin/zabrel-server", program)
        copy = os.path.join(work, name.replace(".user", "-user"))
        with open(copy, "w", encoding="utf-8") as f:
            f.write(text)
        scope = ["--user"] if user else []
        analyze([*scope, "--man=no", "verify", copy], env, failures, f"systemd-analyze verify {name}")
        if not user:
            analyze(["security", "--offline=yes", f"--threshold={EXPOSURE_AT_MOST}", copy], env, failures,
                    f"{name} is exposed more than {EXPOSURE_AT_MOST / 10}")


def user_unit_serves(program, source, work, failures):
    home = os.path.join(work, "writer")
    os.makedirs(home)
    dictionary = os.path.join(work, "dictionary")
    write_dictionary(dictionary)
    args = [a.replace("%h", home) for a in exec_start(os.path.join(source, "debian", "zabrel-server.user.service"))]
    if args[0] != "/usr/bin/zabrel-server" or args[1:3] != ["--listen", "127.0.0.1:8081"]:
        failures.append(f"the user unit does not start /usr/bin/zabrel-server on 127.0.0.1:8081: {args}")
        return
    # Port 0 for the test; everything else as the unit has it.
    server = Server(program, dictionary, os.path.join(source, "src", "server", "web"), home, args[3:])
    try:
        personal = os.path.join(home, ".local", "share", "zabrel", "personal.txt")
        # Another site in the writer's browser may not add words.
        status, body = post(server.url + "v2/words/add", {"word": "زبرل"}, origin="http://example.invalid")
        if status != 403 or os.path.exists(personal):
            failures.append(f"a cross-origin Add: {status} {body}")
        status, body = post(server.url + "v2/words/add", {"word": "زبرل"})
        if status != 200:
            failures.append(f"the page's Add through the user unit's server: {status} {body}")
        elif not os.path.exists(personal) or "زبرل" not in open(personal, encoding="utf-8").read().split():
            failures.append("the added word is not in the user unit's personal list")
        status, body = post(server.url + "v2/check", {"text": "سخت زبرل", "language": "ur-PK"})
        if status != 200 or '"matches":[]' not in body.replace(" ", ""):
            failures.append(f"an added word is still flagged: {status} {body}")
    finally:
        if server.stop() != 0:
            failures.append(f"the user unit's server ended with {server.process.returncode} on SIGTERM")


def main(program, source):
    if shutil.which("systemd-analyze") is None:
        if os.environ.get("CI"):
            print(f"{TEST}: systemd-analyze missing (systemd)", file=sys.stderr)
            return 1
        print(f"{TEST}: systemd-analyze missing; skipped")
        return 77
    failures = []
    with tempfile.TemporaryDirectory(prefix="zabrel-units-") as work:
        verified(program, source, work, failures)
        user_unit_serves(program, source, work, failures)
    for failure in failures:
        print(f"{TEST}: {failure}", file=sys.stderr)
    if failures:
        return 1
    print(f"{TEST}: both units verified; the user unit's server adds to its list")
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])))
