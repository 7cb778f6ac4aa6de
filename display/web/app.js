// Starts the program in the page: loads the model, opens its first window, and registers the
// service worker that keeps every file of the site for use without a network.
import {Job} from "./job.js";
import {Page} from "./page.js";

const loading = document.getElementById("loading");

async function main() {
    const module = await createPernadas({locateFile: (file) => file});
    const page = new Page(module, document.getElementById("desktop"));
    window.pernadas = page; // for the browser tests and for the curious
    // The job in the address: set again once the program has started.
    page.job = new Job(page);
    loading.remove();
    // "?abrir=nada" makes the forms ready without opening the first: the browser tests start
    // their scenarios from there.
    await page.start(new URLSearchParams(location.search).get("abrir") !== "nada");
    // Only now: the worker's install takes the files the page has fetched from the browser's
    // cache, and a file still on its way (the WebAssembly, on a slow network) would be fetched
    // a second time.
    if ("serviceWorker" in navigator && location.protocol !== "file:")
        navigator.serviceWorker.register("sw.js").catch(() => {});
}

// Load the model's script, then start.
const script = document.createElement("script");
script.src = "pernadas.js";
script.onload = () => main().catch(fail);
script.onerror = () => fail(new Error("pernadas.js não foi encontrado"));
document.head.append(script);

function fail(error) {
    loading.textContent = "Não foi possível iniciar o programa: " + error.message;
    loading.setAttribute("role", "alert");
    window.pernadasError = String(error);
}
