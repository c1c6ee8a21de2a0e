#!/bin/sh
# Builds the product folder and shows what the suite does today, under Wine on a
# virtual display; the screenshot lands in build/demo/.
set -eu
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows
scripts/wine-prefix.sh "$root/build/wineprefix-template"

echo "The product folder is build/product:"
ls -R build/product
echo "Nubilux and the installer are not built yet: the wallpaper job on the embedded sample comes with them."
