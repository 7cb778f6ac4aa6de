// The browser tests' harness: the built site served on 127.0.0.1 as scripts/web.sh --serve
// serves it, Debian's headless Chromium, and what every suite drives the page with. A suite is a
// test of node:test made of checks: each check is counted, and one that fails fails its suite
// (and is printed at once) without stopping the others.
//
//   node tests/web/web_test.mjs SITE REPLAY SCREENS [SCENARIO...]
import {spawn, spawnSync} from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import readline from "node:readline";
import {after, test} from "node:test";
import puppeteer from "puppeteer-core";

export const [site, replay, screens, ...scenarioFiles] = process.argv.slice(2);
const chromium = process.env.CHROMIUM || "/usr/bin/chromium";
fs.mkdirSync(screens, {recursive: true});

let passed = 0,
    failed = 0;
export function check(ok, what, detail = "") {
    if (ok) {
        ++passed;
        return;
    }
    ++failed;
    console.log("FAIL " + what + (detail ? "\n    " + detail : ""));
}

// Runs `body` as one test (a suite, or a part of one under `t`): an error that stops it is a
// failed check of its own, and it fails when any of its checks did.
async function guarded(name, body, t) {
    const before = failed;
    try {
        await body(t);
    } catch (e) {
        check(false, `${name}: the page could be driven`, e.stack);
    }
    if (failed > before) throw new Error(`${failed - before} checks failed`);
}
export const suite = (name, body) => test(name, (t) => guarded(name, body, t));
export const part = (t, name, body) => t.test(name, (t) => guarded(name, body, t));

// The figures the suites measure, printed at the end.
export const figures = {hookedDrags: 0, realDrags: 0, phoneHooked: 0, phoneFirstWindow: NaN};

// The site's server on the loopback: nginx with the configuration the release ships, which sends
// the compressed files to a browser that takes them. The command serves DIR on PORT (0 for a free
// one); it says "Serving on http://127.0.0.1:PORT/", then one line a response, what it sent
// ("GET /pernadas.wasm 200 br 60611 186": the body's and the headers' bytes); stopping it takes
// the site off the network. It serves SITE through a link of its own, so that a test can put
// another build in its place at the same address.
const serverCommand = (dir, port) => [
    "bash",
    [new URL("../../scripts/serve.sh", import.meta.url).pathname, dir, String(port)],
];
export const work = fs.mkdtempSync(path.join(os.tmpdir(), "pernadas-web-"));
export const served = path.join(work, "site");
fs.symlinkSync(path.resolve(site), served);
let server = null;
export let base = null,
    port = 0;
export const sent = []; // what the server sent, one {method, path, status, encoding, bytes} a response
export async function startServer() {
    const [command, args] = serverCommand(served, port);
    server = spawn(command, args, {stdio: ["ignore", "pipe", "inherit"]});
    const lines = readline.createInterface({input: server.stdout});
    base = await new Promise((resolve, reject) => {
        server.once("exit", (code) => reject(new Error(`the server stopped (${code})`)));
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
// Empties `sent` once the server has said every answer it gave before now: its lines come
// through a pipe, and on a loaded machine those of a test just ended can come after it. A marker
// asked for now is said after them.
export async function clearSent() {
    const mark = `/mark-${Date.now()}`;
    await fetch(new URL(mark, base)).catch(() => {});
    await waitFor("the server's log", () => sent.some((r) => r.path === mark));
    sent.length = 0;
}
export async function stopServer() {
    if (server.exitCode !== null || server.signalCode !== null) return;
    const stopped = new Promise((resolve) => server.once("exit", resolve));
    server.kill();
    await stopped;
}
await startServer();

export const browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    args: ["--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--no-first-run"],
});
// The screens pages open on: a phone's (its layout unless the page says otherwise) and a desktop's.
export const phone = {
    width: 360,
    height: 740,
    deviceScaleFactor: 2,
    isMobile: true,
    hasTouch: true,
};
export const desktop = {width: 1024, height: 768};

const began = Date.now();
after(async () => {
    await browser.close();
    await stopServer();
    fs.rmSync(work, {recursive: true, force: true});
    const f = figures;
    if (f.firstVisitBytes !== undefined)
        console.log(
            `Figures: first visit ${f.firstVisitBytes} bytes in ${f.requests} requests ` +
                `(${f.uncompressedBytes} uncompressed; by Chromium's count ${f.pageReceived} for the page and ` +
                `${f.workerReceived} for its service worker); first window drawn ` +
                `${Math.round(f.inPage)} ms after the page's loading began (the phone's layout: ${Math.round(f.phoneFirstWindow)} ms); ${f.realDrags} drags by the thumb or Home/End, ${f.hookedDrags} by ` +
                `value; on the phone's layout ${f.phoneHooked} lines fed in; ${((Date.now() - began) / 1000).toFixed(1)} s in all.`,
        );
    console.log(`${passed} passed, ${failed} failed`);
    if (failed || !passed) process.exitCode = 1;
});

export const sleep = (ms) => new Promise((r) => setTimeout(r, ms));
export async function waitFor(what, fn, ms = 15000) {
    const end = Date.now() + ms;
    for (;;) {
        const v = await fn();
        if (v) return v;
        if (Date.now() > end) throw new Error("timed out waiting for " + what);
        await sleep(20);
    }
}

// What the page shows now, in the runner's terms.
export async function loadedForms(page) {
    return (await page.$$eval("section.pw-window", (els) => els.map((e) => e.dataset.form))).sort();
}
// The runner's sliders less those never shown (they have no control on the page).
export async function shownSliders(page, form, sliders) {
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

// What a window shows: its sliders' values, its read-outs' texts and colours, its options.
export async function dumpForm(page, form) {
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
export const rgb = (hex) =>
    hex === null
        ? null
        : `rgb(${parseInt(hex.slice(1, 3), 16)}, ${parseInt(hex.slice(3, 5), 16)}, ${parseInt(hex.slice(5, 7), 16)})`;

// Runs one user input and answers every message box it brings up, as a person would: reads it,
// then presses OK. Returns the boxes in order, each with the read-outs' texts behind it then.
export async function withBoxes(page, input) {
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

export async function centre(page, selector) {
    // Where a person would scroll to first, if it lies off the screen.
    await page.$eval(selector, (e) => e.scrollIntoView({block: "nearest"}));
    const box = await (await page.$(selector)).boundingBox();
    return {x: box.x + box.width / 2, y: box.y + box.height / 2, box};
}
export async function tap(page, selector, touch) {
    const c = await centre(page, selector);
    if (touch) await page.touchscreen.tap(c.x, c.y);
    else await page.mouse.click(c.x, c.y);
}

// A page of its own, with nothing kept from another; the browser's own profile (a fresh one) for
// the new user, since a private window cannot install a site.
// The classic layout unless `layout` says "telemovel" (a phone-sized screen would get the phone's);
// `prepare` sets the page up before it loads.
export async function freshPage(
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

// What pernadas-replay answers for scenario lines, one object a line.
export const replayed = (lines) =>
    spawnSync(replay, [], {input: lines.join("\n") + "\n", encoding: "utf8"})
        .stdout.split("\n")
        .filter(Boolean)
        .map((l) => JSON.parse(l));

// What a screen reader would read as a letter on its own, in an accessibility tree.
export function strayLetters(tree) {
    const stray = [];
    (function walk(n) {
        if (n.name && n.name.trim().length === 1) stray.push(n.role + " " + n.name);
        (n.children || []).forEach(walk);
    })(tree);
    return stray;
}
