// Keeps every file of the site, so that after one visit the calculators open without a network.
// A new build changes VERSION (scripts/web.sh writes it), which replaces the kept files at once.
const VERSION = "pernadas-dev";
const FILES = ["./", "index.html", "app.js", "binding.js", "binding.css", "pernadas.js",
               "pernadas.wasm", "manifest.webmanifest", "pictures/badge1.svg",
               "pictures/badge2.svg", "pictures/badge3.svg", "pictures/emblem.svg",
               "pictures/logo.svg", "pictures/menu-background.svg", "pictures/pernadas.svg"];

self.addEventListener("install", (event) => {
    event.waitUntil(caches.open(VERSION).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
    event.waitUntil(caches.keys()
        .then((keys) => Promise.all(keys.filter((k) => k !== VERSION).map((k) => caches.delete(k))))
        .then(() => self.clients.claim()));
});

// Kept files first: they are the ones this build was tested with; the network only for others.
self.addEventListener("fetch", (event) => {
    if (event.request.method !== "GET") return;
    event.respondWith(caches.open(VERSION).then((cache) =>
        cache.match(event.request, {ignoreSearch: true}).then((hit) => hit || fetch(event.request))));
});
