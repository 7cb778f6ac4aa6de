// The phone's window: the same table in one column as wide as the screen, read and reached from
// top to bottom. A bar with the title (and the way back: the form's cancel button, or the button
// that closes a dialog); the results, pinned under it so that they stay in view while anything
// moves (beside the rest in landscape), each band as a strip of its colour with its words; the
// drawing, scaled to the width; each slider the user can move as a group of its own (heading, a
// field to type metres in, track, steps of one and of a page), in the order the calculation asks
// for them, with the choice of what a slider measures just before it; what else the form shows,
// and the pictures beside it; its commands, full width, at the foot, and apart below them the one
// that leaves.
import {createControl} from "./classic.js";
import {
    entryField,
    holdToRepeat,
    metresField,
    showField,
    sliderMoves,
    typedEntry,
} from "./slider.js";
import {css, cssFont, FormWindow, switchButton, WINDOW_FONT} from "./window.js";

export class PhoneWindow extends FormWindow {
    constructor(page, desc) {
        super(page, desc, true);
        const byName = new Map(desc.controls.map((c) => [c.name, c]));
        const g = desc.groups;
        const win = this.section();
        const title = desc.caption || desc.accessibleName || "Pernadas";

        const bar = document.createElement("header");
        bar.className = "pw-bar";
        // The way back, where it is shown.
        const cancel = g.back && byName.get(g.back).visible ? byName.get(g.back) : null;
        if (cancel) {
            const back = this.button(cancel, "pw-back");
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
        // The link to what the user set, where the window keeps a job (job.js).
        const share = page.job?.shareButton(desc);
        if (share) bar.append(share);
        win.setAttribute("aria-labelledby", h.id);
        win.append(bar);

        const main = document.createElement("div");
        main.className = "pw-main";
        win.append(main);
        // The results first, pinned: every read-out, as the model lists them.
        if (g.results.length) {
            const list = document.createElement("div");
            list.className = "pw-results";
            list.setAttribute("role", "group");
            list.setAttribute("aria-label", "Resultados");
            for (const name of g.results) this.readout(byName.get(name), list);
            main.append(list);
            main.classList.add("pw-has-results");
        }
        const body = document.createElement("div");
        body.className = "pw-body";
        main.append(body);
        this.client = body;

        if (g.drawing) this.drawingOf(byName.get(g.drawing), byName, body);
        // The sliders in the order the calculation asks for them; the choice of what one
        // measures just before it, the other choices after them.
        const asked = new Set();
        for (const s of g.sliders) {
            if (s.choice !== null) {
                asked.add(s.choice);
                this.choice(g.options[s.choice], byName, body);
            }
            this.slider(byName.get(s.slider), s, body);
        }
        g.options.forEach((group, i) => asked.has(i) || this.choice(group, byName, body));
        // What else the form shows (a splash's texts, an about box's), as the model orders it.
        const rest = g.others.map((n) => byName.get(n));
        if (rest.length) {
            const more = document.createElement("div");
            more.className = "pw-texts";
            for (const c of rest) more.append(this.other(c));
            body.append(more);
        }
        if (g.beside.length) {
            const beside = document.createElement("div");
            beside.className = "pw-beside";
            for (const n of g.beside) beside.append(this.other(byName.get(n)));
            body.append(beside);
        }

        // The one that leaves, last, with room above it.
        const commands = g.commands
            .map((n) => byName.get(n))
            .filter((c) => c.visible && c !== cancel)
            .sort((a, b) => (a.name === g.apart) - (b.name === g.apart));
        if (commands.length) {
            const foot = document.createElement("div");
            foot.className = "pw-commands";
            for (const c of commands)
                foot.append(this.button(c, "pw-command" + (c.name === g.apart ? " pw-apart" : "")));
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

    // The drawing: the frame and what lies in it as the classic window draws them, scaled.
    drawingOf(frame, byName, body) {
        const figure = document.createElement("div");
        figure.className = "pw-drawing";
        const inner = document.createElement("div");
        inner.className = "pw-client pw-drawing-inner";
        inner.style.width = frame.box.width + "px";
        inner.style.height = frame.box.height + "px";
        inner.style.font = cssFont(this.desc.face, WINDOW_FONT);
        figure.append(inner);
        body.append(figure);
        const el = createControl(this, frame, inner);
        el.style.left = el.style.top = "0px";
        const within = new Map([[frame.name, el]]);
        for (const c of this.desc.creationOrder.map((n) => byName.get(n))) {
            if (!c.made || !within.has(c.container)) continue;
            const made = createControl(this, c, within.get(c.container));
            // Stacked as the classic window stacks them: a letter is not hidden behind a fill.
            made.style.zIndex = String(1000 - c.stack);
            if (c.kind === "frame") within.set(c.name, made);
        }
        this.drawing = {figure, inner, width: frame.box.width, height: frame.box.height};
    }

    // A group of option buttons as one segmented choice.
    choice(group, byName, body) {
        const form = this.desc.name;
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
            radio.name = `pw-${form}-${c.container || "form"}`;
            this.optionInput(radio, c);
            const text = document.createElement("span");
            text.textContent = c.spoken || c.name;
            el.append(radio, text);
            if (!c.visible) el.style.display = "none";
            choice.append(el);
            Object.assign(rec, {el, radio, focus: radio});
            this.controls.set(c.name, rec);
        }
        body.append(choice);
    }

    // A control that is none of the above: a label's text, a text box, a picture.
    other(c) {
        let el;
        const rec = {desc: c};
        if (c.kind === "label") {
            el = document.createElement("p");
            el.className = "pw-text";
            el.textContent = c.caption.trim();
        } else if (c.kind === "textbox") {
            // Read here, not typed in: a paragraph, which wraps, and a telephone number or an
            // e-mail address in it a link to call or write to.
            el = document.createElement("p");
            el.className = "pw-text";
            rec.about = document.createElement("span");
            rec.show = (text) => showContact(el, text);
        } else {
            el = pictureRow(c);
            if (c.kind === "picture" && c.takesFocus) {
                el.tabIndex = 0;
                el.setAttribute("role", "img");
                el.setAttribute("aria-label", c.accessibleName || "");
                el.querySelector("img").alt = "";
                rec.focus = el;
            }
        }
        el.dataset.control = c.name;
        rec.el = el;
        this.controls.set(c.name, rec);
        return el;
    }

    button(c, className) {
        const el = this.commandButton(c, "pw-button " + className);
        this.controls.set(c.name, {desc: c, el, focus: el});
        return el;
    }

    // A read-out as a row of the results: its name, its value and unit, and its colour band,
    // where it has one, as a strip of the colour with the band's words on it.
    readout(c, parent) {
        const row = document.createElement("div");
        row.className = "pw-result";
        row.dataset.control = c.name;
        if (!c.visible) row.hidden = true;
        const id = `pw-${this.desc.name}-${c.name}`;
        const name = document.createElement("span");
        name.className = "pw-result-name";
        name.id = id + "-name";
        name.textContent = c.spoken || c.name;
        const el = document.createElement("input");
        el.type = "text";
        el.readOnly = true;
        el.className = "pw-readout";
        el.dataset.control = c.name;
        // Read, not reached: a screen reader reads the results; the fingers' targets are below.
        el.tabIndex = -1;
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
        unit.textContent = c.unit === "metros" ? "m" : c.unit === "graus" ? "\u00b0" : c.unit;
        unit.setAttribute("aria-hidden", "true");
        const band = document.createElement("div");
        band.className = "pw-band";
        band.setAttribute("aria-hidden", "true");
        const swatch = document.createElement("span");
        swatch.className = "pw-swatch";
        const words = document.createElement("span");
        words.className = "pw-band-words";
        swatch.append(words);
        band.append(swatch);
        const value = document.createElement("div");
        value.className = "pw-value";
        value.append(el, unit);
        row.append(name, value, band, about);
        parent.append(row);
        this.controls.set(c.name, {
            desc: c,
            el,
            row,
            about,
            band,
            swatch,
            words,
            focus: null,
        });
        return row;
    }

    // A group of controls under its heading.
    group(name, title) {
        const box = document.createElement("div");
        box.className = "pw-group";
        box.setAttribute("role", "group");
        const head = document.createElement("h3");
        head.className = "pw-heading";
        head.id = `pw-${this.desc.name}-${name}-heading`;
        head.textContent = title;
        box.setAttribute("aria-labelledby", head.id);
        box.append(head);
        return [box, head];
    }

    // A slider the user can move, as a phone's group of controls: its heading and value; a
    // track whose thumb drags; − and + (one small step, as an arrow), −10 and +10 (one large
    // step, as a page), which repeat while held; and a field to type the value in metres, which
    // enters it (a value other than the slider's is one drag to it).
    slider(c, group, body) {
        const [box, head] = this.group(c.name, group.heading.replace(/\s+/g, " "));

        const rec = {desc: c};
        metresField(this, c, rec, head, box);
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
        sliderMoves(this, c, rec, track, track, thumb, () => 48);

        const steps = document.createElement("div");
        steps.className = "pw-steps";
        const step = (part, name, text, label) => {
            const b = document.createElement("button");
            b.type = "button";
            b.className = "pw-button pw-step";
            b.textContent = text;
            b.dataset.step = name;
            b.setAttribute("aria-label", label);
            holdToRepeat(this, b, part);
            steps.append(b);
        };
        step("before", "page-", "\u2212" + c.largeChange, `Menos ${c.largeChange}`);
        step("less", "arrow-", "\u2212", `Menos ${c.smallChange}`);
        step("more", "arrow+", "+", `Mais ${c.smallChange}`);
        step("after", "page+", "+" + c.largeChange, `Mais ${c.largeChange}`);
        box.append(steps);
        // Where a choice says what the slider measures, its heading says which was chosen.
        if (group.choice !== null)
            rec.heading = {head, options: this.desc.groups.options[group.choice]};
        body.append(box);
        this.controls.set(c.name, rec);
    }

    showSlider(rec, s) {
        rec.words = s.words;
        rec.el.setAttribute("aria-valuetext", s.words);
        showField(rec);
    }

    showText(rec, s) {
        const el = rec.el;
        if (rec.show) rec.show(s.text);
        else if (el.value !== s.text) el.value = s.text;
        if (!rec.band) {
            this.describeText(rec, s);
            return;
        }
        // The colour is never alone: its band's words go on it ("banda verde-clara", the note's
        // head), and the whole sentence describes the value.
        const banded = !!s.colour && !!s.note;
        rec.band.hidden = !banded;
        rec.swatch.style.background = banded ? css(s.colour) : "";
        // A colour without words (the white of an empty read-out) shows as it is.
        el.style.backgroundColor = banded ? "" : css(s.colour);
        rec.words.textContent = s.note.split(":")[0];
        this.describeText(rec, s, false);
    }

    // A sling's angle factor beside its angles and, for the load's weight typed in a field of
    // its own, the load on each leg: made when the model first gives them, in its words.
    showLoad(load) {
        this.load ??= this.loadRows(load);
        const row = (name, text, description) => {
            const rec = this.controls.get(name);
            this.showText(rec, {text, colour: "", note: "", description});
            // As wide as the figure: the largest load has eleven characters.
            rec.el.style.width = `${Math.max(3.4, 0.6 * text.length + 0.2)}em`;
        };
        row("@factor", load.factor, "comprimento da pernada a dividir pela altura");
        row("@perLeg", load.perLeg, `quilogramas; ${load.names.twoLegs}`);
        row("@share", load.share, "quilogramas");
        for (const name of ["@factor", "@perLeg", "@share"])
            this.controls.get(name).row.hidden = !load[name.slice(1)];
        const field = this.load;
        if (!field.dataset.dirty || document.activeElement !== field) {
            field.dataset.dirty = "";
            field.value = load.weight ? String(load.weight) : "";
        }
    }

    loadRows(load) {
        const n = load.names;
        const rows = document.createDocumentFragment();
        const row = (name, spoken, unit) => this.readout({name, spoken, unit, visible: true}, rows);
        row("@factor", n.factor, "");
        row("@perLeg", n.perLeg, "kg");
        const twoLegs = document.createElement("p");
        twoLegs.className = "pw-result-note";
        twoLegs.setAttribute("aria-hidden", "true");
        twoLegs.textContent = n.twoLegs;
        this.controls.get("@perLeg").row.append(twoLegs);
        row("@share", n.share, "kg");
        this.el.querySelector(`.pw-result[data-control="${load.after}"]`).after(rows);

        // The weight, after what the calculation asks for.
        const [box] = this.group("weight", n.weight);
        const id = `pw-${this.desc.name}-weight`;
        const {field, refusal} = entryField(box, id, n.weight, "kg", "numeric");
        field.classList.add("pw-weight");
        const confirm = typedEntry(field, refusal, (text) => {
            if (this.page.busy) return null;
            const why = this.page.weight(this.desc.name, text);
            if (why) return {refusal: why};
            // As the model took it ("12500" for "12 500").
            return {
                enter: () => {
                    this.showLoad(this.page.states.get(this.desc.name).load);
                    return true;
                },
            };
        });
        this.controls.set("@weight", {desc: {}, field, confirm});
        this.client.insertBefore(box, this.client.querySelector(".pw-commands, .pw-foot"));
        return field;
    }

    sync(state) {
        super.sync(state);
        if (state.load) this.showLoad(state.load);
        this.pin();
        // A slider whose choice says what it measures is headed by the option chosen.
        for (const rec of this.controls.values()) {
            if (!rec.heading) continue;
            const chosen = rec.heading.options
                .map((n) => this.controls.get(n))
                .find((o) => o.radio.checked);
            if (chosen) rec.heading.head.textContent = chosen.desc.spoken || chosen.desc.name;
            if (rec.field)
                rec.field.setAttribute("aria-label", `${rec.heading.head.textContent}, em metros`);
        }
    }

    // On a phone the window's title takes the focus: a field would bring up the keyboard.
    focusFirst() {
        const title = this.el.querySelector(".pw-bar-title");
        title.tabIndex = -1;
        title.focus({preventScroll: true});
    }

    // The drawing as wide as the screen allows (less where that would take more than half of
    // its height).
    fit() {
        this.pin();
        const d = this.drawing;
        if (!d) return;
        const room = d.figure.clientWidth;
        const scale = Math.max(0.5, Math.min(room / d.width, (innerHeight * 0.45) / d.height));
        d.inner.style.transform = `scale(${scale})`;
        d.figure.style.height = Math.ceil(d.height * scale) + "px";
        this.letters(scale);
    }

    // The results pin under the bar, however tall the title's text makes it; what is scrolled
    // to stops below both (their height changes with what they show). Measured once a frame,
    // however many updates it shows: a measure after each would lay the page out each time.
    pin() {
        this.pinning ??= requestAnimationFrame(() => {
            this.pinning = null;
            if (this.el.hidden) return;
            const bar = this.el.querySelector(".pw-bar").offsetHeight;
            this.el.style.setProperty("--pw-bar", bar + "px");
            const results = this.el.querySelector(".pw-results");
            const above = results && results.offsetLeft < 8 && results.offsetWidth > innerWidth / 2;
            document.documentElement.style.scrollPaddingTop =
                bar + (above ? results.offsetHeight : 0) + 8 + "px";
        });
    }

    // The drawing's letters as large as the page's small text (14 pixels where the user's text
    // size is 16) however much the drawing is scaled down, each where its table puts it, and
    // outlined in white (in black, a light letter) to stand out from the lines and fills
    // around it.
    letters(scale) {
        const least =
            (0.875 * parseFloat(getComputedStyle(document.documentElement).fontSize)) / scale;
        for (const el of this.drawing.inner.querySelectorAll(".pw-label")) {
            const text = el.firstChild;
            if (!text?.textContent.trim()) continue;
            el.dataset.size ??= el.style.fontSize;
            el.style.fontSize = el.dataset.size;
            el.style.translate = "";
            // Where its letters lie, less the blanks that place them in their box.
            const ink = () => {
                const range = document.createRange();
                range.setStart(text, text.textContent.search(/\S/));
                range.setEnd(text, text.textContent.length);
                const r = range.getBoundingClientRect();
                return [r.left + r.width / 2, r.top + r.height / 2];
            };
            const own = parseFloat(getComputedStyle(el).fontSize);
            if (own < least) {
                const [x, y] = ink();
                el.style.fontSize = least + "px";
                const [x1, y1] = ink();
                el.style.translate = `${(x - x1) / scale}px ${(y - y1) / scale}px`;
            }
            // White where it leaves the letter 3:1 against it.
            const halo =
                1.05 / (luminance(getComputedStyle(el).color) + 0.05) >= 3 ? "#fff" : "#000";
            // Eight strokes of 1.5 pixels as seen, round the letter.
            el.style.textShadow = [...Array(8).keys()]
                .map((k) => {
                    const [dx, dy] = [Math.cos, Math.sin].map((f) =>
                        ((1.5 * f((k * Math.PI) / 4)) / scale).toFixed(2),
                    );
                    return `${dx}px ${dy}px 0 ${halo}`;
                })
                .join(", ");
        }
    }
}

// The relative luminance of a colour as getComputedStyle gives it ("rgb(r, g, b)").
function luminance(colour) {
    const [r, g, b] = colour
        .match(/[\d.]+/g)
        .slice(0, 3)
        .map((v) => {
            const c = v / 255;
            return c <= 0.04045 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4;
        });
    return 0.2126 * r + 0.7152 * g + 0.0722 * b;
}

// A text box's text in paragraph `el`: a telephone number or an e-mail address as a link to
// call or write to. An address too long for its line breaks after its @ or before a dot, not
// inside a word.
function showContact(el, text) {
    text = text.trim();
    if (el.dataset.text === text) return;
    el.dataset.text = text;
    const telephone = /^\+?\d[\d ]{7,}\d$/.test(text);
    const mail = /^[^\s@]+@[^\s@]+\.[^\s@]+$/.test(text);
    const to = telephone || mail ? document.createElement("a") : el;
    to.replaceChildren();
    text.split(/(?=\.\D)|(?<=@)/).forEach((part, i) => {
        if (i) to.append(document.createElement("wbr"));
        to.append(part);
    });
    if (to === el) return;
    to.className = "pw-link";
    to.href = telephone ? "tel:" + text.replace(/ /g, "") : "mailto:" + text;
    el.replaceChildren(to);
}

// A picture of the form's texts, as wide as its box and a half (at most 320 pixels), its height
// in proportion.
function pictureRow(c) {
    const el = document.createElement("div");
    el.className = "pw-picture-row";
    const img = document.createElement("img");
    img.src = `pictures/${c.picture}.svg`;
    img.alt = c.accessibleName || "";
    img.style.aspectRatio = `${c.box.width} / ${c.box.height}`;
    img.style.width = Math.min(c.box.width * 1.5, 320) + "px";
    el.append(img);
    return el;
}
