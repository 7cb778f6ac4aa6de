// Pictures of every window of the phone's layout at two phones' sizes, turned on its side, and
// with the user's text size doubled, each measured for what is too small for a finger or the eye,
// or too faint, or broken by the larger text, and for what a screen reader would read amiss.
import path from "node:path";
import {
    centre,
    check,
    freshPage,
    loadedForms,
    screens,
    strayLetters,
    suite,
    tap,
    waitFor,
    withBoxes,
} from "./harness.mjs";
import {sizeFaults} from "./measures.mjs";

// Pictures of every window of the phone's layout, written to SCREENS as phone-WIDTH-WINDOW.png
// (phone-WIDTHxHEIGHT-..., phone-WIDTH-text2-...), each measured as phoneFaults does. `text`:
// the user's text size, as a share of the browser's usual one. The page's sizes are in rem:
// the root's size stands for it (Chromium's own setting does the same, but a picture of the
// whole page puts it back).
async function phonePictures(viewport, text = 1) {
    const {page, context, errors} = await freshPage(viewport, "", false, "telemovel", (p) =>
        p.evaluateOnNewDocument((text) => {
            addEventListener("DOMContentLoaded", () => {
                document.documentElement.style.fontSize = `${text * 100}%`;
            });
        }, text),
    );
    const turned = viewport.width > viewport.height ? `x${viewport.height}` : "";
    const tag = `phone-${viewport.width}${turned}${text !== 1 ? `-text${text}` : ""}`;
    const where = `${viewport.width}×${viewport.height}${text !== 1 ? ` at ${text * 100} % text` : ""}`;
    const picture = async (what) => {
        await page.evaluate(() => scrollTo(0, 0));
        await page.screenshot({
            path: path.join(screens, `${tag}-${what}.png`),
            fullPage: what !== "message",
        });
        const faults = await sizeFaults(page);
        check(faults.length === 0, `phone layout at ${where}: ${what} fits`, faults.join("; "));
        // A screen reader finds no letter on its own, and each slider says its value in metres.
        const stray = strayLetters(await page.accessibility.snapshot({interestingOnly: true}));
        const unsaid = await page.$$eval("section.pw-phone:not([hidden]) .pw-ptrack", (els) =>
            els
                .filter(
                    (e) =>
                        e.getAttribute("role") !== "slider" ||
                        !/^\d+,\d\d metros?$/.test(e.getAttribute("aria-valuetext")),
                )
                .map((e) => e.dataset.control),
        );
        check(
            stray.length === 0 && unsaid.length === 0,
            `phone layout at ${where}: ${what} reads no stray letter, each slider in metres`,
            stray.join(", ") + " " + unsaid.join(", "),
        );
    };
    const act = (...a) =>
        withBoxes(page, () =>
            page.evaluate((a) => {
                window.pernadas.act(...a);
            }, a),
        );
    await waitFor("the splash", () => page.$('section[data-form="frmsplashscreen"]'));
    await picture("splash");
    await waitFor("the menu", () => page.$('section[data-form="frmmain"]'), 10000);
    await picture("menu");
    // The page's text follows the user's text size.
    const size = await page.$eval('section[data-form="frmmain"] .pw-command', (e) =>
        parseFloat(getComputedStyle(e).fontSize),
    );
    check(size === 18 * text, `phone layout at ${where}: the text is ${18 * text}px`, `${size}px`);
    for (const form of ["frmduaspernas", "frmtrespernas", "frmquatropernas"]) {
        await act("show", form);
        // Filled from top to bottom through its fields, as a new user would: the load's
        // measures, then the leg, and no message box on the way.
        const sliders = await page.evaluate(
            (f) => window.pernadas.windows.get(f).desc.groups.sliders.map((s) => s.slider),
            form,
        );
        const group = (s) => `section[data-form="${form}"] .pw-group:has([data-control="${s}"])`;
        // Then the load's weight, the largest, for the longest figures.
        const boxes = [];
        for (const [field, text] of [
            ...sliders.map((s) => [`${group(s)} input.pw-number`, "2,5"]),
            [`section[data-form="${form}"] input.pw-weight`, "999999"],
        ])
            boxes.push(
                ...(await withBoxes(page, async () => {
                    await tap(page, field, true);
                    await page.keyboard.type(text);
                    await page.keyboard.press("Enter");
                })),
            );
        check(
            boxes.length === 0,
            `${form} at ${where}: filled top to bottom, no box`,
            boxes[0]?.text,
        );
        // Its results in view whichever slider's steps are.
        for (const s of text === 1 ? sliders : []) {
            await centre(page, `${group(s)} .pw-steps`);
            const out = await page.$$eval(`section[data-form="${form}"] .pw-result`, (rows) =>
                rows
                    .filter((r) => !r.hidden)
                    .filter((r) => {
                        const b = r.getBoundingClientRect();
                        return b.top < 0 || b.bottom > innerHeight || b.right > innerWidth;
                    })
                    .map((r) => r.dataset.control),
            );
            check(
                out.length === 0,
                `${form} at ${where}: results in view with ${s}'s steps`,
                out.join(", "),
            );
        }
        await picture(form);
        await act("close", form);
        if (!(await page.$('section[data-form="frmmain"]'))) await act("show", "frmmain");
    }
    await act("show", "frmacerca");
    await picture("frmacerca");
    await act("close", "frmacerca");
    await act("show", "frmduaspernas");
    page.evaluate(() => {
        window.pernadas.act("arrow", "frmduaspernas", "hsbperna", 1);
    });
    await waitFor("the box", () => page.$("dialog.pw-message[open]"));
    await picture("message");
    await withBoxes(page, async () => {});
    for (const form of await loadedForms(page)) await act("close", form);
    await waitFor("the end", () => page.$(".pw-ended"));
    await picture("ended");
    check(errors.length === 0, `phone layout at ${where}: no script errors`, errors.join("\n    "));
    await context.close();
}

const small = {width: 360, height: 640, deviceScaleFactor: 2, isMobile: true, hasTouch: true};
for (const [viewport, text] of [
    [small, 1],
    [{width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true}, 1],
    [{...small, width: 640, height: 360}, 1],
    [{...small, width: 320, height: 568}, 1],
    [small, 2],
])
    suite(
        `the phone's layout pictured at ${viewport.width}×${viewport.height}, text ×${text}`,
        () => phonePictures(viewport, text),
    );
