#!/usr/bin/env bash
# Quick start, first command: installs what is missing, builds
# dist/trebbo.auf (with the sandbox host and the stand-in extended editing),
# and shows the plug-in at work in the sandbox host.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset default
cmake --build --preset default
echo
echo "built: dist/trebbo.auf ($(stat -c %s dist/trebbo.auf) bytes, sha256 $(sha256sum dist/trebbo.auf | cut -c1-16)...)"
echo
scripts/demo.sh
