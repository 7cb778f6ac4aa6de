// The job in the address. On a phone each window the user opens is an entry of the browser's
// history: Back in it does what its way back does (a calculator's "Cancelar", the about box's
// "Ok"), and from the menu it leaves the site. The address holds what the user set in the open
// calculator, as the model writes it (pw_job_query), so that a reload, the phone bringing back a
// page it dropped, or a link sent with "Partilhar" starts the program again and, once the splash
// has given way to the menu, sets the job again action by action (pw_job_begin, pw_job_next):
// every read-out as the sender saw it. An address the model cannot take opens the menu with a
// short note and sets nothing. The classic layout keeps no history, but sets a job again alike.

// The address's own words that are the page's, not the job's.
const PAGE_KEYS = ["vista", "abrir"];
// What is handed to the model at most: it refuses a longer job anyway.
const LONGEST = 4096;

export class Job {
    constructor(page) {
        this.page = page;
        const params = new URLSearchParams(location.search);
        this.own = new URLSearchParams();
        for (const key of PAGE_KEYS) for (const v of params.getAll(key)) this.own.append(key, v);
        for (const key of PAGE_KEYS) params.delete(key);
        // The job to set again once the program has opened its menu, or null.
        this.pending = params.toString() || null;
        // The window the program opened first: the splash.
        this.first = null;
        // Whether a job is being set again: the address stays as it is meanwhile.
        this.restoring = false;
        // The windows that have an entry of the history, the menu's first, and the one the
        // browser shows.
        this.stack = [];
        this.at = 0;
        addEventListener("popstate", (e) => this.popped(e.state));
    }

    call(name, args = []) {
        return this.page.module.ccall(
            name,
            "string",
            args.map(() => "string"),
            args,
        );
    }

    // The address of a window: the page's own words, then its job, if it keeps one.
    address(form) {
        const query = [this.own.toString(), form ? this.call("pw_job_query", [form]) : ""]
            .filter(Boolean)
            .join("&");
        return location.pathname + (query ? "?" + query : "");
    }

    top() {
        return [...this.page.windows.keys()].pop() ?? null;
    }

    // What takes the user back from a window: the way back the model names (a calculator's
    // "Cancelar", the about box's "Ok"), clicked. None for the splash and the menu.
    wayBack(desc) {
        const back = desc.groups.back;
        return back && desc.controls.find((c) => c.name === back).visible ? back : null;
    }

    // After every action of the page: the job is set again once the splash has given way, and on
    // a phone the history follows the windows.
    settled() {
        const top = this.top();
        if (this.first === null) this.first = top;
        if (this.pending && top && !this.page.windows.has(this.first)) {
            const query = this.pending;
            this.pending = null;
            this.restoring = true;
            setTimeout(() => this.restore(query));
        }
        if (this.page.phone && top) this.follow(top);
    }

    follow(top) {
        const i = this.stack.lastIndexOf(top);
        if (i >= 0 && i < this.at) {
            // Back to a window below, by its own way back: its entries above go.
            this.stack.length = i + 1;
            history.go(i - this.at);
            this.at = i;
        } else if (i >= 0 && i === this.at) {
            if (!this.restoring) history.replaceState({pernadas: this.at}, "", this.address(top));
        } else if (this.stack.length && this.wayBack(this.page.windows.get(top).desc)) {
            // A window opened from the one the browser shows: an entry of its own.
            this.stack.length = this.at + 1;
            history.replaceState({pernadas: this.at}, "", this.address(this.stack[this.at]));
            this.stack.push(top);
            this.at = this.stack.length - 1;
            history.pushState({pernadas: this.at}, "", this.address(top));
        } else {
            // The splash giving way to the menu, or a new start: in the entry the browser shows.
            this.stack.length = this.at + 1;
            this.stack[this.at] = top;
            if (!this.pending && !this.restoring)
                history.replaceState({pernadas: this.at}, "", this.address(top));
        }
    }

    // The browser's Back (or Forward) on a phone: each window above the entry now shown goes
    // its way back.
    async popped(state) {
        const to = state?.pernadas;
        if (!this.page.phone || typeof to !== "number" || to === this.at) return;
        if (to > this.at || this.page.busy) {
            // A window that was closed is not opened again, and none closes while a box waits.
            history.go(this.at - to);
            return;
        }
        this.at = to;
        for (let i = this.stack.lastIndexOf(this.top()); i > to;) {
            const win = this.page.windows.get(this.top());
            const back = win && this.wayBack(win.desc);
            if (!back) break;
            await this.page.act("click", win.desc.name, back);
            const now = this.stack.lastIndexOf(this.top());
            if (now === i) break;
            i = now;
        }
    }

    // Sets a job again from the menu, action by action as a user's, or says why it cannot.
    async restore(query) {
        try {
            const refusal = this.call("pw_job_begin", [query.slice(0, LONGEST)]);
            if (refusal) {
                this.note(refusal);
                return;
            }
            // Each action in the model's words: "type frmduaspernas hsbperna 150".
            for (let line; (line = this.call("pw_job_next"));) {
                const [verb, form, control = "", value = 0] = line.split(" ");
                // An action waits while another runs (a box the user has still to answer).
                while ((await this.page.act(verb, form, control, Number(value))) === null)
                    await this.page.idle();
            }
        } finally {
            // The address as the windows now have it: the job set, or the menu's.
            this.restoring = false;
            this.settled();
        }
    }

    // The phone's "Partilhar" for a window that keeps a job, for its bar; null for another.
    shareButton(desc) {
        if (!this.call("pw_job_query", [desc.name])) return null;
        const b = document.createElement("button");
        b.type = "button";
        b.className = "pw-button pw-share";
        b.textContent = "Partilhar";
        b.addEventListener("click", () => this.share(desc));
        return b;
    }

    // The link of the job: through the phone's share sheet where it has one, else copied.
    async share(desc) {
        const query = this.call("pw_job_query", [desc.name]);
        const url = new URL(location.pathname + "?" + query, location.href).href;
        if (navigator.share) {
            try {
                await navigator.share({title: `Pernadas: ${desc.caption}`, url});
                return;
            } catch (e) {
                if (e.name === "AbortError") return;
            }
        }
        try {
            await navigator.clipboard.writeText(url);
            this.note("Ligação copiada: cole-a numa mensagem para partilhar este cálculo.");
        } catch {
            this.note(`Copie esta ligação para partilhar este cálculo: ${url}`);
        }
    }

    // A short note, seen for a few seconds and said through the page's live region.
    note(text) {
        this.page.announce(text);
        const el = document.createElement("p");
        el.className = "pw-note";
        el.setAttribute("aria-hidden", "true");
        el.textContent = text;
        document.querySelector(".pw-note")?.remove();
        document.body.append(el);
        setTimeout(() => el.remove(), 8000);
    }
}
