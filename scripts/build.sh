#!/usr/bin/env bash
# Quick start, first command: installs what is missing, builds
# dist/trebbo.auf and the release zip (with the sandbox host and the stand-in
# extended editing), and shows the plug-in at work in the sandbox host: the
# shipped DLL where the machine runs 32-bit programs, else the x86-64 test
# build of the same sources. What is built and released is the same, byte for
# byte, on either kind of machine. Where the kernel runs 32-bit programs, a
# 32-bit wine that does not run stops it, after the build.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

# Setup's own last line says what it could not install and what to do.
scripts/setup.sh || exit
step "configuring the build (cmake --preset default)" cmake --preset default
step "building dist/trebbo.auf and the release zip" cmake --build --preset default
echo
echo "built: dist/trebbo.auf ($(stat -c %s dist/trebbo.auf) bytes, sha256 $(sha256sum dist/trebbo.auf | cut -c1-16)...)"
# The zip is named after the project's version, as the build configured it.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
zip=dist/trebbo-$version.zip
echo "release: $zip ($(stat -c %s "$zip") bytes, sha256 $(sha256sum "$zip" | cut -d' ' -f1))"
echo "  made with $(release_toolchain); the published SHA-256 is that of the zip Debian 12's packages make"
echo

check_32bit
if [ -z "$no_32bit" ]; then
  step "the round trip in the sandbox host (scripts/demo.sh)" scripts/demo.sh default
else
  echo "$script_name: $no_32bit, so the round trip below shows the x86-64 test build of the same sources, not dist/trebbo.auf."
  step "configuring the x86-64 test build (cmake --preset x86-64)" cmake --preset x86-64
  step "building the x86-64 test build" cmake --build --preset x86-64
  echo
  step "the round trip in the sandbox host (scripts/demo.sh x86-64)" scripts/demo.sh x86-64
fi
