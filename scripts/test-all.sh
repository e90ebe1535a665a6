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
cmake --preset native -DFENDREL_WERROR=ON >/dev/null
mkdir -p build
# g++ options clang does not know (-Wno-restrict) are let be.
if ! git ls-files 'app/*.cpp' 'screen/*.cpp' 'startup/*.cpp' 'lists/*.cpp' 'protection/*.cpp' 'password/*.cpp' 'platform/*.cpp' | grep -v '_win\.cpp$' |
    xargs clang-tidy -p build/native --quiet --extra-arg=-Wno-unknown-warning-option >build/clang-tidy.log 2>&1; then
  cat build/clang-tidy.log
  echo "clang-tidy found problems in the core"
  exit 1
fi
# The Win32 layer, from the mingw build's compile commands. clang parses
# them for the mingw target with the C++ library g++ uses (not g++'s own
# intrinsics headers, which only g++ understands). Win32 hands pointers and
# handles around in integers (LPARAM, LONG_PTR), so the check against
# integer-to-pointer casts is off here.
cmake --preset windows -DFENDREL_WERROR=ON >/dev/null
mingw_cxx=x86_64-w64-mingw32-g++-posix  # the compiler of cmake/mingw-w64-x86_64.cmake
set -- --extra-arg=-Wno-unknown-warning-option --extra-arg=--target=x86_64-w64-mingw32 --extra-arg=-nostdinc++ \
  --extra-arg=-I"$PWD"
for dir in $(echo | "$mingw_cxx" -E -x c++ - -v 2>&1 | sed -n '/#include <...> search starts here/,/End of search list/p' |
    grep '^ ' | grep -vE '/include(-fixed)?$'); do
  set -- "$@" --extra-arg=-isystem"$(realpath "$dir")"
done
set -- "$@" --extra-arg=-isystem/usr/x86_64-w64-mingw32/include
if ! git ls-files 'app/*.cpp' 'screen/*.cpp' 'startup/*.cpp' 'lists/*.cpp' 'protection/*.cpp' 'password/*.cpp' 'platform/*.cpp' | grep '_win\.cpp$' |
    xargs clang-tidy -p build/windows --quiet --checks=-performance-no-int-to-ptr "$@" >build/clang-tidy-win.log 2>&1; then
  cat build/clang-tidy-win.log
  echo "clang-tidy found problems in the Win32 layer"
  exit 1
fi

for preset in native native-asan; do
  echo "== $preset"
  cmake --preset "$preset" -DFENDREL_WERROR=ON >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset"
done

echo "== fuzz (libFuzzer, ${FUZZ_SECONDS:=30} s a target)"
cmake --preset fuzz -DFENDREL_WERROR=ON >/dev/null
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
cmake --preset windows -DFENDREL_WERROR=ON >/dev/null
cmake --build --preset windows -j "$jobs"
echo "== packages (portable ZIP and NSIS installer)"
(cd build/windows && cpack -C Release >/dev/null && ls -l Fendrel-*-win64.zip Fendrel-*-win64.exe)
. scripts/wine-prefix.sh
# The tests run on a virtual display; the wineserver started for them is
# stopped before that display goes away.
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c 'ctest --preset windows; rc=$?; wineserver -k; exit $rc'
echo "== packages under Wine (a fresh prefix: portable ZIP, install, logon start, uninstall)"
sh scripts/test-packages.sh
