// Zabrel's checking page. The text is checked as it changes, paragraph by paragraph:
// answers are kept by the paragraph's own text, so typing in one paragraph of a long
// text sends only that paragraph, and an answer that comes late is still right for
// every paragraph that reads the same. Offsets from the server are in UTF-16 units,
// which are JavaScript's string indices. Every request goes to the server that served
// this page, by a relative URL, so the page works under any path a proxy gives it.
"use strict";

(() => {
    const QUIET_MS = 400;  // typing pauses this long before a check
    const BATCH = 6000;    // UTF-16 units per request at most; a longer paragraph goes alone
    const KEPT = 4000;     // answers kept before those of vanished paragraphs are dropped
    const TEXT_KEY = "zabrel.text";
    const SLIPS_KEY = "zabrel.slips";
    const SLIP_RULE = "ZABREL_UR_REAL_WORD";

    const $ = (id) => document.getElementById(id);
    const area = $("text");
    const marks = $("marks");
    const menu = $("menu");
    const message = $("message");
    const choices = $("choices");
    const ignoreButton = $("ignore");
    const addButton = $("add");
    const status = $("status");
    const slipsBox = $("slips");
    const nextButton = $("next");

    const answers = new Map();  // options + paragraph -> its matches, offsets in the paragraph
    const pending = new Set();  // keys of paragraphs asked for and not yet answered
    const ignored = new Set();  // words ignored for the page's life
    let shown = [];             // the matches of the text as it reads now, by offset
    let before = "";            // the text the shown matches belong to
    let timer = 0;
    let inFlight = 0;
    let failure = "";
    let canAdd = false;
    let opened = null;  // the match whose suggestions are shown

    const urduNumber = (n) => n.toLocaleString("ur-PK-u-nu-arabext");
    const options = () => (slipsBox.checked ? "slips" : "plain");
    const keyOf = (paragraph, opts) => opts + "\u0000" + paragraph;

    function paragraphs(text) {
        const list = [];
        for (let start = 0;;) {
            const end = text.indexOf("\n", start);
            const stop = end < 0 ? text.length : end;
            list.push({start, text: text.slice(start, stop)});
            if (end < 0) return list;
            start = end + 1;
        }
    }

    // The matches still standing after an edit from `old` to `now`: those before the
    // edited stretch stay, those after it move by the change in length, and those
    // touching it go until the next answer (their word may have changed).
    function shift(matches, old, now) {
        const shorter = Math.min(old.length, now.length);
        let head = 0;
        while (head < shorter && old[head] === now[head]) head++;
        let tail = 0;
        while (tail < shorter - head && old[old.length - 1 - tail] === now[now.length - 1 - tail]) tail++;
        const delta = now.length - old.length;
        const kept = [];
        for (const m of matches) {
            if (m.offset + m.length < head) kept.push(m);
            else if (m.offset > old.length - tail) kept.push({...m, offset: m.offset + delta});
        }
        return kept;
    }

    // What to show for `text`: the answer of every paragraph answered, else what was
    // shown there before; never an ignored word.
    function compose(text, previous) {
        const opts = options();
        const result = [];
        for (const p of paragraphs(text)) {
            const known = answers.get(keyOf(p.text, opts));
            if (known) {
                for (const m of known) result.push({...m, offset: m.offset + p.start});
            } else {
                const end = p.start + p.text.length;
                for (const m of previous)
                    if (m.offset >= p.start && m.offset + m.length <= end) result.push(m);
            }
        }
        return result.filter(
            (m) => !ignored.has(m.word) && text.slice(m.offset, m.offset + m.length) === m.word);
    }

    function render() {
        const text = area.value;
        const parts = [];
        let at = 0;
        shown.forEach((m, index) => {
            if (m.offset < at) return;
            parts.push(text.slice(at, m.offset));
            const mark = document.createElement("mark");
            mark.textContent = m.word;
            mark.dataset.index = index;
            mark.title = m.shortMessage || m.message;
            if (m.slip) mark.classList.add("slip");
            if (opened && m.offset === opened.offset && m.word === opened.word) mark.classList.add("open");
            parts.push(mark);
            at = m.offset + m.length;
        });
        parts.push(text.slice(at));
        marks.replaceChildren(...parts);
        showStatus();
    }

    function showStatus() {
        status.classList.toggle("failed", failure !== "");
        if (failure) status.textContent = failure;
        else if (inFlight > 0) status.textContent = "جانچ ہو رہی ہے…";
        else if (!area.value.trim()) status.textContent = "";
        else if (shown.length === 0) status.textContent = "کوئی غلطی نہیں ملی";
        else if (shown.length === 1) status.textContent = "ایک غلطی";
        else status.textContent = `${urduNumber(shown.length)} غلطیاں`;
    }

    // The area grows with its text, so that it and the underlines never scroll apart.
    function grow() {
        area.style.height = "auto";
        area.style.height = `${area.scrollHeight + area.offsetHeight - area.clientHeight}px`;
    }

    function save() {
        try {
            localStorage.setItem(TEXT_KEY, area.value);
        } catch (e) {
            // Storage full or refused: the text is still in the page.
        }
    }

    function refresh() {
        shown = compose(area.value, shown);
        before = area.value;
        render();
        if (opened && !shown.some((m) => m.offset === opened.offset && m.word === opened.word)) closeMenu();
    }

    function schedule() {
        clearTimeout(timer);
        timer = setTimeout(check, QUIET_MS);
    }

    async function check() {
        const opts = options();
        const todo = [];
        const live = new Set();
        for (const p of paragraphs(area.value)) {
            const key = keyOf(p.text, opts);
            live.add(key);
            if (!p.text.trim()) answers.set(key, []);
            else if (!answers.has(key) && !pending.has(key) && !todo.includes(p.text)) todo.push(p.text);
        }
        if (answers.size > KEPT)
            for (const key of answers.keys())
                if (!live.has(key)) answers.delete(key);
        let batch = [];
        let size = 0;
        const batches = [];
        for (const text of todo) {
            if (batch.length && size + text.length > BATCH) {
                batches.push(batch);
                batch = [];
                size = 0;
            }
            batch.push(text);
            size += text.length + 1;
        }
        if (batch.length) batches.push(batch);
        for (const texts of batches) {
            // A paragraph gone since (typed over) is not asked about any more.
            const now = new Set(paragraphs(area.value).map((p) => p.text));
            const wanted = texts.filter((t) => now.has(t));
            if (opts !== options()) return;
            if (wanted.length) await askWithin(wanted, opts);
        }
    }

    // A server may take less text than a batch: halves are asked in turn until each
    // fits, and a paragraph longer than the server takes says so.
    async function askWithin(texts, opts) {
        if ((await ask(texts, opts)) !== 413 || texts.length < 2) return;
        const half = Math.ceil(texts.length / 2);
        await askWithin(texts.slice(0, half), opts);
        await askWithin(texts.slice(half), opts);
    }

    function errorText(status, body) {
        try {
            const parsed = JSON.parse(body);
            if (parsed && typeof parsed.error === "string") return parsed.error;
            if (parsed && typeof parsed.message === "string") return parsed.message;
        } catch (e) {
            // not JSON: the body itself, if short
        }
        return body && body.length < 300 ? body : `سرور کا جواب: ${status}`;
    }

    async function ask(texts, opts) {
        const joined = texts.join("\n");
        const form = new URLSearchParams({text: joined, language: "ur-PK"});
        if (opts === "slips") form.set("enabledRules", SLIP_RULE);
        const keys = texts.map((t) => keyOf(t, opts));
        keys.forEach((k) => pending.add(k));
        inFlight++;
        showStatus();
        let status = 0;
        try {
            const response = await fetch("v2/check", {method: "POST", body: form, cache: "no-store"});
            const body = await response.text();
            status = response.status;
            if (status === 413 && texts.length > 1) return status;
            if (!response.ok) throw new Error(errorText(status, body));
            const starts = [];
            let at = 0;
            for (const t of texts) {
                starts.push(at);
                at += t.length + 1;
            }
            const found = texts.map(() => []);
            for (const m of JSON.parse(body).matches || []) {
                let i = starts.length - 1;
                while (i > 0 && starts[i] > m.offset) i--;
                const offset = m.offset - starts[i];
                if (offset + m.length > texts[i].length) continue;
                found[i].push({
                    offset,
                    length: m.length,
                    word: texts[i].slice(offset, offset + m.length),
                    message: m.message || "",
                    shortMessage: m.shortMessage || "",
                    replacements: (m.replacements || []).map((r) => r.value),
                    slip: m.rule && m.rule.id === SLIP_RULE,
                });
            }
            texts.forEach((t, i) => answers.set(keys[i], found[i]));
            failure = "";
        } catch (e) {
            failure = e instanceof TypeError ? "سرور سے رابطہ نہیں ہو سکا" : e.message;
        } finally {
            keys.forEach((k) => pending.delete(k));
            inFlight--;
        }
        refresh();
        return status;
    }

    function markOf(m) {
        return marks.querySelector(`mark[data-index="${shown.indexOf(m)}"]`);
    }

    function place(mark) {
        const box = mark.getBoundingClientRect();
        const width = menu.offsetWidth;
        const right = box.right + window.scrollX;
        menu.style.top = `${box.bottom + window.scrollY + 4}px`;
        menu.style.left = `${Math.max(window.scrollX + 8, right - width)}px`;
    }

    function openMenu(m, focusFirst) {
        opened = m;
        message.textContent = m.message;
        const buttons = m.replacements.map((value) => {
            const button = document.createElement("button");
            button.type = "button";
            button.textContent = value;
            button.lang = "ur";
            button.addEventListener("click", () => replace(m, value));
            return button;
        });
        if (buttons.length) {
            choices.replaceChildren(...buttons);
        } else {
            const none = document.createElement("p");
            none.className = "none";
            none.textContent = "کوئی تجویز نہیں";
            choices.replaceChildren(none);
        }
        addButton.hidden = !canAdd || m.slip;
        menu.hidden = false;
        render();
        const mark = markOf(m);
        if (mark) {
            place(mark);
            mark.scrollIntoView({block: "nearest"});
        }
        if (focusFirst) menu.querySelector("button:not([hidden])").focus();
    }

    function closeMenu() {
        if (!opened) return;
        opened = null;
        menu.hidden = true;
        render();
    }

    function matchAt(position) {
        return shown.find((m) => m.offset <= position && position <= m.offset + m.length);
    }

    function replace(m, value) {
        closeMenu();
        if (area.value.slice(m.offset, m.offset + m.length) !== m.word) return;
        area.focus();
        area.setSelectionRange(m.offset, m.offset + m.length);
        // An insertText edit is one the browser can undo; setRangeText is not.
        if (!document.execCommand("insertText", false, value)) {
            area.setRangeText(value, m.offset, m.offset + m.length, "end");
            area.dispatchEvent(new Event("input"));
        }
    }

    function ignore(m) {
        ignored.add(m.word);
        closeMenu();
        refresh();
        area.focus();
    }

    async function add(m) {
        closeMenu();
        area.focus();
        try {
            const response = await fetch("v2/words/add", {
                method: "POST",
                body: new URLSearchParams({word: m.word}),
                cache: "no-store",
            });
            if (!response.ok) throw new Error(errorText(response.status, await response.text()));
            // The list changed what every paragraph's answer may be.
            ignored.add(m.word);
            answers.clear();
            failure = "";
            refresh();
            check();
        } catch (e) {
            failure = e instanceof TypeError ? "سرور سے رابطہ نہیں ہو سکا" : e.message;
            showStatus();
        }
    }

    function next() {
        if (!shown.length) return;
        const from = area.selectionEnd;
        const m = shown.find((x) => x.offset >= from) || shown[0];
        area.focus();
        area.setSelectionRange(m.offset, m.offset + m.length);
        openMenu(m, true);
    }

    // Whether the server writes added words to a list: it refuses with 403 when not.
    async function probeAdd() {
        try {
            const response = await fetch("v2/words/add", {method: "POST", body: new URLSearchParams(), cache: "no-store"});
            canAdd = response.status !== 403 && response.status !== 404 && response.status !== 405;
        } catch (e) {
            canAdd = false;
        }
    }

    area.addEventListener("input", () => {
        shown = compose(area.value, shift(shown, before, area.value));
        before = area.value;
        save();
        grow();
        closeMenu();
        render();
        schedule();
    });

    area.addEventListener("click", () => {
        const m = area.selectionStart === area.selectionEnd ? matchAt(area.selectionStart) : null;
        if (m) openMenu(m, false);
        else closeMenu();
    });

    area.addEventListener("keydown", (event) => {
        if (event.key === "F8") {
            event.preventDefault();
            next();
        } else if (event.key === "ContextMenu" || (event.key === "F10" && event.shiftKey)) {
            const m = matchAt(area.selectionStart);
            if (m) {
                event.preventDefault();
                openMenu(m, true);
            }
        } else if (event.key === "Escape") {
            closeMenu();
        }
    });

    menu.addEventListener("keydown", (event) => {
        const buttons = [...menu.querySelectorAll("button:not([hidden])")];
        const at = buttons.indexOf(document.activeElement);
        if (event.key === "Escape") {
            event.preventDefault();
            const m = opened;
            closeMenu();
            area.focus();
            if (m) area.setSelectionRange(m.offset + m.length, m.offset + m.length);
        } else if (event.key === "ArrowDown" || event.key === "ArrowUp") {
            event.preventDefault();
            const step = event.key === "ArrowDown" ? 1 : -1;
            buttons[(at + step + buttons.length) % buttons.length].focus();
        }
    });

    ignoreButton.addEventListener("click", () => opened && ignore(opened));
    addButton.addEventListener("click", () => opened && add(opened));
    nextButton.addEventListener("click", next);

    document.addEventListener("mousedown", (event) => {
        if (opened && !menu.contains(event.target) && event.target !== area) closeMenu();
    });

    slipsBox.addEventListener("change", () => {
        try {
            localStorage.setItem(SLIPS_KEY, slipsBox.checked ? "1" : "");
        } catch (e) {
            // kept for this page only
        }
        refresh();
        check();
    });

    window.addEventListener("resize", () => {
        grow();
        if (opened) {
            const mark = markOf(opened);
            if (mark) place(mark);
        }
    });

    try {
        slipsBox.checked = localStorage.getItem(SLIPS_KEY) === "1";
        const kept = localStorage.getItem(TEXT_KEY);
        if (kept && !area.value) area.value = kept;
    } catch (e) {
        // no storage: a fresh page
    }
    before = area.value;
    grow();
    render();
    document.fonts.ready.then(grow);
    probeAdd();
    check();
})();
