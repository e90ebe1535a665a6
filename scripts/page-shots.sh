#!/bin/sh
# Screenshots of every page of the main window at 96 and 144 DPI, to see
# that a change to the window's code leaves its look alone.
#
#   sh scripts/page-shots.sh shoot FENDREL.EXE OUTDIR
#       OUTDIR/96/*.png and OUTDIR/144/*.png, one per page.
#   sh scripts/page-shots.sh compare BEFORE.EXE AFTER.EXE OUTDIR
#       shoots both into OUTDIR/before and OUTDIR/after, then tells per page
#       and DPI "identical" or how many pixels differ, with a diff picture in
#       OUTDIR/diff; exits 1 when any page differs.
#   sh scripts/page-shots.sh differ BEFOREDIR AFTERDIR DIFFDIR
#       only the comparison, of two folders that "shoot" made.
#
# Each DPI gets a fresh Wine prefix (a copy of one made for the run) with
# LogPixels set, a returning user (password "s3cret", switch ON), and the
# program copied to C:\fendrel with a safe list of an existing and a missing
# file and an emergency list of one file, on its own Xvfb display. A small
# driver (page_shots_driver_win.cpp, built here with mingw-w64) logs in and
# opens each page through its menu item ("New User" at a first start, with
# no password, as only then it shows); ImageMagick's import takes the
# window's rectangle from the screen, twice, and a page whose two shots
# differ is reported as unsteady. Needs wine, Xvfb (xvfb-run), ImageMagick
# and x86_64-w64-mingw32-g++-posix.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
pages="0:welcome 1:safe-list 2:emergency-list 3:about 4:password 8:close-program 7:new-user"
password=s3cret

start() {
  (cd "$c/fendrel" && exec wine 'C:\fendrel\Fendrel.exe' >/dev/null 2>&1) &
}

# snap PNG STEP...: the driver takes the step, then the window is shot.
snap() {
  shot=$1 && shift
  where=$(wine "$work/driver.exe" "$@") || return 1
  # shellcheck disable=SC2086 # "DPI X Y W H", split on purpose
  set -- $where
  [ "$1" = "$dpi" ] || { echo "the screen has $1 DPI, not $dpi" >&2 && return 1; }
  import -window root -crop "$4x$5+$2+$3" +repage "$shot"
  sleep 1
  import -window root -crop "$4x$5+$2+$3" +repage "$work/again.png"
  compare -metric AE "$shot" "$work/again.png" null: 2>/dev/null ||
    echo "unsteady: $shot changed between two shots 1 s apart" >&2
}

# inside EXE OUTDIR DPI WORK: runs on the Xvfb display, in the prefix WORK/prefix.
inside() {
  exe=$1 out=$2 dpi=$3 work=$4
  export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  c="$WINEPREFIX/drive_c"
  for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  done
  # Wine draws the frame and caption itself, as there is no window manager.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
  # The caret does not blink: it is either always there or never.
  wine reg add 'HKCU\Control Panel\Desktop' /v CursorBlinkRate /d -1 /f >/dev/null 2>&1
  wine reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' /v Fendrel \
    /d 'C:\fendrel\Fendrel.exe /silent' /f >/dev/null 2>&1
  printf '%s\r\n' "$(printf %s "$password" | md5sum | cut -d' ' -f1)" >"$c/windows/system32/satinfo.dll"
  mkdir -p "$c/fendrel" "$out"
  cp "$exe" "$c/fendrel/Fendrel.exe"
  printf original >"$c/fendrel/kept.txt"
  printf original >"$c/fendrel/urgent.txt"
  printf 'C:\\fendrel\\kept.txt\r\nC:\\fendrel\\missing.txt\r\n' >"$c/fendrel/prot.dat"
  printf 'C:\\fendrel\\urgent.txt\r\n' >"$c/fendrel/emer.dat"
  start
  status=0
  for page in $pages; do
    index=${page%%:*} name=${page#*:}
    case $index in
      0) snap "$out/$index-$name.png" login "$password" ;;
      # "New User" shows only at the first start, before any password is set.
      7) wineserver -k && wineserver -w
         rm "$c/windows/system32/satinfo.dll"
         wine reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' /v Fendrel /f >/dev/null 2>&1
         start && snap "$out/$index-$name.png" first-run ;;
      *) snap "$out/$index-$name.png" show "$index" ;;
    esac || { status=1; break; }
  done
  wineserver -k
  return $status
}

# shoot EXE OUTDIR WORK: both DPIs; WORK holds the driver and the made prefix.
shoot() {
  for dpi in 96 144; do
    rm -rf "$3/prefix"
    cp -a "$3/base" "$3/prefix"
    xvfb-run -a -s "-screen 0 1600x1200x24" sh "$here/page-shots.sh" inside "$1" "$2/$dpi" "$dpi" "$3"
    echo "shot $1 at $dpi DPI into $2/$dpi"
  done
}

# prepare WORK: the driver and a Wine prefix to copy.
prepare() {
  x86_64-w64-mingw32-g++-posix -std=c++20 -O1 -static -I"$here/.." "$here/page_shots_driver_win.cpp" \
    "$here/../tests/win32/process_windows_win.cpp" "$here/../platform/wide_text_win.cpp" "$here/../platform/utf.cpp" "$here/../platform/exact_path.cpp" \
    -o "$1/driver.exe" -luser32 -lgdi32
  WINEPREFIX="$1/base" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" sh -c 'wineboot -i; wineserver -w' \
    >/dev/null 2>&1
}

# differences BEFOREDIR AFTERDIR DIFFDIR: each page at each DPI.
differences() {
  differ=0
  for dpi in 96 144; do
    mkdir -p "$3/$dpi"
    for page in $pages; do
      file="${page%%:*}-${page#*:}.png"
      a="$1/$dpi/$file" b="$2/$dpi/$file"
      if [ ! -f "$a" ] || [ ! -f "$b" ]; then
        echo "$dpi dpi $file: missing shot" && differ=1 && continue
      fi
      sa=$(identify -format %wx%h "$a") sb=$(identify -format %wx%h "$b")
      if [ "$sa" != "$sb" ]; then
        echo "$dpi dpi $file: size differs, $sa before, $sb after" && differ=1 && continue
      fi
      if count=$(compare -metric AE "$a" "$b" "$3/$dpi/$file" 2>&1); then
        echo "$dpi dpi $file: identical ($sa)"
        rm -f "$3/$dpi/$file"
      else
        echo "$dpi dpi $file: $count pixels differ ($sa), see $3/$dpi/$file" && differ=1
      fi
    done
  done
  return $differ
}

case "${1:-}" in
  inside) shift && inside "$@" ;;
  differ) [ $# -eq 4 ] && differences "$2" "$3" "$4" ;;
  shoot | compare)
    work=$(mktemp -d "${TMPDIR:-/tmp}/page-shots.XXXXXX")
    trap 'rm -rf "$work"' EXIT
    trap 'exit 1' INT TERM
    prepare "$work"
    if [ "$1" = shoot ] && [ $# -eq 3 ]; then
      shoot "$(realpath "$2")" "$(realpath -m "$3")" "$work"
    elif [ "$1" = compare ] && [ $# -eq 4 ]; then
      out=$(realpath -m "$4")
      shoot "$(realpath "$2")" "$out/before" "$work"
      shoot "$(realpath "$3")" "$out/after" "$work"
      differences "$out/before" "$out/after" "$out/diff"
    else
      sed -n '4,12p' "$0" && exit 2
    fi
    ;;
  *) sed -n '4,12p' "$0" && exit 2 ;;
esac
