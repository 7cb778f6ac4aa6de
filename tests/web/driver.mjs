// One scenario line through the page's own controls, as a person would do it (a tap, a click, a
// drag, a key), in either layout; and what it gave, in pernadas-replay's terms.
import {figures, loadedForms, tap, withBoxes} from "./harness.mjs";

// One scenario line through the page's own controls. Returns the runner's kind of answer, or
// null for a line the page has no way to express (nothing is done then).
export async function perform(page, words, touch) {
    const [verb, form, control, arg] = words;
    const win = `section.pw-window[data-form="${form}"]`;
    const ctl = `${win} [data-control="${control}"]`;
    const act = (...a) =>
        page.evaluate((a) => {
            window.pernadas.act(...a);
        }, a);
    let input;
    if (verb === "show") {
        // Showing a form is the program's own doing (a menu button, the splash's timer).
        input = () => act("show", form);
    } else if (verb === "close") {
        const box = await page.$(`${win} .pw-close`);
        input = box ? () => tap(page, `${win} .pw-close`, touch) : () => act("close", form);
    } else if (verb === "arrow") {
        input = () => tap(page, `${ctl} .pw-arrow-${arg === "+" ? "more" : "less"}`, touch);
    } else if (verb === "page") {
        input = async () => {
            const thumb = await (await page.$(`${ctl} .pw-thumb`)).boundingBox();
            const track = await (await page.$(`${ctl} .pw-track`)).boundingBox();
            const x =
                arg === "+"
                    ? (thumb.x + thumb.width + track.x + track.width) / 2
                    : (track.x + thumb.x) / 2;
            const y = track.y + track.height / 2;
            if (touch) await page.touchscreen.tap(x, y);
            else await page.mouse.click(x, y);
        };
    } else if (verb === "drag") {
        const value = Number(arg);
        const info = await page.evaluate(
            (form, control, value) => {
                const rec = window.pernadas.windows.get(form).controls.get(control);
                const c = rec.desc;
                const track = rec.track.getBoundingClientRect();
                const scale = track.width / rec.track.clientWidth;
                // Where the thumb's centre must go for the value, if a pixel there means it.
                const thumb = rec.thumb.getBoundingClientRect();
                const to = rec.positionOf(value);
                const from = rec.positionOf(rec.value);
                const exact = rec.valueAt(Math.round(to)) === value;
                return {
                    min: c.min,
                    max: c.max,
                    exact,
                    dx: (Math.round(to) - from) * scale,
                    x: thumb.x + thumb.width / 2,
                    y: thumb.y + thumb.height / 2,
                };
            },
            form,
            control,
            value,
        );
        if (value === info.min || value === info.max) {
            // Home and End drag the thumb to either end.
            input = async () => {
                await page.focus(ctl);
                await page.keyboard.press(value === info.min ? "Home" : "End");
            };
            ++figures.realDrags;
        } else if (info.exact) {
            // By the mouse even on the phone: a touch lands on whole pixels, too coarse to aim at
            // one value of a scaled-down track.
            input = async () => {
                await page.mouse.move(info.x, info.y);
                await page.mouse.down();
                await page.mouse.move(info.x + info.dx / 2, info.y, {steps: 2});
                await page.mouse.move(info.x + info.dx, info.y, {steps: 2});
                await page.mouse.up();
            };
            ++figures.realDrags;
        } else {
            // No pixel of the track means this value: the thumb's release is fed in directly.
            input = () => act("drag", form, control, value);
            ++figures.hookedDrags;
        }
    } else if (verb === "click") {
        // A button placed outside its window is reached with the keyboard only.
        const outside = await page.$eval(ctl, (el) => {
            const b = el.getBoundingClientRect(),
                w = el.closest(".pw-client").getBoundingClientRect();
            return b.right <= w.left || b.left >= w.right || b.bottom <= w.top || b.top >= w.bottom;
        });
        input = outside
            ? async () => {
                  await page.focus(ctl);
                  await page.keyboard.press("Enter");
              }
            : () => tap(page, ctl, touch);
    } else if (verb === "select") {
        input = () => tap(page, `${ctl} input`, touch);
    } else if (verb === "tick" || verb === "type") {
        // A timer ticks on its own; only the phone's field types a value in.
        input = () => act(verb, form, control, Number(arg));
    } else {
        return null;
    }
    return outcome(page, input);
}

// One scenario line through the phone layout's controls; what none of them does (showing a form,
// a timer's tick, a close box, a control of a window that waits behind another) is fed in.
export async function performPhone(page, words) {
    const [verb, form, control, arg] = words;
    const win = `section.pw-window[data-form="${form}"]`;
    const group = `${win} .pw-group:has(.pw-ptrack[data-control="${control}"])`;
    const act = (...a) =>
        page.evaluate((a) => {
            window.pernadas.act(...a);
        }, a);
    const seen = (sel) =>
        page
            .$eval(sel, (e) => !e.closest("[hidden]") && e.getBoundingClientRect().width > 0)
            .catch(() => false);
    const direct = () => {
        ++figures.phoneHooked;
        const value = verb === "drag" || verb === "type" ? Number(arg) : arg === "-" ? -1 : 1;
        return () => act(verb, form, control, value);
    };
    let input;
    if (verb === "show" || verb === "tick" || verb === "close") {
        input = () => {
            ++figures.phoneHooked;
            return act(verb, form, control);
        };
    } else if (verb === "arrow" || verb === "page") {
        const sel = `${group} [data-step="${verb}${arg}"]`;
        input = (await seen(sel)) ? () => tap(page, sel, true) : direct();
    } else if (verb === "drag" || verb === "type") {
        const sel = `${group} input.pw-number`;
        // Typing the slider's own value enters it; a drag there does nothing, as the field
        // cannot say.
        const same =
            verb === "drag" &&
            (await page.evaluate(
                (f, c, v) => window.pernadas.windows.get(f)?.controls.get(c)?.value === v,
                form,
                control,
                Number(arg),
            ));
        const v = Number(arg),
            text = `${v < 0 ? "-" : ""}${Math.floor(Math.abs(v) / 100)},${String(Math.abs(v) % 100).padStart(2, "0")}`;
        input =
            !same && (await seen(sel))
                ? async () => {
                      await tap(page, sel, true);
                      await page.$eval(sel, (e) => e.select());
                      await page.keyboard.press("Backspace");
                      await page.keyboard.type(text);
                      await page.keyboard.press("Enter");
                  }
                : direct();
    } else if (verb === "click") {
        const sel = `${win} button[data-control="${control}"]`;
        input = (await seen(sel)) ? () => tap(page, sel, true) : direct();
    } else if (verb === "select") {
        const sel = `${win} .pw-segment[data-control="${control}"]`;
        input = (await seen(sel)) ? () => tap(page, sel, true) : direct();
    } else {
        return null;
    }
    return outcome(page, input);
}

// What one user action gave, in the runner's terms: the message boxes it showed (a run-time
// error by its number), and the windows left open.
async function outcome(page, input) {
    const boxes = await withBoxes(page, input);
    // The styles' numbers, as the model names them (pw_names).
    const styles = await page.evaluate(() => window.pernadas.names.styles);
    const messages = [],
        errors = [];
    for (const b of boxes) {
        const m = /\(Erro de execução (\d+): /.exec(b.text);
        if (b.critical && m) errors.push(Number(m[1]));
        else
            messages.push({
                style: b.critical ? styles.critical : b.info ? styles.information : styles.plain,
                title: b.title,
                text: b.text,
            });
    }
    return {messages, errors, loaded: await loadedForms(page)};
}
