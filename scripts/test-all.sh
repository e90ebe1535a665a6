#!/bin/sh
# Installs what is missing, builds Fendrel both ways and runs every test:
# the core natively (also under ASan and UBSan), then the Windows build's
# core and Win32 tests under Wine on a virtual display, then its two
# packages in a Wine prefix of their own.
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)

sh scripts/install-deps.sh

echo "== layering: no Win32 header in a portable file, no app/ header outside app/"
sh scripts/check-layering.sh

echo "== style: clang-format and clang-tidy"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
cmake --preset native >/dev/null
mkdir -p build
if ! git ls-files 'app/*.cpp' 'ui/*.cpp' 'protection/*.cpp' 'password/*.cpp' 'platform/*.cpp' | grep -v '_win\.cpp$' |
    xargs clang-tidy -p build/native --quiet >build/clang-tidy.log 2>&1; then
  cat build/clang-tidy.log
  echo "clang-tidy found problems in the core"
  exit 1
fi

for preset in native native-asan; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset"
done

echo "== fuzz (libFuzzer, ${FUZZ_SECONDS:=30} s a target)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs" --target list_files_fuzz list_text_fuzz password_file_fuzz
for target in list_files list_text password_file; do
  work=$(mktemp -d)
  if ! build/fuzz/tests/fuzz/${target}_fuzz -max_total_time="$FUZZ_SECONDS" -max_len=8192 \
      -artifact_prefix="build/fuzz/${target}-" "$work" "tests/fuzz/corpus/$target" >"build/fuzz/$target.log" 2>&1; then
    tail -n 40 "build/fuzz/$target.log"
    echo "fuzzing $target found a failure (input saved under build/fuzz/)"
    exit 1
  fi
  grep -E '^Done [0-9]+ runs' "build/fuzz/$target.log" | sed "s/^/$target: /"
  rm -rf "$work"
done

echo "== windows"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
echo "== packages (portable ZIP and NSIS installer)"
(cd build/windows && cpack -C Release >/dev/null && ls -l Fendrel-*-win64.zip Fendrel-*-win64.exe)
. scripts/wine-prefix.sh
# The tests run on a virtual display; the wineserver started for them is
# stopped before that display goes away.
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c 'ctest --preset windows; rc=$?; wineserver -k; exit $rc'
echo "== packages under Wine (a fresh prefix: portable ZIP, install, logon start, uninstall)"
sh scripts/test-packages.sh
