// The page's names for the model's numbers are the numbers the model's headers give them.
import fs from "node:fs";
import {check, suite} from "./harness.mjs";
import {BoxStyle, Colour} from "./names.mjs";

suite("the page's names", () => {
    const header = (file) => fs.readFileSync(new URL(`../../${file}`, import.meta.url), "utf8");
    const runtime = header("forms/runtime.h"),
        description = header("forms/description.h");
    for (const [page, text, name] of [
        [BoxStyle.PLAIN, runtime, "kStylePlain"],
        [BoxStyle.CRITICAL, runtime, "kStyleCritical"],
        [BoxStyle.INFORMATION, runtime, "kStyleInformation"],
        [Colour.DEFAULT, description, "kDefaultColour"],
        [Colour.INACTIVE_TITLE_TEXT, description, "kInactiveTitleText"],
        [Colour.HIGHLIGHT, description, "kHighlight"],
    ]) {
        const model = Number(new RegExp(`\\b${name} = (-?\\d+);`).exec(text)?.[1]);
        check(page === model, `names: the page's ${name} is the model's`, `${page} and ${model}`);
    }
});
