#!/bin/sh
# Installs what is missing, builds Fendrel both ways and runs every test:
# the core natively (also under ASan and UBSan), then the Windows build's
# core and Win32 tests under Wine on a virtual display.
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

sh scripts/install-deps.sh

for preset in native native-asan; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset"
done

echo "== windows"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
. scripts/wine-prefix.sh
# The tests run on a virtual display; the wineserver started for them is
# stopped before that display goes away.
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c 'ctest --preset windows; rc=$?; wineserver -k; exit $rc'
