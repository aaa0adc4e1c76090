"""The checking page in Debian's headless Chromium, driven through chromedriver, against
the real zabrel-server on a free port with a small dictionary written here: text typed
is underlined where it is misspelt, a click on the word and one on a suggestion change
the text (and the browser can undo that), the keyboard alone does the same, Ignore and
Add do what they say, the text outlives a reload, offsets hold past characters outside
the BMP, a text longer than the server takes at once is checked whole, and the page
asks nothing of any other origin.

usage: test_page.py ZABREL_SERVER SOURCE_DIR
Skipped (exit 77) when Chromium, its driver or Selenium is missing, except under CI."""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

SKIP = 77
TEST = "web_page"
CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
WAIT = 60  # seconds: generous, for a loaded machine and the sanitizer build
MAX_TEXT_LENGTH = 3000  # below what the page puts in one request

WORDS = [("سخت", 500), ("بازار", 400), ("پچھلے", 300), ("دوستوں", 200), ("کتاب", 150), ("شہر", 120), ("ہزار", 100)]
ALPHABET = "اآبپتٹثجچحخدڈذرڑزژسشصضطظعغفقکگلمنںوہھءیےئ"


def missing(what):
    if os.environ.get("CI"):
        print(f"{TEST}: {what} missing (scripts/install-deps installs it)", file=sys.stderr)
        return 1
    print(f"{TEST}: {what} missing; skipped (scripts/install-deps installs it)")
    return SKIP


def write_dictionary(folder):
    """A small dictionary in the engine's formats: UTF-16LE lists with a byte-order
    mark and CR LF, the last word listed twice as the word list's count expects."""
    os.makedirs(folder)

    def unicode_file(name, text):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(b"\xff\xfe" + text.encode("utf-16-le"))

    def ascii_file(name, text):
        with open(os.path.join(folder, name), "w", newline="") as f:
            f.write(text)

    unicode_file("alphabet.txt", "".join(letter + "\r\n" for letter in ALPHABET))
    listed = WORDS + [WORDS[-1]]
    unicode_file("wordlist.txt", f"{len(WORDS) + 1}\r\n" + "".join(f"{w}\t{n}\r\n" for w, n in listed))
    ascii_file("soundex.txt", "0633=3\r\n0635=3\r\n062B=3\r\n0628=1\r\n067E=1\r\n")
    ascii_file("shapex.txt", "0628=1\r\n067E=1\r\n062A=1\r\n0633=2\r\n0634=2\r\n")
    ascii_file(
        "config.ini",
        "initialize = YES\r\n"
        "wordListFilePath = wordlist.txt\r\n"
        "hashTableFilePath = hashtable.dat\r\n"
        "bigramMatrixFilePath = bigram-index.dat\r\n"
        "bigramPLFilePath = bigram-lists.dat\r\n"
        "unigramListsFilePath = unigram-index.dat\r\n"
        "unigramPLFilePath = unigram-lists.dat\r\n"
        "urduAlphabetFilePath = alphabet.txt\r\n"
        "soundexFilePath = soundex.txt\r\n"
        "shapexFilePath = shapex.txt\r\n",
    )


class Server:
    """zabrel-server on port 0; its one line on standard output gives the real port."""

    def __init__(self, program, dictionary, web_root, home, extra=()):
        env = dict(os.environ, HOME=home)
        env.pop("XDG_DATA_HOME", None)
        self.process = subprocess.Popen(
            [program, "--listen", "127.0.0.1:0", "-d", dictionary, "--web-root", web_root, *extra],
            stdout=subprocess.PIPE, env=env)
        line = []
        reader = threading.Thread(target=lambda: line.append(self.process.stdout.readline()), daemon=True)
        reader.start()
        reader.join(WAIT)
        prefix = "zabrel-server: listening on "
        first = line[0].decode() if line else ""
        if not first.startswith(prefix):
            self.stop()
            raise RuntimeError(f"the server did not say where it listens: {first!r}")
        self.url = first[len(prefix):].strip()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(WAIT)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        return self.process.returncode


def browser(work):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service

    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--no-first-run", "--no-default-browser-check", "--window-size=1000,900",
                 f"--user-data-dir={os.path.join(work, 'chromium')}"):
        options.add_argument(flag)
    # Every request the page makes, from the browser's own network log.
    options.set_capability("goog:loggingPrefs", {"performance": "ALL", "browser": "ALL"})
    return webdriver.Chrome(service=Service(CHROMEDRIVER, log_path=os.path.join(work, "chromedriver.log")),
                            options=options)


class Page:
    def __init__(self, driver, url):
        from selenium.webdriver.support.ui import WebDriverWait

        self.driver = driver
        from selenium.common.exceptions import StaleElementReferenceException

        # A condition that met an element just redrawn is asked again.
        self.wait = WebDriverWait(driver, WAIT, ignored_exceptions=(StaleElementReferenceException,))
        driver.get(url)
        self.area = self.wait.until(lambda d: d.find_element("id", "text"))

    def value(self):
        return self.area.get_property("value")

    def marks(self):
        # In one script: the page redraws its marks as answers come, and an element found
        # in one round trip may be gone by the next.
        return self.driver.execute_script(
            "return Array.from(document.querySelectorAll('#marks mark'), m => m.textContent)")

    def until(self, what, condition):
        from selenium.common.exceptions import TimeoutException

        try:
            return self.wait.until(lambda d: condition())
        except TimeoutException:
            raise AssertionError(f"{what}: the page shows {self.marks()} over {self.value()!r}, "
                                 f"status {self.driver.find_element('id', 'status').text!r}") from None

    def set_text(self, text):
        """As a paste would: the whole value at once, and the input event."""
        self.driver.execute_script(
            "const a = arguments[0]; a.focus(); a.select(); document.execCommand('insertText', false, arguments[1]);",
            self.area, text)

    def menu_choices(self):
        menu = self.driver.find_element("id", "menu")
        self.until("the suggestions open", menu.is_displayed)
        return [b.text for b in menu.find_elements("css selector", "#choices button")]

    def choice(self, text):
        for button in self.driver.find_elements("css selector", "#choices button"):
            if button.text == text:
                return button
        raise AssertionError(f"no suggestion {text!r} among {self.menu_choices()}")


def typed_and_corrected(page, failures):
    """Typing, the underline, a click on the word and one on its suggestion; undo."""
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.keys import Keys

    page.area.click()
    page.area.send_keys("سخت کتابب بازار")
    page.until("the misspelt word underlined alone", lambda: page.marks() == ["کتابب"])
    mark = page.driver.find_element("css selector", "#marks mark")
    # The click lands on the text area above the underline: where the writer clicks.
    ActionChains(page.driver).move_to_element(mark).click().perform()
    if "کتاب" not in page.menu_choices():
        failures.append(f"the suggestions of کتابب are {page.menu_choices()}")
        return
    if page.driver.find_element("id", "add").is_displayed():
        failures.append("Add is offered by a server that keeps no list")
    page.choice("کتاب").click()
    page.until("the suggestion in the text", lambda: page.value() == "سخت کتاب بازار")
    page.until("no underline once corrected", lambda: page.marks() == [])
    # The change is an edit the browser keeps: one undo gives the word back.
    page.area.send_keys(Keys.CONTROL, "z")
    page.until("the change undone", lambda: page.value() == "سخت کتابب بازار")
    page.until("the word underlined again", lambda: page.marks() == ["کتابب"])
    # What was typed outlives a reload.
    page.driver.refresh()
    page.area = page.wait.until(lambda d: d.find_element("id", "text"))
    page.until("the text back after a reload", lambda: page.value() == "سخت کتابب بازار")
    page.until("its underline back", lambda: page.marks() == ["کتابب"])


def keyboard_and_ignore(page, failures):
    """Characters outside the BMP before the words and a second paragraph; F8 and Enter
    alone correct one; Ignore hides a word everywhere."""
    from selenium.webdriver.common.keys import Keys

    page.set_text("😀 شہرر سخت\nکتابب 😀𝐀 بازار کتابب")
    page.until("both paragraphs underlined where misspelt, past the emoji",
               lambda: page.marks() == ["شہرر", "کتابب", "کتابب"])
    page.driver.execute_script("arguments[0].setSelectionRange(0, 0)", page.area)
    page.area.send_keys(Keys.F8)
    page.until("F8 takes the focus to the first suggestion",
               lambda: page.driver.switch_to.active_element.text == "شہر")
    page.driver.switch_to.active_element.send_keys(Keys.ENTER)
    page.until("Enter puts the suggestion in", lambda: page.value() == "😀 شہر سخت\nکتابب 😀𝐀 بازار کتابب")
    page.until("the rest still underlined", lambda: page.marks() == ["کتابب", "کتابب"])
    page.area.send_keys(Keys.F8)
    page.menu_choices()
    page.driver.find_element("id", "ignore").click()
    page.until("an ignored word unmarked everywhere", lambda: page.marks() == [])
    if page.value() != "😀 شہر سخت\nکتابب 😀𝐀 بازار کتابب":
        failures.append(f"Ignore changed the text: {page.value()!r}")
    # Typed again, an ignored word stays unmarked; another misspelt word does not.
    page.area.send_keys(Keys.CONTROL, Keys.END)
    page.area.send_keys(" کتابب شہرر")
    page.until("only the word not ignored underlined", lambda: page.marks() == ["شہرر"])


def long_text(page, failures):
    """More text than the server takes at once, pasted: every paragraph is still
    checked (the page asks in parts the server accepts) and marked in its place; a
    paragraph longer than the server takes is named, and the rest still checked."""
    paragraphs = ["بازارر " + "سخت " * i + "شہرر" for i in range(40)]
    page.set_text("\n".join(paragraphs))
    page.until("every paragraph's two words underlined", lambda: page.marks() == ["بازارر", "شہرر"] * 40)
    page.set_text("\n".join(paragraphs[:2] + ["بازار " * 700 + "ہزارر"]))
    status = page.driver.find_element("id", "status")
    page.until("the server's limit shown", lambda: str(MAX_TEXT_LENGTH) in status.text)
    page.until("the paragraphs within it still underlined", lambda: page.marks() == ["بازارر", "شہرر"] * 2)


def added(page, personal, failures):
    """A server that keeps a list offers Add, and the word goes into the list."""
    from selenium.webdriver.common.keys import Keys

    page.set_text("سخت زبرل بازار")
    page.until("the unknown word underlined", lambda: page.marks() == ["زبرل"])
    page.area.send_keys(Keys.CONTROL, Keys.HOME)
    page.area.send_keys(Keys.F8)
    page.menu_choices()
    add = page.driver.find_element("id", "add")
    if not add.is_displayed():
        failures.append("no Add though the server keeps a list")
        return
    add.click()
    page.until("an added word unmarked", lambda: page.marks() == [])
    page.until("the word in the personal list",
               lambda: os.path.exists(personal) and "زبرل" in open(personal, encoding="utf-8").read().split())


def requests_seen(driver):
    """The URLs the pages asked for, not those of the browser's own new-tab page."""
    urls = []
    for entry in driver.get_log("performance"):
        message = json.loads(entry["message"])["message"]
        if message["method"] == "Network.requestWillBeSent":
            params = message["params"]
            if not params.get("documentURL", "").startswith(("chrome:", "about:")):
                urls.append(params["request"]["url"])
    return urls


def same_origin_only(driver, base, failures):
    urls = requests_seen(driver)
    if not any(u == base + "v2/check" for u in urls):
        failures.append(f"no check request in the browser's log: {urls}")
    if not any(u == base + "fonts/NotoNastaliqUrdu-Regular.ttf" for u in urls):
        failures.append(f"the Urdu font was not loaded from the server: {urls}")
    for url in urls:
        if not url.startswith(base):
            failures.append(f"the page asked another origin: {url}")
    # A script error or a request the page's own policy refused; refusals the page
    # expects (Add where it is not allowed) are the network's, not these.
    for entry in driver.get_log("browser"):
        if entry["level"] == "SEVERE" and (entry.get("source") != "network" or "Content Security" in entry["message"]):
            failures.append(f"the browser's console: {entry['message']}")


def main(program, source):
    if not (os.access(CHROMIUM, os.X_OK) and os.access(CHROMEDRIVER, os.X_OK)):
        return missing("Chromium or chromedriver (chromium, chromium-driver)")
    try:
        import selenium  # noqa: F401
    except ImportError:
        return missing("Selenium (python3-selenium)")
    web_root = os.path.join(source, "src", "server", "web")
    failures = []
    with tempfile.TemporaryDirectory(prefix="zabrel-web-") as work:
        home = os.path.join(work, "home")
        os.makedirs(home)
        dictionary = os.path.join(work, "dictionary")
        write_dictionary(dictionary)
        personal = os.path.join(work, "personal.txt")
        servers = []
        driver = None
        try:
            plain = Server(program, dictionary, web_root, home, ("--max-text-length", str(MAX_TEXT_LENGTH)))
            servers.append(plain)
            driver = browser(work)
            page = Page(driver, plain.url)
            for case in (typed_and_corrected, keyboard_and_ignore, long_text):
                try:
                    case(page, failures)
                except AssertionError as e:
                    failures.append(f"{case.__name__}: {e}")
            same_origin_only(driver, plain.url, failures)
            keeper = Server(program, dictionary, web_root, home, ("--personal", personal, "--allow-add"))
            servers.append(keeper)
            try:
                added(Page(driver, keeper.url), personal, failures)
            except AssertionError as e:
                failures.append(f"added: {e}")
        finally:
            if driver is not None:
                driver.quit()
            for server in servers:
                if server.stop() != 0:
                    failures.append(f"the server at {server.url} ended with {server.process.returncode} on SIGTERM")
    for failure in failures:
        print(f"{TEST}: {failure}", file=sys.stderr)
    if failures:
        return 1
    print(f"{TEST}: typed, underlined, corrected by mouse and keyboard, undone, ignored, added; one origin")
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])))
