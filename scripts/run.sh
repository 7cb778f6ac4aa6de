#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds pernadas and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)"

if [ -x build/bin/pernadas ]; then
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "No display: starting pernadas under Xvfb (xvfb-run). See README.md to look at it."
        exec xvfb-run -a -s "-screen 0 1280x800x24" build/bin/pernadas
    fi
    exec build/bin/pernadas
fi
# Without the window, show the calculators at work through the scenario runner.
exec build/bin/pernadas-replay tests/scenarios/duaspernas_edges.txt
