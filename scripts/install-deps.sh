#!/bin/sh
# Installs what building and testing the suite needs on Debian 12: the MinGW-w64
# cross compiler, Wine (32-bit too), a virtual display and screenshot tools.
set -eu

need=""
command -v i686-w64-mingw32-g++-posix >/dev/null 2>&1 || need=1
command -v wine >/dev/null 2>&1 || need=1
command -v Xvfb >/dev/null 2>&1 || need=1
command -v import >/dev/null 2>&1 || need=1
command -v ninja >/dev/null 2>&1 || need=1
[ -d /usr/src/googletest ] || need=1
dpkg -s fonts-wine >/dev/null 2>&1 || need=1
dpkg -s wine32:i386 >/dev/null 2>&1 || need=1
[ -z "$need" ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
$SUDO dpkg --add-architecture i386
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends \
    cmake ninja-build g++ googletest python3 \
    g++-mingw-w64-i686-posix binutils-mingw-w64-i686 \
    wine wine32:i386 wine64 \
    fonts-wine xvfb xauth x11-utils imagemagick fonts-dejavu-core
