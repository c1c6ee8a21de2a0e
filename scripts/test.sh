#!/bin/sh
# Installs what is needed, builds everything and runs all three test tiers:
# native unit tests, the platform layer under Wine, whole programs under Wine and Xvfb.
set -eu
cd "$(dirname "$0")/.."
root=$PWD

scripts/prepare.sh
cmake --preset native >/dev/null
cmake --build --preset native

# One booted prefix per run; the Wine tier works in a copy, each e2e session in its own.
rm -rf "$root/build/wineprefix-win32"
cp -a "$root/build/wineprefix-template" "$root/build/wineprefix-win32"

logs="$root/build/test-logs"
rm -rf "$logs" && mkdir -p "$logs"
status=0
ctest --preset native --output-junit "$logs/native.xml" || status=1

# Wine runs the shipped 32-bit build, or the 64-bit one where this machine has no 32-bit support.
preset=windows
[ "$(python3 scripts/wine-arch.py)" = x86_64 ] && preset=windows-x64
# The Wine tier starts one process per test case: keep its server and services up
# between them, started apart so that they hold no test's output open.
export WINEPREFIX="$root/build/wineprefix-win32" SUITE_TEMPLATE_PREFIX="$root/build/wineprefix-template"
trap 'wineserver -k 2>/dev/null || true' EXIT
xvfb-run -a sh -c '
    wineserver -p && WINEDEBUG=-all tools/wine-run cmd /c exit >/dev/null 2>&1
    exec ctest --preset "$2" --parallel 3 --output-junit "$1"' - "$logs/windows.xml" "$preset" || status=1

python3 scripts/summary.py "$logs/native.xml" "$logs/windows.xml" || status=1
exit $status
