#!/bin/sh
# What the demo, the tests and the benchmark all need first: the packages, the Windows
# build (programs, product folder, release archive) and a booted Wine prefix.
set -eu
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows
scripts/wine-prefix.sh "$root/build/wineprefix-template"
