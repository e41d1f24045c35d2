#!/usr/bin/env bash
# A round trip through the sandbox host, without the real editor: a sample
# project is exported into a folder (the folder dialog answered for you), the
# files are listed, then imported into a fresh project and its scenes shown.
# Needs a finished build (scripts/build.sh runs this at its end).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build
export TREBBO_WINEPREFIX=$build/wineprefix
export LANG=ja_JP.UTF-8   # the ANSI code page of a Japanese system: 932

scripts/prepare-wineprefix.sh "$TREBBO_WINEPREFIX" >/dev/null

folder=$build/demo/scenes
rm -rf "$build/demo"
mkdir -p "$folder"
windows_folder="Z:${folder//\//\\}"
host() {
  # xvfb-run's farewell when wine's helpers still hold the display is noise.
  timeout 300 xvfb-run -a scripts/wine-run.sh "$build/sandbox/trebbo-host.exe" \
    --plugin "Z:${build//\//\\}\\sandbox\\exedit.auf" \
    --plugin "Z:${root//\//\\}\\dist\\trebbo.auf" "$@" \
    2> >(grep -v '^X connection to' >&2)
}

echo "== 1. a sample project, exported with the plug-in's export command"
host --sample-project --scenes --answer "$windows_folder" --run 1026
echo
echo "== 2. what the folder holds now"
ls -l "$folder"
echo "-- scene_3.exo, written in the stand-in's own format (Shift_JIS, shown as UTF-8):"
iconv -f CP932 -t UTF-8 "$folder/scene_3.exo"
echo
echo "== 3. a fresh, empty project, imported from that folder"
host --answer "$windows_folder" --run 1025 --scenes
