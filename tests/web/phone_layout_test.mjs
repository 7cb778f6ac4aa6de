// The phone's layout, by touch at 360 by 640: the sizes of every window, the typed value, the
// held + and −, what is announced, the switch between the layouts, and a new start after the end.
import {
    centre,
    check,
    figures,
    freshPage,
    part,
    replayed,
    shownSliders,
    sleep,
    strayLetters,
    suite,
    tap,
    waitFor,
    withBoxes,
} from "./harness.mjs";
import {phoneFaults, sizeFaults} from "./measures.mjs";

suite("the phone's layout", async (t) => {
    const small = {width: 360, height: 640, deviceScaleFactor: 2, isMobile: true, hasTouch: true};
    const {page, context, errors} = await freshPage(small, "", false, null);
    const form = "frmduaspernas";
    const win = `section.pw-window[data-form="${form}"]`;
    const ctl = (name) => `${win} .pw-slider[data-control="${name}"]`;
    const readouts = (f = form) =>
        page.evaluate(
            (f) =>
                Object.fromEntries(
                    [
                        ...document.querySelectorAll(`section[data-form="${f}"] input.pw-readout`),
                    ].map((e) => [e.dataset.control, e.value]),
                ),
            f,
        );
    const slider = (name) => page.$eval(ctl(name), (e) => Number(e.getAttribute("aria-valuenow")));
    const agrees = async (lines, what) => {
        const want = replayed([...lines, `dump ${form}`]).pop();
        const got = await readouts();
        const bad = Object.entries(want.readouts).filter(([r, w]) => got[r] !== w.text);
        for (const [name, v] of Object.entries(await shownSliders(page, form, want.sliders)))
            if ((await slider(name)) !== v) bad.push([name, v]);
        check(
            bad.length === 0,
            `phone layout: ${what} agrees with pernadas-replay`,
            JSON.stringify(bad) + " " + JSON.stringify(got),
        );
    };
    // What the page has been given, as scenario lines, to ask pernadas-replay what it shows.
    const lines = ["show frmmain", "click frmmain command1"];
    const plus = `${win} .pw-group:has([data-control="hsbperna"]) [data-step="arrow+"]`;

    await part(t, "a phone's screen gets it", async () => {
        await waitFor("the splash", () => page.$('section.pw-phone[data-form="frmsplashscreen"]'));
        figures.phoneFirstWindow = await waitFor("the first frame", () =>
            page.evaluate(() => window.pernadas.firstWindowAt),
        );
        await phoneFaults(page, "the splash");
        await waitFor("the menu", () => page.$('section.pw-phone[data-form="frmmain"]'), 10000);
        await phoneFaults(page, "the menu");
        // Its way out stands apart: last, below Acerca, with room between.
        const foot = await page.$$eval('section[data-form="frmmain"] .pw-command', (els) =>
            els.map((e) => [e.dataset.control, e.getBoundingClientRect().top]),
        );
        check(
            foot.map(([n]) => n).join(" ") === "command1 command2 Command3 Command6 Command5" &&
                foot[4][1] - foot[3][1] >= 48 + 24,
            "phone layout: Terminar stands apart at the foot of the menu",
            JSON.stringify(foot),
        );
        await withBoxes(page, () =>
            tap(page, 'section[data-form="frmmain"] [data-control="command1"]', true),
        );
        check(
            (await page.$(`${win}.pw-phone`)) !== null,
            "phone layout: a phone's screen gets it of itself",
        );
    });

    await part(t, "a held press meets one box", async () => {
        // + held down before the load is set: one box, and no step after it however long it is held.
        const at = await centre(page, plus);
        await page.mouse.move(at.x, at.y);
        await page.mouse.down();
        await waitFor("the box", () => page.$("dialog.pw-message[open]"));
        await phoneFaults(page, "a message box");
        const described = await page.$eval(
            "dialog.pw-message[open]",
            (d) => document.getElementById(d.getAttribute("aria-describedby"))?.textContent,
        );
        await page.keyboard.press("Enter");
        await sleep(1500);
        const boxes = await page.evaluate(() => window.pernadas.messages.length);
        await page.mouse.up();
        lines.push(`arrow ${form} hsbperna +`);
        check(
            boxes === 1 && !(await page.$("dialog.pw-message[open]")) && /carga/.test(described),
            "phone layout: a held + meets one box, which says its message",
            `${boxes} boxes; "${described}"`,
        );
        await agrees(lines, "a held + before the load");

        // Enter held on the search before the load is set: one box, which its repeats leave open.
        await page.focus(`${win} .pw-command`);
        await page.keyboard.down("Enter");
        await waitFor("the box", () => page.$("dialog.pw-message[open]"));
        for (let i = 0; i < 5; ++i) await page.keyboard.down("Enter"); // auto-repeat
        const stays = (await page.$("dialog.pw-message[open]")) !== null;
        await page.keyboard.up("Enter");
        await page.keyboard.press("Enter"); // a press of its own answers it
        await sleep(500);
        const asked = await page.evaluate(() => window.pernadas.messages.length);
        check(
            stays && asked === boxes + 1,
            "phone layout: a held Enter clicks once",
            `${asked} boxes`,
        );
    });

    await part(t, "values typed in metres", async () => {
        // Values typed in metres: one drag each; what the model refuses is said beside the field.
        const type = async (name, text) => {
            const field = `${win} input.pw-number[data-control="${name}"]`;
            await tap(page, field, true);
            await page.$eval(field, (e) => e.select());
            await page.keyboard.press("Backspace");
            await page.keyboard.type(text);
            await withBoxes(page, () => page.keyboard.press("Enter"));
            return page.$eval(
                `${win} .pw-group:has(input.pw-number[data-control="${name}"]) .pw-refusal`,
                (e) => e.textContent,
            );
        };
        const said = () => page.evaluate(() => window.pernadas.announced.length);
        let before = await said();
        check((await type("hsblcarga", "2,00")) === "", "phone layout: 2,00 is taken");
        lines.push(`type ${form} hsblcarga 200`);
        check(
            (await said()) === before + 1,
            "phone layout: an action's results are announced once",
        );
        before = await said();
        check((await type("hsbperna", "2.5")) === "", "phone layout: 2.5 is taken");
        lines.push(`type ${form} hsbperna 250`);
        await sleep(120);
        const live = await page.$eval('[role="status"][aria-live="polite"]', (e) => e.textContent);
        check(
            (await said()) === before + 1 && /Comprimento da Pernada 2\.50 metros/.test(live),
            "phone layout: the live region says what changed",
            live,
        );
        await agrees(lines, "values typed in metres");
        check(
            (await page.$eval(
                ctl("hsbperna"),
                (e) => e.getAttribute("role") === "slider" && e.getAttribute("aria-valuetext"),
            )) === "2,50 metros",
            "phone layout: a slider says its value in metres",
        );
        before = await said();
        for (const [text, refusal] of [
            ["2,505", /duas casas decimais/],
            ["abc", /algarismos/],
            ["30", /de 0,50 a 20,00 metros/],
            ["", /algarismos/],
        ]) {
            const got = await type("hsbperna", text);
            check(refusal.test(got), `phone layout: "${text}" is refused beside the field`, got);
        }
        check((await type("hsbperna", "2,50")) === "", "phone layout: the value it has is taken");
        lines.push(`type ${form} hsbperna 250`);
        check((await said()) === before, "phone layout: nothing is announced when nothing changed");
        await agrees(lines, "refused values");
        // Typed and not confirmed, then +: the typed value is taken first and + steps from it, so
        // the field never goes on showing a value the slider does not have.
        const typedField = `${win} input.pw-number[data-control="hsbperna"]`;
        await tap(page, typedField, true);
        await page.$eval(typedField, (e) => e.select());
        await page.keyboard.press("Backspace");
        await page.keyboard.type("3,00");
        await withBoxes(page, () => tap(page, plus, true));
        lines.push(`type ${form} hsbperna 300`, `arrow ${form} hsbperna +`);
        const stepped = [
            await page.$eval(typedField, (e) => e.value),
            await page.$eval(ctl("hsbperna"), (e) => e.getAttribute("aria-valuetext")),
        ];
        check(
            stepped.join(" | ") === "3,01 | 3,01 metros",
            "phone layout: + after a value typed but not confirmed steps from that value",
            stepped.join(" | "),
        );
        await agrees(lines, "+ after a typed value");
    });

    await part(t, "steps, held and tapped", async () => {
        // + held down once the load is set: it repeats, each step one arrow.
        const load = await slider("hsblcarga");
        const more = await centre(
            page,
            `${win} .pw-group:has([data-control="hsblcarga"]) [data-step="arrow+"]`,
        );
        await page.mouse.move(more.x, more.y);
        await page.mouse.down();
        await sleep(1200);
        await page.mouse.up();
        await waitFor("the last step", () => page.evaluate(() => !window.pernadas.busy));
        const steps = (await slider("hsblcarga")) - load;
        check(steps > 1, "phone layout: a held + repeats", `${steps} steps`);
        for (let i = 0; i < steps; ++i) lines.push(`arrow ${form} hsblcarga +`);
        await agrees(lines, "a held +");

        // The steps: + and −10, as an arrow and a page.
        await withBoxes(page, () =>
            tap(
                page,
                `${win} .pw-group:has([data-control="hsblcarga"]) [data-step="arrow+"]`,
                true,
            ),
        );
        await withBoxes(page, () =>
            tap(page, `${win} .pw-group:has([data-control="hsbperna"]) [data-step="page-"]`, true),
        );
        lines.push(`arrow ${form} hsblcarga +`, `page ${form} hsbperna -`);
        await agrees(lines, "+ and −10");
        await page.evaluate(() => scrollTo(0, 0));
        await phoneFaults(page, "the two-leg calculator");
        // A screen reader reads no letter of the drawing on its own.
        const tree = await page.accessibility.snapshot({interestingOnly: true});
        const stray = strayLetters(tree);
        check(stray.length === 0, "phone layout: no stray letters are read", stray.join(", "));
        await withBoxes(page, () => tap(page, `${win} .pw-command`, true));
        lines.push(`click ${form} Command4`);
        await agrees(lines, "the 90-degree search");
    });

    await part(t, "the switch between the layouts", async () => {
        // The switch: the same window in the classic layout, and back, with what it shows.
        const shown = await readouts();
        await tap(page, `${win} .pw-switch`, true);
        check(
            (await page.$(`${win} .pw-client [data-control="hsbperna"].pw-slider`)) !== null &&
                !(await page.$(`${win}.pw-phone`)),
            "phone layout: the switch shows the classic window",
        );
        // Where the measure finds the classic window's small targets and text.
        const classic = (await sizeFaults(page)).join("; ");
        check(
            /hsbperna is/.test(classic) && /at \d/.test(classic),
            "phone layout: the measure finds what is too small",
            classic,
        );
        await tap(page, `${win} .pw-switch`, false);
        check(
            (await page.$(`${win}.pw-phone`)) !== null &&
                JSON.stringify(await readouts()) === JSON.stringify(shown),
            "phone layout: and back, with the same values",
        );
    });

    await part(t, "the three- and four-leg calculators", async () => {
        // A thumb resting at an end drags by touch (the three-leg calculator starts there).
        await withBoxes(page, () => tap(page, `${win} .pw-back`, true));
        if (!(await page.$('section[data-form="frmmain"]')))
            await page.evaluate(() => window.pernadas.act("show", "frmmain"));
        await withBoxes(page, () =>
            tap(page, 'section[data-form="frmmain"] [data-control="command2"]', true),
        );
        const three = 'section[data-form="frmtrespernas"]';
        const thumb = await centre(page, `${three} [data-control="hsblcarga"] .pw-thumb`);
        const start = await page.$eval(`${three} .pw-slider[data-control="hsblcarga"]`, (e) =>
            Number(e.getAttribute("aria-valuenow")),
        );
        await withBoxes(page, async () => {
            const touch = await page.touchscreen.touchStart(thumb.x, thumb.y);
            await touch.move(thumb.x + 40, thumb.y);
            await touch.move(thumb.x + 80, thumb.y);
            await touch.end();
        });
        const dragged = await page.$eval(`${three} .pw-slider[data-control="hsblcarga"]`, (e) =>
            Number(e.getAttribute("aria-valuenow")),
        );
        check(
            dragged > start,
            "phone layout: a thumb at the end of its track drags by touch",
            `${start} to ${dragged}`,
        );
        await withBoxes(page, () =>
            tap(page, `${three} .pw-segment:not(:has(input:checked))`, true),
        );
        await page.evaluate(() => scrollTo(0, 0));
        await phoneFaults(page, "the three-leg calculator");
        await withBoxes(page, () => tap(page, `${three} .pw-back`, true));
        if (!(await page.$('section[data-form="frmmain"]')))
            await page.evaluate(() => window.pernadas.act("show", "frmmain"));
        await withBoxes(page, () =>
            tap(page, 'section[data-form="frmmain"] [data-control="Command3"]', true),
        );
        await phoneFaults(page, "the four-leg calculator");
        await withBoxes(page, () =>
            tap(page, 'section[data-form="frmquatropernas"] .pw-back', true),
        );
        if (!(await page.$('section[data-form="frmmain"]')))
            await page.evaluate(() => window.pernadas.act("show", "frmmain"));
    });

    await part(t, "the about box", async () => {
        // The about box's two buttons, which lie outside its classic window, are there to tap.
        await withBoxes(page, () =>
            tap(page, 'section[data-form="frmmain"] [data-control="Command6"]', true),
        );
        await phoneFaults(page, "the about box");
        // Ok is its way back, in its bar; the telephone and the e-mail are links; the badges
        // lie together, below the texts, none between two of them.
        const about = await page.$eval('section[data-form="frmacerca"]', (w) => {
            const texts = [...w.querySelectorAll(".pw-text")].map((e) => e.getBoundingClientRect());
            return {
                back: !!w.querySelector('.pw-bar [data-control="cmdOk"]'),
                links: [...w.querySelectorAll("a[href]")].map((a) => a.getAttribute("href")),
                between: [...w.querySelectorAll("img")]
                    .map((e) => e.getBoundingClientRect())
                    .filter((r) => r.top > texts[0].top && r.top < texts.at(-1).top).length,
            };
        });
        check(
            about.back &&
                about.links.includes("tel:252900010") &&
                about.links.includes("mailto:geral@ribeira.example") &&
                about.between === 0,
            "phone layout: the about box's way back, links and badges",
            JSON.stringify(about),
        );
        const info = await withBoxes(page, () =>
            tap(page, 'section[data-form="frmacerca"] [data-control="cmdSysinfo"]', true),
        );
        check(
            info.length === 1,
            "phone layout: the about box's system information is there to tap",
        );
        await withBoxes(page, () =>
            tap(page, 'section[data-form="frmacerca"] [data-control="cmdOk"]', true),
        );
        check(
            (await page.$('section[data-form="frmacerca"]')) === null,
            "phone layout: the about box's Ok closes it",
        );
    });

    await part(t, "a new start after the end", async () => {
        // After the end, a new start from the splash, as fresh as the first.
        await withBoxes(page, () =>
            tap(page, 'section[data-form="frmmain"] [data-control="Command5"]', true),
        );
        await waitFor("the end", () => page.$(".pw-ended .pw-restart"));
        await phoneFaults(page, "the end");
        await tap(page, ".pw-ended .pw-restart", true);
        check(
            (await waitFor(
                "the splash again",
                () => page.$('section[data-form="frmsplashscreen"]'),
                3000,
            )) !== null,
            "phone layout: Recomeçar starts again from the splash",
        );
        await waitFor("the menu again", () => page.$('section[data-form="frmmain"]'), 10000);
        // The job a rigger comes for, from the menu: the load 2,00 m, the leg 2,50 m, the results
        // read, the search. Each tap and typed field counts, and a swipe to a target not in view.
        let moves = 0;
        const move = async (sel, text) => {
            const inView = await page.$eval(sel, (e) => {
                const r = e.getBoundingClientRect();
                const at = document.elementFromPoint(r.x + r.width / 2, r.y + r.height / 2);
                return e === at || e.contains(at);
            });
            moves += inView ? 1 : 2;
            await withBoxes(page, async () => {
                await tap(page, sel, true);
                if (text === undefined) return;
                await page.keyboard.type(text);
                await page.keyboard.press("Enter");
            });
        };
        await move('section[data-form="frmmain"] [data-control="command1"]');
        await agrees(["show frmmain", "click frmmain command1"], "a calculator after Recomeçar");
        await move(`${win} input.pw-number[data-control="hsblcarga"]`, "2");
        await move(`${win} input.pw-number[data-control="hsbperna"]`, "2,5");
        await move(`${win} .pw-command[data-control="Command4"]`);
        const read = await page.$$eval(`${win} .pw-result`, (rows) =>
            rows.every((r) => {
                const b = r.getBoundingClientRect();
                return b.top >= 0 && b.bottom <= innerHeight;
            }),
        );
        check(
            moves <= 6 && read && (await readouts()).txtangsup === " 90",
            "phone layout: the job takes at most 6 taps and typed fields, its results in view",
            `${moves} moves`,
        );
        console.log(`The job from the menu: ${moves} taps and typed fields`);
        // The load's weight: one out of range is refused beside its field and changes nothing;
        // one in range gives the load on each leg as a hand works it out from the leg and the
        // height shown, said once, and kept in the address.
        const load = () =>
            page.$$eval(`${win} .pw-result`, (rows) =>
                Object.fromEntries(
                    rows.map((r) => [
                        r.dataset.control,
                        r.hidden ? null : r.querySelector("input").value,
                    ]),
                ),
            );
        const before = await load();
        await move(`${win} input.pw-weight`, "1000000");
        const refusal = await page.$eval(
            `${win} .pw-group:has(.pw-weight) .pw-refusal`,
            (e) => e.textContent,
        );
        check(
            refusal !== "" && JSON.stringify(await load()) === JSON.stringify(before),
            "phone layout: a weight out of range is refused beside its field, changing nothing",
            refusal,
        );
        await move(`${win} input.pw-weight`, "12 500");
        const got = await load();
        const [leg, height] = [got.txtperna, got.txtaltura].map((t) =>
            Math.round(parseFloat(t) * 100),
        );
        const factor = (Math.round((leg / height) * 100) / 100).toFixed(2).replace(".", ",");
        const perLeg = String(Math.ceil((12500 * leg) / (2 * height)));
        const said = await page.evaluate(() => window.pernadas.announced.at(-1));
        check(
            got["@factor"] === factor &&
                got["@perLeg"].replace(/\s/g, "") === perLeg &&
                said.includes(`Em cada perna: ${perLeg} quilogramas`) &&
                (await page.evaluate(() => location.search)).endsWith("&peso=12500"),
            "phone layout: the factor and the load on each leg as worked out by hand, said, kept",
            `${JSON.stringify(got)} ${said}`,
        );
        check(errors.length === 0, "phone layout: no script errors", errors.join("\n    "));
        await context.close();
    });
});

// A desktop's screen keeps the classic layout of itself.
suite("the layout a desktop's screen gets", async () => {
    const d = await freshPage({width: 1024, height: 768}, "", false, null);
    await waitFor("the splash", () => d.page.$('section[data-form="frmsplashscreen"]'));
    check(
        (await d.page.$("section.pw-phone")) === null &&
            (await d.page.$("section .pw-switch")) !== null,
        "a desktop's screen gets the classic layout, with the switch",
    );
    // The splash's time runs on through a change of layout: switching there and back starts no
    // timer again, and the menu still follows.
    await d.page.evaluate(() => {
        const start = window.setInterval;
        window.timersStarted = 0;
        window.setInterval = (...a) => (window.timersStarted++, start(...a));
    });
    for (let i = 0; i < 2; i++)
        await d.page.click('section[data-form="frmsplashscreen"] .pw-switch');
    check(
        (await d.page.evaluate(() => window.timersStarted)) === 0 &&
            (await d.page.$('section[data-form="frmsplashscreen"]:not(.pw-phone)')) !== null,
        "switching the layout during the splash does not start its time again",
    );
    await waitFor("the menu", () => d.page.$('section[data-form="frmmain"]'), 10000);
    await d.context.close();
});
