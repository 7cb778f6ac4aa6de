// The page's names for the model's numbers (display/web/names.js), read as the module it is: the
// page's scripts are modules of the browser's, which node takes for scripts of its own.
import fs from "node:fs";

const source = fs.readFileSync(new URL("../../display/web/names.js", import.meta.url), "utf8");
export const {Act, BoxStyle, Colour} = await import(
    "data:text/javascript," + encodeURIComponent(source)
);
