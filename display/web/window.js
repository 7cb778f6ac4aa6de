// What the two layouts of a form's window share: how the table's colours, fonts and captions
// look in a browser, the window's section, the way out by Esc, the switch to the other layout,
// and keeping the controls in step with the model's state.
// A colour of the model's ("" for the toolkit's own, "highlight", or "#RRGGBB") as CSS takes it.
export const css = (colour) => (colour === "highlight" ? "Highlight" : colour);

// A font as CSS takes it, from the faces the model asks for; `inherited` where the table gives
// none.
export function cssFont(face, inherited) {
    if (!face.families[0]) return inherited;
    const families = face.families.map((f) => `"${f}"`).join(", ");
    return `${face.bold ? "bold " : ""}${face.points}pt ${families}, ${face.generic}`;
}

// A window's own font, where its table gives none.
export const WINDOW_FONT = "8.25pt sans-serif";

// A caption as written, blanks and all: HTML would fold "Altura  Argolão/Carga" into one blank
// and drop the leading ones of "     d". All but the last blank of a run do not break a line, so
// lines still break where they did.
export const keepBlanks = (caption) =>
    caption.replace(/ {2,}/g, (run) => "\u00a0".repeat(run.length - 1) + " ");

// "&Ok" shows as "Ok" with its O underlined; "&&" is a plain "&".
export function underlined(caption) {
    const fragment = document.createDocumentFragment();
    let key = "";
    for (let i = 0; i < caption.length; ++i) {
        const ch = caption[i];
        if (ch === "&" && i + 1 < caption.length) {
            const next = caption[++i];
            if (next !== "&" && !key) {
                key = next;
                const u = document.createElement("u");
                u.textContent = next;
                fragment.append(u);
                continue;
            }
            fragment.append(next);
            continue;
        }
        fragment.append(ch);
    }
    return fragment;
}

// No text may be shown cut off: where the browser's font stands in for a narrower one, a
// caption, label, button or option text, or a read-out's value, gets a smaller size. A frame's
// caption must fit across its frame. The model gives the smallest size and the step, in points.
export function fitText(el, desc) {
    const cut = el.matches(".pw-legend")
        ? () => el.offsetLeft + el.offsetWidth > el.parentElement.clientWidth
        : el.matches(".pw-option > span")
          ? () =>
                el.getBoundingClientRect().right >
                el.parentElement.getBoundingClientRect().right + 0.5
          : () => el.scrollWidth > el.clientWidth || el.scrollHeight > el.clientHeight;
    // From the table's own size each time (a new value may be shorter than the last).
    el.dataset.size ??= el.style.fontSize;
    el.style.fontSize = el.dataset.size;
    let size = parseFloat(getComputedStyle(el).fontSize);
    const smallest = (desc.smallestPoints * 96) / 72,
        step = (desc.shrinkPoints * 96) / 72;
    while (size > smallest && cut()) {
        size -= step;
        el.style.fontSize = size + "px";
    }
}

// The switch between the phone's layout and the classic one, on every window.
export function switchButton(page, text) {
    const b = document.createElement("button");
    b.type = "button";
    b.className = "pw-switch";
    b.textContent = text;
    // A value typed and not confirmed is confirmed first, as leaving its field would, once any
    // action still running is done.
    b.addEventListener("click", async () => {
        await page.idle();
        for (const w of page.windows.values()) if (!(await w.confirmTyped())) return;
        if (!page.busy) page.setLayout(!page.phone);
    });
    return b;
}

// The model's words for the arrow keys.
const ARROWS = {ArrowLeft: "left", ArrowRight: "right", ArrowUp: "up", ArrowDown: "down"};

export class FormWindow {
    constructor(page, desc, phone) {
        this.page = page;
        this.desc = desc;
        this.phone = phone;
        this.controls = new Map(); // name -> {desc, el, ...}
    }

    // The window's section, named for its form; a dialog's is a dialog.
    section() {
        const win = document.createElement("section");
        win.className = `pw-window ${this.phone ? "pw-phone " : ""}pw-style-${this.desc.style}`;
        win.dataset.form = this.desc.name;
        win.setAttribute("role", this.desc.style === "dialog" ? "dialog" : "region");
        this.el = win;
        return win;
    }

    sync(state) {
        for (const [name, s] of Object.entries(state.controls)) {
            const rec = this.controls.get(name);
            if (!rec) continue;
            const c = rec.desc;
            if (c.kind === "slider") {
                rec.value = s.value;
                rec.el.setAttribute("aria-valuenow", s.value);
                if (!rec.thumb.classList.contains("pw-dragging")) rec.show(s.value);
                this.showSlider(rec, s);
            } else if (c.kind === "readout" || c.kind === "textbox") {
                this.showText(rec, s);
            } else if (c.kind === "option") {
                rec.radio.checked = s.selected;
                rec.radio.setAttribute("aria-checked", s.selected ? "true" : "false");
            }
        }
    }

    // What a layout shows of a slider beyond its thumb.
    showSlider() {}

    // A read-out's or text box's colour read back, its note (as a tip, unless `tip` is false),
    // and the words that describe it.
    describeText(rec, s, tip = true) {
        rec.el.dataset.back = s.colour;
        if (tip) rec.el.title = s.note;
        if (rec.about.textContent !== s.description) rec.about.textContent = s.description;
    }

    // A key, a press or a click on control `name` (of the window itself: "") handed to the
    // model; the focus goes where it says. Null while another action runs.
    async input(name, type, what, value = 0, repeat = false) {
        const answer = await this.page.input(this.desc.name, name, type, what, value, repeat);
        if (answer?.focus) this.controls.get(answer.focus)?.focus?.focus({preventScroll: true});
        return answer;
    }

    // Esc clicks the cancel button; in the classic window Tab and Shift+Tab go round the tab
    // order. A letter with Alt is the window's, as on the desktop: the model says which button
    // or option button it presses, if any.
    onKey(e) {
        const letter = e.altKey && !e.ctrlKey && !e.metaKey && [...e.key].length === 1 ? e.key : "";
        const key = letter
            ? "access"
            : e.key === "Escape" && this.desc.cancel
              ? "escape"
              : e.key === "Tab" && !this.phone && this.tabOrder.length
                ? e.shiftKey
                    ? "backtab"
                    : "tab"
                : "";
        if (!key) return;
        e.preventDefault();
        const focused = document.activeElement?.closest?.("[data-control]");
        const name = this.el.contains(focused) ? focused.dataset.control : "";
        this.input(name, "key", key, letter ? letter.codePointAt(0) : 0, e.repeat);
    }

    // A command button: the model's click, and Enter held on it clicks once. The browser repeats
    // a held Enter as presses of its own, each a click, which would answer the box the first one
    // raised and click again behind it; each press goes to the model, which says whether it
    // repeats. Its access key is said to a screen reader; Alt with it is the window's (onKey).
    commandButton(c, className) {
        const el = document.createElement("button");
        el.type = "button";
        el.className = className;
        el.append(underlined(c.caption));
        if (c.accessKey) el.setAttribute("aria-keyshortcuts", "Alt+" + c.accessKey);
        el.dataset.control = c.name;
        el.addEventListener("click", () => this.input(c.name, "click"));
        el.addEventListener("keydown", (e) => {
            if (e.key !== "Enter") return;
            e.preventDefault();
            this.input(c.name, "key", "enter", 0, e.repeat);
        });
        return el;
    }

    // An option button's radio: a click (or Space) chooses it, and the arrow keys move the
    // choice through its group, as the model's map says; the browser's own way round a group of
    // radio buttons is not used.
    optionInput(radio, c) {
        if (c.accessKey) radio.setAttribute("aria-keyshortcuts", "Alt+" + c.accessKey);
        radio.addEventListener("click", (e) => {
            e.preventDefault();
            this.input(c.name, "click");
        });
        radio.addEventListener("keydown", (e) => {
            const key = ARROWS[e.key];
            if (!key || e.altKey || e.ctrlKey || e.metaKey || e.shiftKey) return;
            e.preventDefault();
            this.input(c.name, "key", key, 0, e.repeat);
        });
    }

    // A value typed into a number field and not yet confirmed is confirmed before a step button
    // or the track acts, as leaving the field would confirm it: the step then starts from what
    // the field showed, and the field never keeps showing a value the slider does not have.
    // False when the typed value was refused or met a message box: the press does nothing more.
    async confirmTyped() {
        for (const rec of this.controls.values())
            if (rec.field?.dataset.dirty && !(await rec.confirm())) return false;
        return true;
    }

    async typedFirst() {
        for (const rec of this.controls.values())
            if (rec.field?.dataset.dirty && document.activeElement === rec.field)
                return rec.confirm();
        return true;
    }

    // Before a user action on control `name`: each field's slider value, and `wanted`, what the
    // user set the acted-on slider to (undefined for a step, which the user does not aim). A
    // click asks for nothing of the sliders: its moves are its own.
    expect(name, wanted, click = false) {
        const before = new Map();
        for (const [n, rec] of this.controls) if (rec.adjusted) before.set(n, rec.value);
        this.expected = {name, wanted, before, click};
    }

    // After it: a slider that ends up other than the user set it, or that moved though the
    // user did not touch it (a leg raised to what the load allows, or worked out again for a
    // new load), says so beside its field; the sentences, for the live region.
    settle() {
        const e = this.expected;
        this.expected = null;
        if (!e) return [];
        const said = [];
        for (const [name, rec] of this.controls) {
            if (!rec.adjusted) continue;
            const wanted = name === e.name ? e.wanted : e.before.get(name);
            const moved = !e.click && wanted !== undefined && rec.value !== wanted && rec.words;
            const metres = moved ? `${rec.words.split(" ")[0]} m` : "";
            rec.adjusted.textContent = moved ? `ajustado para ${metres}` : "";
            if (moved)
                said.push(
                    `${rec.heading?.head.textContent ?? rec.desc.spoken} ajustado para ${metres}`,
                );
        }
        return said;
    }

    remove() {
        this.el.remove();
    }
}
