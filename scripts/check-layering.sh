#!/bin/sh
# The layering rules, checked on every tracked source file:
#  1. A portable file (one not ending in _win.cpp or _win.h) under app/, ui/,
#     protection/, password/ or platform/ includes no Win32 header.
#  2. No file outside app/ includes a header of app/; only the Windows tests
#     (tests/win32/), which drive the windows themselves, may.
#  3. The layers below stay below: platform/ includes none of ui/,
#     protection/, password/; ui/ includes neither protection/ nor password/;
#     protection/ and password/ do not include each other.
# Prints every offending line and fails when there is one.
set -eu
cd "$(dirname "$0")/.."

# The Win32 and shell headers the program could reach for, in any letter case.
win32='windows|windowsx|winuser|winbase|wingdi|winreg|winnt|windef|shellapi|shlobj|shlwapi|shobjidl|commdlg|commctrl|objbase|ole2|oleauto|uxtheme|dwmapi|psapi|tlhelp32|winsock2|mmsystem|richedit'
include='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]'

status=0
portable=$(git ls-files 'app/*' 'ui/*' 'protection/*' 'password/*' 'platform/*' |
  grep -E '\.(h|cpp)$' | grep -vE '_win\.(h|cpp)$' || true)
for file in $portable; do
  if found=$(grep -nEi "$include($win32)\.h[>\"]" "$file"); then
    echo "$found" | sed "s|^|$file:|"
    echo "  ^ a portable file includes a Win32 header: move the code into a _win file"
    status=1
  fi
done

outside=$(git ls-files '*.h' '*.cpp' | grep -vE '^(app|tests/win32)/' || true)
for file in $outside; do
  if found=$(grep -nE "${include}app/" "$file"); then
    echo "$found" | sed "s|^|$file:|"
    echo "  ^ a file outside app/ includes a header of app/: move what it needs out of app/"
    status=1
  fi
done

check_below() {  # folder, the folders it may not include
  for file in $(git ls-files "$1/*.h" "$1/*.cpp"); do
    if found=$(grep -nE "${include}($2)/" "$file"); then
      echo "$found" | sed "s|^|$file:|"
      echo "  ^ $1/ reaches up into a layer above it"
      status=1
    fi
  done
}
check_below platform 'ui|protection|password'
check_below ui 'protection|password'
check_below protection 'password'
check_below password 'protection'

[ "$status" -eq 0 ] && echo "layering: every include keeps the layers"
exit "$status"
