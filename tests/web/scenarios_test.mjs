// Every scenario file, replayed on a phone-sized page by touch in either layout, and compared
// line by line with what pernadas-replay prints for it.
import {spawnSync} from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import {perform, performPhone} from "./driver.mjs";
import {
    base,
    check,
    dumpForm,
    freshPage,
    loadedForms,
    part,
    phone,
    replay,
    replayed,
    rgb,
    scenarioFiles,
    shownSliders,
    suite,
    tap,
    waitFor,
} from "./harness.mjs";

// What a window shows against what the runner dumped of it: its sliders (those shown), its
// read-outs' texts and colours, its options.
async function compareDump(page, where, form, want) {
    const got = await dumpForm(page, form);
    check(got !== null, `${where}: the window is open`);
    if (!got) return;
    const wantSliders = await shownSliders(page, form, want.sliders);
    // In the order of the runner's table, whatever the order of the page.
    got.sliders = Object.fromEntries(Object.keys(wantSliders).map((k) => [k, got.sliders[k]]));
    got.options = Object.fromEntries(Object.keys(want.options).map((k) => [k, got.options[k]]));
    check(
        JSON.stringify(got.sliders) === JSON.stringify(wantSliders),
        `${where}: sliders`,
        `page ${JSON.stringify(got.sliders)}\n    want ${JSON.stringify(wantSliders)}`,
    );
    for (const [r, w] of Object.entries(want.readouts)) {
        const g = got.readouts[r];
        check(
            g && g.text === w.text && g.back === w.back,
            `${where}: read-out ${r}`,
            `page ${JSON.stringify(g)}\n    want ${JSON.stringify(w)}`,
        );
        if (g && w.back)
            check(g.shown === rgb(w.back), `${where}: ${r} shown in ${w.back}`, g.shown);
    }
    check(
        JSON.stringify(got.options) === JSON.stringify(want.options),
        `${where}: options`,
        `page ${JSON.stringify(got.options)}\n    want ${JSON.stringify(want.options)}`,
    );
}

// The job the address of a page holds: its query less the page's own words.
const jobOf = (page) =>
    page.evaluate(() => {
        const q = new URLSearchParams(location.search);
        for (const k of ["vista", "abrir"]) q.delete(k);
        return q.toString();
    });

// A new start of the program at an address, as a reload or a link gives it: the splash for its
// 4 s, then the job set again from the menu, each box it brings up answered.
// `hurry`: the splash's timer ticks at once, where its stay is not what is tested.
async function opened(query, layout = "telemovel", prepare = undefined, hurry = false) {
    const fresh = await freshPage(phone, query, false, layout, prepare);
    const {page} = fresh;
    if (hurry) {
        // A loaded machine may not have opened the splash yet, or have closed it already.
        await page.waitForFunction(() => window.pernadas?.job && window.pernadas.job.first);
        await page.evaluate(() => {
            const p = window.pernadas;
            const splash = p.windows.get(p.job.first)?.desc;
            const timer = splash?.controls.find((c) => c.kind === "timer");
            return timer && p.act("tick", splash.name, timer.name);
        });
    }
    await waitFor(
        "the job set again",
        async () => {
            if (await page.$("dialog.pw-message[open]")) {
                await page.click("dialog.pw-message[open] .pw-ok");
                return false;
            }
            return page.evaluate(() => {
                const p = window.pernadas;
                return (
                    !p.busy &&
                    !p.job.pending &&
                    !p.job.restoring &&
                    p.windows.size > 0 &&
                    !p.windows.has(p.job.first)
                );
            });
        },
        20000,
    );
    return fresh;
}

// The final state of a scenario, kept in the phone's address and set again on a new start:
// every read-out as the runner has it, and the same address written again.
async function setAgain(name, page, file) {
    const top = await page.evaluate(() => [...window.pernadas.windows.keys()].pop() ?? null);
    if (!top) {
        console.log(`${name}: the program ended: no job to keep`);
        return;
    }
    const job = await jobOf(page);
    const lines = fs.readFileSync(file, "utf8").split("\n");
    const want = replayed([...lines, `dump ${top}`]).pop();
    const again = await opened(job);
    const where = `${name}: set again from "?${job}"`;
    const loaded = await loadedForms(again.page);
    const windows = job ? [top] : ["frmmain"];
    check(JSON.stringify(loaded) === JSON.stringify(windows), `${where}: windows`, loaded);
    if (job) {
        await compareDump(again.page, where, top, want);
        const written = await jobOf(again.page);
        check(written === job, `${where}: the same address`, written);
    }
    check(again.errors.length === 0, `${where}: no script errors`, again.errors.join("\n    "));
    await again.context.close();
}

// Every scenario, replayed on a phone-sized page by touch, and compared line by line.
// On the phone's layout (`phoneLayout`), through its own controls: + and − for arrows, −10 and +10
// for pages, the number field for drags, the segments for options.
async function scenario(file, phoneLayout = false) {
    const name = path.basename(file, ".txt") + (phoneLayout ? " (phone)" : "");
    const run = spawnSync(replay, [file], {encoding: "utf8"});
    const expected = run.stdout
        .split("\n")
        .filter(Boolean)
        .map((l) => JSON.parse(l));
    const lines = fs
        .readFileSync(file, "utf8")
        .split("\n")
        .map((l) => l.trim().split(/\s+/).filter(Boolean))
        .filter((w) => w.length && !w[0].startsWith("#"));
    check(lines.length === expected.length, `${name}: the runner answered every line`);
    const {page, context, errors} = await freshPage(
        phone,
        "?abrir=nada",
        false,
        phoneLayout ? "telemovel" : "classica",
    );
    let skipped = 0;
    for (let i = 0; i < lines.length && i < expected.length; ++i) {
        const want = expected[i],
            words = lines[i],
            where = `${name}:${i + 1} "${want.cmd}"`;
        if (want.bad) {
            // The page offers no way to do it: the control is not there, or not of that kind.
            ++skipped;
            continue;
        }
        if (words[0] === "dump") {
            await compareDump(page, where, words[1], want);
            continue;
        }
        const got = phoneLayout
            ? await performPhone(page, words)
            : await perform(page, words, true);
        if (!got) {
            ++skipped;
            continue;
        }
        check(
            JSON.stringify(got.messages) === JSON.stringify(want.messages),
            `${where}: messages`,
            `page ${JSON.stringify(got.messages)}\n    want ${JSON.stringify(want.messages)}`,
        );
        const wantErrors = want.error ? [want.error.number] : [];
        check(
            JSON.stringify(got.errors) === JSON.stringify(wantErrors),
            `${where}: refusal`,
            `page ${JSON.stringify(got.errors)}\n    want ${JSON.stringify(wantErrors)}`,
        );
        check(
            JSON.stringify(got.loaded) === JSON.stringify(want.loaded),
            `${where}: open windows`,
            `page ${JSON.stringify(got.loaded)}\n    want ${JSON.stringify(want.loaded)}`,
        );
    }
    check(errors.length === 0, `${name}: no script errors`, errors.join("\n    "));
    if (phoneLayout) await setAgain(name, page, file);
    console.log(
        `${name}: ${lines.length} lines, ${skipped} the page cannot express (refused by the runner)`,
    );
    await context.close();
}

for (const file of scenarioFiles)
    for (const layout of [false, true])
        suite(`scenario ${path.basename(file, ".txt")}${layout ? " (phone)" : ""}`, () =>
            scenario(file, layout),
        );

suite("the job in the address", async (t) => {
    await part(t, "an address that cannot be taken", async () => {
        // Each opens the menu with a short note and sets nothing, in either layout.
        const rows = [
            ["janela=frmduaspernas&hsbperna=1,5", "não se consegue ler"],
            ["janela=frmduaspernas&hsbperna=1e3", "não é um número inteiro"],
            ["janela=frmduaspernas&hsbperna=2001", "fora dos limites"],
            ["janela=frmseis&hsbperna=150", "janela que não existe"],
            ["janela=frmacerca", "não pede uma calculadora"],
            ["janela=frmduaspernas&hsbperna=" + "1".repeat(5000), "longo demais"],
            ["janela=<img src=x onerror=window.hit=1>", "não se consegue ler"],
            [
                "janela=frmduaspernas&x=</script><script>window.hit=1</script>",
                "não se consegue ler",
            ],
            ["janela=frmduaspernas&hsbdiam=150", "não tem"],
        ];
        await Promise.all(
            rows.map(async ([query, why], i) => {
                const got = await opened(query, i % 2 ? "classica" : "telemovel", undefined, true);
                const {page} = got;
                const where = `"${query.slice(0, 60)}"`;
                const loaded = await loadedForms(page);
                check(loaded.join() === "frmmain", `${where}: the menu alone`, loaded);
                const note = await page.$eval(".pw-note", (e) => e.textContent).catch(() => "");
                check(note.includes(why), `${where}: the note says why`, note);
                const said = await page.evaluate(() => window.pernadas.announced.at(-1));
                check(said === note, `${where}: the note is said`, said);
                check(!(await page.evaluate(() => window.hit)), `${where}: nothing of it runs`);
                check(got.errors.length === 0, `${where}: no script errors`, got.errors.join());
                await got.context.close();
            }),
        );
    });

    await part(t, "Back, Partilhar and the history on a phone", async () => {
        // The page is reached from another, which Back from the menu goes to.
        const before = base + "manifest.webmanifest";
        const got = await opened("", "telemovel", (page) => page.goto(before));
        const {page, context} = got;
        await context.overridePermissions(base, ["clipboard-read", "clipboard-sanitized-write"]);
        const two = 'section[data-form="frmduaspernas"]';
        const shown = async () => (await loadedForms(page)).join();
        const back = async (windows) => {
            await page.evaluate(() => history.back());
            await waitFor(`Back to ${windows}`, async () => (await shown()) === windows);
        };
        await tap(page, '[data-control="command1"]', true);
        await waitFor("the calculator", async () => (await shown()) === "frmduaspernas");
        for (const [slider, value] of [
            ["hsblcarga", 120],
            ["hsbperna", 150],
        ])
            await page.evaluate(
                (s, v) => window.pernadas.act("type", "frmduaspernas", s, v),
                slider,
                value,
            );
        const job = "janela=frmduaspernas&hsblcarga=120&hsbperna=150";
        check(
            (await jobOf(page)) === job,
            "the calculator's settings are in the address",
            await jobOf(page),
        );
        // Partilhar: a finger's size, apart from the bar's other buttons.
        const [share, cancel] = await Promise.all(
            [".pw-share", ".pw-back"].map(async (b) => (await page.$(`${two} ${b}`)).boundingBox()),
        );
        check(share.width >= 48 && share.height >= 48, "Partilhar is 48 by 48 at least", share);
        check(
            share.x - (cancel.x + cancel.width) >= 8,
            "Partilhar lies 8 px from Cancelar at least",
        );
        // Copied where the phone has no share sheet, and said so; its share sheet where it has.
        await tap(page, `${two} .pw-share`, true);
        await waitFor("the note", () => page.$(".pw-note"));
        const link = await page.evaluate(() => navigator.clipboard.readText());
        check(link === base + "?" + job, "Partilhar copies the job's link", link);
        const note = await page.$eval(".pw-note", (e) => e.textContent);
        check(note.startsWith("Ligação copiada"), "Partilhar says the link is copied", note);
        await page.evaluate(() => {
            navigator.share = async (data) => {
                window.shared = data;
            };
        });
        await tap(page, `${two} .pw-share`, true);
        const sent = await waitFor("the share sheet", () => page.evaluate(() => window.shared));
        check(sent.url === base + "?" + job, "Partilhar hands the link to the share sheet", sent);
        // Back in a calculator is its Cancelar; in the about box, its Ok; from the menu it
        // leaves the site.
        await back("frmmain");
        check((await jobOf(page)) === "", "the menu's address holds no job", await jobOf(page));
        await tap(page, '[data-control="Command6"]', true);
        await waitFor("the about box", async () => (await shown()) === "frmacerca,frmmain");
        await back("frmmain");
        // A window closed in the page takes its entry with it.
        await tap(page, '[data-control="command2"]', true);
        await waitFor("three legs", async () => (await shown()) === "frmtrespernas");
        await tap(page, 'section[data-form="frmtrespernas"] .pw-back', true);
        await waitFor("the menu", async () => (await shown()) === "frmmain");
        await page.evaluate(() => history.back());
        await waitFor("the page before", () => page.url() === before);
        check(got.errors.length === 0, "history: no script errors", got.errors.join());
        await context.close();
    });
});
