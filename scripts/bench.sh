#!/bin/sh
# Builds the Windows program and its benchmark, then runs the benchmark under
# Wine on a virtual display, in the project's own Wine prefix. It prints one
# table of figures, each beside its baseline (see docs/PERFORMANCE.md).
#   sh scripts/bench.sh          the benchmark (about a minute)
#   sh scripts/bench.sh --soak   the soak instead: a long run of the real
#                                program beside an idle one (a minute or two)
#   sh scripts/bench.sh --kills  1,000 kills of a process saving a list file
#                                (the fault test's 20, fifty times over; about
#                                five minutes): how many left a cut list (0)
#   sh scripts/bench.sh --wakeups  only the wake-up figures (the busy folder,
#                                the 32767-entry start, 100 watched folders)
#   sh scripts/bench.sh --folders  only the folder entries' figures (a folder
#                                of 10,000 files: "Emergency", a file made in
#                                it, idle CPU, memory per file held)
#   sh scripts/bench.sh --start  the whole benchmark but the wake-ups and the
#                                folder entries (about a minute)
#   sh scripts/bench.sh --steps  only the table of the start's steps: where
#                                the milliseconds and the CPU of Fendrel's
#                                start go, step by step (about a minute)
# BUILD_DIR chooses another build folder (default: the preset's build/windows).
# FENDREL_BEFORE=/path/to/Fendrel.exe: another build (an earlier commit) whose
# wake-up figures are measured in the same run, beside this build's.
set -eu
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build/windows}"
program=fendrel_bench
mode="${1:-}"
set --  # the program's arguments
case "$mode" in
  --soak) program=fendrel_soak ;;
  --wakeups) set -- --wakeups ;;
  --folders) set -- --folders ;;
  --steps) set -- --steps ;;
  --start) set -- --start ;;
  --kills)
    program=win32_tests
    export FENDREL_KILLS=1000
    set -- "--gtest_filter=FaultTest.AProcessKilledAtRandomMoments*"
    ;;
esac

cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target "$program"
. scripts/wine-prefix.sh
if [ -n "${FENDREL_BEFORE:-}" ]; then
  # Wine's Z: drive is the Linux root. (winepath here would start a
  # wineserver without the virtual display, and no window could open.)
  before=$(realpath "$FENDREL_BEFORE" | tr / '\\')
  FENDREL_BEFORE="Z:$before"
  export FENDREL_BEFORE
fi
# Other work on the machine shows in the figures: say how busy it was.
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
# The wineserver started for the run is stopped before the display goes away.
start=$(date +%s)
rc=0
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c 'build=$1 program=$2; shift 2; wine "$build/$program.exe" "$@"; rc=$?; wineserver -k; exit $rc' \
  sh "$build" "$program" "$@" || rc=$?
echo "took $(($(date +%s) - start)) s"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
exit $rc
