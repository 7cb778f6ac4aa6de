// The phone's window: the same table in one column as wide as the screen, read and reached from
// top to bottom. A bar with the title (and the form's cancel button as the way back); the
// drawing, scaled to the width; each slider the user can move as a group of its own (heading,
// value, track, steps of one and of a page, a field to type metres in); the option buttons as
// one segmented choice; the results, large, with their colour band in words; what else the form
// shows; its commands, full width, at the foot.
import {createControl} from "./classic.js";
import {holdToRepeat, metresField, showField, sliderMoves} from "./slider.js";
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
        // The way back: the form's cancel button, where it is shown.
        const cancel =
            desc.cancel && byName.get(desc.cancel).visible ? byName.get(desc.cancel) : null;
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
        win.setAttribute("aria-labelledby", h.id);
        win.append(bar);

        const body = document.createElement("div");
        body.className = "pw-body";
        win.append(body);
        this.client = body;

        if (g.drawing) this.drawingOf(byName.get(g.drawing), byName, body);
        for (const s of g.sliders)
            this.slider(byName.get(s.slider), s.readout && byName.get(s.readout), s, body);
        for (const group of g.options) this.choice(group, byName, body);
        if (g.results.length) {
            const list = document.createElement("div");
            list.className = "pw-results";
            for (const name of g.results) this.readout(byName.get(name), list, "pw-result");
            body.append(list);
        }
        // What else the form shows (a splash's texts, an about box's), as the model orders it.
        const rest = g.others.map((n) => byName.get(n));
        if (rest.length) {
            const more = document.createElement("div");
            more.className = "pw-texts";
            for (const c of rest) more.append(this.other(c));
            body.append(more);
        }

        const commands = g.commands
            .map((n) => byName.get(n))
            .filter((c) => c.visible && c !== cancel);
        if (commands.length) {
            const foot = document.createElement("div");
            foot.className = "pw-commands";
            for (const c of commands) foot.append(this.button(c, "pw-command"));
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
            el = document.createElement("input");
            el.type = "text";
            el.readOnly = true;
            el.className = "pw-textbox pw-text";
            el.tabIndex = c.takesFocus ? 0 : -1;
            if (c.accessibleName) el.setAttribute("aria-label", c.accessibleName);
            rec.about = document.createElement("span");
            rec.focus = c.takesFocus ? el : null;
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

    // A read-out as a large row: its name, its value, its unit, and its colour band, where it
    // has one, as a strip of the colour with the band's words beside it.
    readout(c, parent, className) {
        const row = document.createElement("div");
        row.className = className;
        row.dataset.control = c.name;
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
    // enters it (a value other than the slider's is one drag to it).
    slider(c, readout, group, body) {
        const form = this.desc.name;
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
            const row = this.readout(readout, box, "pw-result pw-slider-value");
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
        metresField(this, c, rec, head, box);
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
        if (el.value !== s.text) el.value = s.text;
        if (!rec.band) {
            this.describeText(rec, s);
            return;
        }
        // The colour is never alone: its band's words go beside it.
        const banded = !!s.colour && !!s.note;
        rec.band.hidden = !banded;
        rec.swatch.style.background = banded ? css(s.colour) : "";
        // A colour without words (the white of an empty read-out) shows as it is.
        el.style.backgroundColor = banded ? "" : css(s.colour);
        rec.words.textContent = s.note;
        this.describeText(rec, s, false);
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
        const d = this.drawing;
        if (!d) return;
        const room = d.figure.clientWidth;
        const scale = Math.max(0.5, Math.min(room / d.width, (innerHeight * 0.45) / d.height));
        d.inner.style.transform = `scale(${scale})`;
        d.figure.style.height = Math.ceil(d.height * scale) + "px";
    }
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
