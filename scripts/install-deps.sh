#!/bin/sh
# Installs what a fresh Debian 12 machine lacks to build and test Fendrel:
# the native toolchain, mingw-w64, 64-bit Wine, a virtual X display and Python.
# Runs apt-get only when something is missing; needs root (or sudo).
set -eu

need=""
have() { command -v "$1" >/dev/null 2>&1; }
have cmake || need="$need cmake"
have g++ || need="$need g++"
have make || need="$need make"
have clang++ || need="$need clang"
have clang-format || need="$need clang-format"
have clang-tidy || need="$need clang-tidy"
have git || need="$need git"
have x86_64-w64-mingw32-g++-posix || need="$need g++-mingw-w64-x86-64-posix"
have x86_64-w64-mingw32-windres || need="$need binutils-mingw-w64-x86-64"
have wine || need="$need wine"
[ -x /usr/lib/wine/wine64 ] || need="$need wine64"
have xvfb-run || need="$need xvfb xauth"
# The other process of the tests' drops from the desktop (tests/win32/tools/xdnd_drag.py).
have python3 || need="$need python3"
have import || need="$need imagemagick"
have makensis || need="$need nsis"
have zip || need="$need zip"
[ -f /usr/src/googletest/CMakeLists.txt ] || need="$need googletest"
dpkg -s libclang-rt-14-dev >/dev/null 2>&1 || need="$need libclang-rt-14-dev"

[ -z "$need" ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing:$need"
$sudo apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $need
