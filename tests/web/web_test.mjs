// The browser tests: the built site (build-web/site) served on 127.0.0.1 by nginx with the site
// configuration the release ships (scripts/serve.sh, as scripts/web.sh --serve serves it), opened
// in Debian's headless Chromium at a phone's size, and driven through real taps, clicks and keys.
// What the page shows (read-outs' texts and colours, sliders, option buttons, message boxes,
// refusals, open windows) is compared with what pernadas-replay prints for the same actions.
//
//   node tests/web/web_test.mjs SITE REPLAY SCREENS [SCENARIO...]
import {spawn, spawnSync} from "node:child_process";
import crypto from "node:crypto";
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";
import readline from "node:readline";
import zlib from "node:zlib";
import puppeteer from "puppeteer-core";

const [site, replay, screens, ...scenarioFiles] = process.argv.slice(2);
const chromium = process.env.CHROMIUM || "/usr/bin/chromium";
fs.mkdirSync(screens, {recursive: true});

let passed = 0,
    failed = 0;
const failures = [];
function check(ok, what, detail = "") {
    if (ok) {
        ++passed;
        return;
    }
    ++failed;
    failures.push(what + (detail ? "\n    " + detail : ""));
    console.log("FAIL " + what + (detail ? "\n    " + detail : ""));
}

// The site's server on the loopback, compressed for a browser that takes it. Its lines say what
// it sent ("GET /pernadas.wasm 200 br 60611 186": the body's and the headers' bytes); stopping it
// takes the site off the network. It serves SITE through a link of its own, so that a test can put
// another build in its place at the same address.
const serveScript = new URL("../../scripts/serve.sh", import.meta.url).pathname;
const work = fs.mkdtempSync(path.join(os.tmpdir(), "pernadas-web-"));
const served = path.join(work, "site");
fs.symlinkSync(path.resolve(site), served);
let server = null,
    base = null,
    port = 0;
const sent = []; // what the server sent, one {method, path, status, encoding, bytes} a response
async function startServer() {
    server = spawn("bash", [serveScript, served, String(port)], {
        stdio: ["ignore", "pipe", "inherit"],
    });
    const lines = readline.createInterface({input: server.stdout});
    base = await new Promise((resolve, reject) => {
        server.once("exit", (code) => reject(new Error(`scripts/serve.sh stopped (${code})`)));
        lines.on("line", (line) => {
            const url = /^Serving on (http:\S+)/.exec(line);
            if (url) {
                resolve(url[1]);
                return;
            }
            if (!/^[A-Z]+ \S+ \d+ \S+ \d+ \d+$/.test(line)) {
                check(false, "server: its log is read", line);
                return;
            }
            const [method, path, status, encoding, body, headers] = line.split(" ");
            sent.push({
                method,
                path,
                status: Number(status),
                encoding,
                bytes: Number(body) + Number(headers),
            });
        });
    });
    port = Number(new URL(base).port); // the same address when started again
}
async function stopServer() {
    const stopped = new Promise((resolve) => server.once("exit", resolve));
    server.kill();
    await stopped;
}
await startServer();

const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--no-first-run"],
});
const phone = {width: 360, height: 740, deviceScaleFactor: 2, isMobile: true, hasTouch: true};
const phoneScreen = phone;
const desktop = {width: 1024, height: 768};

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
async function waitFor(what, fn, ms = 15000) {
    const end = Date.now() + ms;
    for (;;) {
        const v = await fn();
        if (v) return v;
        if (Date.now() > end) throw new Error("timed out waiting for " + what);
        await sleep(20);
    }
}

// What the page shows now, in the runner's terms.
async function loadedForms(page) {
    return (await page.$$eval("section.pw-window", (els) => els.map((e) => e.dataset.form))).sort();
}
// The runner's sliders less those never shown (they have no control on the page).
async function shownSliders(page, form, sliders) {
    const hidden = await page.evaluate(
        (form) =>
            window.pernadas.windows
                .get(form)
                .desc.controls.filter((c) => c.kind === "slider" && !c.visible)
                .map((c) => c.name),
        form,
    );
    return Object.fromEntries(Object.entries(sliders).filter(([k]) => !hidden.includes(k)));
}
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
async function checkTexts(page, form, where) {
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
async function dumpForm(page, form) {
    return page.evaluate((form) => {
        const win = document.querySelector(`section.pw-window[data-form="${form}"]`);
        if (!win) return null;
        const sliders = {},
            readouts = {},
            options = {};
        // On a phone, a read-out's colour shows in its band, where it has one.
        const colourOf = (el) => {
            const band = el.closest(".pw-result")?.querySelector(".pw-band");
            return getComputedStyle(band && !band.hidden ? band.querySelector(".pw-swatch") : el)
                .backgroundColor;
        };
        for (const el of win.querySelectorAll("[data-control]")) {
            const name = el.dataset.control;
            if (el.classList.contains("pw-slider"))
                sliders[name] = Number(el.getAttribute("aria-valuenow"));
            else if (el.classList.contains("pw-readout"))
                readouts[name] = {
                    text: el.value,
                    back: el.dataset.back || null,
                    shown: colourOf(el),
                };
            else if (el.classList.contains("pw-option"))
                options[name] = el.querySelector("input").checked;
        }
        return {sliders, readouts, options};
    }, form);
}
const rgb = (hex) =>
    hex === null
        ? null
        : `rgb(${parseInt(hex.slice(1, 3), 16)}, ${parseInt(hex.slice(3, 5), 16)}, ${parseInt(hex.slice(5, 7), 16)})`;

// Runs one user input and answers every message box it brings up, as a person would: reads it,
// then presses OK. Returns the boxes in order, each with the read-outs' texts behind it then.
async function withBoxes(page, input) {
    const boxes = [];
    await input();
    for (;;) {
        const state = await page.evaluate(() => {
            const d = document.querySelector("dialog.pw-message[open]");
            // What the windows behind the box show while it is open.
            const behind = Object.fromEntries(
                [...document.querySelectorAll("section.pw-window .pw-readout")].map((e) => [
                    e.dataset.control,
                    e.value,
                ]),
            );
            if (d)
                return {
                    box: {
                        behind,
                        title: d.querySelector(".pw-titlebar").textContent,
                        text: d.querySelector("p").textContent,
                        critical: !!d.querySelector(".pw-icon-critical"),
                        info: !!d.querySelector(".pw-icon-info"),
                    },
                };
            return {busy: window.pernadas.busy};
        });
        if (state.box) {
            boxes.push(state.box);
            await page.click("dialog.pw-message[open] .pw-ok");
            continue;
        }
        if (!state.busy) break;
        await sleep(10);
    }
    return boxes;
}

async function centre(page, selector) {
    // Where a person would scroll to first, if it lies off the screen.
    await page.$eval(selector, (e) => e.scrollIntoView({block: "nearest"}));
    const box = await (await page.$(selector)).boundingBox();
    return {x: box.x + box.width / 2, y: box.y + box.height / 2, box};
}
async function tap(page, selector, touch) {
    const c = await centre(page, selector);
    if (touch) await page.touchscreen.tap(c.x, c.y);
    else await page.mouse.click(c.x, c.y);
}

let hookedDrags = 0,
    realDrags = 0;
// One scenario line through the page's own controls. Returns the runner's kind of answer, or
// null for a line the page has no way to express (nothing is done then).
async function perform(page, words, touch) {
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
            ++realDrags;
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
            ++realDrags;
        } else {
            // No pixel of the track means this value: the thumb's release is fed in directly.
            input = () => act("drag", form, control, value);
            ++hookedDrags;
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
    } else if (verb === "tick") {
        input = () => act("tick", form, control);
    } else {
        return null;
    }
    return outcome(page, input);
}

// One scenario line through the phone layout's controls; what none of them does (showing a form,
// a timer's tick, a close box, a control of a window that waits behind another) is fed in.
let phoneHooked = 0;
async function performPhone(page, words) {
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
        ++phoneHooked;
        return () => act(verb, form, control, verb === "drag" ? Number(arg) : arg === "-" ? -1 : 1);
    };
    let input;
    if (verb === "show" || verb === "tick" || verb === "close") {
        input = () => {
            ++phoneHooked;
            return act(verb, form, control);
        };
    } else if (verb === "arrow" || verb === "page") {
        const sel = `${group} [data-step="${verb}${arg}"]`;
        input = (await seen(sel)) ? () => tap(page, sel, true) : direct();
    } else if (verb === "drag") {
        const sel = `${group} input.pw-number`;
        const v = Number(arg),
            text = `${v < 0 ? "-" : ""}${Math.floor(Math.abs(v) / 100)},${String(Math.abs(v) % 100).padStart(2, "0")}`;
        input = (await seen(sel))
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
    const messages = [],
        errors = [];
    for (const b of boxes) {
        const m = /\(Erro de execução (\d+): /.exec(b.text);
        if (b.critical && m) errors.push(Number(m[1]));
        else
            messages.push({style: b.critical ? 16 : b.info ? 64 : 0, title: b.title, text: b.text});
    }
    return {messages, errors, loaded: await loadedForms(page)};
}

// A page of its own, with nothing kept from another; the browser's own profile (a fresh one) for
// the new user, since a private window cannot install a site.
// The classic layout unless `layout` says "telemovel" (a phone-sized screen would get the phone's);
// `prepare` sets the page up before it loads.
async function freshPage(
    viewport,
    query = "",
    own = false,
    layout = "classica",
    prepare = async () => {},
) {
    const context = own ? browser.defaultBrowserContext() : await browser.createBrowserContext();
    const page = await context.newPage();
    await page.setViewport(viewport);
    await prepare(page);
    const errors = [];
    page.on("pageerror", (e) => errors.push(String(e)));
    const search = new URLSearchParams(query);
    if (layout) search.set("vista", layout);
    await page.goto(base + (search.size ? "?" + search : ""), {waitUntil: "load"});
    await waitFor("the model", () =>
        page.evaluate(() => (window.pernadas && !window.pernadas.busy) || window.pernadasError),
    );
    const error = await page.evaluate(() => window.pernadasError);
    if (error) throw new Error("the page did not start: " + error);
    return {page, context, errors};
}

// Every scenario, replayed on a phone-sized page by touch, and compared line by line.
// On the phone's layout (`phone`), through its own controls: + and − for arrows, −10 and +10
// for pages, the number field for drags, the segments for options.
async function scenario(file, phone = false) {
    const name = path.basename(file, ".txt") + (phone ? " (phone)" : "");
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
        phoneScreen,
        "?abrir=nada",
        false,
        phone ? "telemovel" : "classica",
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
        const got = phone ? await performPhone(page, words) : await perform(page, words, true);
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

// A new user on a phone: the splash, the menu, a calculator, a slider, the search; every window
// pictured at the phone's width and at a desktop's; then the same page again without a network.
async function newUser() {
    sent.length = 0;
    // What Chromium says it received, request by request, headers included: for the page, and
    // for its service worker (watched from its start, so that its install is seen too).
    const received = [];
    const listen = async (cdp, who) => {
        cdp.on("Network.loadingFinished", (e) => received.push({who, bytes: e.encodedDataLength}));
        await cdp.send("Network.enable");
    };
    const watch = async (page) => listen(await page.createCDPSession(), "page");
    const worker = async (target) => {
        if (target.type() === "service_worker")
            await listen(await target.createCDPSession(), "worker");
    };
    browser.on("targetcreated", worker);
    const started = Date.now();
    // The classic layout, chosen as a user's earlier choice is kept: with "?vista=" in the
    // address the page would not be the "./" the service worker keeps.
    const {page, errors} = await freshPage(phone, "", true, null, async (p) => {
        await p.evaluateOnNewDocument(() => localStorage.setItem("pernadas-vista", "classica"));
        await watch(p);
    });
    await waitFor("the splash", () => page.$('section[data-form="frmsplashscreen"]'));
    const firstWindow = Date.now() - started;
    const inPage = await waitFor("the first frame", () =>
        page.evaluate(() => window.pernadas.firstWindowAt),
    );
    await page.screenshot({path: path.join(screens, "phone-splash.png")});
    await waitFor("the menu", () => page.$('section[data-form="frmmain"]'), 10000);
    await page.screenshot({path: path.join(screens, "phone-menu.png")});
    await checkTexts(page, "frmmain", "phone");
    // The first visit ends once the service worker has kept every file. Each file crosses the
    // network once: the worker takes what the page fetched from the browser's HTTP cache. Every
    // file that compresses comes compressed.
    await waitFor(
        "the service worker",
        () => page.evaluate(() => navigator.serviceWorker.ready.then((r) => !!r.active)),
        10000,
    );
    browser.off("targetcreated", worker);
    const firstVisit = sent.filter((r) => r.method === "GET");
    const fetched = firstVisit
        .filter((r) => r.status === 200)
        .map((r) => r.path.replace(/\?.*/, ""));
    const twice = fetched.filter((p, i) => fetched.indexOf(p) !== i);
    check(twice.length === 0, "first visit: no file is fetched twice", twice.join(", "));
    const plain = firstVisit.filter(
        (r) => r.status === 200 && r.encoding === "-" && !r.path.endsWith(".png"),
    );
    check(
        plain.length === 0,
        "first visit: every file but the PNGs comes compressed",
        plain.map((r) => r.path).join(", "),
    );
    // As the server counts it (every answer, the worker's script too) and as Chromium does.
    const firstVisitBytes = firstVisit.reduce((n, r) => n + r.bytes, 0);
    const byChromium = (who) =>
        received.filter((r) => r.who === who).reduce((n, r) => n + r.bytes, 0);
    const pageReceived = byChromium("page"),
        workerReceived = byChromium("worker");
    check(
        Math.max(firstVisitBytes, pageReceived + workerReceived) <= 120000,
        "first visit: at most 120 kB cross the network",
        `${firstVisitBytes} bytes sent, ${pageReceived} + ${workerReceived} received`,
    );
    // The same files as they are, for the figures.
    const uncompressedBytes = firstVisit.reduce((n, r) => {
        if (r.status !== 200 || r.encoding === "-") return n + r.bytes;
        const file = path.join(site, r.path.replace(/\?.*/, "").replace(/\/$/, "/index.html"));
        const size = (f) => fs.statSync(f).size;
        return n + r.bytes - size(file + (r.encoding === "br" ? ".br" : ".gz")) + size(file);
    }, 0);

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
    ]) {
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
                pressed.length === 1 && repeats.length === 0 && held === after.sliders.hsbperna + 1,
                "phone: a held key steps once past a box",
                `${pressed.length} + ${repeats.length} boxes, leg ${held}`,
            );
        }
        check(
            (await page.$(`section[data-form="${form}"]`)) !== null,
            `phone: the menu opens ${form}`,
        );
        check(await fits(), `phone: ${form} fits 360 pixels`);
        await checkTexts(page, form, "phone");
        await page.screenshot({path: path.join(screens, `phone-${form}.png`)});
        // Back to the menu by the calculator's own way out, as the runner does it.
        const cmds = [`show frmmain`, `click frmmain ${button}`];
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
        const want = spawnSync(replay, [], {input: cmds.join("\n") + "\n", encoding: "utf8"})
            .stdout.split("\n")
            .filter(Boolean)
            .map((l) => JSON.parse(l));
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
        if (quit) await withBoxes(page, () => tap(page, `${sel} [data-control="${quit}"]`, true));
        else await withBoxes(page, () => tap(page, `${sel} .pw-close`, true));
        if (!(await page.$('section[data-form="frmmain"]')))
            await page.evaluate(() => window.pernadas.act("show", "frmmain"));
    }
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
    check(errors.length === 0, "phone: no script errors", errors.join("\n    "));

    // Without a network, the same page opens again from what the service worker kept.
    // The browser finds nothing missing to add the page to a home screen.
    const cdp = await page.createCDPSession();
    const {installabilityErrors} = await cdp.send("Page.getInstallabilityErrors");
    check(
        installabilityErrors.length === 0,
        "the site can be installed",
        JSON.stringify(installabilityErrors),
    );
    const {errors: manifestErrors} = await cdp.send("Page.getAppManifest");
    check(
        manifestErrors.length === 0,
        "the manifest has no errors",
        JSON.stringify(manifestErrors),
    );
    // The PNG icons, each of the size it is said to be. The maskable one and iOS's are opaque, and
    // the maskable one shows nothing but its background outside the central circle of 40 % of its
    // width, which every shape a phone crops it to keeps.
    const icons = await page.evaluate(async () => {
        const look = async (src) => {
            const img = new Image();
            img.src = src;
            await img.decode();
            const w = img.naturalWidth,
                h = img.naturalHeight;
            const g = Object.assign(document.createElement("canvas"), {
                width: w,
                height: h,
            }).getContext("2d");
            g.drawImage(img, 0, 0);
            const d = g.getImageData(0, 0, w, h).data;
            let transparent = 0,
                outside = 0;
            for (let y = 0; y < h; ++y)
                for (let x = 0; x < w; ++x) {
                    const i = 4 * (y * w + x);
                    if (d[i + 3] !== 255) ++transparent;
                    if (
                        Math.hypot(x + 0.5 - w / 2, y + 0.5 - h / 2) > 0.4 * w &&
                        [0, 1, 2].some((k) => Math.abs(d[i + k] - d[k]) > 2)
                    )
                        ++outside;
                }
            return {size: `${w}x${h}`, transparent, outside};
        };
        const manifest = await (await fetch("manifest.webmanifest")).json();
        const pngs = manifest.icons.filter((i) => i.type === "image/png");
        const apple = document.querySelector('link[rel="apple-touch-icon"]').href;
        return {
            pngs: await Promise.all(pngs.map(async (i) => ({...i, ...(await look(i.src))}))),
            apple: await look(apple),
        };
    });
    const has = (sizes, purpose) =>
        icons.pngs.some((i) => i.sizes === sizes && i.purpose === purpose);
    check(
        has("192x192", "any") &&
            has("512x512", "any") &&
            has("512x512", "maskable") &&
            icons.pngs.every((i) => i.size === i.sizes),
        "the manifest lists PNG icons of 192 and 512, and a maskable 512",
        JSON.stringify(icons.pngs),
    );
    const maskable = icons.pngs.find((i) => i.purpose === "maskable") || {};
    check(
        maskable.transparent === 0 && maskable.outside === 0,
        "the maskable icon is opaque and keeps to its safe circle",
        JSON.stringify(maskable),
    );
    check(
        icons.apple.size === "180x180" && icons.apple.transparent === 0,
        "iOS's icon is an opaque PNG of 180",
        JSON.stringify(icons.apple),
    );
    await stopServer();
    await page.setOfflineMode(true);
    await page.reload({waitUntil: "load"});
    let offlineOk = false;
    try {
        await waitFor(
            "the splash offline",
            () => page.$('section[data-form="frmsplashscreen"]'),
            10000,
        );
        await waitFor("the menu offline", () => page.$('section[data-form="frmmain"]'), 10000);
        offlineOk = true;
    } catch {
        /* reported below */
    }
    check(offlineOk, "offline: the site opens again without a network");
    if (offlineOk) {
        await withBoxes(page, () =>
            tap(page, 'section[data-form="frmmain"] [data-control="command1"]', true),
        );
        check(
            (await page.$('section[data-form="frmduaspernas"]')) !== null,
            "offline: a calculator opens",
        );
    }
    await page.setOfflineMode(false);
    await startServer();
    await page.close();

    // The desktop: every window at its natural size.
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
    return {
        firstWindow,
        inPage,
        firstVisitBytes,
        uncompressedBytes,
        pageReceived,
        workerReceived,
        requests: firstVisit.length,
    };
}

// A new build put up while a page of the old one is open. The browser's HTTP cache still holds
// the old build's files; the new service worker keeps none of them, and it serves nothing until
// no page of the old build is open.
async function newBuild() {
    // The new build: the site with its style changed, and the worker's list to match.
    const next = path.join(work, "next");
    fs.cpSync(path.resolve(site), next, {recursive: true});
    const css = path.join(next, "binding.css");
    fs.appendFileSync(css, "/* the next build */\n");
    for (const name of ["binding.css", "sw.js"])
        for (const z of [".br", ".gz"]) fs.rmSync(path.join(next, name + z), {force: true});
    const hash = crypto.createHash("sha256").update(fs.readFileSync(css)).digest("hex");
    const sw = path.join(next, "sw.js");
    fs.writeFileSync(
        sw,
        fs
            .readFileSync(sw, "utf8")
            .replace(/pernadas-[0-9a-f]{16}/, "pernadas-next")
            .replace(/("binding\.css": ")[0-9a-f]{64}/, `$1${hash}`),
    );

    const {page, context} = await freshPage(phone);
    const activeWorker = (page) =>
        waitFor(
            "an active service worker",
            () => page.evaluate(() => navigator.serviceWorker.ready.then((r) => !!r.active)),
            10000,
        );
    // What a page is served, and what the new build's worker keeps.
    const look = (page) =>
        page.evaluate(async () => {
            const next = async (response) =>
                response ? (await response.text()).includes("the next build") : null;
            return {
                served: await next(await fetch("binding.css")),
                caches: await caches.keys(),
                kept: await next(await (await caches.open("pernadas-next")).match("binding.css")),
            };
        });
    try {
        await activeWorker(page);
        fs.unlinkSync(served);
        fs.symlinkSync(next, served);
        // The page again: the old worker serves it, and the browser finds the new worker.
        await page.reload({waitUntil: "load"});
        await waitFor(
            "the new worker installed",
            () =>
                page.evaluate(() =>
                    navigator.serviceWorker.getRegistration().then((r) => !!(r && r.waiting)),
                ),
            10000,
        );
        const open = await look(page);
        check(
            open.kept === true,
            "new build: its worker keeps its own files, not the old ones the HTTP cache holds",
            JSON.stringify(open),
        );
        check(
            open.served === false,
            "new build: a page of the old build is still served the old build's files",
            JSON.stringify(open),
        );
        // Once no page of the old build is open, the new worker serves a new page its own files.
        await page.close();
        const later = await context.newPage();
        await later.goto(base, {waitUntil: "load"});
        await activeWorker(later);
        await waitFor(
            "the new worker in charge",
            () => later.evaluate(() => navigator.serviceWorker.controller !== null),
            10000,
        );
        const after = await look(later);
        check(
            after.served === true &&
                JSON.stringify(after.caches) === JSON.stringify(["pernadas-next"]),
            "new build: its worker takes over once no old page is open, and drops the old files",
            JSON.stringify(after),
        );
    } finally {
        fs.unlinkSync(served);
        fs.symlinkSync(path.resolve(site), served);
        await context.close();
    }
}

// The server as other clients meet it: the encoding each Accept-Encoding gets, a file unchanged
// since the client's copy, and a path outside the site.
async function serverAnswers() {
    const get = (file, headers = {}) =>
        new Promise((resolve, reject) => {
            http.get({host: "127.0.0.1", port, path: "/" + file, headers}, (res) => {
                const chunks = [];
                res.on("data", (c) => chunks.push(c));
                res.on("end", () =>
                    resolve({
                        status: res.statusCode,
                        headers: res.headers,
                        body: Buffer.concat(chunks),
                    }),
                );
            }).on("error", reject);
        });
    const plain = fs.readFileSync(path.join(site, "binding.js"));
    for (const [accept, want] of [
        ["gzip, deflate, br", "br"],
        ["gzip", "gzip"],
        ["br;q=0, gzip;q=0.5", "gzip"],
        ["*", undefined],
        ["identity", undefined],
        [undefined, undefined],
        ["br;q=0, *;q=0", undefined],
    ]) {
        const r = await get("binding.js", accept === undefined ? {} : {"Accept-Encoding": accept});
        const got = r.headers["content-encoding"];
        const body =
            got === "br"
                ? zlib.brotliDecompressSync(r.body)
                : got === "gzip"
                  ? zlib.gunzipSync(r.body)
                  : r.body;
        check(
            r.status === 200 &&
                got === want &&
                body.equals(plain) &&
                r.headers["content-type"].startsWith("text/javascript") &&
                r.headers.vary === "Accept-Encoding",
            `server: Accept-Encoding "${accept}" gets ${want || "the file as it is"}`,
            `${r.status} ${JSON.stringify(r.headers)}`,
        );
    }
    const first = await get("pernadas.wasm", {"Accept-Encoding": "br"});
    const again = await get("pernadas.wasm", {
        "Accept-Encoding": "br",
        "If-None-Match": first.headers.etag,
    });
    const other = await get("pernadas.wasm", {
        "Accept-Encoding": "gzip",
        "If-None-Match": first.headers.etag,
    });
    check(
        first.headers["content-type"] === "application/wasm" &&
            again.status === 304 &&
            again.body.length === 0 &&
            other.status === 200 &&
            other.headers["content-encoding"] === "gzip",
        "server: a copy the client has is not sent again, one of another encoding is",
        `${again.status} ${other.status}`,
    );
    check(
        [400, 404].includes((await get("../../../../../etc/passwd")).status) &&
            [400, 404].includes((await get("%2e%2e/%2e%2e/%2e%2e/etc/passwd")).status) &&
            (await get("nothing.js")).status === 404,
        "server: nothing outside the site, nothing missing",
    );
}

// What breaks the phone's layout at 360 by 640 where it is shown now (the open message box, else
// the page): a target (button, field, slider, option) smaller than 48 by 48 pixels or less than 8
// from another, a slider's thumb under 44, text under 16 pixels (but in the drawing, a picture
// whose letters the results name again), scrolling sideways, anything cut off or past the
// screen's edge. Sizes as they are seen on the screen, by getBoundingClientRect.
async function phoneFaults(page, where) {
    const faults = await sizeFaults(page);
    check(
        faults.length === 0,
        `phone layout: ${where} fits a finger and the eye at 360×640`,
        faults.join("; "),
    );
}
function sizeFaults(page) {
    return page.evaluate(() => {
        const faults = [];
        const scope = document.querySelector("dialog.pw-message[open]") || document.body;
        const seen = (e) => {
            const r = e.getBoundingClientRect();
            return r.width > 0 && r.height > 0 && !e.closest("[hidden], .pw-hidden");
        };
        const name = (e) => e.dataset.control || e.dataset.step || e.className || e.tagName;
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
            if (!n.textContent.trim() || !seen(el) || el.closest(".pw-drawing, script, style"))
                continue;
            const r = el.getBoundingClientRect();
            // The font's size as seen: its own, times whatever scales the element.
            const size =
                parseFloat(getComputedStyle(el).fontSize) *
                (el.offsetHeight ? r.height / el.offsetHeight : 1);
            if (size < 15.95)
                small.add(`"${n.textContent.trim().slice(0, 20)}" at ${size.toFixed(1)}px`);
            if (r.left < -0.5 || r.right > innerWidth + 0.5)
                faults.push(`"${n.textContent.trim().slice(0, 20)}" goes past the screen's edge`);
        }
        for (const el of scope.querySelectorAll("input")) {
            if (!seen(el) || el.type === "radio") continue;
            const size = parseFloat(getComputedStyle(el).fontSize);
            if (el.value && size < 15.95) small.add(`"${el.value}" at ${size}px`);
        }
        faults.push(...small);
        for (const el of scope.querySelectorAll(
            "button, input, h2, h3, p, .pw-result-name, .pw-band-words, .pw-segment span",
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

// Pictures of every window of the phone's layout, written to SCREENS as phone-WIDTH-WINDOW.png,
// each measured as phoneFaults does.
async function phonePictures(viewport) {
    const {page, context, errors} = await freshPage(viewport, "", false, "telemovel");
    const tag = `phone-${viewport.width}`;
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
        const stray = [];
        (function walk(n) {
            if (n.name && n.name.trim().length === 1) stray.push(n.role + " " + n.name);
            (n.children || []).forEach(walk);
        })(await page.accessibility.snapshot({interestingOnly: true}));
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

// The phone's layout, by touch at 360 by 640: the sizes of every window, the typed value, the
// held + and −, what is announced, the switch between the layouts, and a new start after the end.
async function phoneLayout() {
    const small = {width: 360, height: 640, deviceScaleFactor: 2, isMobile: true, hasTouch: true};
    const {page, context, errors} = await freshPage(small, "", false, null);
    const form = "frmduaspernas";
    const win = `section.pw-window[data-form="${form}"]`;
    const ctl = (name) => `${win} [data-control="${name}"]`;
    const replayed = (lines) =>
        spawnSync(replay, [], {input: lines.join("\n") + "\n", encoding: "utf8"})
            .stdout.split("\n")
            .filter(Boolean)
            .map((l) => JSON.parse(l));
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

    await waitFor("the splash", () => page.$('section.pw-phone[data-form="frmsplashscreen"]'));
    phoneFirstWindow = await waitFor("the first frame", () =>
        page.evaluate(() => window.pernadas.firstWindowAt),
    );
    await phoneFaults(page, "the splash");
    await waitFor("the menu", () => page.$('section.pw-phone[data-form="frmmain"]'), 10000);
    await phoneFaults(page, "the menu");
    const lines = ["show frmmain", "click frmmain command1"];
    await withBoxes(page, () =>
        tap(page, 'section[data-form="frmmain"] [data-control="command1"]', true),
    );
    check(
        (await page.$(`${win}.pw-phone`)) !== null,
        "phone layout: a phone's screen gets it of itself",
    );

    // + held down before the load is set: one box, and no step after it however long it is held.
    const plus = `${win} .pw-group:has([data-control="hsbperna"]) [data-step="arrow+"]`;
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
    check(stays && asked === boxes + 1, "phone layout: a held Enter clicks once", `${asked} boxes`);

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
    lines.push(`drag ${form} hsblcarga 200`);
    check((await said()) === before + 1, "phone layout: an action's results are announced once");
    before = await said();
    check((await type("hsbperna", "2.5")) === "", "phone layout: 2.5 is taken");
    lines.push(`drag ${form} hsbperna 250`);
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
    lines.push(`drag ${form} hsbperna 300`, `arrow ${form} hsbperna +`);
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
        tap(page, `${win} .pw-group:has([data-control="hsblcarga"]) [data-step="arrow+"]`, true),
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
    const stray = [];
    (function walk(n) {
        if (n.name && n.name.trim().length === 1) stray.push(n.role + " " + n.name);
        (n.children || []).forEach(walk);
    })(tree);
    check(stray.length === 0, "phone layout: no stray letters are read", stray.join(", "));
    await withBoxes(page, () => tap(page, `${win} .pw-command`, true));
    lines.push(`click ${form} Command4`);
    await agrees(lines, "the 90-degree search");

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

    // A thumb resting at an end drags by touch (the three-leg calculator starts there).
    await withBoxes(page, () => tap(page, `${win} .pw-back`, true));
    if (!(await page.$('section[data-form="frmmain"]')))
        await page.evaluate(() => window.pernadas.act("show", "frmmain"));
    await withBoxes(page, () =>
        tap(page, 'section[data-form="frmmain"] [data-control="command2"]', true),
    );
    const three = 'section[data-form="frmtrespernas"]';
    const thumb = await centre(page, `${three} [data-control="hsblcarga"] .pw-thumb`);
    const start = await page.$eval(`${three} [data-control="hsblcarga"]`, (e) =>
        Number(e.getAttribute("aria-valuenow")),
    );
    await withBoxes(page, async () => {
        const touch = await page.touchscreen.touchStart(thumb.x, thumb.y);
        await touch.move(thumb.x + 40, thumb.y);
        await touch.move(thumb.x + 80, thumb.y);
        await touch.end();
    });
    const dragged = await page.$eval(`${three} [data-control="hsblcarga"]`, (e) =>
        Number(e.getAttribute("aria-valuenow")),
    );
    check(
        dragged > start,
        "phone layout: a thumb at the end of its track drags by touch",
        `${start} to ${dragged}`,
    );
    await withBoxes(page, () => tap(page, `${three} .pw-segment:not(:has(input:checked))`, true));
    await page.evaluate(() => scrollTo(0, 0));
    await phoneFaults(page, "the three-leg calculator");
    await withBoxes(page, () => tap(page, `${three} .pw-back`, true));
    if (!(await page.$('section[data-form="frmmain"]')))
        await page.evaluate(() => window.pernadas.act("show", "frmmain"));
    await withBoxes(page, () =>
        tap(page, 'section[data-form="frmmain"] [data-control="Command3"]', true),
    );
    await phoneFaults(page, "the four-leg calculator");
    await withBoxes(page, () => tap(page, 'section[data-form="frmquatropernas"] .pw-back', true));
    if (!(await page.$('section[data-form="frmmain"]')))
        await page.evaluate(() => window.pernadas.act("show", "frmmain"));

    // The about box's two buttons, which lie outside its classic window, are there to tap.
    await withBoxes(page, () =>
        tap(page, 'section[data-form="frmmain"] [data-control="Command6"]', true),
    );
    await phoneFaults(page, "the about box");
    const info = await withBoxes(page, () =>
        tap(page, 'section[data-form="frmacerca"] [data-control="cmdSysinfo"]', true),
    );
    check(info.length === 1, "phone layout: the about box's system information is there to tap");
    await withBoxes(page, () =>
        tap(page, 'section[data-form="frmacerca"] [data-control="cmdOk"]', true),
    );
    check(
        (await page.$('section[data-form="frmacerca"]')) === null,
        "phone layout: the about box's Ok closes it",
    );

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
    await withBoxes(page, () =>
        tap(page, 'section[data-form="frmmain"] [data-control="command1"]', true),
    );
    await agrees(["show frmmain", "click frmmain command1"], "a calculator after Recomeçar");
    check(errors.length === 0, "phone layout: no script errors", errors.join("\n    "));
    await context.close();

    // A desktop's screen keeps the classic layout of itself.
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
}

const began = Date.now();
let figures = null,
    phoneFirstWindow = NaN;
try {
    await serverAnswers();
    figures = await newUser();
    await newBuild();
    await phoneLayout();
    await phonePictures({
        width: 360,
        height: 640,
        deviceScaleFactor: 2,
        isMobile: true,
        hasTouch: true,
    });
    await phonePictures({
        width: 390,
        height: 844,
        deviceScaleFactor: 3,
        isMobile: true,
        hasTouch: true,
    });
    for (const file of scenarioFiles) {
        await scenario(file);
        await scenario(file, true);
    }
} catch (e) {
    check(false, "the page could be driven", e.stack);
}
await browser.close();
await stopServer();
fs.rmSync(work, {recursive: true, force: true});
if (figures)
    console.log(
        `Figures: first visit ${figures.firstVisitBytes} bytes in ${figures.requests} requests ` +
            `(${figures.uncompressedBytes} uncompressed; by Chromium's count ${figures.pageReceived} for the page and ` +
            `${figures.workerReceived} for its service worker); first window drawn ` +
            `${Math.round(figures.inPage)} ms after the page's loading began (the phone's layout: ${Math.round(phoneFirstWindow)} ms); ${realDrags} drags by the thumb or Home/End, ${hookedDrags} by ` +
            `value; on the phone's layout ${phoneHooked} lines fed in; ${((Date.now() - began) / 1000).toFixed(1)} s in all.`,
    );
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed || !passed ? 1 : 0);
