// The browser tests: the built site (build-web/site) served on 127.0.0.1 as scripts/web.sh --serve
// serves it, opened in Debian's headless Chromium at a phone's size and a desktop's, and driven
// through real taps, clicks and keys. What the page shows (read-outs' texts and colours, sliders,
// option buttons, message boxes, refusals, open windows) is compared with what pernadas-replay
// prints for the same actions. One suite a concern, in this order; harness.mjs serves the site,
// starts the browser and counts the checks.
//
//   node tests/web/web_test.mjs SITE REPLAY SCREENS [SCENARIO...]
import "./harness.mjs";
import "./server_test.mjs";
import "./first_visit_test.mjs";
import "./classic_test.mjs";
import "./new_build_test.mjs";
import "./phone_layout_test.mjs";
import "./phone_pictures_test.mjs";
import "./scenarios_test.mjs";
