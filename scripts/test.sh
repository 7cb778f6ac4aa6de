#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds pernadas with warnings on, and runs every test:
# the normal build, then the toolkit-free core again under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
# deps.sh has installed Wine and Xvfb: the Windows tests run, and a failure to run them fails.
unset PERNADAS_WINDOWS_BUILD_ONLY

jobs=$(nproc)

echo "== Build and test (RelWithDebInfo) =="
cmake --preset default
cmake --build --preset default -j"$jobs"
ctest --preset default -j"$jobs"

echo "== The calculators in a browser (WebAssembly, headless Chromium) =="
bash scripts/web.sh --test

echo "== Build and test under AddressSanitizer and UndefinedBehaviorSanitizer =="
cmake --preset sanitize
cmake --build --preset sanitize -j"$jobs"
ctest --preset sanitize -j"$jobs"

bash scripts/package.sh

bash scripts/windows.sh

# The release artifacts, built twice from two clones, must be the same bytes.
bash scripts/reproducible.sh

bash scripts/fuzz.sh

bash scripts/faults.sh

echo "== Format =="
# deps.sh installs clang-format: without it the check fails rather than passing unread.
unformatted=$(git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run 2>&1 | grep -c warning || true)
if [ "$unformatted" != "0" ]; then
    echo "clang-format: $unformatted places differ from .clang-format"
    exit 1
fi
echo "All tests passed."
