// Every scenario file, replayed on a phone-sized page by touch in either layout, and compared
// line by line with what pernadas-replay prints for it.
import {spawnSync} from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import {perform, performPhone} from "./driver.mjs";
import {
    check,
    dumpForm,
    freshPage,
    phone,
    replay,
    rgb,
    scenarioFiles,
    shownSliders,
    suite,
} from "./harness.mjs";

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
            const got = await dumpForm(page, words[1]);
            check(got !== null, `${where}: the window is open`);
            if (!got) continue;
            const wantSliders = await shownSliders(page, words[1], want.sliders);
            // In the order of the runner's table, whatever the order of the page.
            got.sliders = Object.fromEntries(
                Object.keys(wantSliders).map((k) => [k, got.sliders[k]]),
            );
            got.options = Object.fromEntries(
                Object.keys(want.options).map((k) => [k, got.options[k]]),
            );
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
