// The browser display binding: builds every window from its form's table (handed over by the
// model in WebAssembly, see webhost.cpp), keeps it in step with the model after every action and
// before every message box, and turns taps, clicks and keys into the model's user actions.
// Nothing here knows a particular form.
"use strict";

const SVG = "http://www.w3.org/2000/svg";

function cssColour(colour) {
    if (colour === -1) return "";
    if (colour === -2) return "#c0c0c0"; // inactive title-bar text
    if (colour === -3) return "Highlight"; // the system's selection colour
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
const keepBlanks = (caption) =>
    caption.replace(/ {2,}/g, (run) => "\u00a0".repeat(run.length - 1) + " ");

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

// The switch between the phone's layout and the classic one, on every window.
function switchButton(page, text) {
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
function clicksOncePerPress(button, click) {
    button.addEventListener("keydown", (e) => {
        if (e.key !== "Enter") return;
        e.preventDefault();
        click(e.repeat);
    });
}

class FormWindow {
    constructor(page, desc, phone = false) {
        this.page = page;
        this.desc = desc;
        this.phone = phone;
        this.controls = new Map(); // name -> {desc, el, ...}
        if (phone) {
            this.buildPhone();
            return;
        }
        const w = desc.pixels.clientWidth,
            h = desc.pixels.clientHeight;

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
        win.append(switchButton(page, "Vista de telemóvel"));
        this.client = client;
        this.naturalWidth = w;
        this.build();
        win.addEventListener("keydown", (e) => this.onKey(e));
    }

    // The phone's layout of the same table: one column as wide as the screen, read and reached
    // from top to bottom. A bar with the title (and the form's cancel button as the way back);
    // the drawing, scaled to the width; each slider the user can move as a group of its own
    // (heading, value, track, steps of one and of a page, a field to type metres in); the
    // option buttons as one segmented choice; the results, large, with their colour band in
    // words; what else the form shows; its commands, full width, at the foot.
    buildPhone() {
        const desc = this.desc,
            page = this.page;
        const byName = new Map(desc.controls.map((c) => [c.name, c]));
        const g = desc.groups;
        const win = document.createElement("section");
        win.className = "pw-window pw-phone pw-style-" + desc.style;
        win.dataset.form = desc.name;
        win.setAttribute("role", desc.style === "dialog" ? "dialog" : "region");
        const title = desc.caption || desc.accessibleName || "Pernadas";
        this.el = win;

        const bar = document.createElement("header");
        bar.className = "pw-bar";
        const cancel = desc.controls.find((c) => c.kind === "button" && c.cancel && c.visible);
        if (cancel) {
            const back = this.phoneButton(cancel, "pw-back");
            const arrow = document.createElement("span");
            arrow.setAttribute("aria-hidden", "true");
            arrow.textContent = "\u2039 ";
            back.prepend(arrow);
            bar.append(back);
        }
        const h = document.createElement("h2");
        h.className = "pw-bar-title";
        h.id = `pw-${desc.name}-title`;
        h.textContent = title;
        bar.append(h);
        win.setAttribute("aria-labelledby", h.id);
        win.append(bar);

        const body = document.createElement("div");
        body.className = "pw-body";
        win.append(body);
        this.client = body;

        // The drawing: the frame and what lies in it as the classic window draws them, scaled.
        if (g.drawing) {
            const frame = byName.get(g.drawing);
            const figure = document.createElement("div");
            figure.className = "pw-drawing";
            const inner = document.createElement("div");
            inner.className = "pw-client pw-drawing-inner";
            inner.style.width = frame.box.width + "px";
            inner.style.height = frame.box.height + "px";
            inner.style.font = cssFont(desc.font, "8.25pt sans-serif");
            figure.append(inner);
            body.append(figure);
            const el = this.create(frame, inner);
            el.style.left = el.style.top = "0px";
            const within = new Map([[frame.name, el]]);
            for (const c of desc.creationOrder.map((n) => byName.get(n))) {
                if (
                    c.kind === "timer" ||
                    !within.has(c.container) ||
                    (c.kind === "slider" && !c.visible)
                )
                    continue;
                const made = this.create(c, within.get(c.container));
                if (c.kind === "frame") within.set(c.name, made);
            }
            this.drawing = {figure, inner, width: frame.box.width, height: frame.box.height};
        }
        for (const s of g.sliders)
            this.phoneSlider(byName.get(s.slider), s.readout && byName.get(s.readout), s, body);

        for (const group of g.options) {
            const first = byName.get(group[0]);
            const frame = byName.get(first.container);
            const choice = document.createElement("div");
            choice.className = "pw-choice";
            choice.setAttribute("role", "radiogroup");
            choice.setAttribute("aria-label", frame?.caption || frame?.accessibleName || "Escolha");
            for (const name of group) {
                const c = byName.get(name);
                const rec = {desc: c};
                const el = document.createElement("label");
                el.className = "pw-option pw-segment";
                el.dataset.control = c.name;
                const radio = document.createElement("input");
                radio.type = "radio";
                radio.name = `pw-${desc.name}-${c.container || "form"}`;
                radio.addEventListener("click", (e) => {
                    e.preventDefault();
                    page.act("select", desc.name, c.name);
                });
                const text = document.createElement("span");
                text.textContent = c.accessibleName || mnemonic(c.caption).text;
                el.append(radio, text);
                if (!c.visible) el.style.display = "none";
                choice.append(el);
                Object.assign(rec, {el, radio, focus: radio});
                this.controls.set(c.name, rec);
            }
            body.append(choice);
        }

        if (g.results.length) {
            const list = document.createElement("div");
            list.className = "pw-results";
            for (const name of g.results) this.phoneReadout(byName.get(name), list, "pw-result");
            body.append(list);
        }

        // What else the form shows (a splash's texts, an about box's), as the model orders it.
        const rest = g.others.map((n) => byName.get(n));
        if (rest.length) {
            const more = document.createElement("div");
            more.className = "pw-texts";
            for (const c of rest) {
                let el;
                const rec = {desc: c};
                if (c.kind === "label") {
                    el = document.createElement("p");
                    el.className = "pw-text";
                    el.textContent = c.caption.trim();
                } else if (c.kind === "textbox") {
                    el = document.createElement("input");
                    el.type = "text";
                    el.readOnly = true;
                    el.className = "pw-textbox pw-text";
                    el.tabIndex = c.takesFocus ? 0 : -1;
                    if (c.accessibleName) el.setAttribute("aria-label", c.accessibleName);
                    rec.about = document.createElement("span");
                    rec.focus = c.takesFocus ? el : null;
                } else {
                    el = document.createElement("div");
                    el.className = "pw-picture-row";
                    const img = document.createElement("img");
                    img.src = `pictures/${c.picture}.svg`;
                    img.alt = c.accessibleName || "";
                    img.style.aspectRatio = `${c.box.width} / ${c.box.height}`;
                    img.style.width = Math.min(c.box.width * 1.5, 320) + "px";
                    el.append(img);
                    if (c.kind === "picture" && c.takesFocus) {
                        el.tabIndex = 0;
                        el.setAttribute("role", "img");
                        el.setAttribute("aria-label", c.accessibleName || "");
                        img.alt = "";
                        rec.focus = el;
                    }
                }
                el.dataset.control = c.name;
                rec.el = el;
                more.append(el);
                this.controls.set(c.name, rec);
            }
            body.append(more);
        }

        const commands = g.commands
            .map((n) => byName.get(n))
            .filter((c) => c.visible && c !== cancel);
        if (commands.length) {
            const foot = document.createElement("div");
            foot.className = "pw-commands";
            for (const c of commands) foot.append(this.phoneButton(c, "pw-command"));
            body.append(foot);
        }
        const foot = document.createElement("div");
        foot.className = "pw-foot";
        foot.append(switchButton(page, "Vista clássica"));
        body.append(foot);

        this.tabOrder = [...win.querySelectorAll("button, input, [tabindex]")].filter(
            (e) => e.tabIndex >= 0,
        );
        win.addEventListener("keydown", (e) => this.onKey(e));
    }

    phoneButton(c, className) {
        const el = document.createElement("button");
        el.type = "button";
        el.className = "pw-button " + className;
        const m = mnemonic(c.caption);
        el.append(m.fragment);
        if (m.key) el.accessKey = m.key;
        el.dataset.control = c.name;
        el.addEventListener("click", () => this.page.act("click", this.desc.name, c.name));
        clicksOncePerPress(el, (held) => this.page.act("click", this.desc.name, c.name, 0, held));
        this.controls.set(c.name, {desc: c, el, focus: el});
        return el;
    }

    // A read-out as a large row: its name, its value, its unit, and its colour band, where it
    // has one, as a strip of the colour with the band's words beside it.
    phoneReadout(c, parent, className) {
        const row = document.createElement("div");
        row.className = className;
        row.dataset.control = c.name;
        const id = `pw-${this.desc.name}-${c.name}`;
        const name = document.createElement("span");
        name.className = "pw-result-name";
        name.id = id + "-name";
        name.textContent = (c.accessibleName || c.name).replace(/\s+/g, " ");
        const el = document.createElement("input");
        el.type = "text";
        el.readOnly = true;
        el.className = "pw-readout";
        el.dataset.control = c.name;
        el.tabIndex = c.takesFocus ? 0 : -1;
        el.setAttribute("aria-labelledby", name.id);
        const about = document.createElement("span");
        about.className = "pw-hidden";
        about.id = id + "-about";
        el.setAttribute("aria-describedby", about.id);
        // The field is named and described by these; they are not read again on their own.
        about.setAttribute("aria-hidden", "true");
        name.setAttribute("aria-hidden", "true");
        const unit = document.createElement("span");
        unit.className = "pw-unit";
        unit.textContent = c.unit;
        unit.setAttribute("aria-hidden", "true");
        const band = document.createElement("div");
        band.className = "pw-band";
        band.setAttribute("aria-hidden", "true");
        const swatch = document.createElement("span");
        swatch.className = "pw-swatch";
        const words = document.createElement("span");
        words.className = "pw-band-words";
        band.append(swatch, words);
        const value = document.createElement("div");
        value.className = "pw-value";
        value.append(el, unit);
        row.append(name, value, band, about);
        parent.append(row);
        this.controls.set(c.name, {
            desc: c,
            el,
            about,
            band,
            swatch,
            words,
            focus: el.tabIndex === 0 ? el : null,
        });
        return row;
    }

    // A slider the user can move, as a phone's group of controls: its heading and value; a
    // track whose thumb drags; − and + (one small step, as an arrow), −10 and +10 (one large
    // step, as a page), which repeat while held; and a field to type the value in metres, which
    // is one drag to it.
    phoneSlider(c, readout, group, body) {
        const page = this.page,
            form = this.desc.name;
        const box = document.createElement("div");
        box.className = "pw-group";
        box.setAttribute("role", "group");
        const head = document.createElement("h3");
        head.className = "pw-heading";
        head.id = `pw-${form}-${c.name}-heading`;
        head.textContent = group.heading.replace(/\s+/g, " ");
        box.setAttribute("aria-labelledby", head.id);
        box.append(head);
        // The read-out beside a slider may show another length worked out from it (on the
        // three-leg calculator, the distance between the legs from the piece's diameter): it
        // says its own name unless that is the heading's.
        if (readout) {
            const row = this.phoneReadout(readout, box, "pw-result pw-slider-value");
            const name = row.querySelector(".pw-result-name");
            name.hidden = name.textContent === head.textContent;
        }

        const rec = {desc: c};
        const track = document.createElement("div");
        track.className = "pw-slider pw-ptrack";
        track.dataset.control = c.name;
        track.tabIndex = 0;
        track.setAttribute("role", "slider");
        track.setAttribute("aria-labelledby", head.id);
        track.setAttribute("aria-valuemin", c.min);
        track.setAttribute("aria-valuemax", c.max);
        const thumb = document.createElement("div");
        thumb.className = "pw-thumb";
        thumb.setAttribute("aria-hidden", "true");
        track.append(thumb);
        box.append(track);
        Object.assign(rec, {el: track, focus: track, track, thumb});
        this.sliderMoves(c, rec, track, track, thumb, () => 48);

        const steps = document.createElement("div");
        steps.className = "pw-steps";
        const step = (verb, direction, text, label) => {
            const b = document.createElement("button");
            b.type = "button";
            b.className = "pw-button pw-step";
            b.textContent = text;
            b.dataset.step = `${verb}${direction > 0 ? "+" : "-"}`;
            b.setAttribute("aria-label", label);
            this.holdToRepeat(b, () => [verb, direction]);
            steps.append(b);
        };
        step("page", -1, "\u2212" + c.largeChange, `Menos ${c.largeChange}`);
        step("arrow", -1, "\u2212", `Menos ${c.smallChange}`);
        step("arrow", +1, "+", `Mais ${c.smallChange}`);
        step("page", +1, "+" + c.largeChange, `Mais ${c.largeChange}`);
        box.append(steps);

        const entry = document.createElement("div");
        entry.className = "pw-entry";
        const field = document.createElement("input");
        field.type = "text";
        field.inputMode = "decimal";
        field.enterKeyHint = "done";
        field.autocomplete = "off";
        field.className = "pw-number";
        field.dataset.control = c.name;
        field.setAttribute("aria-label", `${head.textContent}, em metros`);
        const unit = document.createElement("span");
        unit.className = "pw-unit";
        unit.textContent = "metros";
        unit.setAttribute("aria-hidden", "true");
        const refusal = document.createElement("p");
        refusal.className = "pw-refusal";
        refusal.id = `pw-${form}-${c.name}-refusal`;
        refusal.setAttribute("role", "alert");
        field.setAttribute("aria-describedby", refusal.id);
        entry.append(field, unit);
        box.append(entry, refusal);
        rec.field = field;
        rec.refusal = refusal;
        // Confirmed by the keyboard's Enter (or Done), or by leaving a field that was changed.
        // False when the value was refused or its assignment met a message box.
        const confirm = async () => {
            if (page.busy) return false;
            const answer = JSON.parse(
                page.module.ccall(
                    "pw_typed",
                    "string",
                    ["string", "string", "string"],
                    [form, c.name, field.value],
                ),
            );
            if (answer.refusal !== undefined) {
                refusal.textContent = answer.refusal;
                field.setAttribute("aria-invalid", "true");
                return false;
            }
            refusal.textContent = "";
            field.removeAttribute("aria-invalid");
            field.dataset.dirty = "";
            const clear = await page.actClear("drag", form, c.name, answer.value);
            this.showField(rec);
            return clear;
        };
        rec.confirm = confirm;
        field.addEventListener("input", () => {
            field.dataset.dirty = "1";
        });
        field.addEventListener("change", () => {
            if (field.dataset.dirty) confirm();
        });
        field.addEventListener("keydown", (e) => {
            if (e.key !== "Enter") return;
            e.preventDefault();
            confirm();
        });
        body.append(box);
        this.controls.set(c.name, rec);
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

    showField(rec) {
        if (rec.field.dataset.dirty && document.activeElement === rec.field) return;
        rec.field.dataset.dirty = "";
        rec.field.value = rec.words ? rec.words.split(" ")[0] : "";
    }

    // A button that steps a slider: one step when pressed, then, while it is held, one step
    // after another, until it is let go or a step has met a message box (one press, one step).
    holdToRepeat(button, what) {
        const page = this.page,
            form = this.desc.name;
        let timer = null;
        const stop = () => {
            clearTimeout(timer);
            timer = null;
        };
        const name = () => button.closest(".pw-group").querySelector(".pw-ptrack").dataset.control;
        const press = async (held) => {
            const [verb, direction] = what();
            return page.actClear(verb, form, name(), direction, held);
        };
        button.addEventListener("pointerdown", async (e) => {
            if (e.button !== 0 || page.busy) return;
            e.preventDefault();
            button.setPointerCapture?.(e.pointerId);
            stop();
            const going = {};
            timer = going;
            if (!(await this.typedFirst()) || !(await press(false))) {
                if (timer === going) stop();
                return;
            }
            const again = async () => {
                if (timer === null) return;
                if (!(await press(true))) {
                    stop();
                    return;
                }
                if (timer !== null) timer = setTimeout(again, 90);
            };
            if (timer === going) timer = setTimeout(again, 450);
        });
        for (const end of ["pointerup", "pointercancel", "lostpointercapture"])
            button.addEventListener(end, stop);
        // The keyboard: Enter or Space, held, repeats as a key does.
        button.addEventListener("keydown", (e) => {
            if (e.key !== "Enter" && e.key !== " ") return;
            e.preventDefault();
            const [verb, direction] = what();
            page.act(verb, form, name(), direction, e.repeat);
        });
        button.addEventListener("click", (e) => e.preventDefault());
    }

    // Made in the model's order, each in the container the model resolved, stacked as the
    // model has them front to back.
    build() {
        const containers = new Map([["", this.client]]);
        const byName = new Map(this.desc.controls.map((c) => [c.name, c]));
        for (const name of this.desc.creationOrder) {
            const c = byName.get(name);
            if (c.kind === "timer") continue; // started with the window
            if (c.kind === "slider" && !c.visible) continue; // nothing can reach it
            const el = this.create(c, containers.get(c.container));
            if (c.kind === "frame") containers.set(c.name, el);
        }
        for (const rec of this.controls.values())
            rec.el.style.zIndex = String(1000 - rec.desc.stack);
        // Labels that head controls.
        for (const c of this.desc.controls) {
            if (!c.labelledBy) continue;
            const label = this.controls.get(c.labelledBy),
                rec = this.controls.get(c.name);
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
        let el,
            focus = null;
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
                if (!c.transparent)
                    el.style.background = c.back !== -1 ? cssColour(c.back) : "inherit";
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
                clicksOncePerPress(el, (held) =>
                    this.page.act("click", this.desc.name, c.name, 0, held),
                );
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
                el = this.shape(c);
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
        if (c.description && focus && c.kind !== "slider")
            focus.setAttribute("aria-description", c.description);
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

    shape(c) {
        const svg = document.createElementNS(SVG, "svg");
        svg.classList.add("pw-shape");
        svg.setAttribute("aria-hidden", "true");
        const stroke = c.fore === -1 ? "#000000" : cssColour(c.fore);
        let node;
        if (c.kind === "line") {
            // A line is drawn in its container's coordinates.
            const e = c.ends;
            const left = Math.min(e.x1, e.x2) - c.lineWidth,
                top = Math.min(e.y1, e.y2) - c.lineWidth;
            const width = Math.abs(e.x2 - e.x1) + 2 * c.lineWidth,
                height = Math.abs(e.y2 - e.y1) + 2 * c.lineWidth;
            Object.assign(svg.style, {
                left: left + "px",
                top: top + "px",
                width: width + "px",
                height: height + "px",
            });
            node = document.createElementNS(SVG, "line");
            node.setAttribute("x1", e.x1 - left);
            node.setAttribute("y1", e.y1 - top);
            node.setAttribute("x2", e.x2 - left);
            node.setAttribute("y2", e.y2 - top);
            if (c.dotted) node.setAttribute("stroke-dasharray", "1 2");
        } else {
            const w = c.box.width,
                h = c.box.height,
                inset = c.lineWidth / 2;
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
        const less = document.createElement("div"),
            more = document.createElement("div");
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
        const act = (what, value) => page.act(what, form, c.name, value);
        less.addEventListener("pointerdown", (e) => {
            e.preventDefault();
            el.focus();
            act("arrow", -1);
        });
        more.addEventListener("pointerdown", (e) => {
            e.preventDefault();
            el.focus();
            act("arrow", +1);
        });
        this.sliderMoves(c, rec, el, track, thumb, thumbWidth);
        return el;
    }

    // What moves a slider, in either layout: a tap on its track beside the thumb is one large
    // step; the thumb drags, and its release is one assignment; the keys and the wheel step it.
    sliderMoves(c, rec, el, track, thumb, thumbWidth) {
        const form = this.desc.name;
        const page = this.page;
        const act = (what, value, held = false) => page.act(what, form, c.name, value, held);
        rec.positionOf = (value) => {
            const room = track.clientWidth - thumbWidth();
            return c.max === c.min ? 0 : ((value - c.min) / (c.max - c.min)) * room;
        };
        rec.valueAt = (offset) => {
            const room = track.clientWidth - thumbWidth();
            const v = room <= 0 ? c.min : c.min + Math.round((offset / room) * (c.max - c.min));
            return Math.max(c.min, Math.min(c.max, v));
        };
        rec.show = (value) => {
            thumb.style.width = thumbWidth() + "px";
            thumb.style.left = rec.positionOf(value) + "px";
        };

        track.addEventListener("pointerdown", async (e) => {
            e.preventDefault();
            if (e.target === thumb) {
                el.focus();
                return;
            }
            const direction = e.clientX < thumb.getBoundingClientRect().left ? -1 : +1;
            const typed = await this.typedFirst();
            el.focus();
            if (typed) act("page", direction);
        });
        let drag = null;
        thumb.addEventListener("pointerdown", (e) => {
            if (page.busy) return;
            e.preventDefault();
            el.focus();
            thumb.setPointerCapture(e.pointerId);
            drag = {
                start: e.clientX,
                from: rec.positionOf(rec.value),
                scale: track.getBoundingClientRect().width / track.clientWidth || 1,
            };
            thumb.classList.add("pw-dragging");
        });
        thumb.addEventListener("pointermove", (e) => {
            if (!drag) return;
            const room = track.clientWidth - thumbWidth();
            const at = Math.max(
                0,
                Math.min(room, drag.from + (e.clientX - drag.start) / drag.scale),
            );
            thumb.style.left = at + "px";
            drag.at = at;
        });
        const release = (e) => {
            if (!drag) return;
            const moved = drag.at !== undefined;
            const at = drag.at;
            drag = null;
            thumb.classList.remove("pw-dragging");
            if (e.type === "pointercancel" || !moved) {
                rec.show(rec.value);
                return;
            }
            act("drag", rec.valueAt(at)).then(() => rec.show(rec.value));
        };
        thumb.addEventListener("pointerup", release);
        thumb.addEventListener("pointercancel", release);
        el.addEventListener("keydown", (e) => {
            const keys = {
                ArrowRight: ["arrow", 1],
                ArrowDown: ["arrow", 1],
                ArrowLeft: ["arrow", -1],
                ArrowUp: ["arrow", -1],
                PageDown: ["page", 1],
                PageUp: ["page", -1],
                Home: ["drag", c.min],
                End: ["drag", c.max],
            };
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
        el.addEventListener(
            "wheel",
            (e) => {
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
            },
            {passive: false},
        );
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
                if (this.phone) {
                    rec.words = s.words;
                    rec.el.setAttribute("aria-valuetext", s.words);
                    this.showField(rec);
                }
            } else if (c.kind === "readout" || c.kind === "textbox") {
                const el = rec.el;
                if (el.value !== s.text) {
                    el.value = s.text;
                    if (!this.phone) this.fit(el);
                }
                if (rec.band) {
                    // The colour is never alone: its band's words go beside it.
                    const banded = s.back >= 0 && !!s.note;
                    rec.band.hidden = !banded;
                    rec.swatch.style.background = banded ? cssColour(s.back) : "";
                    // A colour without words (the white of an empty read-out) shows as it is.
                    el.style.backgroundColor = banded ? "" : cssColour(s.back);
                    rec.words.textContent = s.note;
                    el.dataset.back = colourName(s.back) ?? "";
                    if (rec.about.textContent !== s.description)
                        rec.about.textContent = s.description;
                    continue;
                }
                if (!this.phone) el.style.backgroundColor = cssColour(s.back);
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
              ? () =>
                    el.getBoundingClientRect().right >
                    el.parentElement.getBoundingClientRect().right + 0.5
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
        for (const el of this.el.querySelectorAll(
            ".pw-label, .pw-button, .pw-option > span, .pw-legend, .pw-readout, .pw-textbox",
        ))
            if ((el.value ?? el.textContent).trim() && el.offsetParent) this.fit(el);
    }

    onKey(e) {
        if (e.key === "Escape") {
            const cancel = this.desc.controls.find((c) => c.kind === "button" && c.cancel);
            if (cancel) {
                e.preventDefault();
                this.page.act("click", this.desc.name, cancel.name);
            }
        } else if (e.key === "Tab" && this.tabOrder.length && !this.phone) {
            // Tab goes round the window's controls in their tab order.
            e.preventDefault();
            const i = this.tabOrder.indexOf(document.activeElement);
            const n = this.tabOrder.length;
            const next = i < 0 ? 0 : (i + (e.shiftKey ? n - 1 : 1)) % n;
            this.tabOrder[next].focus({preventScroll: true});
        }
    }

    focusFirst() {
        // On a phone the window's title takes the focus: a field would bring up the keyboard.
        if (this.phone) {
            const title = this.el.querySelector(".pw-bar-title");
            title.tabIndex = -1;
            title.focus({preventScroll: true});
        } else if (this.tabOrder.length) {
            this.tabOrder[0].focus({preventScroll: true});
        }
    }

    // The drawing of a phone's window as wide as the screen allows (less where that would take
    // more than half of its height).
    fitDrawing() {
        const d = this.drawing;
        if (!d) return;
        const room = d.figure.clientWidth;
        const scale = Math.max(0.5, Math.min(room / d.width, (innerHeight * 0.45) / d.height));
        d.inner.style.transform = `scale(${scale})`;
        d.figure.style.height = Math.ceil(d.height * scale) + "px";
    }

    remove() {
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
        this.messages = []; // every box shown, in order: for the tests
        this.announced = []; // every announcement made, in order: for the tests
        this.onMessage = null;
        this.states = new Map(); // each window's last state, to build it again in the other layout
        // Each loaded form's timers. They belong to the form, not to its window: a window built
        // again in the other layout keeps the splash's time running, not started over.
        this.timers = new Map();
        module.pernadasPage = this;
        // What changed after an action, said once to a screen reader.
        this.live = document.createElement("div");
        this.live.className = "pw-hidden";
        this.live.setAttribute("role", "status");
        this.live.setAttribute("aria-live", "polite");
        document.body.append(this.live);
        this.phone = this.phoneWanted();
        document.body.classList.toggle("pw-phone-mode", this.phone);
        window.addEventListener("resize", () => this.fitAll());
        // A screen that turns or narrows follows, unless the user chose a layout.
        this.narrow = matchMedia("(max-width: 600px), (pointer: coarse)");
        this.narrow.addEventListener("change", () => {
            // Not while a box waits for its answer: the next change of the screen brings it.
            if (!this.busy && !this.chosen() && this.phoneWanted() !== this.phone)
                this.setLayout(this.phoneWanted(), false);
        });
    }

    // The layout the user chose ("?vista=telemovel" or "?vista=classica", else the last one
    // chosen with the switch), or null.
    chosen() {
        const asked = new URLSearchParams(location.search).get("vista");
        if (asked === "telemovel" || asked === "classica") return asked;
        try {
            return localStorage.getItem("pernadas-vista");
        } catch {
            return null;
        }
    }

    // The phone's layout on a narrow or touch screen (narrower than the widest window), the
    // classic one on a wide screen, unless the user chose.
    phoneWanted() {
        const chosen = this.chosen();
        if (chosen) return chosen === "telemovel";
        return matchMedia("(max-width: 600px), (pointer: coarse)").matches;
    }

    // Every window built again in the other layout, in the same order, from the state it shows.
    setLayout(phone, remember = true) {
        if (remember) {
            try {
                localStorage.setItem("pernadas-vista", phone ? "telemovel" : "classica");
            } catch {
                /* not kept: the page goes on */
            }
        }
        this.phone = phone;
        document.body.classList.toggle("pw-phone-mode", phone);
        const order = [...this.windows.values()];
        for (const old of order) {
            const win = new FormWindow(this, old.desc, phone);
            old.remove();
            this.windows.set(old.desc.name, win);
            this.desktop.append(win.el);
            const state = this.states.get(old.desc.name);
            if (state) win.sync(state);
        }
        for (const w of this.windows.values()) this.fit(w);
        const top = order.length ? this.windows.get(order[order.length - 1].desc.name) : null;
        if (top) {
            this.raise(top);
            const back = top.el.querySelector(".pw-switch");
            if (back) back.focus({preventScroll: true});
            else top.focusFirst();
        }
    }

    start(open = true) {
        return this.run(() =>
            this.module.ccall("pw_start", "number", ["number"], [open ? 1 : 0], {async: true}),
        );
    }

    // One user action is one event of the model; while one runs (a message box waits for its
    // answer), input that still reaches the page is dropped, so that two events never interleave.
    // `held`: the action repeats a key that is still held down (one press, one step: once a step
    // of a press has met a message box, its repeats do nothing).
    act(action, form, control = "", value = 0, held = false) {
        if (this.busy) return Promise.resolve(null);
        return this.run(() =>
            this.module.ccall(
                "pw_act",
                "number",
                ["string", "string", "string", "number", "number"],
                [action, form, control, value, held ? 1 : 0],
                {async: true},
            ),
        );
    }

    // The same, true when the action was taken and showed no message box: what a press needs to
    // know before it goes on.
    async actClear(action, form, control, value, held = false) {
        const boxes = this.messages.length;
        const done = await this.act(action, form, control, value, held);
        return done !== -2 && this.messages.length === boxes;
    }

    // The results an action changed, as the model words them, said once through the live
    // region.
    announce(text) {
        this.announced.push(text);
        // Emptied first, so that the same words, said again after another action, are said.
        this.live.textContent = "";
        setTimeout(() => {
            this.live.textContent = text;
        }, 50);
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
        const win = new FormWindow(this, desc, this.phone);
        this.windows.set(desc.name, win);
        this.desktop.prepend(win.el);
        this.states.set(desc.name, state);
        this.timers.set(
            desc.name,
            desc.controls
                .filter((c) => c.kind === "timer")
                .map((c) => setInterval(() => this.act("tick", desc.name, c.name), c.interval)),
        );
        win.sync(state);
        this.fit(win);
        this.raise(win);
        win.focusFirst();
        // When the first window was drawn, from the start of the page's loading: a figure the
        // browser tests report.
        if (this.firstWindowAt === undefined)
            requestAnimationFrame(() => {
                this.firstWindowAt = performance.now();
            });
    }

    formActivated(name) {
        const win = this.windows.get(name);
        if (win) {
            this.raise(win);
        }
    }

    formUnloaded(name) {
        const win = this.windows.get(name);
        if (!win) return;
        this.windows.delete(name);
        this.states.delete(name);
        for (const t of this.timers.get(name) ?? []) clearInterval(t);
        this.timers.delete(name);
        win.remove();
        const top = [...this.windows.values()].pop();
        if (top) {
            this.current();
            top.focusFirst();
        }
    }

    // Where the program has ended, it can be started again, from the splash, as a new start
    // of the program would.
    noFormLoaded() {
        const end = document.createElement("div");
        end.className = "pw-ended";
        end.setAttribute("role", "region");
        end.setAttribute("aria-label", "Fim");
        const p = document.createElement("p");
        p.textContent = "O programa terminou.";
        const again = document.createElement("button");
        again.type = "button";
        again.className = "pw-button pw-restart";
        again.textContent = "Recomeçar";
        again.addEventListener("click", () => {
            if (!this.busy && !this.windows.size) this.start(true);
        });
        end.append(p, again);
        this.desktop.append(end);
        again.focus({preventScroll: true});
    }

    sync(state) {
        this.states.set(state.form, state);
        const win = this.windows.get(state.form);
        if (win) win.sync(state);
    }

    // On a phone only the active window shows, filling the screen; the others wait behind it.
    current() {
        const top = [...this.windows.values()].pop();
        for (const w of this.windows.values()) {
            w.el.classList.toggle("pw-current", w === top);
            if (this.phone) w.el.hidden = w !== top;
            else w.el.hidden = false;
        }
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
        this.current();
        if (this.phone) scrollTo(0, 0);
        else win.el.scrollIntoView({block: "nearest"});
    }

    // A window wider than the screen (a phone's 360 CSS pixels) is scaled down to fit its width;
    // on a desktop it keeps its natural size.
    fit(win) {
        if (win.phone) {
            win.fitDrawing();
            return;
        }
        const room = Math.max(200, document.documentElement.clientWidth - 8);
        const natural = win.naturalWidth + 4; // and its border
        const scale = Math.min(1, room / natural);
        win.scale = scale;
        win.el.style.zoom = scale < 1 ? String(scale) : "";
        // The switch to the phone's layout is read and tapped at its own size, however small
        // the window is shown.
        const other = win.el.querySelector(":scope > .pw-switch");
        if (other) {
            other.style.fontSize = scale < 1 ? 14 / scale + "px" : "";
            other.style.minHeight = scale < 1 ? 48 / scale + "px" : "";
        }
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
            dialog.setAttribute("aria-describedby", "pw-message-text");
            const head = document.createElement("header");
            head.className = "pw-titlebar";
            head.textContent = title;
            const body = document.createElement("div");
            body.className = "pw-message-body";
            const icon = document.createElement("span");
            icon.className =
                "pw-icon " +
                (style === 16 ? "pw-icon-critical" : style === 64 ? "pw-icon-info" : "");
            icon.setAttribute("aria-hidden", "true");
            icon.textContent = style === 16 ? "\u2716" : style === 64 ? "i" : "";
            const p = document.createElement("p");
            p.id = "pw-message-text";
            p.textContent = text;
            body.append(icon, p);
            const ok = document.createElement("button");
            ok.type = "button";
            ok.className = "pw-button pw-ok";
            ok.textContent = "OK";
            const done = () => {
                dialog.close();
                dialog.remove();
                resolve();
            };
            ok.addEventListener("click", done);
            // The key held on the button that raised the box does not answer it.
            ok.addEventListener("keydown", (e) => {
                if (e.repeat) e.preventDefault();
            });
            // Esc dismisses it like OK: the box has no other answer.
            dialog.addEventListener("cancel", (e) => {
                e.preventDefault();
                done();
            });
            dialog.append(head, body, ok);
            document.body.append(dialog);
            dialog.showModal();
            ok.focus();
            if (this.onMessage) this.onMessage({style, title, text});
        });
    }
}
