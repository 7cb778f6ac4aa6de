// The page's scripts and their tests, linted by the test command (tests/web/run.sh) from the
// project's root.
import js from "@eslint/js";
import globals from "globals";

export default [
    js.configs.recommended,
    {
        files: ["display/web/*.js"],
        ignores: ["display/web/sw.js"],
        // createPernadas: the WebAssembly's loader, which pernadas.js defines.
        languageOptions: {
            sourceType: "module",
            globals: {...globals.browser, createPernadas: "readonly"},
        },
    },
    {
        files: ["display/web/sw.js"],
        languageOptions: {sourceType: "script", globals: {...globals.serviceworker}},
    },
    {
        files: ["tests/web/**/*.mjs"],
        languageOptions: {sourceType: "module", globals: {...globals.node, ...globals.browser}},
    },
];
