// A new user's first visit, on a phone: what crosses the network until the service worker has
// kept every file, the site as a phone installs it, and the same page again without a network.
import fs from "node:fs";
import path from "node:path";
import {
    browser,
    check,
    clearSent,
    figures,
    freshPage,
    part,
    phone,
    screens,
    sent,
    site,
    startServer,
    stopServer,
    suite,
    waitFor,
    withBoxes,
    tap,
} from "./harness.mjs";

suite("a new user's first visit", async (t) => {
    let page, errors;

    await part(t, "what crosses the network", async () => {
        await clearSent();
        // What Chromium says it received, request by request, headers included: for the page, and
        // for its service worker (watched from its start, so that its install is seen too).
        const received = [];
        const listen = async (cdp, who) => {
            cdp.on("Network.loadingFinished", (e) =>
                received.push({who, bytes: e.encodedDataLength}),
            );
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
        ({page, errors} = await freshPage(phone, "", true, null, async (p) => {
            await p.evaluateOnNewDocument(() => localStorage.setItem("pernadas-vista", "classica"));
            await watch(p);
        }));
        await waitFor("the splash", () => page.$('section[data-form="frmsplashscreen"]'));
        const firstWindow = Date.now() - started;
        const inPage = await waitFor("the first frame", () =>
            page.evaluate(() => window.pernadas.firstWindowAt),
        );
        await page.screenshot({path: path.join(screens, "phone-splash.png")});
        await waitFor("the menu", () => page.$('section[data-form="frmmain"]'), 10000);
        await page.screenshot({path: path.join(screens, "phone-menu.png")});
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

        Object.assign(figures, {
            firstWindow,
            inPage,
            firstVisitBytes,
            uncompressedBytes,
            pageReceived,
            workerReceived,
            requests: firstVisit.length,
        });
        // Every module of the page is asked for at once: index.html preloads each one that the
        // page's entry imports, so that none waits for the one that imports it.
        const html = fs.readFileSync(path.join(site, "index.html"), "utf8");
        const preloaded = [...html.matchAll(/<link rel="modulepreload" href="([^"]+)">/g)]
            .map((m) => m[1])
            .sort();
        const modules = fetched
            .map((p) => p.slice(1))
            .filter((p) => p.endsWith(".js") && !["app.js", "pernadas.js", "sw.js"].includes(p))
            .sort();
        check(
            modules.length > 0 && JSON.stringify(preloaded) === JSON.stringify(modules),
            "first visit: every module of the page is preloaded",
            `preloaded ${preloaded.join(", ")}; fetched ${modules.join(", ")}`,
        );
    });

    await part(t, "the site installs on a phone", async () => {
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
    });

    await part(t, "without a network", async () => {
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
        check(errors.length === 0, "first visit: no script errors", errors.join("\n    "));
    });
});
