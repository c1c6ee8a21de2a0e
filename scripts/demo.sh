#!/bin/sh
# Builds the product folder and shows what the suite does, under Wine on a virtual
# display (no internet needed).
set -eu
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows
scripts/wine-prefix.sh "$root/build/wineprefix-template"
python3 scripts/demo.py
