#!/bin/sh
# Sourced by the scripts: a Wine prefix of the project's own (not the user's
# ~/.wine), made once, without the Mono and Gecko install prompts.
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine-fendrel}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Making the Wine prefix $WINEPREFIX ..."
  wineboot -i >/dev/null 2>&1 || true
  # A crashing test must end at once, not wait in Wine's debugger.
  wine reg add "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug" /v Debugger /d "none.exe" /f \
    >/dev/null 2>&1 || true
  wine reg add "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug" /v Auto /d 1 /f >/dev/null 2>&1 || true
  wineserver -w
fi
