#!/usr/bin/env bash
# Writes the expected output of every scenario under tests/scenarios anew from the runner in
# build/ (build it first). Read the diff before committing it: every changed line is a change in
# what the program does.
set -euo pipefail
cd "$(dirname "$0")/.."
runner=${RUNNER:-build/bin/pernadas-replay}
for scenario in tests/scenarios/*.txt; do
    "$runner" "$scenario" >"${scenario%.txt}.expected" || true
done
git diff --stat -- tests/scenarios
