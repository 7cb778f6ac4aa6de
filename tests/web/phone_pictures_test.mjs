// Pictures of every window of the phone's layout at two phones' sizes and turned on its side,
// each measured for what is too small for a finger or the eye, or too faint, and for what a
// screen reader would read amiss.
import path from "node:path";
import {
    check,
    freshPage,
    loadedForms,
    screens,
    strayLetters,
    suite,
    waitFor,
    withBoxes,
} from "./harness.mjs";
import {sizeFaults} from "./measures.mjs";

// Pictures of every window of the phone's layout, written to SCREENS as phone-WIDTH-WINDOW.png,
// each measured as phoneFaults does.
async function phonePictures(viewport) {
    const {page, context, errors} = await freshPage(viewport, "", false, "telemovel");
    const tag = `phone-${viewport.width}${viewport.width > viewport.height ? `x${viewport.height}` : ""}`;
    const picture = async (what) => {
        await page.evaluate(() => scrollTo(0, 0));
        await page.screenshot({
            path: path.join(screens, `${tag}-${what}.png`),
            fullPage: what !== "message",
        });
        const faults = await sizeFaults(page);
        check(
            faults.length === 0,
            `phone layout at ${viewport.width}×${viewport.height}: ${what} fits`,
            faults.join("; "),
        );
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
            `phone layout at ${viewport.width}: ${what} reads no stray letter, each slider in metres`,
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
    for (const form of ["frmduaspernas", "frmtrespernas", "frmquatropernas"]) {
        await act("show", form);
        // The load, then the leg, as a rigger sets them, so that every result shows.
        const sliders = await page.evaluate(
            (f) => window.pernadas.windows.get(f).desc.groups.sliders.map((s) => s.slider),
            form,
        );
        for (const s of [...sliders].reverse()) await act("drag", form, s, 250);
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
    check(
        errors.length === 0,
        `phone layout at ${viewport.width}: no script errors`,
        errors.join("\n    "),
    );
    await context.close();
}

for (const viewport of [
    {width: 360, height: 640, deviceScaleFactor: 2, isMobile: true, hasTouch: true},
    {width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true},
    {width: 640, height: 360, deviceScaleFactor: 2, isMobile: true, hasTouch: true},
])
    suite(`the phone's layout pictured at ${viewport.width}×${viewport.height}`, () =>
        phonePictures(viewport),
    );
