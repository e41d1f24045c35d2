#!/usr/bin/env bash
# Quick start, second command: builds if needed and runs every test under
# wine, on a virtual X display (the tests open real dialogs).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh >/dev/null
cmake --preset default >/dev/null
cmake --build --preset default
xvfb-run -a ctest --preset default "$@"
