// Keeps every file of the site, so that after one visit the calculators open without a network.
//
// All of one build. A page whose script came from one build and whose WebAssembly came from another
// could show wrong numbers. The build (display/web/site.cmake) writes this build's name into VERSION
// and, into FILES, the SHA-256 of every file the worker keeps: the site's files less the PNG icons
// (a browser keeps its own copy of those once it has installed the site) and less the compressed
// copies (the same files again). Nothing goes into the cache unless its bytes are the ones FILES
// names, wherever they came from, and only once every file is there. (Two workers of one VERSION
// share a cache, and may: their files are the same bytes.)
//
// Nothing fetched twice. Before this worker installs, the page of a first visit has already
// fetched most of these files (its scripts, its WebAssembly, the pictures of its first windows),
// and the browser's HTTP cache holds them. The install takes each file from there ("force-cache":
// even one that the server asks to be checked first) and from the server only when the HTTP
// cache has none. What the HTTP cache holds may be of another build (a visit of months ago, a
// build put up while the page was loading): its hash tells, and that file is fetched once more
// from the server, past the cache ("reload"). If the server's copy is not this build's either,
// the server has a newer build than this worker: the install fails, nothing is kept, and the
// browser installs the newer worker when it next looks.
//
// Taking over. A new worker neither skips waiting nor claims pages: it waits until no page of the
// old build is open, and then serves pages of its own build only. A page is never served files of
// two builds by a worker. The page of a first visit has none: it loads from the server as it is.
const VERSION = "pernadas-dev";
const FILES = {"./": ""}; // the build writes every file the worker keeps, with its SHA-256

async function sha256(response) {
    const digest = await crypto.subtle.digest("SHA-256", await response.clone().arrayBuffer());
    return [...new Uint8Array(digest)].map((b) => b.toString(16).padStart(2, "0")).join("");
}

// A file as this build has it: from the HTTP cache when it holds this build's, else the server's.
async function fetchOfThisBuild(url, hash) {
    for (const cache of ["force-cache", "reload"]) {
        const response = await fetch(url, {cache});
        if (response.ok && (await sha256(response)) === hash) return response;
    }
    throw new Error(`${url} is not of the build ${VERSION}`);
}

self.addEventListener("install", (event) => {
    event.waitUntil(
        (async () => {
            // Names with the same bytes ("./" and "index.html") are fetched once.
            const names = new Map();
            for (const [url, hash] of Object.entries(FILES))
                names.set(hash, [...(names.get(hash) || []), url]);
            const fetched = await Promise.all(
                [...names].map(async ([hash, urls]) => [
                    urls,
                    await fetchOfThisBuild(urls[0], hash),
                ]),
            );
            const cache = await caches.open(VERSION);
            for (const [urls, response] of fetched)
                for (const url of urls) await cache.put(url, response.clone());
        })(),
    );
});

self.addEventListener("activate", (event) => {
    event.waitUntil(
        caches
            .keys()
            .then((keys) =>
                Promise.all(keys.filter((k) => k !== VERSION).map((k) => caches.delete(k))),
            ),
    );
});

// Kept files first: they are the ones this build was tested with; the network only for others.
self.addEventListener("fetch", (event) => {
    if (event.request.method !== "GET") return;
    event.respondWith(
        caches
            .open(VERSION)
            .then((cache) =>
                cache
                    .match(event.request, {ignoreSearch: true, ignoreVary: true})
                    .then((hit) => hit || fetch(event.request)),
            ),
    );
});
