// The browser display binding: builds every window from its form's table (handed over by the
// model in WebAssembly, see webhost.cpp), keeps it in step with the model after every action and
// before every message box, and turns taps, clicks and keys into the model's user actions.
// Nothing here knows a particular form.
"use strict";

const SVG = "http://www.w3.org/2000/svg";

function cssColour(colour) {
    if (colour === -1) return "";
    if (colour === -2) return "#c0c0c0";    // inactive title-bar text
    if (colour === -3) return "Highlight";  // the system's selection colour
    return "#" + (colour >>> 0).toString(16).padStart(6, "0");
}

// The colour a test or a person reads back: "#RRGGBB", or null for the kind's own colour.
function colourName(colour) {
    return colour < 0 ? null : "#" + (colour >>> 0).toString(16).toUpperCase().padStart(6, "0");
}

function cssFont(font, inherited) {
    if (!font.family) return inherited;
    let stand = '"Liberation Sans", Arial, "DejaVu Sans", sans-serif';
    if (/Times|Perpetua/.test(font.family)) stand = '"Liberation Serif", "DejaVu Serif", serif';
    return `${font.bold ? "bold " : ""}${font.points}pt "${font.family}", ${stand}`;
}

// A caption as written, blanks and all: HTML would fold "Altura  Argolão/Carga" into one blank
// and drop the leading ones of "     d". All but the last blank of a run do not break a line, so
// lines still break where they did.
const keepBlanks = (caption) => caption.replace(/ {2,}/g, (run) => "\u00a0".repeat(run.length - 1) + " ");

// "&Ok" is "Ok" with O as its access key; "&&" is a plain "&".
function mnemonic(caption) {
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

class FormWindow {
    constructor(page, desc) {
        this.page = page;
        this.desc = desc;
        this.controls = new Map();  // name -> {desc, el, ...}
        this.timers = [];
        const w = desc.pixels.clientWidth, h = desc.pixels.clientHeight;

        const win = document.createElement("section");
        win.className = "pw-window pw-style-" + desc.style;
        win.dataset.form = desc.name;
        win.setAttribute("role", desc.style === "dialog" ? "dialog" : "region");
        win.setAttribute("aria-label", desc.caption || desc.accessibleName || desc.name);
        this.el = win;

        if (desc.style !== "bare") {
            const bar = document.createElement("header");
            bar.className = "pw-titlebar";
            const title = document.createElement("span");
            title.className = "pw-title";
            title.textContent = desc.caption;
            const close = document.createElement("button");
            close.className = "pw-close";
            close.type = "button";
            close.textContent = "\u00d7";
            close.setAttribute("aria-label", "Fechar");
            close.tabIndex = -1;
            close.addEventListener("click", () => page.act("close", desc.name));
            bar.append(title, close);
            win.append(bar);
        }
        const client = document.createElement("div");
        client.className = "pw-client";
        client.style.width = w + "px";
        client.style.height = h + "px";
        client.style.font = cssFont(desc.font, "8.25pt sans-serif");
        if (desc.back !== -1) client.style.background = cssColour(desc.back);
        if (desc.picture) {
            client.style.backgroundImage = `url("pictures/${desc.picture}.svg")`;
            client.style.backgroundRepeat = "no-repeat";
            client.style.backgroundSize = `${desc.pixels.pictureWidth}px ${desc.pixels.pictureHeight}px`;
        }
        win.append(client);
        this.client = client;
        this.naturalWidth = w;
        this.build();
        win.addEventListener("keydown", (e) => this.onKey(e));
    }

    // Made in the model's order, each in the container the model resolved, stacked as the
    // model has them front to back.
    build() {
        const containers = new Map([["", this.client]]);
        const byName = new Map(this.desc.controls.map((c) => [c.name, c]));
        for (const name of this.desc.creationOrder) {
            const c = byName.get(name);
            if (c.kind === "timer") {
                this.timers.push(setInterval(() => this.page.act("tick", this.desc.name, c.name), c.interval));
                continue;
            }
            if (c.kind === "slider" && !c.visible) continue;  // nothing can reach it
            const el = this.create(c, containers.get(c.container));
            if (c.kind === "frame") containers.set(c.name, el);
        }
        for (const rec of this.controls.values()) rec.el.style.zIndex = String(1000 - rec.desc.stack);
        // Labels that head controls.
        for (const c of this.desc.controls) {
            if (!c.labelledBy) continue;
            const label = this.controls.get(c.labelledBy), rec = this.controls.get(c.name);
            if (label && rec && rec.focus && !c.accessibleName) {
                label.el.id = label.el.id || `pw-${this.desc.name}-${c.labelledBy}`;
                rec.focus.setAttribute("aria-labelledby", label.el.id);
            }
        }
        // Tab order within the window, as the model gives it.
        this.tabOrder = this.desc.tabOrder
            .filter((name) => this.controls.get(name)?.focus)
            .map((name) => this.controls.get(name).focus);
    }

    // Where the model puts the control in its container (a label at the part of it that the
    // controls in front leave seen, so that its text goes there and is fitted to it).
    place(el, c) {
        el.style.left = c.box.left + "px";
        el.style.top = c.box.top + "px";
        el.style.width = c.box.width + "px";
        el.style.height = c.box.height + "px";
    }

    create(c, parent) {
        let el, focus = null;
        const rec = {desc: c};
        switch (c.kind) {
            case "slider":
                el = this.slider(c, rec);
                focus = el;
                break;
            case "readout":
            case "textbox": {
                el = document.createElement("input");
                el.type = "text";
                el.className = c.kind === "readout" ? "pw-readout" : "pw-textbox";
                if (c.kind === "readout") el.readOnly = true;
                el.style.textAlign = c.align;
                if (c.fore !== -1) el.style.color = cssColour(c.fore);
                const described = document.createElement("span");
                described.className = "pw-hidden";
                described.id = `pw-${this.desc.name}-${c.name}-about`;
                el.setAttribute("aria-describedby", described.id);
                parent.append(described);
                rec.about = described;
                el.tabIndex = c.takesFocus ? 0 : -1;
                focus = c.takesFocus ? el : null;
                break;
            }
            case "label": {
                el = document.createElement("div");
                el.className = "pw-label";
                el.textContent = keepBlanks(c.caption);
                el.style.textAlign = c.align;
                if (c.fore !== -1) el.style.color = cssColour(c.fore);
                // A label hides what lies behind it, in its own colour or its container's,
                // unless the layout makes it transparent.
                if (!c.transparent) el.style.background = c.back !== -1 ? cssColour(c.back) : "inherit";
                break;
            }
            case "frame": {
                el = document.createElement("div");
                el.className = "pw-frame" + (c.caption ? " pw-frame-captioned" : "");
                if (c.caption) {
                    const legend = document.createElement("span");
                    legend.className = "pw-legend";
                    legend.textContent = keepBlanks(c.caption);
                    if (c.back !== -1) legend.style.background = cssColour(c.back);
                    el.append(legend);
                }
                if (c.back !== -1) el.style.background = cssColour(c.back);
                // A frame that holds lines or shapes is a drawing: one picture, described.
                if (c.role === "drawing") {
                    el.setAttribute("role", "img");
                    el.setAttribute("aria-label", c.accessibleName || c.caption || "Desenho");
                    if (c.description) el.setAttribute("aria-description", c.description);
                } else if (c.accessibleName) {
                    el.setAttribute("role", "group");
                    el.setAttribute("aria-label", c.accessibleName);
                }
                break;
            }
            case "button": {
                el = document.createElement("button");
                el.type = "button";
                el.className = "pw-button";
                const m = mnemonic(c.caption);
                el.append(m.fragment);
                if (m.key) el.accessKey = m.key;
                if (c.back !== -1) el.style.background = cssColour(c.back);
                el.addEventListener("click", () => this.page.act("click", this.desc.name, c.name));
                el.tabIndex = c.takesFocus ? 0 : -1;
                focus = c.takesFocus ? el : null;
                break;
            }
            case "option": {
                el = document.createElement("label");
                el.className = "pw-option";
                const radio = document.createElement("input");
                radio.type = "radio";
                radio.name = `pw-${this.desc.name}-${c.container || "form"}`;
                radio.tabIndex = c.takesFocus ? 0 : -1;
                // However it is chosen, choosing an option is the model's action; the model keeps
                // the group, and the buttons show it after the action.
                radio.addEventListener("click", (e) => {
                    e.preventDefault();
                    this.page.act("select", this.desc.name, c.name);
                });
                const text = document.createElement("span");
                text.append(mnemonic(c.caption).fragment);
                el.append(radio, text);
                if (c.fore !== -1) el.style.color = cssColour(c.fore);
                if (c.back !== -1) el.style.background = cssColour(c.back);
                rec.radio = radio;
                focus = radio;
                break;
            }
            case "line":
            case "oval":
            case "rectangle":
                el = this.shape(c, parent);
                break;
            case "image":
            case "picture": {
                el = document.createElement("div");
                el.className = c.kind === "image" ? "pw-image" : "pw-picture";
                const img = document.createElement("img");
                img.src = `pictures/${c.picture}.svg`;
                img.alt = c.accessibleName || "";
                if (c.description) img.setAttribute("aria-description", c.description);
                el.append(img);
                if (c.back !== -1) el.style.background = cssColour(c.back);
                if (c.kind === "picture" && c.takesFocus) {
                    el.tabIndex = 0;
                    focus = el;
                }
                break;
            }
        }
        el.dataset.control = c.name;
        if (c.kind !== "line") this.place(el, c);
        el.style.font = cssFont(c.font, "inherit");
        if (c.accessibleName && focus) focus.setAttribute("aria-label", c.accessibleName);
        if (c.description && focus && c.kind !== "slider") focus.setAttribute("aria-description", c.description);
        if (!c.visible) el.style.display = "none";
        // Nothing of a control wholly covered by those in front of it is seen, nor read.
        if (c.hidden) {
            el.style.visibility = "hidden";
            el.setAttribute("aria-hidden", "true");
        }
        parent.append(el);
        rec.el = el;
        rec.focus = focus;
        this.controls.set(c.name, rec);
        return el;
    }

    shape(c, parent) {
        const svg = document.createElementNS(SVG, "svg");
        svg.classList.add("pw-shape");
        svg.setAttribute("aria-hidden", "true");
        const stroke = c.fore === -1 ? "#000000" : cssColour(c.fore);
        let node;
        if (c.kind === "line") {
            // A line is drawn in its container's coordinates.
            const e = c.ends;
            const left = Math.min(e.x1, e.x2) - c.lineWidth, top = Math.min(e.y1, e.y2) - c.lineWidth;
            const width = Math.abs(e.x2 - e.x1) + 2 * c.lineWidth, height = Math.abs(e.y2 - e.y1) + 2 * c.lineWidth;
            Object.assign(svg.style, {left: left + "px", top: top + "px", width: width + "px", height: height + "px"});
            node = document.createElementNS(SVG, "line");
            node.setAttribute("x1", e.x1 - left);
            node.setAttribute("y1", e.y1 - top);
            node.setAttribute("x2", e.x2 - left);
            node.setAttribute("y2", e.y2 - top);
            if (c.dotted) node.setAttribute("stroke-dasharray", "1 2");
        } else {
            const w = c.box.width, h = c.box.height, inset = c.lineWidth / 2;
            if (c.kind === "oval") {
                node = document.createElementNS(SVG, "ellipse");
                node.setAttribute("cx", w / 2);
                node.setAttribute("cy", h / 2);
                node.setAttribute("rx", Math.max(0, w / 2 - inset));
                node.setAttribute("ry", Math.max(0, h / 2 - inset));
            } else {
                node = document.createElementNS(SVG, "rect");
                node.setAttribute("x", inset);
                node.setAttribute("y", inset);
                node.setAttribute("width", Math.max(0, w - 2 * inset));
                node.setAttribute("height", Math.max(0, h - 2 * inset));
            }
            node.setAttribute("fill", c.filled ? cssColour(c.back) || "#000000" : "none");
            if (!c.outline) node.setAttribute("stroke", "none");
        }
        if (c.kind === "line" || c.outline) {
            node.setAttribute("stroke", stroke);
            node.setAttribute("stroke-width", c.lineWidth);
        }
        svg.append(node);
        return svg;
    }

    // A horizontal scroll bar whose moves are the model's: a tap or click on an arrow, or an
    // arrow key, is one small step; on the track, or a page key, one large step; a thumb drag is
    // one assignment when it is released; Home and End drag it to either end.
    slider(c, rec) {
        const el = document.createElement("div");
        el.className = "pw-slider";
        el.tabIndex = 0;
        el.setAttribute("role", "scrollbar");
        el.setAttribute("aria-orientation", "horizontal");
        el.setAttribute("aria-valuemin", c.min);
        el.setAttribute("aria-valuemax", c.max);
        const h = c.box.height;
        const less = document.createElement("div"), more = document.createElement("div");
        less.className = "pw-arrow pw-arrow-less";
        more.className = "pw-arrow pw-arrow-more";
        less.style.width = more.style.width = h + "px";
        const track = document.createElement("div");
        track.className = "pw-track";
        track.style.left = h + "px";
        track.style.right = h + "px";
        const thumb = document.createElement("div");
        thumb.className = "pw-thumb";
        track.append(thumb);
        el.append(less, track, more);
        rec.thumb = thumb;
        rec.track = track;
        const form = this.desc.name;
        const page = this.page;

        const thumbWidth = () => Math.max(8, Math.min(h, track.clientWidth / 3));
        rec.positionOf = (value) => {
            const room = track.clientWidth - thumbWidth();
            return c.max === c.min ? 0 : (value - c.min) / (c.max - c.min) * room;
        };
        rec.valueAt = (offset) => {
            const room = track.clientWidth - thumbWidth();
            const v = room <= 0 ? c.min : c.min + Math.round(offset / room * (c.max - c.min));
            return Math.max(c.min, Math.min(c.max, v));
        };
        rec.show = (value) => {
            thumb.style.width = thumbWidth() + "px";
            thumb.style.left = rec.positionOf(value) + "px";
        };

        const act = (what, value, held = false) => page.act(what, form, c.name, value, held);
        less.addEventListener("pointerdown", (e) => { e.preventDefault(); el.focus(); act("arrow", -1); });
        more.addEventListener("pointerdown", (e) => { e.preventDefault(); el.focus(); act("arrow", +1); });
        track.addEventListener("pointerdown", (e) => {
            e.preventDefault();
            el.focus();
            if (e.target === thumb) return;
            const box = thumb.getBoundingClientRect();
            act("page", e.clientX < box.left ? -1 : +1);
        });
        let drag = null;
        thumb.addEventListener("pointerdown", (e) => {
            if (page.busy) return;
            e.preventDefault();
            el.focus();
            thumb.setPointerCapture(e.pointerId);
            drag = {start: e.clientX, from: rec.positionOf(rec.value), scale: track.getBoundingClientRect().width / track.clientWidth || 1};
            thumb.classList.add("pw-dragging");
        });
        thumb.addEventListener("pointermove", (e) => {
            if (!drag) return;
            const room = track.clientWidth - thumbWidth();
            const at = Math.max(0, Math.min(room, drag.from + (e.clientX - drag.start) / drag.scale));
            thumb.style.left = at + "px";
            drag.at = at;
        });
        const release = (e) => {
            if (!drag) return;
            const moved = drag.at !== undefined;
            const at = drag.at;
            drag = null;
            thumb.classList.remove("pw-dragging");
            if (e.type === "pointercancel" || !moved) { rec.show(rec.value); return; }
            act("drag", rec.valueAt(at)).then(() => rec.show(rec.value));
        };
        thumb.addEventListener("pointerup", release);
        thumb.addEventListener("pointercancel", release);
        el.addEventListener("keydown", (e) => {
            const keys = {ArrowRight: ["arrow", 1], ArrowDown: ["arrow", 1], ArrowLeft: ["arrow", -1],
                          ArrowUp: ["arrow", -1], PageDown: ["page", 1], PageUp: ["page", -1],
                          Home: ["drag", c.min], End: ["drag", c.max]};
            const k = keys[e.key];
            if (!k) return;
            e.preventDefault();
            e.stopPropagation();
            act(k[0], k[1], e.repeat);
        });
        // One notch of the wheel is one small step, towards Max when the wheel turns towards the
        // user. A mouse's notch comes as one event of 50 pixels or more (or in lines or pages);
        // the small movements of touch pads add up to one.
        let wheel = 0;
        el.addEventListener("wheel", (e) => {
            e.preventDefault();
            const delta = e.deltaY || e.deltaX;
            if (!delta) return;
            // Pixels come in the window's own scale, which is smaller on a phone.
            const scale = el.getBoundingClientRect().width / el.offsetWidth || 1;
            wheel += e.deltaMode === 0 ? delta / scale : Math.sign(delta) * 50;
            if (Math.abs(wheel) < 50) return;
            const direction = Math.sign(wheel);
            wheel = 0;
            act("arrow", direction);
        }, {passive: false});
        return el;
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
            } else if (c.kind === "readout" || c.kind === "textbox") {
                const el = rec.el;
                if (el.value !== s.text) {
                    el.value = s.text;
                    this.fit(el);
                }
                el.style.backgroundColor = cssColour(s.back);
                el.dataset.back = colourName(s.back) ?? "";
                el.title = s.note;
                if (rec.about.textContent !== s.description) rec.about.textContent = s.description;
            } else if (c.kind === "option") {
                rec.radio.checked = s.selected;
                rec.radio.setAttribute("aria-checked", s.selected ? "true" : "false");
            }
        }
    }

    // No text may be shown cut off: where the browser's font stands in for a narrower one, a
    // caption, label, button or option text, or a read-out's value, gets a smaller size. A
    // frame's caption must fit across its frame.
    fit(el) {
        const cut = el.matches(".pw-legend")
            ? () => el.offsetLeft + el.offsetWidth > el.parentElement.clientWidth
            : el.matches(".pw-option > span")
            ? () => el.getBoundingClientRect().right > el.parentElement.getBoundingClientRect().right + 0.5
            : () => el.scrollWidth > el.clientWidth || el.scrollHeight > el.clientHeight;
        // From the table's own size each time (a new value may be shorter than the last).
        el.dataset.size ??= el.style.fontSize;
        el.style.fontSize = el.dataset.size;
        let size = parseFloat(getComputedStyle(el).fontSize);
        while (size > 7 && cut()) {
            size -= 0.25;
            el.style.fontSize = size + "px";
        }
    }
    fitTexts() {
        for (const el of this.el.querySelectorAll(".pw-label, .pw-button, .pw-option > span, .pw-legend, .pw-readout, .pw-textbox"))
            if ((el.value ?? el.textContent).trim() && el.offsetParent) this.fit(el);
    }

    onKey(e) {
        if (e.key === "Escape") {
            const cancel = this.desc.controls.find((c) => c.kind === "button" && c.cancel);
            if (cancel) {
                e.preventDefault();
                this.page.act("click", this.desc.name, cancel.name);
            }
        } else if (e.key === "Tab" && this.tabOrder.length) {
            // Tab goes round the window's controls in their tab order.
            e.preventDefault();
            const i = this.tabOrder.indexOf(document.activeElement);
            const n = this.tabOrder.length;
            const next = i < 0 ? 0 : (i + (e.shiftKey ? n - 1 : 1)) % n;
            this.tabOrder[next].focus({preventScroll: true});
        }
    }

    focusFirst() {
        if (this.tabOrder.length) this.tabOrder[0].focus({preventScroll: true});
    }

    remove() {
        for (const t of this.timers) clearInterval(t);
        this.el.remove();
    }
}

// The page: the windows of the loaded forms on a desktop, the message boxes over them, and the
// one way user actions reach the model.
export class Page {
    constructor(module, desktop) {
        this.module = module;
        this.desktop = desktop;
        this.windows = new Map();
        this.busy = false;
        this.queue = Promise.resolve();
        this.messages = [];  // every box shown, in order: for the tests
        this.onMessage = null;
        module.pernadasPage = this;
        window.addEventListener("resize", () => this.fitAll());
    }

    start(open = true) {
        return this.run(() => this.module.ccall("pw_start", "number", ["number"], [open ? 1 : 0], {async: true}));
    }

    // One user action is one event of the model; while one runs (a message box waits for its
    // answer), input that still reaches the page is dropped, so that two events never interleave.
    // `held`: the action repeats a key that is still held down (one press, one step: once a step
    // of a press has met a message box, its repeats do nothing).
    act(action, form, control = "", value = 0, held = false) {
        if (this.busy) return Promise.resolve(null);
        return this.run(() => this.module.ccall("pw_act", "number", ["string", "string", "string", "number", "number"],
                                                [action, form, control, value, held ? 1 : 0], {async: true}));
    }

    async run(call) {
        this.busy = true;
        try {
            return await call();
        } finally {
            this.busy = false;
        }
    }

    formLoaded(desc, state) {
        for (const ended of this.desktop.querySelectorAll(".pw-ended")) ended.remove();
        const win = new FormWindow(this, desc);
        this.windows.set(desc.name, win);
        this.desktop.prepend(win.el);
        win.sync(state);
        this.fit(win);
        this.raise(win);
        win.focusFirst();
        // When the first window was drawn, from the start of the page's loading: a figure the
        // browser tests report.
        if (this.firstWindowAt === undefined)
            requestAnimationFrame(() => { this.firstWindowAt = performance.now(); });
    }

    formActivated(name) {
        const win = this.windows.get(name);
        if (win) { this.raise(win); }
    }

    formUnloaded(name) {
        const win = this.windows.get(name);
        if (!win) return;
        this.windows.delete(name);
        win.remove();
        const top = [...this.windows.values()].pop();
        if (top) top.focusFirst();
    }

    noFormLoaded() {
        const end = document.createElement("p");
        end.className = "pw-ended";
        end.textContent = "O programa terminou. Recarregue a página para recomeçar.";
        this.desktop.append(end);
    }

    sync(state) {
        const win = this.windows.get(state.form);
        if (win) win.sync(state);
    }

    // The windows lie one under the other, the active one first: on a phone's narrow screen no
    // window hides another.
    raise(win) {
        this.windows.delete(win.desc.name);
        this.windows.set(win.desc.name, win);
        if (this.desktop.firstElementChild !== win.el) {
            const focused = win.el.contains(document.activeElement) ? document.activeElement : null;
            this.desktop.prepend(win.el);
            if (focused) focused.focus();
        }
        for (const w of this.windows.values()) w.el.classList.toggle("pw-active", w === win);
        win.el.scrollIntoView({block: "nearest"});
    }

    // A window wider than the screen (a phone's 360 CSS pixels) is scaled down to fit its width;
    // on a desktop it keeps its natural size.
    fit(win) {
        const room = Math.max(200, document.documentElement.clientWidth - 8);
        const natural = win.naturalWidth + 4;  // and its border
        const scale = Math.min(1, room / natural);
        win.scale = scale;
        win.el.style.zoom = scale < 1 ? String(scale) : "";
        // Texts measured at the window's scale: a font's widths do not scale exactly.
        win.fitTexts();
    }

    fitAll() {
        for (const w of this.windows.values()) this.fit(w);
    }

    // An application-modal box; the handler that shows it waits until it is dismissed.
    messageBox(style, title, text) {
        this.messages.push({style, title, text});
        return new Promise((resolve) => {
            const dialog = document.createElement("dialog");
            dialog.className = "pw-message";
            dialog.setAttribute("aria-label", title);
            const head = document.createElement("header");
            head.className = "pw-titlebar";
            head.textContent = title;
            const body = document.createElement("div");
            body.className = "pw-message-body";
            const icon = document.createElement("span");
            icon.className = "pw-icon " + (style === 16 ? "pw-icon-critical" : style === 64 ? "pw-icon-info" : "");
            icon.setAttribute("aria-hidden", "true");
            icon.textContent = style === 16 ? "\u2716" : style === 64 ? "i" : "";
            const p = document.createElement("p");
            p.textContent = text;
            body.append(icon, p);
            const ok = document.createElement("button");
            ok.type = "button";
            ok.className = "pw-button pw-ok";
            ok.textContent = "OK";
            const done = () => { dialog.close(); dialog.remove(); resolve(); };
            ok.addEventListener("click", done);
            // Esc dismisses it like OK: the box has no other answer.
            dialog.addEventListener("cancel", (e) => { e.preventDefault(); done(); });
            dialog.append(head, body, ok);
            document.body.append(dialog);
            dialog.showModal();
            ok.focus();
            if (this.onMessage) this.onMessage({style, title, text});
        });
    }
}
