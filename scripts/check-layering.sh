#!/bin/sh
# The layering rules, checked on every tracked source file:
#  1. A portable file (one not ending in _win.cpp or _win.h) in a folder of
#     the program includes no Win32 header.
#  2. No file outside app/ includes a header of app/; only the Windows tests
#     (tests/win32/), which drive the windows themselves, may.
#  3. The layers below stay below:
#       app/ -> protection/, password/, startup/ -> screen/ -> lists/ -> platform/
#     and the three beside each other do not include each other.
# Prints every offending line and fails when there is one.
set -eu
cd "$(dirname "$0")/.."

# The Win32 and shell headers the program could reach for, in any letter case.
win32='windows|windowsx|winuser|winbase|wingdi|winreg|winnt|windef|shellapi|shlobj|shlwapi|shobjidl|commdlg|commctrl|objbase|ole2|oleauto|uxtheme|dwmapi|psapi|tlhelp32|winsock2|mmsystem|richedit'
include='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]'

status=0
# refuse "FILES" PATTERN MESSAGE: every include in FILES that matches PATTERN
# is shown with the message, and the check fails.
refuse() {
  for file in $1; do
    if found=$(grep -nEi "$include$2" "$file"); then
      echo "$found" | sed "s|^|$file:|"
      echo "  ^ $3"
      status=1
    fi
  done
}

portable=$(git ls-files 'app/*' 'protection/*' 'password/*' 'startup/*' 'screen/*' 'lists/*' 'platform/*' |
  grep -E '\.(h|cpp)$' | grep -vE '_win\.(h|cpp)$' || true)
refuse "$portable" "($win32)\.h[>\"]" "a portable file includes a Win32 header: move the code into a _win file"

outside=$(git ls-files '*.h' '*.cpp' | grep -vE '^(app|tests/win32)/' || true)
refuse "$outside" "app/" "a file outside app/ includes a header of app/: move what it needs out of app/"

check_below() {  # folder, the folders it may not include
  refuse "$(git ls-files "$1/*.h" "$1/*.cpp")" "($2)/" "$1/ reaches up into a layer above it"
}
check_below platform 'lists|screen|protection|password|startup'
check_below lists 'screen|protection|password|startup'
check_below screen 'protection|password|startup'
check_below protection 'password|startup'
check_below password 'protection|startup'
check_below startup 'protection|password'

[ "$status" -eq 0 ] && echo "layering: every include keeps the layers"
exit "$status"
