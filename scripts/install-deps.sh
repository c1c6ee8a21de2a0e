#!/bin/sh
# Installs what building and testing the suite needs on Debian 12: the MinGW-w64
# cross compilers, Wine, a virtual display and screenshot tools. Wine's 32-bit half
# (wine32) only where the kernel runs 32-bit code; elsewhere the Wine tiers run the
# same sources built for 64-bit Windows (scripts/wine-arch.py).
set -eu
cd "$(dirname "$0")"

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
arch=$(python3 wine-arch.py)

need=""
command -v i686-w64-mingw32-g++-posix >/dev/null 2>&1 || need=1
command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || need=1
command -v wine >/dev/null 2>&1 || need=1
command -v Xvfb >/dev/null 2>&1 || need=1
command -v import >/dev/null 2>&1 || need=1
command -v ninja >/dev/null 2>&1 || need=1
command -v openssl >/dev/null 2>&1 || need=1
[ -d /usr/src/googletest ] || need=1
dpkg -s fonts-wine >/dev/null 2>&1 || need=1
# The time zone table is made from their files.
dpkg -s unicode-cldr-core >/dev/null 2>&1 || need=1
dpkg -s tzdata >/dev/null 2>&1 || need=1
# Named with the machine's architecture: with the i386 one beside it, the bare name is ambiguous.
dpkg -s "libxinerama1:$(dpkg --print-architecture)" >/dev/null 2>&1 || need=1
if [ "$arch" = i686 ]; then
    dpkg -s wine32:i386 >/dev/null 2>&1 || need=1
    dpkg -s libxinerama1:i386 >/dev/null 2>&1 || need=1
elif dpkg -s wine32:i386 >/dev/null 2>&1; then
    # A wine32 that cannot run would stand in front of wine64.
    $SUDO apt-get remove -y -q wine32:i386 >/dev/null
fi
[ -z "$need" ] && exit 0

extra=""
if [ "$arch" = i686 ]; then
    $SUDO dpkg --add-architecture i386
    # Wine's 32-bit half sees several monitors only through the 32-bit Xinerama library.
    extra="wine32:i386 libxinerama1:i386"
fi
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends \
    cmake ninja-build g++ googletest python3 openssl unicode-cldr-core tzdata \
    g++-mingw-w64-i686-posix binutils-mingw-w64-i686 \
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
    wine wine64 $extra \
    fonts-wine xvfb xauth x11-utils imagemagick fonts-dejavu-core libxinerama1
