#!/bin/sh
# Builds the Windows release and packs it: a portable ZIP and an NSIS
# installer in build/windows/.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc 2>/dev/null || echo 2)" --target Fendrel
cd build/windows && cpack -C Release
