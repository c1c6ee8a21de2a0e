#!/bin/sh
# What the demo, the tests and the benchmark all need first: the packages, the Windows
# build (programs, product folder, release archive), the build that Wine runs here when
# this machine cannot run 32-bit code, and a booted Wine prefix.
set -eu
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows
if [ "$(python3 scripts/wine-arch.py)" = x86_64 ]; then
    cmake --preset windows-x64 >/dev/null
    cmake --build --preset windows-x64
fi
scripts/wine-prefix.sh "$root/build/wineprefix-template"
