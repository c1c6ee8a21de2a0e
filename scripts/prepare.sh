#!/bin/sh
# What the demo, the tests and the benchmark all need first: the packages, the Windows
# build (programs, product folder, release archive), and a booted Wine prefix. Where this
# machine cannot run 32-bit code, Wine runs a 64-bit build of the same sources with the
# test tools; the 32-bit build then makes only what ships.
set -eu
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh
cmake --preset windows >/dev/null
if [ "$(python3 scripts/wine-arch.py)" = x86_64 ]; then
    cmake --build --preset windows --target release
    cmake --preset windows-x64 >/dev/null
    cmake --build --preset windows-x64
else
    cmake --build --preset windows
fi
scripts/wine-prefix.sh "$root/build/wineprefix-template"
