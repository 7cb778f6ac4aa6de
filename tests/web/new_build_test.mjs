// A new build of the site put up while a page of the old one is open, and what its service
// worker then keeps and serves.
import crypto from "node:crypto";
import fs from "node:fs";
import path from "node:path";
import {base, check, freshPage, phone, served, site, suite, waitFor, work} from "./harness.mjs";

// A new build put up while a page of the old one is open. The browser's HTTP cache still holds
// the old build's files; the new service worker keeps none of them, and it serves nothing until
// no page of the old build is open.
suite("a new build", async () => {
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
});
