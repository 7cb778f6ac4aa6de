// The classic window: the form as its table draws it, at its natural size, with a title bar and
// a close box, every control where the model puts it; scaled down as a whole where the screen is
// narrower. Its controls also draw the drawing at the head of a phone's window.
import {scrollBar} from "./slider.js";
import {
    css,
    cssFont,
    fitText,
    FormWindow,
    keepBlanks,
    switchButton,
    underlined,
    WINDOW_FONT,
} from "./window.js";

export class ClassicWindow extends FormWindow {
    constructor(page, desc) {
        super(page, desc, false);
        const w = desc.pixels.clientWidth,
            h = desc.pixels.clientHeight;
        const win = this.section();
        win.setAttribute("aria-label", desc.caption || desc.accessibleName || desc.name);

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
        client.style.font = cssFont(desc.face, WINDOW_FONT);
        if (desc.colour) client.style.background = css(desc.colour);
        showPicture(client, desc);
        win.append(client);
        win.append(switchButton(page, "Vista de telemóvel"));
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
            if (!c.made) continue;
            const el = createControl(this, c, containers.get(c.container));
            if (c.kind === "frame") containers.set(c.name, el);
        }
        for (const rec of this.controls.values())
            rec.el.style.zIndex = String(1000 - rec.desc.stack);
        this.labelHeads();
        // Tab order within the window, as the model gives it.
        this.tabOrder = this.desc.tabOrder
            .filter((name) => this.controls.get(name)?.focus)
            .map((name) => this.controls.get(name).focus);
    }

    // Labels that head controls name them, unless a control has a name of its own.
    labelHeads() {
        for (const c of this.desc.controls) {
            if (!c.labelledBy) continue;
            const label = this.controls.get(c.labelledBy),
                rec = this.controls.get(c.name);
            if (label && rec && rec.focus && !c.spoken) {
                label.el.id = label.el.id || `pw-${this.desc.name}-${c.labelledBy}`;
                rec.focus.setAttribute("aria-labelledby", label.el.id);
            }
        }
    }

    showText(rec, s) {
        const el = rec.el;
        if (el.value !== s.text) {
            el.value = s.text;
            fitText(el, this.desc);
        }
        el.style.backgroundColor = css(s.colour);
        this.describeText(rec, s);
    }

    focusFirst() {
        if (this.tabOrder.length) this.tabOrder[0].focus({preventScroll: true});
    }

    // A window wider than the screen (a phone's 360 CSS pixels) is scaled down to fit its width;
    // on a desktop it keeps its natural size.
    fit() {
        const room = Math.max(200, document.documentElement.clientWidth - 8);
        const natural = this.naturalWidth + 4; // and its border
        const scale = Math.min(1, room / natural);
        this.el.style.zoom = scale < 1 ? String(scale) : "";
        // The switch to the phone's layout is read and tapped at its own size, however small
        // the window is shown.
        const other = this.el.querySelector(":scope > .pw-switch");
        if (other) {
            other.style.fontSize = scale < 1 ? 14 / scale + "px" : "";
            other.style.minHeight = scale < 1 ? 48 / scale + "px" : "";
        }
        // Texts measured at the window's scale: a font's widths do not scale exactly.
        for (const el of this.el.querySelectorAll(
            ".pw-label, .pw-button, .pw-option > span, .pw-legend, .pw-readout, .pw-textbox",
        ))
            if ((el.value ?? el.textContent).trim() && el.offsetParent) fitText(el, this.desc);
    }
}

// The window's picture, drawn behind its controls at the size the model fits it to.
function showPicture(client, desc) {
    if (!desc.picture) return;
    client.style.backgroundImage = `url("pictures/${desc.picture}.svg")`;
    client.style.backgroundRepeat = "no-repeat";
    client.style.backgroundSize = `${desc.pixels.pictureWidth}px ${desc.pixels.pictureHeight}px`;
}

// The controls, one element each, placed where the model puts them.
const SVG = "http://www.w3.org/2000/svg";

// Where the model puts the control in its container (a label at the part of it that the
// controls in front leave seen, so that its text goes there and is fitted to it).
function place(el, c) {
    el.style.left = c.box.left + "px";
    el.style.top = c.box.top + "px";
    el.style.width = c.box.width + "px";
    el.style.height = c.box.height + "px";
}

// A control of window `win`, made in `parent` and kept in the window's controls; returns its
// element.
export function createControl(win, c, parent) {
    let el,
        focus = null;
    const rec = {desc: c};
    const form = win.desc.name;
    switch (c.kind) {
        case "slider":
            el = scrollBar(win, c, rec);
            focus = el;
            break;
        case "readout":
        case "textbox": {
            el = document.createElement("input");
            el.type = "text";
            el.className = c.kind === "readout" ? "pw-readout" : "pw-textbox";
            if (c.kind === "readout") el.readOnly = true;
            el.style.textAlign = c.align;
            el.style.color = css(c.colours.fore);
            const described = document.createElement("span");
            described.className = "pw-hidden";
            described.id = `pw-${form}-${c.name}-about`;
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
            el.style.color = css(c.colours.fore);
            // A label hides what lies behind it, in its own colour or its container's,
            // unless the layout makes it transparent.
            if (!c.transparent)
                el.style.background = css(c.colours.back || c.colours.behind) || "inherit";
            break;
        }
        case "frame": {
            el = document.createElement("div");
            el.className = "pw-frame" + (c.caption ? " pw-frame-captioned" : "");
            if (c.caption) {
                const legend = document.createElement("span");
                legend.className = "pw-legend";
                legend.textContent = keepBlanks(c.caption);
                legend.style.background = css(c.colours.back);
                // The group is called by it: it is not read again as a text of its own.
                legend.setAttribute("aria-hidden", "true");
                el.append(legend);
            }
            el.style.background = css(c.colours.back);
            // A frame that holds lines or shapes is a drawing: one picture, described.
            if (c.role === "drawing") {
                el.setAttribute("role", "img");
                el.setAttribute("aria-label", c.spoken || "Desenho");
                if (c.description) el.setAttribute("aria-description", c.description);
            } else if (c.spoken) {
                el.setAttribute("role", "group");
                el.setAttribute("aria-label", c.spoken);
            }
            break;
        }
        case "button": {
            el = win.commandButton(c, "pw-button");
            el.style.background = css(c.colours.back);
            el.tabIndex = c.takesFocus ? 0 : -1;
            focus = c.takesFocus ? el : null;
            break;
        }
        case "option": {
            el = document.createElement("label");
            el.className = "pw-option";
            const radio = document.createElement("input");
            radio.type = "radio";
            radio.name = `pw-${form}-${c.container || "form"}`;
            radio.tabIndex = c.takesFocus ? 0 : -1;
            // However it is chosen, choosing an option is the model's action; the model keeps
            // the group, and the buttons show it after the action.
            win.optionInput(radio, c);
            const text = document.createElement("span");
            text.append(underlined(c.caption));
            el.append(radio, text);
            el.style.color = css(c.colours.fore);
            el.style.background = css(c.colours.back);
            rec.radio = radio;
            focus = radio;
            break;
        }
        case "line":
        case "oval":
        case "rectangle":
            el = shape(c);
            break;
        case "image":
        case "picture": {
            el = document.createElement("div");
            el.className = c.kind === "image" ? "pw-image" : "pw-picture";
            const img = document.createElement("img");
            img.src = `pictures/${c.picture}.svg`;
            img.alt = c.spoken;
            if (c.description) img.setAttribute("aria-description", c.description);
            // A picture box shows its drawing where the model fits it.
            if (c.kind === "picture")
                Object.assign(img.style, {
                    position: "absolute",
                    left: c.fitted.left + "px",
                    top: c.fitted.top + "px",
                    width: c.fitted.width + "px",
                    height: c.fitted.height + "px",
                    maxWidth: "none",
                    maxHeight: "none",
                });
            el.append(img);
            el.style.background = css(c.colours.back);
            if (c.kind === "picture" && c.takesFocus) {
                el.tabIndex = 0;
                focus = el;
            }
            break;
        }
    }
    el.dataset.control = c.name;
    if (c.kind !== "line") place(el, c);
    el.style.font = cssFont(c.face, "inherit");
    if (c.spoken && focus) focus.setAttribute("aria-label", c.spoken);
    if (c.description && focus && c.kind !== "slider")
        focus.setAttribute("aria-description", c.description);
    if (!c.visible) el.style.display = "none";
    parent.append(el);
    rec.el = el;
    rec.focus = focus;
    win.controls.set(c.name, rec);
    return el;
}

// A line, an oval or a rectangle, drawn in SVG.
function shape(c) {
    const svg = document.createElementNS(SVG, "svg");
    svg.classList.add("pw-shape");
    svg.setAttribute("aria-hidden", "true");
    const stroke = css(c.colours.fore) || "#000000";
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
        // The outline where the model runs it, its stroke inside the box; without one, the fill
        // reaches the box's edges.
        const o = c.outline
            ? c.stroke
            : {left: 0, top: 0, width: c.box.width, height: c.box.height};
        if (c.kind === "oval") {
            node = document.createElementNS(SVG, "ellipse");
            node.setAttribute("cx", o.left + o.width / 2);
            node.setAttribute("cy", o.top + o.height / 2);
            node.setAttribute("rx", o.width / 2);
            node.setAttribute("ry", o.height / 2);
        } else {
            node = document.createElementNS(SVG, "rect");
            node.setAttribute("x", o.left);
            node.setAttribute("y", o.top);
            node.setAttribute("width", o.width);
            node.setAttribute("height", o.height);
        }
        node.setAttribute("fill", c.filled ? css(c.colours.back) || "#000000" : "none");
        if (!c.outline) node.setAttribute("stroke", "none");
    }
    if (c.kind === "line" || c.outline) {
        node.setAttribute("stroke", stroke);
        node.setAttribute("stroke-width", c.lineWidth);
    }
    svg.append(node);
    return svg;
}
