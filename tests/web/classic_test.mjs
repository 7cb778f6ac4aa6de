// The classic layout: on a phone-sized screen, each calculator walked through by touch (a box
// raised before the load is set, a held key, the steps, the wheel, the search, what a screen
// reader finds) and compared with pernadas-replay, and the about box; on a desktop's screen,
// every window at its natural size with its texts whole.
import path from "node:path";
import {perform} from "./driver.mjs";
import {
    centre,
    check,
    desktop,
    dumpForm,
    freshPage,
    part,
    phone,
    replayed,
    screens,
    shownSliders,
    suite,
    tap,
    waitFor,
    withBoxes,
} from "./harness.mjs";
import {checkTexts} from "./measures.mjs";

suite("the classic layout on a phone", async (t) => {
    const {page, context, errors} = await freshPage(phone);
    await waitFor("the menu", () => page.$('section[data-form="frmmain"]'), 10000);
    await checkTexts(page, "frmmain", "phone");
    // Each window fits the phone's width.
    const fits = () =>
        page.$$eval("section.pw-window", (els) =>
            els.every(
                (e) =>
                    e.getBoundingClientRect().right <= innerWidth + 0.5 &&
                    e.getBoundingClientRect().left >= -0.5,
            ),
        );
    check(await fits(), "phone: the menu fits 360 pixels");

    for (const [button, form] of [
        ["command1", "frmduaspernas"],
        ["command2", "frmtrespernas"],
        ["Command3", "frmquatropernas"],
    ])
        await part(t, form, async () => {
            await withBoxes(page, () =>
                tap(page, `section[data-form="frmmain"] [data-control="${button}"]`, true),
            );
            if (form === "frmduaspernas") {
                // Moving the leg before the load asks for the load first; the handler waits for the
                // box, so the read-outs behind it are still empty, and filled once it is answered.
                const boxes = await withBoxes(page, async () => {
                    await tap(
                        page,
                        `section[data-form="${form}"] [data-control="hsbperna"] .pw-arrow-more`,
                        true,
                    );
                    await waitFor("the box", () => page.$("dialog.pw-message[open]"));
                    await page.screenshot({path: path.join(screens, "phone-message.png")});
                });
                const after = await dumpForm(page, form);
                check(
                    boxes.length === 1 &&
                        boxes[0].behind.txtperna === "" &&
                        after.readouts.txtperna.text !== "",
                    "phone: the handler waits for its box",
                    JSON.stringify(boxes) + " " + JSON.stringify(after.readouts.txtperna),
                );
                // The Right key held on the leg: its press asks again and steps once; its repeats,
                // once the box is answered, do nothing.
                const leg = `section[data-form="${form}"] [data-control="hsbperna"]`;
                const pressed = await withBoxes(page, async () => {
                    await page.focus(leg);
                    await page.keyboard.down("ArrowRight");
                });
                await page.focus(leg);
                const repeats = await withBoxes(page, async () => {
                    for (let i = 0; i < 5; ++i) await page.keyboard.down("ArrowRight"); // auto-repeat
                });
                await page.keyboard.up("ArrowRight");
                const held = (await dumpForm(page, form)).sliders.hsbperna;
                check(
                    pressed.length === 1 &&
                        repeats.length === 0 &&
                        held === after.sliders.hsbperna + 1,
                    "phone: a held key steps once past a box",
                    `${pressed.length} + ${repeats.length} boxes, leg ${held}`,
                );
            }
            check(
                (await page.$(`section[data-form="${form}"]`)) !== null,
                `phone: the menu opens ${form}`,
            );
            // An arrow key on an option button goes to the model's map, which moves the choice
            // and the focus to the other one of the group.
            const choice = [];
            if (form === "frmtrespernas") {
                const to = (await dumpForm(page, form)).options.Option1 ? "Option2" : "Option1";
                await page.focus(
                    `section[data-form="${form}"] .pw-option:not([data-control="${to}"]) input`,
                );
                await withBoxes(page, () => page.keyboard.press("ArrowDown"));
                const focused = await page.evaluate(
                    () => document.activeElement.closest("[data-control]").dataset.control,
                );
                check(
                    (await dumpForm(page, form)).options[to] && focused === to,
                    "phone: an arrow key moves the three-leg choice",
                    focused,
                );
                choice.push(`select ${form} ${to}`);
            }
            check(await fits(), `phone: ${form} fits 360 pixels`);
            await checkTexts(page, form, "phone");
            await page.screenshot({path: path.join(screens, `phone-${form}.png`)});
            // Back to the menu by the calculator's own way out, as the runner does it.
            const cmds = [`show frmmain`, `click frmmain ${button}`, ...choice];
            if (form === "frmduaspernas")
                cmds.push(`arrow ${form} hsbperna +`, `arrow ${form} hsbperna +`);
            const sel = `section[data-form="${form}"]`;
            const load = await page.$eval(sel, (w) =>
                [...w.querySelectorAll(".pw-slider")].map((s) => s.dataset.control),
            );
            await perform(page, ["arrow", form, load[0], "+"], true);
            cmds.push(`arrow ${form} ${load[0]} +`);
            await perform(page, ["page", form, load[0], "+"], true);
            cmds.push(`page ${form} ${load[0]} +`);
            await page.focus(`${sel} [data-control="${load[0]}"]`);
            await withBoxes(page, () => page.keyboard.press("ArrowRight"));
            cmds.push(`arrow ${form} ${load[0]} +`);
            // A wheel's notch towards the user, in two halves: one small step.
            const bar = await centre(page, `${sel} [data-control="${load[0]}"]`);
            await page.mouse.move(bar.x, bar.y);
            await withBoxes(page, async () => {
                await page.mouse.wheel({deltaY: 50});
                await page.mouse.wheel({deltaY: 50});
            });
            cmds.push(`arrow ${form} ${load[0]} +`);
            // The 90-degree search: the button whose caption says so.
            const search = await page.$$eval(
                `${sel} .pw-button`,
                (bs) => bs.filter((b) => /90/.test(b.textContent)).map((b) => b.dataset.control)[0],
            );
            const got = await perform(page, ["click", form, search], true);
            cmds.push(`click ${form} ${search}`, `dump ${form}`);
            const want = replayed(cmds);
            const wantSearch = want[want.length - 2],
                wantDump = want[want.length - 1];
            check(
                JSON.stringify(got.messages) === JSON.stringify(wantSearch.messages),
                `phone: ${form} search messages`,
                `page ${JSON.stringify(got.messages)}\n    want ${JSON.stringify(wantSearch.messages)}`,
            );
            const dump = await dumpForm(page, form);
            const wantSliders = await shownSliders(page, form, wantDump.sliders);
            check(
                JSON.stringify(dump.sliders) === JSON.stringify(wantSliders),
                `phone: ${form} sliders after the search`,
                `page ${JSON.stringify(dump.sliders)}\n    want ${JSON.stringify(wantSliders)}`,
            );
            for (const [r, w] of Object.entries(wantDump.readouts))
                check(
                    dump.readouts[r] &&
                        dump.readouts[r].text === w.text &&
                        dump.readouts[r].back === w.back,
                    `phone: ${form} read-out ${r} after the search`,
                    `page ${JSON.stringify(dump.readouts[r])}\n    want ${JSON.stringify(w)}`,
                );
            // A screen reader finds every slider and read-out by the name the table gives it.
            const tree = await page.accessibility.snapshot({interestingOnly: true});
            const named = [];
            (function walk(n) {
                if (n.role === "scrollbar" || n.role === "textbox") named.push(n);
                (n.children || []).forEach(walk);
            })(tree);
            const wantNames = await page.evaluate(
                (form) =>
                    window.pernadas.windows
                        .get(form)
                        .desc.controls.filter(
                            (c) => (c.kind === "slider" && c.visible) || c.kind === "readout",
                        )
                        .map((c) => c.accessibleName.replace(/\s+/g, " "))
                        .sort(),
                form,
            );
            check(
                JSON.stringify(named.map((n) => n.name).sort()) === JSON.stringify(wantNames) &&
                    wantNames.every(Boolean),
                `phone: ${form} controls have their accessible names`,
                `page ${JSON.stringify(named.map((n) => n.name).sort())}\n    want ${JSON.stringify(wantNames)}`,
            );
            // What lies wholly under a frame is not read: nothing of it is seen.
            const covered = await page.evaluate(
                (form) =>
                    window.pernadas.windows
                        .get(form)
                        .desc.controls.filter((c) => c.hidden)
                        .map((c) => c.name),
                form,
            );
            if (form === "frmduaspernas")
                check(covered.length === 2, "phone: two labels lie under the two-leg load frame");
            for (const name of covered) {
                const el = await page.$(`${sel} [data-control="${name}"]`);
                check(
                    !el || (await page.accessibility.snapshot({root: el})) === null,
                    `phone: ${form} does not read ${name}, which lies under a frame`,
                );
            }
            // The angle read-outs say their band in words.
            const described = await page.$$eval(
                `${sel} .pw-readout`,
                (els) =>
                    els.filter((e) =>
                        /banda/.test(
                            document.getElementById(e.getAttribute("aria-describedby")).textContent,
                        ),
                    ).length,
            );
            check(described > 0, `phone: ${form} angle read-outs say their band`);
            await page.screenshot({path: path.join(screens, `phone-${form}-after.png`)});
            const quit = await page.$$eval(
                `${sel} .pw-button`,
                (bs) =>
                    bs
                        .filter((b) => /Cancelar|Menu|Sair|Voltar/i.test(b.textContent))
                        .map((b) => b.dataset.control)[0],
            );
            if (quit)
                await withBoxes(page, () => tap(page, `${sel} [data-control="${quit}"]`, true));
            else await withBoxes(page, () => tap(page, `${sel} .pw-close`, true));
            if (!(await page.$('section[data-form="frmmain"]')))
                await page.evaluate(() => window.pernadas.act("show", "frmmain"));
        });

    await part(t, "the about box", async () => {
        // The about dialog, and its system-information button, which finds nothing in a browser.
        await withBoxes(page, () =>
            tap(page, 'section[data-form="frmmain"] [data-control="Command6"]', true),
        );
        await page.screenshot({path: path.join(screens, "phone-frmacerca.png")});
        // Its buttons lie outside the window, for the keyboard: their focus moves nothing in sight.
        await page.keyboard.press("Tab");
        const shifted = await page.$$eval(
            'section[data-form="frmacerca"] .pw-client, section[data-form="frmacerca"] .pw-frame',
            (els) => els.filter((e) => e.scrollLeft || e.scrollTop).length,
        );
        check(shifted === 0, "about: the keyboard's buttons pull nothing aside");
        const info = (await perform(page, ["click", "frmacerca", "cmdSysinfo"], true)).messages;
        check(
            info.length === 1 && info[0].text === "System Information Is Unavailable At This Time",
            "about: the system-information tool is unavailable",
            JSON.stringify(info),
        );
        // Alt+O: "&Ok", through the model's map, closes the box.
        await page.keyboard.down("Alt");
        await withBoxes(page, () => page.keyboard.press("o"));
        await page.keyboard.up("Alt");
        check(
            (await page.$('section[data-form="frmacerca"]')) === null,
            "about: Alt with its access key presses Ok",
        );
        check(errors.length === 0, "phone: no script errors", errors.join("\n    "));
    });
    await context.close();
});

// The desktop: every window at its natural size.
suite("the classic layout on a desktop", async () => {
    const d = await freshPage(desktop);
    await waitFor("the splash", () => d.page.$('section[data-form="frmsplashscreen"]'));
    await checkTexts(d.page, "frmsplashscreen", "desktop");
    await d.page.screenshot({path: path.join(screens, "desktop-splash.png")});
    await waitFor("the menu", () => d.page.$('section[data-form="frmmain"]'), 10000);
    await d.page.screenshot({path: path.join(screens, "desktop-frmmain.png")});
    await checkTexts(d.page, "frmmain", "desktop");
    await withBoxes(d.page, () =>
        tap(d.page, 'section[data-form="frmmain"] [data-control="Command6"]', false),
    );
    await d.page.screenshot({path: path.join(screens, "desktop-frmacerca.png")});
    await checkTexts(d.page, "frmacerca", "desktop");
    await withBoxes(d.page, () => tap(d.page, 'section[data-form="frmacerca"] .pw-close', false));
    const width = await d.page.$eval(
        'section[data-form="frmmain"] .pw-client',
        (e) => e.getBoundingClientRect().width,
    );
    const natural = await d.page.$eval(
        'section[data-form="frmmain"] .pw-client',
        (e) => e.offsetWidth,
    );
    check(
        Math.abs(width - natural) < 0.5,
        "desktop: windows keep their natural size",
        `${width} vs ${natural}`,
    );
    for (const [button, form] of [
        ["command1", "frmduaspernas"],
        ["command2", "frmtrespernas"],
        ["Command3", "frmquatropernas"],
    ]) {
        if (!(await d.page.$('section[data-form="frmmain"]')))
            await d.page.evaluate(() => window.pernadas.act("show", "frmmain"));
        await withBoxes(d.page, () =>
            tap(d.page, `section[data-form="frmmain"] [data-control="${button}"]`, false),
        );
        await d.page.screenshot({path: path.join(screens, `desktop-${form}.png`)});
        await checkTexts(d.page, form, "desktop");
        await withBoxes(d.page, () => tap(d.page, `section[data-form="${form}"] .pw-close`, false));
    }
    await d.context.close();
});
