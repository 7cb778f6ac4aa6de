// The site's server as other clients than the browser meet it.
import http from "node:http";
import path from "node:path";
import fs from "node:fs";
import zlib from "node:zlib";
import {check, port, site, suite} from "./harness.mjs";

// The server as other clients meet it: the encoding each Accept-Encoding gets, a file unchanged
// since the client's copy, and a path outside the site.
suite("the server", async () => {
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
    const plain = fs.readFileSync(path.join(site, "page.js"));
    for (const [accept, want] of [
        ["gzip, deflate, br", "br"],
        ["gzip", "gzip"],
        ["br;q=0, gzip;q=0.5", "gzip"],
        ["*", undefined],
        ["identity", undefined],
        [undefined, undefined],
        ["br;q=0, *;q=0", undefined],
    ]) {
        const r = await get("page.js", accept === undefined ? {} : {"Accept-Encoding": accept});
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
});
