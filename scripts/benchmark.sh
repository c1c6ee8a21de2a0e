#!/bin/sh
# Builds and measures the suite (a benchmark, not a test): prints a table of figures.
set -eu
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows
scripts/wine-prefix.sh "$root/build/wineprefix-template"
python3 scripts/benchmark.py
