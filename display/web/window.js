// What the two layouts of a form's window share: how the table's colours, fonts and captions
// look in a browser, the window's section, the way out by Esc, the switch to the other layout,
// and keeping the controls in step with the model's state.
import {Colour} from "./names.js";

// A colour as CSS takes it; "" for the kind's own colour.
export function cssColour(colour) {
    if (colour === Colour.DEFAULT) return "";
    if (colour === Colour.INACTIVE_TITLE_TEXT) return "#c0c0c0";
    if (colour === Colour.HIGHLIGHT) return "Highlight";
    return "#" + (colour >>> 0).toString(16).padStart(6, "0");
}

// The colour a test or a person reads back: "#RRGGBB", or null for a mark.
export function colourName(colour) {
    return colour < 0 ? null : "#" + (colour >>> 0).toString(16).toUpperCase().padStart(6, "0");
}

// A font as CSS takes it, with fonts that stand in for the table's where the browser lacks it;
// `inherited` where the table gives none.
export function cssFont(font, inherited) {
    if (!font.family) return inherited;
    let stand = '"Liberation Sans", Arial, "DejaVu Sans", sans-serif';
    if (/Times|Perpetua/.test(font.family)) stand = '"Liberation Serif", "DejaVu Serif", serif';
    return `${font.bold ? "bold " : ""}${font.points}pt "${font.family}", ${stand}`;
}

// A window's own font, where its table gives none.
export const WINDOW_FONT = "8.25pt sans-serif";

// A caption as written, blanks and all: HTML would fold "Altura  Argolão/Carga" into one blank
// and drop the leading ones of "     d". All but the last blank of a run do not break a line, so
// lines still break where they did.
export const keepBlanks = (caption) =>
    caption.replace(/ {2,}/g, (run) => "\u00a0".repeat(run.length - 1) + " ");

// "&Ok" is "Ok" with O as its access key; "&&" is a plain "&".
export function mnemonic(caption) {
    const fragment = document.createDocumentFragment();
    let key = "";
    for (let i = 0; i < caption.length; ++i) {
        const ch = caption[i];
        if (ch === "&" && i + 1 < caption.length) {
            const next = caption[++i];
            if (next !== "&" && !key) {
                key = next.toLowerCase();
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
    return {fragment, key, text: caption.replace(/&(.)/g, "$1")};
}

// The smallest size, in CSS pixels, that a text is shrunk to.
const SMALLEST_TEXT = 7;

// No text may be shown cut off: where the browser's font stands in for a narrower one, a
// caption, label, button or option text, or a read-out's value, gets a smaller size. A frame's
// caption must fit across its frame.
export function fitText(el) {
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
    while (size > SMALLEST_TEXT && cut()) {
        size -= 0.25;
        el.style.fontSize = size + "px";
    }
}

// The switch between the phone's layout and the classic one, on every window.
export function switchButton(page, text) {
    const b = document.createElement("button");
    b.type = "button";
    b.className = "pw-switch";
    b.textContent = text;
    b.addEventListener("click", () => {
        if (!page.busy) page.setLayout(!page.phone);
    });
    return b;
}

// One press, one click: Enter held on a command button clicks it once. The browser repeats a held
// Enter as presses of its own, each a click, which would answer the box the first one raised and
// click again behind it; the page sends each press to the model, saying whether it repeats, and
// the model clicks for the first.
export function clicksOncePerPress(button, click) {
    button.addEventListener("keydown", (e) => {
        if (e.key !== "Enter") return;
        e.preventDefault();
        click(e.repeat);
    });
}

// The button Esc presses: the form's cancel button (with `shown`, only one that is shown).
export function cancelButton(desc, shown = false) {
    return desc.controls.find((c) => c.kind === "button" && c.cancel && (!shown || c.visible));
}

// Where Tab goes from `focused` in a window's tab order: round, from the last to the first (and
// back with Shift); to the first from outside the order.
export function nextInTabOrder(order, focused, backwards) {
    const i = order.indexOf(focused);
    const n = order.length;
    return order[i < 0 ? 0 : (i + (backwards ? n - 1 : 1)) % n];
}

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
        rec.el.dataset.back = colourName(s.back) ?? "";
        if (tip) rec.el.title = s.note;
        if (rec.about.textContent !== s.description) rec.about.textContent = s.description;
    }

    onKey(e) {
        if (e.key !== "Escape") return;
        const cancel = cancelButton(this.desc);
        if (cancel) {
            e.preventDefault();
            this.page.act("click", this.desc.name, cancel.name);
        }
    }

    // A value typed into a number field and not yet confirmed is confirmed before a step button
    // or the track acts, as leaving the field would confirm it: the step then starts from what
    // the field showed, and the field never keeps showing a value the slider does not have.
    // False when the typed value was refused or met a message box: the press does nothing more.
    async typedFirst() {
        for (const rec of this.controls.values())
            if (rec.field?.dataset.dirty && document.activeElement === rec.field)
                return rec.confirm();
        return true;
    }

    remove() {
        this.el.remove();
    }
}
