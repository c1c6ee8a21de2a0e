#!/bin/sh
# Boots a Wine prefix at $1 once (about 15 s); later runs reuse it.
set -eu
prefix=$(realpath -m "$1")  # Wine wants an absolute path
[ -f "$prefix/.booted" ] && exit 0
rm -rf "$prefix"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >/dev/null 2>&1
wineserver -w
touch "$prefix/.booted"
