#!/bin/sh
# Boots a Wine prefix at $1 once (about 15 s); later runs reuse it. Tests copy it.
set -eu
# Wine's processes with memory laid out without randomization (see tools/wine-run).
if [ -z "${SUITE_FIXED_LAYOUT:-}" ]; then
    SUITE_FIXED_LAYOUT=1 exec setarch "$(uname -m)" -R "$0" "$@"
fi
prefix=$(realpath -m "$1")  # Wine wants an absolute path
stamp="$prefix/.booted-4"   # raise the number when the set-up below changes
[ -f "$stamp" ] && exit 0
rm -rf "$prefix"
# No .NET or HTML engine prompts, and no menu entries written into the Linux home folder.
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wineboot -i >/dev/null 2>&1
# Wine links the user's Desktop, Documents and the like to the Linux home folder: make
# them folders of the prefix, so nothing a test does lands outside it.
for link in "$prefix"/drive_c/users/*/*; do
    if [ -L "$link" ]; then rm "$link" && mkdir "$link"; fi
done
# Wine's own fonts (MS Sans Serif, Tahoma, ...) where Windows keeps its fonts, so that
# programs get them by name instead of a stand-in from the host.
cp /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/"
# One virtual desktop, as large as the test display: windows get Wine's own frames and
# captions, as on Windows.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
wineserver -w
touch "$stamp"
