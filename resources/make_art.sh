#!/usr/bin/env bash
# Draws the program's pictures and writes them beside this script:
#   fendrel.ico  the program icon, 32 x 32 and 16 x 16, 256 colours
#   banner.bmp   the banner across the top of the main window, 700 x 120
#   strip.bmp    the bar above the menu column, 151 x 15
# The outputs are committed, so building the program never needs this script.
# Needs ImageMagick 6 (convert), the DejaVu fonts and python3.
# With PREVIEW_DIR set, PNG previews of everything are written there too.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
convert_bin="${CONVERT:-/usr/bin/convert}"
fonts="${FONT_DIR:-/usr/share/fonts/truetype/dejavu}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

im() { "$convert_bin" "$@"; }

dark='#1F4E79'  # accents and outlines
soft='#92BBDB'  # the colour of the version text the window draws
mid='#3F75A8'

# --- the shield with its lock, drawn large (256 x 256) and scaled down ---
shield="path 'M 128,14 C 160,30 196,38 230,38 L 230,118 C 230,184 186,224 128,246
  C 70,224 26,184 26,118 L 26,38 C 60,38 96,30 128,14 Z'"

# A padlock shackle as one filled outline (stroking an arc path leaves
# stray wedges in ImageMagick 6): centre x, arc centre y, outer and inner
# radius, bottom y.
shackle() {
  local cx=$1 cy=$2 ro=$3 ri=$4 b=$5
  echo "path 'M $((cx - ro)),$b L $((cx - ro)),$cy A $ro,$ro 0 0 1 $((cx + ro)),$cy
    L $((cx + ro)),$b L $((cx + ri)),$b L $((cx + ri)),$cy A $ri,$ri 0 0 0 $((cx - ri)),$cy
    L $((cx - ri)),$b Z'"
}

im -size 256x256 xc:black -fill white -draw "$shield" "$work/mask.png"
im -size 256x256 gradient:"$soft-$mid" "$work/mask.png" -alpha off \
  -compose CopyOpacity -composite "$work/fill.png"
im "$work/fill.png" -fill none -stroke "$dark" -strokewidth 16 -draw "$shield" -stroke none \
  -fill white -draw "$(shackle 128 104 40 16 130)" -draw "roundrectangle 76,120 180,196 10,10" \
  -fill "$dark" -draw "circle 128,148 128,136" -draw "polygon 121,152 135,152 139,178 117,178" \
  "$work/shield.png"

# --- the icon ---
# An icon of 256 colours has no partial transparency: edge pixels are laid
# on the outline colour and the mask is cut from the alpha channel.
im "$work/shield.png" -filter Lanczos -resize 32x32 "$work/icon32.png"
im "$work/icon32.png" -alpha extract -depth 8 "gray:$work/icon32.alpha"
im "$work/icon32.png" -background "$dark" -flatten -alpha off +dither -colors 255 \
  -depth 8 "rgb:$work/icon32.rgb"
python3 "$here/make_icon.py" "$work/icon32.rgb" "$work/icon32.alpha" "$here/fendrel.ico" \
  ${PREVIEW_DIR:+"$PREVIEW_DIR"}

# --- the banner ---
# The window draws the version text over the banner at about x 428..470,
# y 60..81, so that area stays white; the name shares its baseline. The
# window shows the top 92 rows, so the rule sits just above that line.
im "$work/shield.png" -filter Lanczos -resize x82 "$work/shield82.png"
im \( -size 3x420 gradient:"$dark-$soft" -rotate -90 \) \
  \( -size 3x280 gradient:"$soft-white" -rotate -90 \) +append "$work/rule.png"
im -size 700x120 xc:white \
  "$work/shield82.png" -geometry +14+4 -composite \
  -font "$fonts/DejaVuSans-Bold.ttf" -pointsize 72 -fill "$dark" -annotate +100+78 'Fendrel' \
  -font "$fonts/DejaVuSans.ttf" -pointsize 15 -fill "$mid" \
  -gravity NorthEast -annotate +20+62 'keeps your files safe' -gravity NorthWest \
  "$work/rule.png" -geometry +0+88 -composite \
  -alpha off -type TrueColor "$work/banner.png"
im "$work/banner.png" -type TrueColor "BMP3:$here/banner.bmp"

# --- the strip above the menu: a blue band with a soft sheen on top ---
im \( -size 15x151 gradient:"$dark-$soft" -rotate -90 \) \
  \( -size 151x15 gradient:'#FFFFFF-#000000' -evaluate Multiply 0.22 \) \
  -compose Screen -composite \
  \( -size 151x15 xc:black -fill white -draw "roundrectangle 0,0 150,20 5,5" \) \
  -alpha off -compose CopyOpacity -composite \
  -background white -compose Over -flatten -alpha off -type TrueColor "$work/strip.png"
im "$work/strip.png" -type TrueColor "BMP3:$here/strip.bmp"

if [[ -n "${PREVIEW_DIR:-}" ]]; then
  cp "$work/banner.png" "$work/strip.png" "$work/shield.png" "$PREVIEW_DIR/"
fi
