#!/bin/sh
# Installs what is missing, builds Fendrel for Windows and starts it under
# Wine. Without a display it runs on a virtual one (Xvfb).
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc 2>/dev/null || echo 2)" --target Fendrel
. scripts/wine-prefix.sh
if [ -n "${DISPLAY:-}" ]; then
  exec wine build/windows/Fendrel.exe "$@"
fi
echo "No DISPLAY is set: Fendrel runs on a virtual display (Xvfb)."
exec xvfb-run -a -s "-screen 0 1280x1024x24" sh -c 'wine build/windows/Fendrel.exe "$@"; wineserver -w' fendrel "$@"
