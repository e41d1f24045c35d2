#!/usr/bin/env bash
# A round trip through the sandbox host, without the real editor: a sample
# project is exported into a folder (the folder dialog answered for you), the
# files are listed, then imported into a fresh project and its scenes shown.
# Needs a finished build (scripts/build.sh runs this at its end).
set -euo pipefail
cd "$(dirname "$0")/.."
export LANG=ja_JP.UTF-8   # the ANSI code page of a Japanese system: 932

folder=build/demo/scenes
rm -rf build/demo
mkdir -p "$folder"
host() {
  timeout 300 xvfb-run -a scripts/wine-run.sh build/sandbox/trebbo-host.exe \
    --plugin build/sandbox/exedit.auf --plugin dist/trebbo.auf "$@"
}

echo "== 1. a sample project, exported with the plug-in's export command"
host --sample-project --scenes --answer "$folder" --run 1026
echo
echo "== 2. what the folder holds now"
ls -l "$folder"
echo "-- scene_3.exo, written in the stand-in's own format (Shift_JIS, shown as UTF-8):"
iconv -f CP932 -t UTF-8 "$folder/scene_3.exo"
echo
echo "== 3. a fresh, empty project, imported from that folder"
host --answer "$folder" --run 1025 --scenes
