#!/bin/sh
# Runs a Windows program under 64-bit Wine, quietly. Used by ctest as the
# cross build's emulator and by the scripts that start Fendrel.
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec wine "$@"
