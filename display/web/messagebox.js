// The program's message boxes: application-modal, with the style's icon, a text, and OK.
import {BoxStyle} from "./names.js";

// The icon of each style: its class and its sign.
const ICONS = {
    [BoxStyle.CRITICAL]: ["pw-icon-critical", "\u2716"],
    [BoxStyle.INFORMATION]: ["pw-icon-info", "i"],
};

// Shows the box; resolves once it is dismissed, by OK or by Esc.
export function showMessageBox(style, title, text) {
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
