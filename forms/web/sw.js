// Keeps every file of the site, so that after one visit the calculators open without a network.
// A new build changes VERSION (scripts/web.sh writes it). Its worker takes over only once no page
// of the old build is open, never in the middle of one: a page whose script came from one build
// and whose WebAssembly came from another could show wrong numbers.
const VERSION = "pernadas-dev";
const FILES = ["./"];  // scripts/web.sh lists every file of the built site here

self.addEventListener("install", (event) => {
    // From the server, never from the browser's HTTP cache: the files kept must all be of one build.
    const fresh = FILES.map((f) => new Request(f, {cache: "reload"}));
    event.waitUntil(caches.open(VERSION).then((cache) => cache.addAll(fresh)));
});

self.addEventListener("activate", (event) => {
    event.waitUntil(caches.keys()
        .then((keys) => Promise.all(keys.filter((k) => k !== VERSION).map((k) => caches.delete(k)))));
});

// Kept files first: they are the ones this build was tested with; the network only for others.
self.addEventListener("fetch", (event) => {
    if (event.request.method !== "GET") return;
    event.respondWith(caches.open(VERSION).then((cache) =>
        cache.match(event.request, {ignoreSearch: true}).then((hit) => hit || fetch(event.request))));
});
