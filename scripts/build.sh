#!/usr/bin/env bash
# Quick start, first command: installs what is missing, builds
# dist/trebbo.auf and the release zip (with the sandbox host and the stand-in
# extended editing), and shows the plug-in at work in the sandbox host.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset default
cmake --build --preset default
echo
echo "built: dist/trebbo.auf ($(stat -c %s dist/trebbo.auf) bytes, sha256 $(sha256sum dist/trebbo.auf | cut -c1-16)...)"
# The zip is named after the project's version, as the build configured it.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
zip=dist/trebbo-$version.zip
echo "release: $zip ($(stat -c %s "$zip") bytes, sha256 $(sha256sum "$zip" | cut -d' ' -f1))"
echo
scripts/demo.sh
