// The browser tests: the built site (build-web/site) served on 127.0.0.1 by scripts/serve.py, as
// scripts/web.sh --serve serves it, opened in Debian's headless Chromium at a phone's size, and
// driven through real taps, clicks and keys. What the page shows (read-outs' texts and colours,
// sliders, option buttons, message boxes, refusals, open windows) is compared with what
// pernadas-replay prints for the same actions.
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

let passed = 0, failed = 0;
const failures = [];
function check(ok, what, detail = "") {
    if (ok) { ++passed; return; }
    ++failed;
    failures.push(what + (detail ? "\n    " + detail : ""));
    console.log("FAIL " + what + (detail ? "\n    " + detail : ""));
}

// The site's server on the loopback, compressed for a browser that takes it. Its lines say what
// it sent ("GET /pernadas.wasm 200 br 60611 186": the body's and the headers' bytes); stopping it
// takes the site off the network. It serves SITE through a link of its own, so that a test can put
// another build in its place at the same address.
const serveScript = new URL("../../scripts/serve.py", import.meta.url).pathname;
const work = fs.mkdtempSync(path.join(os.tmpdir(), "pernadas-web-"));
const served = path.join(work, "site");
fs.symlinkSync(path.resolve(site), served);
let server = null, base = null, port = 0;
const sent = [];  // what the server sent, one {method, path, status, encoding, bytes} a response
async function startServer() {
    server = spawn("python3", [serveScript, served, String(port)], {stdio: ["ignore", "pipe", "inherit"]});
    const lines = readline.createInterface({input: server.stdout});
    base = await new Promise((resolve, reject) => {
        server.once("exit", (code) => reject(new Error(`scripts/serve.py stopped (${code})`)));
        lines.on("line", (line) => {
            const url = /^Serving on (http:\S+)/.exec(line);
            if (url) { resolve(url[1]); return; }
            if (!/^[A-Z]+ \S+ \d+ \S+ \d+ \d+$/.test(line)) { check(false, "server: its log is read", line); return; }
            const [method, path, status, encoding, body, headers] = line.split(" ");
            sent.push({method, path, status: Number(status), encoding, bytes: Number(body) + Number(headers)});
        });
    });
    port = Number(new URL(base).port);  // the same address when started again
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
    const hidden = await page.evaluate((form) => window.pernadas.windows.get(form).desc.controls
        .filter((c) => c.kind === "slider" && !c.visible).map((c) => c.name), form);
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
        if (!win) return null;  // gone already (the splash, on a slow machine)
        const desc = win.desc;
        const byName = new Map(desc.controls.map((c) => [c.name, c]));
        const isCut = (el) => {
            if (el.matches(".pw-legend")) {
                const frame = el.parentElement;
                return el.offsetLeft + el.offsetWidth > frame.clientWidth || el.offsetTop < 0;
            }
            if (el.matches(".pw-option > span"))
                return el.getBoundingClientRect().right > el.parentElement.getBoundingClientRect().right + 0.5 ||
                    el.scrollHeight > el.parentElement.clientHeight + 0.5;
            return el.scrollWidth > el.clientWidth + 0.5 || el.scrollHeight > el.clientHeight + 0.5;
        };
        // The table's size: the control's font, else its frame's, else the window's.
        const tablePx = (c) => {
            for (let x = c; x; x = byName.get(x.container)) if (x.font.family) return x.font.points * 96 / 72;
            return desc.font.points * 96 / 72;
        };
        const faults = [];
        for (const c of desc.controls) {
            const box = win.el.querySelector(`[data-control="${c.name}"]`);
            if (!box || !box.offsetParent) continue;
            const el = c.kind === "option" ? box.querySelector("span")        // an option's text
                : c.kind === "frame" ? box.querySelector(".pw-legend")         // a frame's caption
                : ["readout", "textbox", "label", "button"].includes(c.kind) ? box : null;
            if (!el || !(el.value ?? el.textContent).trim()) continue;
            if (isCut(el)) faults.push(`${c.name} cut off`);
            // A label's text lies in the part of it that the controls in front leave seen.
            const seen = (t) => Math.round(t / 15);
            if (c.kind === "label" && c.room.right > c.room.left &&
                (el.offsetLeft + el.offsetWidth > seen(c.left + c.room.right) ||
                 el.offsetTop + el.offsetHeight > seen(c.top + c.room.bottom)))
                faults.push(`${c.name} reaches under a control in front of it`);
            const want = tablePx(c), got = parseFloat(getComputedStyle(el).fontSize);
            if (got > want + 0.05) faults.push(`${c.name} at ${got}px, larger than its table's ${want}px`);
            if (got < want - 0.05) {
                const shown = el.style.fontSize;
                el.style.fontSize = want + "px";
                if (!isCut(el)) faults.push(`${c.name} at ${got}px, though its table's ${want}px fits`);
                el.style.fontSize = shown;
            }
        }
        return faults;
    }, form);
}
async function checkTexts(page, form, where) {
    const faults = await textFaults(page, form);
    if (faults === null) { console.log(`${where}: ${form} closed before its texts were looked at`); return; }
    check(faults.length === 0, `${where}: ${form} shows every text whole at its own size`, faults.join(", "));
}
async function dumpForm(page, form) {
    return page.evaluate((form) => {
        const win = document.querySelector(`section.pw-window[data-form="${form}"]`);
        if (!win) return null;
        const sliders = {}, readouts = {}, options = {};
        for (const el of win.querySelectorAll("[data-control]")) {
            const name = el.dataset.control;
            if (el.classList.contains("pw-slider")) sliders[name] = Number(el.getAttribute("aria-valuenow"));
            else if (el.classList.contains("pw-readout"))
                readouts[name] = {text: el.value, back: el.dataset.back || null,
                                  shown: getComputedStyle(el).backgroundColor};
            else if (el.classList.contains("pw-option")) options[name] = el.querySelector("input").checked;
        }
        return {sliders, readouts, options};
    }, form);
}
const rgb = (hex) => hex === null ? null :
    `rgb(${parseInt(hex.slice(1, 3), 16)}, ${parseInt(hex.slice(3, 5), 16)}, ${parseInt(hex.slice(5, 7), 16)})`;

// Runs one user input and answers every message box it brings up, as a person would: reads it,
// then presses OK. Returns the boxes in order, each with the read-outs' texts behind it then.
async function withBoxes(page, input) {
    const boxes = [];
    await input();
    for (;;) {
        const state = await page.evaluate(() => {
            const d = document.querySelector("dialog.pw-message[open]");
            // What the windows behind the box show while it is open.
            const behind = Object.fromEntries([...document.querySelectorAll("section.pw-window .pw-readout")]
                .map((e) => [e.dataset.control, e.value]));
            if (d) return {box: {behind, title: d.querySelector(".pw-titlebar").textContent,
                                 text: d.querySelector("p").textContent,
                                 critical: !!d.querySelector(".pw-icon-critical"),
                                 info: !!d.querySelector(".pw-icon-info")}};
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
    const box = await (await page.$(selector)).boundingBox();
    return {x: box.x + box.width / 2, y: box.y + box.height / 2, box};
}
async function tap(page, selector, touch) {
    const c = await centre(page, selector);
    if (touch) await page.touchscreen.tap(c.x, c.y);
    else await page.mouse.click(c.x, c.y);
}

let hookedDrags = 0, realDrags = 0;
// One scenario line through the page's own controls. Returns the runner's kind of answer, or
// null for a line the page has no way to express (nothing is done then).
async function perform(page, words, touch) {
    const [verb, form, control, arg] = words;
    const win = `section.pw-window[data-form="${form}"]`;
    const ctl = `${win} [data-control="${control}"]`;
    const act = (...a) => page.evaluate((a) => { window.pernadas.act(...a); }, a);
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
            const thumb = (await (await page.$(`${ctl} .pw-thumb`)).boundingBox());
            const track = (await (await page.$(`${ctl} .pw-track`)).boundingBox());
            const x = arg === "+" ? (thumb.x + thumb.width + track.x + track.width) / 2
                                  : (track.x + thumb.x) / 2;
            const y = track.y + track.height / 2;
            if (touch) await page.touchscreen.tap(x, y); else await page.mouse.click(x, y);
        };
    } else if (verb === "drag") {
        const value = Number(arg);
        const info = await page.evaluate((form, control, value) => {
            const rec = window.pernadas.windows.get(form).controls.get(control);
            const c = rec.desc;
            const track = rec.track.getBoundingClientRect();
            const scale = track.width / rec.track.clientWidth;
            // Where the thumb's centre must go for the value, if a pixel there means it.
            const thumb = rec.thumb.getBoundingClientRect();
            const to = rec.positionOf(value);
            const from = rec.positionOf(rec.value);
            const exact = rec.valueAt(Math.round(to)) === value;
            return {min: c.min, max: c.max, exact, dx: (Math.round(to) - from) * scale,
                    x: thumb.x + thumb.width / 2, y: thumb.y + thumb.height / 2};
        }, form, control, value);
        if (value === info.min || value === info.max) {
            // Home and End drag the thumb to either end.
            input = async () => { await page.focus(ctl); await page.keyboard.press(value === info.min ? "Home" : "End"); };
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
            const b = el.getBoundingClientRect(), w = el.closest(".pw-client").getBoundingClientRect();
            return b.right <= w.left || b.left >= w.right || b.bottom <= w.top || b.top >= w.bottom;
        });
        input = outside ? async () => { await page.focus(ctl); await page.keyboard.press("Enter"); }
                        : () => tap(page, ctl, touch);
    } else if (verb === "select") {
        input = () => tap(page, `${ctl} input`, touch);
    } else if (verb === "tick") {
        input = () => act("tick", form, control);
    } else {
        return null;
    }
    const boxes = await withBoxes(page, input);
    const messages = [], errors = [];
    for (const b of boxes) {
        const m = /\(Erro de execução (\d+): /.exec(b.text);
        if (b.critical && m) errors.push(Number(m[1]));
        else messages.push({style: b.critical ? 16 : b.info ? 64 : 0, title: b.title, text: b.text});
    }
    return {messages, errors, loaded: await loadedForms(page)};
}

// A page of its own, with nothing kept from another; the browser's own profile (a fresh one) for
// the new user, since a private window cannot install a site.
async function freshPage(viewport, query = "", own = false, prepare = async () => {}) {
    const context = own ? browser.defaultBrowserContext() : await browser.createBrowserContext();
    const page = await context.newPage();
    await page.setViewport(viewport);
    await prepare(page);
    const errors = [];
    page.on("pageerror", (e) => errors.push(String(e)));
    await page.goto(base + query, {waitUntil: "load"});
    await waitFor("the model", () => page.evaluate(() => window.pernadas && !window.pernadas.busy || window.pernadasError));
    const error = await page.evaluate(() => window.pernadasError);
    if (error) throw new Error("the page did not start: " + error);
    return {page, context, errors};
}

// Every scenario, replayed on a phone-sized page by touch, and compared line by line.
async function scenario(file) {
    const name = path.basename(file, ".txt");
    const run = spawnSync(replay, [file], {encoding: "utf8"});
    const expected = run.stdout.split("\n").filter(Boolean).map((l) => JSON.parse(l));
    const lines = fs.readFileSync(file, "utf8").split("\n")
        .map((l) => l.trim().split(/\s+/).filter(Boolean)).filter((w) => w.length && !w[0].startsWith("#"));
    check(lines.length === expected.length, `${name}: the runner answered every line`);
    const {page, context, errors} = await freshPage(phone, "?abrir=nada");
    let skipped = 0;
    for (let i = 0; i < lines.length && i < expected.length; ++i) {
        const want = expected[i], words = lines[i], where = `${name}:${i + 1} "${want.cmd}"`;
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
            check(JSON.stringify(got.sliders) === JSON.stringify(wantSliders), `${where}: sliders`,
                  `page ${JSON.stringify(got.sliders)}\n    want ${JSON.stringify(wantSliders)}`);
            for (const [r, w] of Object.entries(want.readouts)) {
                const g = got.readouts[r];
                check(g && g.text === w.text && g.back === w.back, `${where}: read-out ${r}`,
                      `page ${JSON.stringify(g)}\n    want ${JSON.stringify(w)}`);
                if (g && w.back) check(g.shown === rgb(w.back), `${where}: ${r} shown in ${w.back}`, g.shown);
            }
            check(JSON.stringify(got.options) === JSON.stringify(want.options), `${where}: options`,
                  `page ${JSON.stringify(got.options)}\n    want ${JSON.stringify(want.options)}`);
            continue;
        }
        const got = await perform(page, words, true);
        if (!got) { ++skipped; continue; }
        check(JSON.stringify(got.messages) === JSON.stringify(want.messages), `${where}: messages`,
              `page ${JSON.stringify(got.messages)}\n    want ${JSON.stringify(want.messages)}`);
        const wantErrors = want.error ? [want.error.number] : [];
        check(JSON.stringify(got.errors) === JSON.stringify(wantErrors), `${where}: refusal`,
              `page ${JSON.stringify(got.errors)}\n    want ${JSON.stringify(wantErrors)}`);
        check(JSON.stringify(got.loaded) === JSON.stringify(want.loaded), `${where}: open windows`,
              `page ${JSON.stringify(got.loaded)}\n    want ${JSON.stringify(want.loaded)}`);
    }
    check(errors.length === 0, `${name}: no script errors`, errors.join("\n    "));
    console.log(`${name}: ${lines.length} lines, ${skipped} the page cannot express (refused by the runner)`);
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
        if (target.type() === "service_worker") await listen(await target.createCDPSession(), "worker");
    };
    browser.on("targetcreated", worker);
    const started = Date.now();
    const {page, errors} = await freshPage(phone, "", true, watch);
    await waitFor("the splash", () => page.$('section[data-form="frmsplashscreen"]'));
    const firstWindow = Date.now() - started;
    const inPage = await waitFor("the first frame", () => page.evaluate(() => window.pernadas.firstWindowAt));
    await page.screenshot({path: path.join(screens, "phone-splash.png")});
    await waitFor("the menu", () => page.$('section[data-form="frmmain"]'), 10000);
    await page.screenshot({path: path.join(screens, "phone-menu.png")});
    await checkTexts(page, "frmmain", "phone");
    // The first visit ends once the service worker has kept every file. Each file crosses the
    // network once: the worker takes what the page fetched from the browser's HTTP cache. Every
    // file that compresses comes compressed.
    await waitFor("the service worker", () => page.evaluate(() =>
        navigator.serviceWorker.ready.then((r) => !!r.active)), 10000);
    browser.off("targetcreated", worker);
    const firstVisit = sent.filter((r) => r.method === "GET");
    const fetched = firstVisit.filter((r) => r.status === 200).map((r) => r.path.replace(/\?.*/, ""));
    const twice = fetched.filter((p, i) => fetched.indexOf(p) !== i);
    check(twice.length === 0, "first visit: no file is fetched twice", twice.join(", "));
    const plain = firstVisit.filter((r) => r.status === 200 && r.encoding === "-" && !r.path.endsWith(".png"));
    check(plain.length === 0, "first visit: every file but the PNGs comes compressed",
          plain.map((r) => r.path).join(", "));
    // As the server counts it (every answer, the worker's script too) and as Chromium does.
    const firstVisitBytes = firstVisit.reduce((n, r) => n + r.bytes, 0);
    const byChromium = (who) => received.filter((r) => r.who === who).reduce((n, r) => n + r.bytes, 0);
    const pageReceived = byChromium("page"), workerReceived = byChromium("worker");
    check(Math.max(firstVisitBytes, pageReceived + workerReceived) <= 120000, "first visit: at most 120 kB cross the network",
          `${firstVisitBytes} bytes sent, ${pageReceived} + ${workerReceived} received`);
    // The same files as they are, for the figures.
    const uncompressedBytes = firstVisit.reduce((n, r) => {
        if (r.status !== 200 || r.encoding === "-") return n + r.bytes;
        const file = path.join(site, r.path.replace(/\?.*/, "").replace(/\/$/, "/index.html"));
        const size = (f) => fs.statSync(f).size;
        return n + r.bytes - size(file + (r.encoding === "br" ? ".br" : ".gz")) + size(file);
    }, 0);

    // Each window fits the phone's width.
    const fits = () => page.$$eval("section.pw-window", (els) =>
        els.every((e) => e.getBoundingClientRect().right <= innerWidth + 0.5 && e.getBoundingClientRect().left >= -0.5));
    check(await fits(), "phone: the menu fits 360 pixels");

    for (const [button, form] of [["command1", "frmduaspernas"], ["command2", "frmtrespernas"],
                                  ["Command3", "frmquatropernas"]]) {
        await withBoxes(page, () => tap(page, `section[data-form="frmmain"] [data-control="${button}"]`, true));
        if (form === "frmduaspernas") {
            // Moving the leg before the load asks for the load first; the handler waits for the
            // box, so the read-outs behind it are still empty, and filled once it is answered.
            const boxes = await withBoxes(page, async () => {
                await tap(page, `section[data-form="${form}"] [data-control="hsbperna"] .pw-arrow-more`, true);
                await waitFor("the box", () => page.$("dialog.pw-message[open]"));
                await page.screenshot({path: path.join(screens, "phone-message.png")});
            });
            const after = await dumpForm(page, form);
            check(boxes.length === 1 && boxes[0].behind.txtperna === "" && after.readouts.txtperna.text !== "",
                  "phone: the handler waits for its box", JSON.stringify(boxes) + " " + JSON.stringify(after.readouts.txtperna));
            // The Right key held on the leg: its press asks again and steps once; its repeats,
            // once the box is answered, do nothing.
            const leg = `section[data-form="${form}"] [data-control="hsbperna"]`;
            const pressed = await withBoxes(page, async () => {
                await page.focus(leg);
                await page.keyboard.down("ArrowRight");
            });
            await page.focus(leg);
            const repeats = await withBoxes(page, async () => {
                for (let i = 0; i < 5; ++i) await page.keyboard.down("ArrowRight");  // auto-repeat
            });
            await page.keyboard.up("ArrowRight");
            const held = (await dumpForm(page, form)).sliders.hsbperna;
            check(pressed.length === 1 && repeats.length === 0 && held === after.sliders.hsbperna + 1,
                  "phone: a held key steps once past a box", `${pressed.length} + ${repeats.length} boxes, leg ${held}`);
        }
        check(await page.$(`section[data-form="${form}"]`) !== null, `phone: the menu opens ${form}`);
        check(await fits(), `phone: ${form} fits 360 pixels`);
        await checkTexts(page, form, "phone");
        await page.screenshot({path: path.join(screens, `phone-${form}.png`)});
        // Back to the menu by the calculator's own way out, as the runner does it.
        const cmds = [`show frmmain`, `click frmmain ${button}`];
        if (form === "frmduaspernas") cmds.push(`arrow ${form} hsbperna +`, `arrow ${form} hsbperna +`);
        const sel = `section[data-form="${form}"]`;
        const load = await page.$eval(sel, (w) => [...w.querySelectorAll(".pw-slider")].map((s) => s.dataset.control));
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
        await withBoxes(page, async () => { await page.mouse.wheel({deltaY: 50}); await page.mouse.wheel({deltaY: 50}); });
        cmds.push(`arrow ${form} ${load[0]} +`);
        // The 90-degree search: the button whose caption says so.
        const search = await page.$$eval(`${sel} .pw-button`, (bs) =>
            bs.filter((b) => /90/.test(b.textContent)).map((b) => b.dataset.control)[0]);
        const got = await perform(page, ["click", form, search], true);
        cmds.push(`click ${form} ${search}`, `dump ${form}`);
        const want = spawnSync(replay, [], {input: cmds.join("\n") + "\n", encoding: "utf8"})
            .stdout.split("\n").filter(Boolean).map((l) => JSON.parse(l));
        const wantSearch = want[want.length - 2], wantDump = want[want.length - 1];
        check(JSON.stringify(got.messages) === JSON.stringify(wantSearch.messages), `phone: ${form} search messages`,
              `page ${JSON.stringify(got.messages)}\n    want ${JSON.stringify(wantSearch.messages)}`);
        const dump = await dumpForm(page, form);
        const wantSliders = await shownSliders(page, form, wantDump.sliders);
        check(JSON.stringify(dump.sliders) === JSON.stringify(wantSliders), `phone: ${form} sliders after the search`,
              `page ${JSON.stringify(dump.sliders)}\n    want ${JSON.stringify(wantSliders)}`);
        for (const [r, w] of Object.entries(wantDump.readouts))
            check(dump.readouts[r] && dump.readouts[r].text === w.text && dump.readouts[r].back === w.back,
                  `phone: ${form} read-out ${r} after the search`,
                  `page ${JSON.stringify(dump.readouts[r])}\n    want ${JSON.stringify(w)}`);
        // A screen reader finds every slider and read-out by the name the table gives it.
        const tree = await page.accessibility.snapshot({interestingOnly: true});
        const named = [];
        (function walk(n) { if (n.role === "scrollbar" || n.role === "textbox") named.push(n); (n.children || []).forEach(walk); })(tree);
        const wantNames = await page.evaluate((form) => window.pernadas.windows.get(form).desc.controls
            .filter((c) => (c.kind === "slider" && c.visible) || c.kind === "readout").map((c) => c.accessibleName.replace(/\s+/g, " ")).sort(), form);
        check(JSON.stringify(named.map((n) => n.name).sort()) === JSON.stringify(wantNames) && wantNames.every(Boolean),
              `phone: ${form} controls have their accessible names`,
              `page ${JSON.stringify(named.map((n) => n.name).sort())}\n    want ${JSON.stringify(wantNames)}`);
        // What lies wholly under a frame is not read: nothing of it is seen.
        const covered = await page.evaluate((form) => window.pernadas.windows.get(form).desc.controls
            .filter((c) => c.hidden).map((c) => c.name), form);
        if (form === "frmduaspernas") check(covered.length === 2, "phone: two labels lie under the two-leg load frame");
        for (const name of covered) {
            const el = await page.$(`${sel} [data-control="${name}"]`);
            check(!el || (await page.accessibility.snapshot({root: el})) === null,
                  `phone: ${form} does not read ${name}, which lies under a frame`);
        }
        // The angle read-outs say their band in words.
        const described = await page.$$eval(`${sel} .pw-readout`, (els) => els.filter((e) =>
            /banda/.test(document.getElementById(e.getAttribute("aria-describedby")).textContent)).length);
        check(described > 0, `phone: ${form} angle read-outs say their band`);
        await page.screenshot({path: path.join(screens, `phone-${form}-after.png`)});
        const quit = await page.$$eval(`${sel} .pw-button`, (bs) =>
            bs.filter((b) => /Cancelar|Menu|Sair|Voltar/i.test(b.textContent)).map((b) => b.dataset.control)[0]);
        if (quit) await withBoxes(page, () => tap(page, `${sel} [data-control="${quit}"]`, true));
        else await withBoxes(page, () => tap(page, `${sel} .pw-close`, true));
        if (!(await page.$('section[data-form="frmmain"]'))) await page.evaluate(() => window.pernadas.act("show", "frmmain"));
    }
    // The about dialog, and its system-information button, which finds nothing in a browser.
    await withBoxes(page, () => tap(page, 'section[data-form="frmmain"] [data-control="Command6"]', true));
    await page.screenshot({path: path.join(screens, "phone-frmacerca.png")});
    // Its buttons lie outside the window, for the keyboard: their focus moves nothing in sight.
    await page.keyboard.press("Tab");
    const shifted = await page.$$eval('section[data-form="frmacerca"] .pw-client, section[data-form="frmacerca"] .pw-frame',
        (els) => els.filter((e) => e.scrollLeft || e.scrollTop).length);
    check(shifted === 0, "about: the keyboard's buttons pull nothing aside");
    const info = (await perform(page, ["click", "frmacerca", "cmdSysinfo"], true)).messages;
    check(info.length === 1 && info[0].text === "System Information Is Unavailable At This Time",
          "about: the system-information tool is unavailable", JSON.stringify(info));
    check(errors.length === 0, "phone: no script errors", errors.join("\n    "));

    // Without a network, the same page opens again from what the service worker kept.
    // The browser finds nothing missing to add the page to a home screen.
    const cdp = await page.createCDPSession();
    const {installabilityErrors} = await cdp.send("Page.getInstallabilityErrors");
    check(installabilityErrors.length === 0, "the site can be installed", JSON.stringify(installabilityErrors));
    const {errors: manifestErrors} = await cdp.send("Page.getAppManifest");
    check(manifestErrors.length === 0, "the manifest has no errors", JSON.stringify(manifestErrors));
    // The PNG icons, each of the size it is said to be. The maskable one and iOS's are opaque, and
    // the maskable one shows nothing but its background outside the central circle of 40 % of its
    // width, which every shape a phone crops it to keeps.
    const icons = await page.evaluate(async () => {
        const look = async (src) => {
            const img = new Image();
            img.src = src;
            await img.decode();
            const w = img.naturalWidth, h = img.naturalHeight;
            const g = Object.assign(document.createElement("canvas"), {width: w, height: h}).getContext("2d");
            g.drawImage(img, 0, 0);
            const d = g.getImageData(0, 0, w, h).data;
            let transparent = 0, outside = 0;
            for (let y = 0; y < h; ++y) for (let x = 0; x < w; ++x) {
                const i = 4 * (y * w + x);
                if (d[i + 3] !== 255) ++transparent;
                if (Math.hypot(x + 0.5 - w / 2, y + 0.5 - h / 2) > 0.4 * w &&
                    [0, 1, 2].some((k) => Math.abs(d[i + k] - d[k]) > 2)) ++outside;
            }
            return {size: `${w}x${h}`, transparent, outside};
        };
        const manifest = await (await fetch("manifest.webmanifest")).json();
        const pngs = manifest.icons.filter((i) => i.type === "image/png");
        const apple = document.querySelector('link[rel="apple-touch-icon"]').href;
        return {pngs: await Promise.all(pngs.map(async (i) => ({...i, ...await look(i.src)}))),
                apple: await look(apple)};
    });
    const has = (sizes, purpose) => icons.pngs.some((i) => i.sizes === sizes && i.purpose === purpose);
    check(has("192x192", "any") && has("512x512", "any") && has("512x512", "maskable") &&
          icons.pngs.every((i) => i.size === i.sizes), "the manifest lists PNG icons of 192 and 512, and a maskable 512",
          JSON.stringify(icons.pngs));
    const maskable = icons.pngs.find((i) => i.purpose === "maskable") || {};
    check(maskable.transparent === 0 && maskable.outside === 0, "the maskable icon is opaque and keeps to its safe circle",
          JSON.stringify(maskable));
    check(icons.apple.size === "180x180" && icons.apple.transparent === 0, "iOS's icon is an opaque PNG of 180",
          JSON.stringify(icons.apple));
    await stopServer();
    await page.setOfflineMode(true);
    await page.reload({waitUntil: "load"});
    let offlineOk = false;
    try {
        await waitFor("the splash offline", () => page.$('section[data-form="frmsplashscreen"]'), 10000);
        await waitFor("the menu offline", () => page.$('section[data-form="frmmain"]'), 10000);
        offlineOk = true;
    } catch (e) { /* reported below */ }
    check(offlineOk, "offline: the site opens again without a network");
    if (offlineOk) {
        await withBoxes(page, () => tap(page, 'section[data-form="frmmain"] [data-control="command1"]', true));
        check(await page.$('section[data-form="frmduaspernas"]') !== null, "offline: a calculator opens");
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
    await withBoxes(d.page, () => tap(d.page, 'section[data-form="frmmain"] [data-control="Command6"]', false));
    await d.page.screenshot({path: path.join(screens, "desktop-frmacerca.png")});
    await checkTexts(d.page, "frmacerca", "desktop");
    await withBoxes(d.page, () => tap(d.page, 'section[data-form="frmacerca"] .pw-close', false));
    const width = await d.page.$eval('section[data-form="frmmain"] .pw-client', (e) => e.getBoundingClientRect().width);
    const natural = await d.page.$eval('section[data-form="frmmain"] .pw-client', (e) => e.offsetWidth);
    check(Math.abs(width - natural) < 0.5, "desktop: windows keep their natural size", `${width} vs ${natural}`);
    for (const [button, form] of [["command1", "frmduaspernas"], ["command2", "frmtrespernas"], ["Command3", "frmquatropernas"]]) {
        if (!(await d.page.$('section[data-form="frmmain"]'))) await d.page.evaluate(() => window.pernadas.act("show", "frmmain"));
        await withBoxes(d.page, () => tap(d.page, `section[data-form="frmmain"] [data-control="${button}"]`, false));
        await d.page.screenshot({path: path.join(screens, `desktop-${form}.png`)});
        await checkTexts(d.page, form, "desktop");
        await withBoxes(d.page, () => tap(d.page, `section[data-form="${form}"] .pw-close`, false));
    }
    await d.context.close();
    return {firstWindow, inPage, firstVisitBytes, uncompressedBytes, pageReceived, workerReceived,
            requests: firstVisit.length};
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
    fs.writeFileSync(sw, fs.readFileSync(sw, "utf8").replace(/pernadas-[0-9a-f]{16}/, "pernadas-next")
        .replace(/("binding\.css": ")[0-9a-f]{64}/, `$1${hash}`));

    const {page, context} = await freshPage(phone);
    const activeWorker = (page) => waitFor("an active service worker", () => page.evaluate(() =>
        navigator.serviceWorker.ready.then((r) => !!r.active)), 10000);
    // What a page is served, and what the new build's worker keeps.
    const look = (page) => page.evaluate(async () => {
        const next = async (response) => response ? (await response.text()).includes("the next build") : null;
        return {served: await next(await fetch("binding.css")), caches: await caches.keys(),
                kept: await next(await (await caches.open("pernadas-next")).match("binding.css"))};
    });
    try {
        await activeWorker(page);
        fs.unlinkSync(served);
        fs.symlinkSync(next, served);
        // The page again: the old worker serves it, and the browser finds the new worker.
        await page.reload({waitUntil: "load"});
        await waitFor("the new worker installed", () => page.evaluate(() =>
            navigator.serviceWorker.getRegistration().then((r) => !!(r && r.waiting))), 10000);
        const open = await look(page);
        check(open.kept === true, "new build: its worker keeps its own files, not the old ones the HTTP cache holds",
              JSON.stringify(open));
        check(open.served === false, "new build: a page of the old build is still served the old build's files",
              JSON.stringify(open));
        // Once no page of the old build is open, the new worker serves a new page its own files.
        await page.close();
        const later = await context.newPage();
        await later.goto(base, {waitUntil: "load"});
        await activeWorker(later);
        await waitFor("the new worker in charge", () => later.evaluate(() =>
            navigator.serviceWorker.controller !== null), 10000);
        const after = await look(later);
        check(after.served === true && JSON.stringify(after.caches) === JSON.stringify(["pernadas-next"]),
              "new build: its worker takes over once no old page is open, and drops the old files",
              JSON.stringify(after));
    } finally {
        fs.unlinkSync(served);
        fs.symlinkSync(path.resolve(site), served);
        await context.close();
    }
}

// The server as other clients meet it: the encoding each Accept-Encoding gets, a file unchanged
// since the client's copy, and a path outside the site.
async function serverAnswers() {
    const get = (file, headers = {}) => new Promise((resolve, reject) => {
        http.get({host: "127.0.0.1", port, path: "/" + file, headers}, (res) => {
            const chunks = [];
            res.on("data", (c) => chunks.push(c));
            res.on("end", () => resolve({status: res.statusCode, headers: res.headers, body: Buffer.concat(chunks)}));
        }).on("error", reject);
    });
    const plain = fs.readFileSync(path.join(site, "binding.js"));
    for (const [accept, want] of [["gzip, deflate, br", "br"], ["gzip", "gzip"], ["br;q=0, gzip;q=0.5", "gzip"],
                                  ["*", "br"], ["identity", undefined], [undefined, undefined], ["br;q=0, *;q=0", undefined]]) {
        const r = await get("binding.js", accept === undefined ? {} : {"Accept-Encoding": accept});
        const got = r.headers["content-encoding"];
        const body = got === "br" ? zlib.brotliDecompressSync(r.body) : got === "gzip" ? zlib.gunzipSync(r.body) : r.body;
        check(r.status === 200 && got === want && body.equals(plain) &&
              r.headers["content-type"].startsWith("text/javascript") && r.headers.vary === "Accept-Encoding",
              `server: Accept-Encoding "${accept}" gets ${want || "the file as it is"}`,
              `${r.status} ${JSON.stringify(r.headers)}`);
    }
    const first = await get("pernadas.wasm", {"Accept-Encoding": "br"});
    const again = await get("pernadas.wasm", {"Accept-Encoding": "br", "If-None-Match": first.headers.etag});
    const other = await get("pernadas.wasm", {"Accept-Encoding": "gzip", "If-None-Match": first.headers.etag});
    check(first.headers["content-type"] === "application/wasm" && again.status === 304 && again.body.length === 0 &&
          other.status === 200 && other.headers["content-encoding"] === "gzip",
          "server: a copy the client has is not sent again, one of another encoding is",
          `${again.status} ${other.status}`);
    check((await get("../../../../../etc/passwd")).status === 404 && (await get("%2e%2e/%2e%2e/%2e%2e/etc/passwd")).status === 404 &&
          (await get("nothing.js")).status === 404, "server: nothing outside the site, nothing missing");
}

const began = Date.now();
let figures = null;
try {
    await serverAnswers();
    figures = await newUser();
    await newBuild();
    for (const file of scenarioFiles) await scenario(file);
} catch (e) {
    check(false, "the page could be driven", e.stack);
}
await browser.close();
await stopServer();
fs.rmSync(work, {recursive: true, force: true});
if (figures)
    console.log(`Figures: first visit ${figures.firstVisitBytes} bytes in ${figures.requests} requests ` +
                `(${figures.uncompressedBytes} uncompressed; by Chromium's count ${figures.pageReceived} for the page and ` +
                `${figures.workerReceived} for its service worker); first window drawn ` +
                `${Math.round(figures.inPage)} ms after the page's loading began; ${realDrags} drags by the thumb or Home/End, ${hookedDrags} by ` +
                `value; ${((Date.now() - began) / 1000).toFixed(1)} s in all.`);
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed || !passed ? 1 : 0);
