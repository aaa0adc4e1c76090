"""LibreOffice for the tests: soffice --headless on a temporary profile, reached
from this Python through its UNO bridge (Debian's python3-uno, which belongs to
/usr/bin/python3)."""

import os
import shutil
import subprocess
import sys
import time

SKIP = 77
CONNECT_SECONDS = 120


def missing(test, what):
    """Exit status for a missing LibreOffice part: skipped, except under CI."""
    if os.environ.get("CI"):
        print(f"{test}: {what} missing (scripts/install-deps installs it)", file=sys.stderr)
        return 1
    print(f"{test}: {what} missing; skipped (scripts/install-deps installs it)")
    return SKIP


def absent(test, unopkg=False):
    """None when soffice and the bridge are there (and unopkg, when asked for), else
    the exit status to end with."""
    if shutil.which("soffice") is None:
        return missing(test, "LibreOffice (soffice)")
    try:
        import uno  # noqa: F401
    except ImportError:
        return missing(test, f"the LibreOffice Python bridge (python3-uno for {sys.executable})")
    if unopkg and shutil.which("unopkg") is None:
        return missing(test, "unopkg")
    return None


def finish(test, failures, done):
    """The exit status of a test: its failures on standard error, else what it did."""
    for failure in failures:
        print(f"{test}: {failure}", file=sys.stderr)
    if failures:
        return 1
    print(f"{test}: {done}")
    return 0


def profile_url(profile):
    return f"file://{profile}"


def install_extension(oxt, profile, work):
    """unopkg add, into `profile`. unopkg refuses root, as CI is, so under root it runs
    as nobody, on copies in `work` that nobody can reach."""
    unopkg = shutil.which("unopkg")
    home = os.path.join(work, "unopkg-home")
    os.makedirs(home)
    os.makedirs(profile)
    user = {}
    if os.geteuid() == 0:
        os.chmod(work, 0o755)
        copy = os.path.join(work, os.path.basename(oxt))
        shutil.copyfile(oxt, copy)
        os.chmod(copy, 0o644)
        oxt = copy
        for folder in (home, profile):
            shutil.chown(folder, "nobody", "nogroup")
        user = {"user": "nobody", "group": "nogroup", "extra_groups": []}
    # Started in `work`, which the user nobody may enter: unopkg is a script that first cds to
    # the folder it was started in, so a build under a folder only root enters failed it.
    done = subprocess.run([unopkg, "add", f"-env:UserInstallation={profile_url(profile)}", oxt],
                          env=dict(os.environ, HOME=home), stdin=subprocess.DEVNULL, capture_output=True,
                          cwd=work, **user)
    if done.returncode != 0:
        raise RuntimeError(f"unopkg add {oxt} exited with {done.returncode}: "
                           f"{done.stderr.decode(errors='replace').strip()}")


class Office:
    """soffice --headless on `profile`, with `env`; `context` is its component context.
    What it writes to stderr goes to `log`."""

    def __init__(self, profile, env, log):
        import uno

        self.uno = uno
        self.log = log
        self.pipe = f"zabrel_office_{os.getpid()}"
        with open(log, "wb") as errors:
            self.process = subprocess.Popen(
                [shutil.which("soffice"), "--headless", "--invisible", "--norestore", "--nologo",
                 "--nodefault", f"-env:UserInstallation={profile_url(profile)}",
                 f"--accept=pipe,name={self.pipe};urp;"],
                env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=errors)
        try:
            self.context = self.connect()
        except BaseException:
            self.kill()
            raise

    def connect(self):
        local = self.uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", local)
        deadline = time.monotonic() + CONNECT_SECONDS
        while True:
            try:
                return resolver.resolve(f"uno:pipe,name={self.pipe};urp;StarOffice.ComponentContext")
            except Exception:
                if self.process.poll() is not None or time.monotonic() > deadline:
                    raise RuntimeError(f"soffice did not answer on pipe {self.pipe} "
                                       f"(exit status {self.process.poll()})")
                time.sleep(0.5)

    def create(self, service):
        return self.context.ServiceManager.createInstanceWithContext(service, self.context)

    def stop(self):
        """Ends the office; returns what it wrote to stderr."""
        try:
            self.create("com.sun.star.frame.Desktop").terminate()
        except Exception:
            pass  # the bridge goes down with the office
        try:
            self.process.wait(timeout=60)
        finally:
            self.kill()
        with open(self.log, encoding="utf-8", errors="replace") as errors:
            return errors.read()

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.kill()
