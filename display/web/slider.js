// Slider input, in either layout: the classic window's horizontal scroll bar; what moves a
// slider's thumb however it is drawn (a tap on its track, a drag, the keys, the wheel); and the
// phone's step buttons that repeat while held and its field to type metres in. Every move is one
// of the model's user actions.

// A horizontal scroll bar whose moves are the model's: a tap or click on an arrow, or an arrow
// key, is one small step; on the track, or a page key, one large step; a thumb drag is one
// assignment when it is released; Home and End drag it to either end.
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
    const act = (what, value) => win.page.act(what, win.desc.name, c.name, value);
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
    sliderMoves(win, c, rec, el, track, thumb, thumbWidth);
    return el;
}

// The action a key takes on a slider, as [verb, value], or undefined for a key it leaves alone.
function sliderKey(c, key) {
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
    return keys[key];
}

// One notch of the wheel is one small step, towards Max when the wheel turns towards the user. A
// mouse's notch comes as one event of 50 pixels or more (or in lines or pages); the small
// movements of touch pads add up to one. `step` takes the notch's direction, 1 or -1.
function onWheelNotch(el, step) {
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
            step(direction);
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
        const direction = e.clientX < thumb.getBoundingClientRect().left ? -1 : +1;
        const typed = await win.typedFirst();
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
        const k = sliderKey(c, e.key);
        if (!k) return;
        e.preventDefault();
        e.stopPropagation();
        act(k[0], k[1], e.repeat);
    });
    onWheelNotch(el, (direction) => act("arrow", direction));
}

// A button that steps a slider: one step when pressed, then, while it is held, one step after
// another, until it is let go or a step has met a message box (one press, one step). `what`
// gives the step as [verb, direction].
export function holdToRepeat(win, button, what) {
    const page = win.page,
        form = win.desc.name;
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
        const [verb, direction] = what();
        page.act(verb, form, name(), direction, e.repeat);
    });
    button.addEventListener("click", (e) => e.preventDefault());
}

// The field to type a slider's value in metres, and the line that says why a value was
// refused. Confirmed by the keyboard's Enter (or Done), or by leaving a field that was
// changed.
export function metresField(win, c, rec, head, box) {
    const page = win.page,
        form = win.desc.name;
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
    // False when the value was refused or its assignment met a message box.
    rec.confirm = async () => {
        if (page.busy) return false;
        const answer = page.typed(form, c.name, field.value);
        if (answer.refusal !== undefined) {
            refusal.textContent = answer.refusal;
            field.setAttribute("aria-invalid", "true");
            return false;
        }
        refusal.textContent = "";
        field.removeAttribute("aria-invalid");
        field.dataset.dirty = "";
        const clear = await page.actClear("drag", form, c.name, answer.value);
        showField(rec);
        return clear;
    };
    field.addEventListener("input", () => {
        field.dataset.dirty = "1";
    });
    field.addEventListener("change", () => {
        if (field.dataset.dirty) rec.confirm();
    });
    field.addEventListener("keydown", (e) => {
        if (e.key !== "Enter") return;
        e.preventDefault();
        rec.confirm();
    });
}

// The field shows the slider's value, unless the user is typing in it.
export function showField(rec) {
    if (rec.field.dataset.dirty && document.activeElement === rec.field) return;
    rec.field.dataset.dirty = "";
    rec.field.value = rec.words ? rec.words.split(" ")[0] : "";
}
