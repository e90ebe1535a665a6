#!/bin/sh
# Builds the Windows program and its benchmark, then runs the benchmark under
# Wine on a virtual display, in the project's own Wine prefix. It prints one
# table of figures, each beside its baseline (see docs/PERFORMANCE.md).
# BUILD_DIR chooses another build folder (default: the preset's build/windows).
set -eu
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build/windows}"

cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target fendrel_bench
. scripts/wine-prefix.sh
# Other work on the machine shows in the figures: say how busy it was.
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
# The wineserver started for the run is stopped before the display goes away.
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c 'wine "$1/fendrel_bench.exe"; rc=$?; wineserver -k; exit $rc' \
  sh "$build"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
