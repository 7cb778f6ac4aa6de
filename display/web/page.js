// The page: the windows of the loaded forms on a desktop, in the classic layout or the phone's,
// the message boxes over them, and the one way user actions reach the model. The model tells it
// what changed through formLoaded, formActivated, formUnloaded, noFormLoaded, sync, announce and
// messageBox (display/web/webhost.cpp).
import {ClassicWindow} from "./classic.js";
import {PhoneWindow} from "./phone.js";

const makeWindow = (page, desc, phone) =>
    phone ? new PhoneWindow(page, desc) : new ClassicWindow(page, desc);

export class Page {
    constructor(module, desktop) {
        this.module = module;
        this.desktop = desktop;
        this.windows = new Map();
        this.busy = false;
        this.queue = Promise.resolve();
        this.messages = []; // every box shown, in order: for the tests
        this.announced = []; // every announcement made, in order: for the tests
        this.onMessage = null;
        // The job in the address (job.js), once it is made.
        this.job = null;
        this.states = new Map(); // each window's last state, to build it again in the other layout
        // Each loaded form's timers. They belong to the form, not to its window: a window built
        // again in the other layout keeps the splash's time running, not started over.
        this.timers = new Map();
        module.pernadasPage = this;
        // The names of pw_act's answers and of the boxes' styles, as the model gives them.
        this.names = JSON.parse(module.ccall("pw_names", "string", [], []));
        // What changed after an action, said once to a screen reader.
        this.live = document.createElement("div");
        this.live.className = "pw-hidden";
        this.live.setAttribute("role", "status");
        this.live.setAttribute("aria-live", "polite");
        document.body.append(this.live);
        this.phone = this.phoneWanted();
        document.body.classList.toggle("pw-phone-mode", this.phone);
        window.addEventListener("resize", () => this.fitAll());
        // A screen that turns or narrows follows, unless the user chose a layout.
        this.narrow = matchMedia("(max-width: 600px), (pointer: coarse)");
        this.narrow.addEventListener("change", () => {
            // Not while a box waits for its answer: the next change of the screen brings it.
            if (!this.busy && !this.chosen() && this.phoneWanted() !== this.phone)
                this.setLayout(this.phoneWanted(), false);
        });
    }

    // The layout the user chose ("?vista=telemovel" or "?vista=classica", else the last one
    // chosen with the switch), or null.
    chosen() {
        const asked = new URLSearchParams(location.search).get("vista");
        if (asked === "telemovel" || asked === "classica") return asked;
        try {
            return localStorage.getItem("pernadas-vista");
        } catch {
            return null;
        }
    }

    // The phone's layout on a narrow or touch screen (narrower than the widest window), the
    // classic one on a wide screen, unless the user chose.
    phoneWanted() {
        const chosen = this.chosen();
        if (chosen) return chosen === "telemovel";
        return matchMedia("(max-width: 600px), (pointer: coarse)").matches;
    }

    // Every window built again in the other layout, in the same order, from the state it shows.
    setLayout(phone, remember = true) {
        if (remember) {
            try {
                localStorage.setItem("pernadas-vista", phone ? "telemovel" : "classica");
            } catch {
                /* not kept: the page goes on */
            }
        }
        this.phone = phone;
        document.body.classList.toggle("pw-phone-mode", phone);
        const order = [...this.windows.values()];
        for (const old of order) {
            const win = makeWindow(this, old.desc, phone);
            old.remove();
            this.windows.set(old.desc.name, win);
            this.desktop.append(win.el);
            const state = this.states.get(old.desc.name);
            if (state) win.sync(state);
        }
        for (const w of this.windows.values()) w.fit();
        const top = order.length ? this.windows.get(order[order.length - 1].desc.name) : null;
        if (top) {
            this.raise(top);
            const back = top.el.querySelector(".pw-switch");
            if (back) back.focus({preventScroll: true});
            else top.focusFirst();
        }
    }

    start(open = true) {
        return this.run(() =>
            this.module.ccall("pw_start", "number", ["number"], [open ? 1 : 0], {async: true}),
        );
    }

    // One user action is one event of the model; while one runs (a message box waits for its
    // answer), input that still reaches the page is dropped, so that two events never interleave.
    // `held`: the action repeats a key that is still held down (one press, one step: once a step
    // of a press has met a message box, its repeats do nothing).
    act(action, form, control = "", value = 0, held = false) {
        if (this.busy) return Promise.resolve(null);
        const aimed = action === "type" || action === "drag" ? value : undefined;
        this.windows.get(form)?.expect(control, aimed, action === "click");
        return this.settled(
            form,
            this.run(() =>
                this.module.ccall(
                    "pw_act",
                    "number",
                    ["string", "string", "string", "number", "number"],
                    [action, form, control, value, held ? 1 : 0],
                    {async: true},
                ),
            ),
        );
    }

    // Once an action is done: what it put elsewhere than the user set it is said beside the
    // fields, and once more with the results it changed.
    async settled(form, done) {
        this.spoken = "";
        const answer = await done;
        const said = this.windows.get(form)?.settle() ?? [];
        if (said.length) this.announce([this.spoken, ...said].filter(Boolean).join(". "), false);
        return answer;
    }

    // The same, true when the action was taken and showed no message box: what a press needs to
    // know before it goes on.
    async actClear(action, form, control, value, held = false) {
        const boxes = this.messages.length;
        const done = await this.act(action, form, control, value, held);
        return done !== this.names.results.notTaken && this.messages.length === boxes;
    }

    // A key, a press, a click or a turn of the wheel on `control`, handed to the model's map
    // (pw_input): {taken, done, focus}; null while another action runs.
    async input(form, control, type, what, value = 0, repeat = false) {
        if (this.busy) return null;
        this.windows.get(form)?.expect(control, undefined, type === "key" && what === "enter");
        const answer = await this.settled(
            form,
            this.run(() =>
                this.module.ccall(
                    "pw_input",
                    "string",
                    ["string", "string", "string", "string", "number", "number"],
                    [form, control, type, what, value, repeat ? 1 : 0],
                    {async: true},
                ),
            ),
        );
        return JSON.parse(answer);
    }

    // The results an action changed, as the model words them, said once through the live
    // region.
    // `count`: false where the words only add to what this action has said already.
    announce(text, count = true) {
        if (count) this.announced.push(text);
        this.spoken = text;
        // Emptied first, so that the same words, said again after another action, are said.
        this.live.textContent = "";
        setTimeout(() => {
            this.live.textContent = text;
        }, 50);
    }

    // What an action changed of the results and, which only the phone's layout shows, of the
    // load on each leg.
    announceResults(results, legLoad) {
        const text = this.phone ? [results, legLoad].filter(Boolean).join("; ") : results;
        if (text) this.announce(text);
    }

    // The load's weight typed on a phone: "" once taken (the address then keeps it), or why not.
    weight(form, text) {
        const why = this.module.ccall("pw_weight", "string", ["string", "string"], [form, text]);
        this.job?.settled();
        return why;
    }

    async run(call) {
        this.busy = true;
        const running = (async () => call())();
        this.running = running.catch(() => {});
        try {
            return await running;
        } finally {
            this.busy = false;
            this.job?.settled();
        }
    }

    // Resolves once no action runs (a message box waits for its answer while one does).
    async idle() {
        while (this.busy) await this.running;
    }

    formLoaded(desc, state) {
        for (const ended of this.desktop.querySelectorAll(".pw-ended")) ended.remove();
        const win = makeWindow(this, desc, this.phone);
        this.windows.set(desc.name, win);
        this.desktop.prepend(win.el);
        this.states.set(desc.name, state);
        this.timers.set(
            desc.name,
            desc.controls
                .filter((c) => c.kind === "timer")
                .map((c) => setInterval(() => this.act("tick", desc.name, c.name), c.interval)),
        );
        win.sync(state);
        win.fit();
        this.raise(win);
        win.focusFirst();
        // When the first window was drawn, from the start of the page's loading: a figure the
        // browser tests report.
        if (this.firstWindowAt === undefined)
            requestAnimationFrame(() => {
                this.firstWindowAt = performance.now();
            });
    }

    formActivated(name) {
        const win = this.windows.get(name);
        if (win) {
            this.raise(win);
        }
    }

    formUnloaded(name) {
        const win = this.windows.get(name);
        if (!win) return;
        this.windows.delete(name);
        this.states.delete(name);
        for (const t of this.timers.get(name) ?? []) clearInterval(t);
        this.timers.delete(name);
        win.remove();
        const top = [...this.windows.values()].pop();
        if (top) {
            this.current();
            top.focusFirst();
        }
    }

    // Where the program has ended, it can be started again, from the splash, as a new start
    // of the program would.
    noFormLoaded() {
        const end = document.createElement("div");
        end.className = "pw-ended";
        end.setAttribute("role", "region");
        end.setAttribute("aria-label", "Fim");
        const p = document.createElement("p");
        p.textContent = "O programa terminou.";
        const again = document.createElement("button");
        again.type = "button";
        again.className = "pw-button pw-restart";
        again.textContent = "Recomeçar";
        again.addEventListener("click", () => {
            if (!this.busy && !this.windows.size) this.start(true);
        });
        end.append(p, again);
        this.desktop.append(end);
        again.focus({preventScroll: true});
    }

    sync(state) {
        this.states.set(state.form, state);
        const win = this.windows.get(state.form);
        if (win) win.sync(state);
    }

    // On a phone only the active window shows, filling the screen; the others wait behind it.
    current() {
        const top = [...this.windows.values()].pop();
        for (const w of this.windows.values()) {
            w.el.classList.toggle("pw-current", w === top);
            if (this.phone) w.el.hidden = w !== top;
            else w.el.hidden = false;
        }
        if (this.phone) top?.fit();
    }

    // The windows lie one under the other, the active one first: on a phone's narrow screen no
    // window hides another.
    raise(win) {
        this.windows.delete(win.desc.name);
        this.windows.set(win.desc.name, win);
        if (this.desktop.firstElementChild !== win.el) {
            const focused = win.el.contains(document.activeElement) ? document.activeElement : null;
            this.desktop.prepend(win.el);
            if (focused) focused.focus();
        }
        for (const w of this.windows.values()) w.el.classList.toggle("pw-active", w === win);
        this.current();
        if (this.phone) scrollTo(0, 0);
        else win.el.scrollIntoView({block: "nearest"});
    }

    fitAll() {
        for (const w of this.windows.values()) w.fit();
    }

    // A value typed in metres into slider `control`: {value} in centimetres, or {refusal}.
    typed(form, control, text) {
        return JSON.parse(
            this.module.ccall(
                "pw_typed",
                "string",
                ["string", "string", "string"],
                [form, control, text],
            ),
        );
    }

    // An application-modal box; the handler that shows it waits until it is dismissed.
    messageBox(style, title, text, styleName) {
        this.messages.push({style, title, text});
        const dismissed = showMessageBox(styleName, title, text);
        if (this.onMessage) this.onMessage({style, title, text});
        return dismissed;
    }
}

// The program's message boxes: application-modal, with the style's icon, a text, and OK. The
// icon of each style ("critical", "information", "plain"): its class and its sign.
const ICONS = {
    critical: ["pw-icon-critical", "\u2716"],
    information: ["pw-icon-info", "i"],
};

// Shows the box; resolves once it is dismissed, by OK or by Esc.
function showMessageBox(style, title, text) {
    return new Promise((resolve) => {
        const dialog = document.createElement("dialog");
        dialog.className = "pw-message";
        dialog.setAttribute("aria-label", title);
        dialog.setAttribute("aria-describedby", "pw-message-text");
        const head = document.createElement("header");
        head.className = "pw-titlebar";
        head.textContent = title;
        const body = document.createElement("div");
        body.className = "pw-message-body";
        const [iconClass, sign] = ICONS[style] ?? ["", ""];
        const icon = document.createElement("span");
        icon.className = "pw-icon " + iconClass;
        icon.setAttribute("aria-hidden", "true");
        icon.textContent = sign;
        const p = document.createElement("p");
        p.id = "pw-message-text";
        p.textContent = text;
        body.append(icon, p);
        const ok = document.createElement("button");
        ok.type = "button";
        ok.className = "pw-button pw-ok";
        ok.textContent = "OK";
        const done = () => {
            dialog.close();
            dialog.remove();
            resolve();
        };
        ok.addEventListener("click", done);
        // The key held on the button that raised the box does not answer it.
        ok.addEventListener("keydown", (e) => {
            if (e.repeat) e.preventDefault();
        });
        // Esc dismisses it like OK: the box has no other answer.
        dialog.addEventListener("cancel", (e) => {
            e.preventDefault();
            done();
        });
        dialog.append(head, body, ok);
        document.body.append(dialog);
        dialog.showModal();
        ok.focus();
    });
}
