#!/usr/bin/env bash
# A round trip through the sandbox host, without the real editor: a sample
# project is exported into a folder (the folder dialog answered for you), the
# files are listed, then imported into a fresh project and its scenes shown.
# Needs a finished build (scripts/build.sh runs this at its end).
# Usage: demo.sh [default|x86-64]
#   default: the shipped dist/trebbo.auf with the 32-bit sandbox (build/)
#   x86-64:  the x86-64 test build (build-x64/), for a machine that runs no
#            32-bit programs; it never ships
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh
export LANG=ja_JP.UTF-8   # the ANSI code page of a Japanese system: 932

case ${1:-default} in
  default) build=build plugin=dist/trebbo.auf ;;
  x86-64) build=build-x64 plugin=build-x64/dll/trebbo.auf ;;
  *) echo "usage: $script_name [default|x86-64]" >&2; exit 2 ;;
esac
echo "round trip with $plugin and the sandbox of $build/"

folder=$build/demo/scenes
rm -rf "$build/demo"
mkdir -p "$folder"
host() {
  timeout 300 xvfb-run -a scripts/wine-run.sh "$build/sandbox/trebbo-host.exe" \
    --plugin "$build/sandbox/exedit.auf" --plugin "$plugin" "$@"
}

echo "== 1. a sample project, exported with the plug-in's export command"
step "1. the export in the sandbox host" host --sample-project --scenes --answer "$folder" --run 1026
echo
echo "== 2. what the folder holds now"
ls -l "$folder"
echo "-- scene_3.exo, written in the stand-in's own format (Shift_JIS, shown as UTF-8):"
step "2. reading scene_3.exo" iconv -f CP932 -t UTF-8 "$folder/scene_3.exo"
echo
echo "== 3. a fresh, empty project, imported from that folder"
step "3. the import in the sandbox host" host --answer "$folder" --run 1025 --scenes
