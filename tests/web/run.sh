#!/usr/bin/env bash
# The browser tests (run by scripts/web.sh --test after it has built the site): the site in
# headless Chromium against pernadas-replay. Needs build/bin/pernadas-replay (the native build,
# which also tests the number texts under the C library's conversions that the WebAssembly build
# uses: numbers_fallback_test).
#
#   bash tests/web/run.sh               all of it, on build-web/site with every scenario file
#   bash tests/web/run.sh SITE          the site in SITE (a release's, say) without the scenarios
set -euo pipefail
site=${1:+$(realpath "$1")}
cd "$(dirname "$0")/../.."

replay=${REPLAY:-build/bin/pernadas-replay}
if [ ! -x "$replay" ]; then
    echo "web tests: $replay is missing; build it first (cmake --build build --target pernadas-replay)" >&2
    exit 1
fi
if ! command -v "${CHROMIUM:-chromium}" >/dev/null; then
    echo "web tests: Chromium is missing; run bash scripts/deps.sh" >&2
    exit 1
fi

echo "== The site in headless Chromium =="
# The automation library, exactly as the lock file has it; it drives Debian's Chromium and
# downloads no browser of its own.
if [ ! -d tests/web/node_modules/puppeteer-core ] ||
    [ tests/web/package-lock.json -nt tests/web/node_modules/.package-lock.json ]; then
    PUPPETEER_SKIP_DOWNLOAD=1 npm ci --prefix tests/web --no-audit --no-fund --loglevel=error
fi
if [ -z "$site" ]; then
    echo "== The page's scripts: ESLint and Prettier =="
    # The tools are the lock file's; each reads its configuration from the project
    # (tests/web/eslint.config.mjs, .prettierrc.json).
    scripts=(display/web/*.js tests/web/*.mjs)
    tests/web/node_modules/.bin/eslint --max-warnings 0 --config tests/web/eslint.config.mjs \
        "${scripts[@]}"
    tests/web/node_modules/.bin/prettier --check "${scripts[@]}"
    node tests/web/web_test.mjs build-web/site "$replay" build-web/screens \
        tests/scenarios/*.txt
else
    screens=$(mktemp -d)
    trap 'rm -rf "$screens"' EXIT
    node tests/web/web_test.mjs "$site" "$replay" "$screens"
fi
