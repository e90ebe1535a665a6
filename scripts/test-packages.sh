#!/bin/sh
# Tests the two packages that `cpack` made in build/windows as a user meets
# them, in a Wine prefix made for this run and removed after it: the portable
# ZIP unpacked into a folder with a blank, and the installer (silent install,
# logon start of the installed program, silent uninstall). The test program
# is build/windows/package_tests.exe (tests/packages/).
# BUILD_DIR chooses another build folder (default: the preset's build/windows);
# arguments go to the test program (--gtest_filter=...).
set -eu
cd "$(dirname "$0")/.."
build=$(cd "${BUILD_DIR:-build/windows}" && pwd)
installer=$(ls -t "$build"/Fendrel-*-win64.exe | head -n 1)
zip=$(ls -t "$build"/Fendrel-*-win64.zip | head -n 1)

WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/fendrel-packages.XXXXXX")
export WINEPREFIX
trap 'rm -rf "$WINEPREFIX"' EXIT
trap 'exit 1' INT TERM
. scripts/wine-prefix.sh

unpacked="$WINEPREFIX/drive_c/Portable Fendrel"
mkdir "$unpacked"
(cd "$unpacked" && cmake -E tar xf "$zip")
# Windows paths for the test, made here: winepath would start this prefix's
# wineserver before the virtual display is there.
backslashes() { printf '%s' "$1" | tr / '\\'; }
program=$(find "$unpacked" -name Fendrel.exe)
FENDREL_PORTABLE_PROGRAM=$(backslashes "C:${program#"$WINEPREFIX/drive_c"}")
FENDREL_INSTALLER=$(backslashes "Z:$installer")
export FENDREL_PORTABLE_PROGRAM FENDREL_INSTALLER

# The wineserver of this prefix is stopped before the virtual display goes.
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c 'build=$1; shift; wine "$build/package_tests.exe" "$@"; rc=$?; wineserver -k; exit $rc' \
  sh "$build" "$@"
