// Measures of what a window shows: texts cut off or at another size than their table's in the
// classic layout, and what is too small for a finger or the eye in the phone's.
import {check} from "./harness.mjs";

// What is wrong with the texts of a window: a caption, label, button or option text, or a
// read-out's value, that its box cuts off (wider or taller than the box; a frame's caption
// wider than its frame or above it, where the control above would hide its top); or one shown
// at another size than its table gives, unless it is smaller because at that size it would be
// cut off.
async function textFaults(page, form) {
    return page.evaluate((form) => {
        const win = window.pernadas.windows.get(form);
        if (!win) return null; // gone already (the splash, on a slow machine)
        const desc = win.desc;
        const byName = new Map(desc.controls.map((c) => [c.name, c]));
        const isCut = (el) => {
            if (el.matches(".pw-legend")) {
                const frame = el.parentElement;
                return el.offsetLeft + el.offsetWidth > frame.clientWidth || el.offsetTop < 0;
            }
            if (el.matches(".pw-option > span"))
                return (
                    el.getBoundingClientRect().right >
                        el.parentElement.getBoundingClientRect().right + 0.5 ||
                    el.scrollHeight > el.parentElement.clientHeight + 0.5
                );
            return el.scrollWidth > el.clientWidth + 0.5 || el.scrollHeight > el.clientHeight + 0.5;
        };
        // The table's size: the control's font, else its frame's, else the window's.
        const tablePx = (c) => {
            for (let x = c; x; x = byName.get(x.container))
                if (x.font.family) return (x.font.points * 96) / 72;
            return (desc.font.points * 96) / 72;
        };
        const faults = [];
        for (const c of desc.controls) {
            const box = win.el.querySelector(`[data-control="${c.name}"]`);
            if (!box || !box.offsetParent) continue;
            const el =
                c.kind === "option"
                    ? box.querySelector("span") // an option's text
                    : c.kind === "frame"
                      ? box.querySelector(".pw-legend") // a frame's caption
                      : ["readout", "textbox", "label", "button"].includes(c.kind)
                        ? box
                        : null;
            if (!el || !(el.value ?? el.textContent).trim()) continue;
            if (isCut(el)) faults.push(`${c.name} cut off`);
            // A label's text lies in the part of it that the controls in front leave seen.
            if (
                c.kind === "label" &&
                c.room.width > 0 &&
                (el.offsetLeft + el.offsetWidth > c.box.left + c.room.left + c.room.width ||
                    el.offsetTop + el.offsetHeight > c.box.top + c.room.top + c.room.height)
            )
                faults.push(`${c.name} reaches under a control in front of it`);
            const want = tablePx(c),
                got = parseFloat(getComputedStyle(el).fontSize);
            if (got > want + 0.05)
                faults.push(`${c.name} at ${got}px, larger than its table's ${want}px`);
            if (got < want - 0.05) {
                const shown = el.style.fontSize;
                el.style.fontSize = want + "px";
                if (!isCut(el))
                    faults.push(`${c.name} at ${got}px, though its table's ${want}px fits`);
                el.style.fontSize = shown;
            }
        }
        return faults;
    }, form);
}
export async function checkTexts(page, form, where) {
    const faults = await textFaults(page, form);
    if (faults === null) {
        console.log(`${where}: ${form} closed before its texts were looked at`);
        return;
    }
    check(
        faults.length === 0,
        `${where}: ${form} shows every text whole at its own size`,
        faults.join(", "),
    );
}

// What breaks the phone's layout at 360 by 640 where it is shown now (the open message box, else
// the page): a target (button, field, slider, option) smaller than 48 by 48 pixels or less than 8
// from another, a slider's thumb under 44, text under 16 pixels or under 4.5:1 against what lies
// behind it (in the drawing, a picture whose letters the results name again: a letter under 14
// pixels, or under 3:1 against its outline), scrolling sideways, anything cut off or past the
// screen's edge, a word split across two lines. Sizes as they are seen on the screen, by
// getBoundingClientRect.
export async function phoneFaults(page, where) {
    const faults = await sizeFaults(page);
    check(
        faults.length === 0,
        `phone layout: ${where} fits a finger and the eye at 360×640`,
        faults.join("; "),
    );
}
export function sizeFaults(page) {
    return page.evaluate(() => {
        const faults = [];
        const scope = document.querySelector("dialog.pw-message[open]") || document.body;
        const seen = (e) => {
            const r = e.getBoundingClientRect();
            return r.width > 0 && r.height > 0 && !e.closest("[hidden], .pw-hidden");
        };
        const name = (e) => e.dataset.control || e.dataset.step || e.className || e.tagName;
        // Colours as [r, g, b, alpha]; what lies behind an element, its own background and its
        // ancestors' laid one over the other, on the page's white.
        const rgba = (css) => {
            const [r, g, b, a = 1] = css.match(/[\d.]+/g).map(Number);
            return [r, g, b, a];
        };
        const over = (top, under) =>
            [0, 1, 2].map((i) => top[i] * top[3] + under[i] * (1 - top[3]));
        const behind = (el) => {
            const layers = [];
            for (let e = el; e && (!layers.length || layers.at(-1)[3] < 1); e = e.parentElement)
                layers.push(rgba(getComputedStyle(e).backgroundColor));
            return layers.reduceRight((under, top) => over(top, under), [255, 255, 255]);
        };
        const luminance = (c) =>
            c
                .map((v) => v / 255)
                .map((v) => (v <= 0.04045 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4))
                .reduce((sum, v, i) => sum + v * [0.2126, 0.7152, 0.0722][i], 0);
        const ratio = (a, b) => {
            const [hi, lo] = [luminance(a), luminance(b)].sort((x, y) => y - x);
            return (hi + 0.05) / (lo + 0.05);
        };
        // A text's colour against what lies behind it (in the drawing, against its outline).
        const contrast = (el, what) => {
            const back = behind(el);
            const halo = getComputedStyle(el).textShadow.match(/rgba?\([^)]*\)/);
            const drawn = !!el.closest(".pw-drawing");
            const against = drawn && halo ? rgba(halo[0]) : back;
            const fore = over(rgba(getComputedStyle(el).color), against);
            const got = ratio(fore, against.slice(0, 3)),
                least = drawn ? 3 : 4.5;
            if (got < least)
                faults.push(`"${what.slice(0, 20)}" at ${got.toFixed(2)}:1, under ${least}:1`);
        };
        if (document.documentElement.scrollWidth > innerWidth + 0.5)
            faults.push(`the page scrolls sideways (${document.documentElement.scrollWidth} wide)`);
        let targets = [
            ...scope.querySelectorAll(
                "button, input, select, textarea, a[href], [role=slider], [tabindex]",
            ),
        ].filter((e) => e.tabIndex >= 0 && seen(e));
        // An option's radio button fills its segment: the segment is the target.
        targets = targets.map((e) => e.closest(".pw-segment") || e);
        targets = [...new Set(targets)].filter(
            (t) => !targets.some((o) => o !== t && o.contains(t)),
        );
        const boxes = targets.map((t) => [t, t.getBoundingClientRect()]);
        for (const [t, r] of boxes) {
            if (r.width < 47.5 || r.height < 47.5)
                faults.push(`${name(t)} is ${r.width.toFixed(1)}×${r.height.toFixed(1)}`);
            if (r.left < -0.5 || r.right > innerWidth + 0.5)
                faults.push(`${name(t)} goes past the screen's edge`);
        }
        for (let i = 0; i < boxes.length; ++i)
            for (let j = i + 1; j < boxes.length; ++j) {
                const [a, ra] = boxes[i],
                    [b, rb] = boxes[j];
                const gap = Math.max(
                    ra.left - rb.right,
                    rb.left - ra.right,
                    ra.top - rb.bottom,
                    rb.top - ra.bottom,
                );
                if (gap < 7.5) faults.push(`${name(a)} and ${name(b)} ${gap.toFixed(1)} apart`);
            }
        for (const thumb of scope.querySelectorAll(".pw-ptrack .pw-thumb")) {
            const r = thumb.getBoundingClientRect();
            if (seen(thumb) && (r.width < 44 || r.height < 44))
                faults.push(`a thumb is ${r.width}×${r.height}`);
        }
        const walker = document.createTreeWalker(scope, NodeFilter.SHOW_TEXT);
        const small = new Set();
        for (let n = walker.nextNode(); n; n = walker.nextNode()) {
            const el = n.parentElement;
            const text = n.textContent.trim();
            if (!text || !seen(el) || el.closest("script, style")) continue;
            const drawn = !!el.closest(".pw-drawing");
            const r = el.getBoundingClientRect();
            // The font's size as seen: its own, times whatever scales the element.
            const size =
                parseFloat(getComputedStyle(el).fontSize) *
                (el.offsetHeight ? r.height / el.offsetHeight : 1);
            if (size < (drawn ? 13.95 : 15.95))
                small.add(`"${text.slice(0, 20)}" at ${size.toFixed(1)}px`);
            contrast(el, text);
            if (drawn) continue;
            if (r.left < -0.5 || r.right > innerWidth + 0.5)
                faults.push(`"${text.slice(0, 20)}" goes past the screen's edge`);
            // A word on two lines.
            for (const word of n.textContent.matchAll(/\S+/g)) {
                const range = document.createRange();
                range.setStart(n, word.index);
                range.setEnd(n, word.index + word[0].length);
                const lines = new Set([...range.getClientRects()].map((q) => Math.round(q.bottom)));
                if (lines.size > 1) faults.push(`"${word[0]}" is split across lines`);
            }
        }
        for (const el of scope.querySelectorAll("input")) {
            if (!seen(el) || el.type === "radio" || !el.value) continue;
            const size = parseFloat(getComputedStyle(el).fontSize);
            if (size < 15.95) small.add(`"${el.value}" at ${size}px`);
            contrast(el, el.value);
        }
        faults.push(...small);
        for (const el of scope.querySelectorAll(
            "button, input, h2, h3, p, a, .pw-result-name, .pw-band-words, .pw-segment span",
        ))
            if (
                seen(el) &&
                (el.scrollWidth > el.clientWidth + 1 || el.scrollHeight > el.clientHeight + 1) &&
                el.clientWidth
            )
                faults.push(`${name(el)} cut off`);
        return faults;
    });
}
