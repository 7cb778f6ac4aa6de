// Slider input, in either layout: the classic window's horizontal scroll bar; what moves a
// slider's thumb however it is drawn (a tap on its track, a drag, the keys, the wheel); and the
// phone's step buttons that repeat while held and its field to type metres in. Every move is one
// of the model's user actions: the model's map (pw_input) says which.

// A horizontal scroll bar whose moves are the model's: a press on an arrow or on the track, a
// key, a turn of the wheel; a thumb drag is one assignment when it is released.
export function scrollBar(win, c, rec) {
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

    const thumbWidth = () => Math.max(8, Math.min(h, track.clientWidth / 3));
    for (const [arrow, part] of [
        [less, "less"],
        [more, "more"],
    ])
        arrow.addEventListener("pointerdown", (e) => {
            e.preventDefault();
            el.focus();
            win.input(c.name, "press", part);
        });
    sliderMoves(win, c, rec, el, track, thumb, thumbWidth);
    return el;
}

// The model's words for the keys that move a slider.
const SLIDER_KEYS = {
    ArrowLeft: "left",
    ArrowRight: "right",
    ArrowUp: "up",
    ArrowDown: "down",
    PageUp: "pageup",
    PageDown: "pagedown",
    Home: "home",
    End: "end",
};

// The wheel's turn towards the user, in pixels, of which 50 make one notch (one small step); the
// model keeps what is left over. A mouse's notch comes as one event of 50 pixels or more (or in
// lines or pages), each taken as one notch; the small movements of touch pads add up to one.
function onWheel(win, c, el) {
    el.addEventListener(
        "wheel",
        (e) => {
            e.preventDefault();
            const delta = e.deltaY || e.deltaX;
            if (!delta) return;
            // Pixels come in the window's own scale, which is smaller on a phone.
            const scale = el.getBoundingClientRect().width / el.offsetWidth || 1;
            const turn = e.deltaMode === 0 ? delta / scale : Math.sign(delta) * 50;
            const notch = Math.round(Math.max(-50, Math.min(50, turn)));
            if (notch) win.page.input(win.desc.name, c.name, "wheel", "50", notch);
        },
        {passive: false},
    );
}

// What moves a slider, in either layout: a tap on its track beside the thumb is one large step;
// the thumb drags, and its release is one assignment; the keys and the wheel step it.
export function sliderMoves(win, c, rec, el, track, thumb, thumbWidth) {
    const form = win.desc.name;
    const page = win.page;
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
        const part = e.clientX < thumb.getBoundingClientRect().left ? "before" : "after";
        const typed = await win.typedFirst();
        el.focus();
        if (typed) win.input(c.name, "press", part);
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
        if (e.type === "pointercancel" || !moved) {
            rec.show(rec.value);
            return;
        }
        act("drag", rec.valueAt(at)).then(() => rec.show(rec.value));
    };
    thumb.addEventListener("pointerup", release);
    thumb.addEventListener("pointercancel", release);
    el.addEventListener("keydown", (e) => {
        const key = SLIDER_KEYS[e.key];
        if (!key) return;
        e.preventDefault();
        e.stopPropagation();
        win.input(c.name, "key", key, 0, e.repeat);
    });
    onWheel(win, c, el);
}

// A button that steps a slider: one step when pressed, then, while it is held, one step after
// another, until it is let go or a step has met a message box (one press, one step). `part`
// is the part of the slider it presses: "less", "more", "before" or "after".
export function holdToRepeat(win, button, part) {
    const page = win.page;
    let timer = null;
    const stop = () => {
        clearTimeout(timer);
        timer = null;
    };
    const name = () => button.closest(".pw-group").querySelector(".pw-ptrack").dataset.control;
    // True when the step was taken and showed no message box.
    const press = async (held) => {
        const boxes = page.messages.length;
        const answer = await win.input(name(), "press", part, 0, held);
        return !!answer?.done && page.messages.length === boxes;
    };
    button.addEventListener("pointerdown", async (e) => {
        if (e.button !== 0 || page.busy) return;
        e.preventDefault();
        button.setPointerCapture?.(e.pointerId);
        stop();
        const going = {};
        timer = going;
        if (!(await win.typedFirst()) || !(await press(false))) {
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
        win.input(name(), "press", part, 0, e.repeat);
    });
    button.addEventListener("click", (e) => e.preventDefault());
}

// The field to type a slider's value in metres, and the line that says why a value was
// refused. Confirmed by the keyboard's Enter (or Done), or by leaving a field that was
// changed; a confirmed value is typed in, as the model's "type" action.
export function metresField(win, c, rec, head, box) {
    const page = win.page,
        form = win.desc.name;
    const {field, refusal} = entryField(
        box,
        `pw-${form}-${c.name}`,
        `${head.textContent}, em metros`,
        "metros",
        "decimal",
    );
    field.dataset.control = c.name;
    // Where the model put the value elsewhere than the user set it, it says so here.
    const adjusted = document.createElement("p");
    adjusted.className = "pw-adjusted";
    adjusted.id = `pw-${form}-${c.name}-adjusted`;
    field.setAttribute("aria-describedby", `${refusal.id} ${adjusted.id}`);
    refusal.before(adjusted);
    rec.field = field;
    rec.refusal = refusal;
    rec.adjusted = adjusted;
    // False when the value was refused or its assignment met a message box.
    rec.confirm = typedEntry(field, refusal, (text) => {
        if (page.busy) return null;
        const answer = page.typed(form, c.name, text);
        if (answer.refusal !== undefined) return {refusal: answer.refusal};
        // Typing the value the slider already holds enters it: its handler runs, as it would
        // for a new value.
        return {
            enter: async () => {
                const clear = await page.actClear("type", form, c.name, answer.value);
                showField(rec);
                return clear;
            },
        };
    });
}

// A field to type a value in, named `label`, with its unit after it and the line that says why
// a value was refused, added to `box`; `mode`: the keyboard a phone shows for it.
export function entryField(box, id, label, unitText, mode) {
    const entry = document.createElement("div");
    entry.className = "pw-entry";
    const field = document.createElement("input");
    Object.assign(field, {
        type: "text",
        inputMode: mode,
        enterKeyHint: "done",
        autocomplete: "off",
    });
    field.className = "pw-number";
    field.setAttribute("aria-label", label);
    const unit = document.createElement("span");
    unit.className = "pw-unit";
    unit.textContent = unitText;
    unit.setAttribute("aria-hidden", "true");
    const refusal = document.createElement("p");
    refusal.className = "pw-refusal";
    refusal.id = `${id}-refusal`;
    refusal.setAttribute("role", "alert");
    field.setAttribute("aria-describedby", refusal.id);
    entry.append(field, unit);
    box.append(entry, refusal);
    return {field, refusal};
}

// A field the user types a value into on a phone. What was typed is confirmed once it is
// changed and left, or on Enter (the keyboard's Done), which then puts the keyboard away:
// `take(text)` answers null while the page is busy, {refusal} for a value refused, which is
// said under the field and keeps it, to be put right, or {enter}, which enters the value and
// answers false where that met a message box. The value is selected when the field is reached,
// so that typing replaces it. Answers the confirmation, for a page that confirms by itself.
export function typedEntry(field, refusal, take) {
    const confirm = async () => {
        const taken = take(field.value);
        if (!taken) return false;
        refusal.textContent = taken.refusal ?? "";
        if (taken.refusal !== undefined) {
            field.setAttribute("aria-invalid", "true");
            return false;
        }
        field.removeAttribute("aria-invalid");
        field.dataset.dirty = "";
        return taken.enter();
    };
    field.addEventListener("input", () => {
        field.dataset.dirty = "1";
    });
    field.addEventListener("change", () => {
        if (field.dataset.dirty) confirm();
    });
    // The press that focused it would put the caret back on its release: that release selects.
    let reached = false;
    field.addEventListener("focus", () => {
        reached = true;
        field.select();
    });
    field.addEventListener("mouseup", (e) => {
        if (!reached) return;
        reached = false;
        e.preventDefault();
        field.select();
    });
    field.addEventListener("blur", () => {
        reached = false;
    });
    field.addEventListener("keydown", async (e) => {
        if (e.key !== "Enter") return;
        e.preventDefault();
        if (await confirm()) field.blur();
        // A refused value stays selected: typing again replaces it.
        else field.select();
    });
    return confirm;
}

// The field shows the slider's value, unless the user is typing in it.
export function showField(rec) {
    if (rec.field.dataset.dirty && document.activeElement === rec.field) return;
    rec.field.dataset.dirty = "";
    rec.field.value = rec.words ? rec.words.split(" ")[0] : "";
}
