#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws Halvoric's pictures with ImageMagick (Debian `imagemagick`) into
# ui/pictures/. The results are committed; run this again only to change them.
# Splash, banner and logo are baseline JPEGs, everything else PNG.
set -euo pipefail
cd "$(dirname "$0")/../ui/pictures"

font=DejaVu-Sans-Bold
plain=DejaVu-Sans
# No time stamps, so a rerun changes only what was redrawn.
png=(-strip -define png:exclude-chunks=date,time)
jpeg=(-strip -interlace none -sampling-factor 2x2 -colorspace sRGB -type TrueColor -quality 90)

# A platter seen from above: the grey disk, its hub and the read arm.
platter() {  # cx cy radius
  local cx=$1 cy=$2 r=$3
  echo "fill #b8bec8 stroke #4a5568 stroke-width 2 circle $cx,$cy $((cx + r)),$cy" \
    "fill #dfe3e8 stroke #4a5568 circle $cx,$cy $((cx + r / 4)),$cy" \
    "stroke #c0392b stroke-width 4 line $((cx + r)),$((cy + r)) $((cx + r / 3)),$((cy + r / 6))"
}

convert -size 448x291 gradient:'#1f3b73-#0b1633' \
  -draw "$(platter 356 150 74)" \
  -font "$font" -pointsize 46 -fill white -annotate +28+110 'Halvoric' \
  -font "$plain" -pointsize 16 -fill '#c8d6f0' -annotate +30+140 'Hard disk temperature monitor' \
  -pointsize 12 -annotate +30+268 'Reading your drives...' \
  "${jpeg[@]}" splash.jpg

convert -size 289x80 gradient:'#24467f-#14264d' \
  -draw "$(platter 40 40 26)" \
  -font "$font" -pointsize 34 -fill white -annotate +82+50 'Halvoric' \
  -font "$plain" -pointsize 10 -fill '#c8d6f0' -annotate +84+68 'S.M.A.R.T. and temperature' \
  "${jpeg[@]}" banner.jpg

convert -size 157x41 xc:'#f4f6f9' \
  -fill '#24467f' -draw 'roundrectangle 2,4 36,36 6,6' \
  -fill white -font "$font" -pointsize 20 -annotate +10+28 'H' \
  -fill '#24467f' -pointsize 15 -annotate +44+26 'Halvoric' \
  "${jpeg[@]}" logo.jpg

icon() {  # name, then drawing arguments on a transparent 16x16 canvas
  local name=$1
  shift
  convert -size 16x16 xc:none "$@" "${png[@]}" "PNG32:$name"
}
check='stroke #1e8c2e stroke-width 3 fill none polyline 2,8 6,12 14,3'
cross='stroke #e02020 stroke-width 3 line 3,3 13,13 line 13,3 3,13'
exclamation='stroke #f0a000 stroke-width 3 line 8,2 8,9 line 8,12 8,13'
drive='fill #9aa3ad stroke #3c4550 stroke-width 1 roundrectangle 1,5 14,12 2,2 fill #3c4550 point 12,10'

icon list-0-check.png -draw "$check"
icon list-1-arrow.png -fill '#2a62c9' -draw 'polygon 2,6 9,6 9,2 15,8 9,14 9,10 2,10'
icon list-2-drive-alert.png -draw "$drive" -fill '#2a62c9' -draw 'circle 11,4 11,0' \
  -fill white -draw 'rectangle 10,2 11,4 point 10,6 point 11,6'
icon list-3-drive-search.png -draw "$drive" \
  -fill none -stroke '#2a62c9' -strokewidth 2 -draw 'circle 10,6 13,6 line 12,8 15,11'
icon list-4-plus.png -fill '#1e8c2e' -draw 'rectangle 6,2 9,13 rectangle 2,6 13,9'
icon list-5-tiles.png -fill '#e8ecf2' -stroke '#3c4550' -draw 'rectangle 0,1 15,14' \
  -stroke none -fill '#e02020' -draw 'rectangle 2,4 7,8' -fill '#1e8c2e' -draw 'rectangle 8,4 13,8' \
  -fill '#2a62c9' -draw 'rectangle 2,9 7,12' -fill '#f2b600' -draw 'rectangle 8,9 13,12'
icon list-6-grid.png -fill white -stroke '#3c4550' -draw 'rectangle 0,0 15,15' \
  -draw 'line 0,5 15,5 line 0,10 15,10 line 5,0 5,15 line 10,0 10,15'

# The status pictures sit on black, which the list drawing keys out.
convert -size 16x16 xc:black -draw "$check" "${png[@]}" PNG32:ok.png
convert -size 16x16 xc:black -draw "$cross" "${png[@]}" PNG32:bad.png
convert -size 16x16 xc:black -draw "$exclamation" "${png[@]}" PNG32:warn.png

icon tray.png -fill '#2a62c9' -draw 'rectangle 0,0 15,15' -draw "fill #b0b6be circle 8,8 8,2" \
  -fill '#e8ecf0' -draw 'circle 8,8 9,8'

icon glyph-test.png -fill '#f2f2f2' -stroke '#3c4550' -draw 'rectangle 1,3 14,12 polyline 1,3 8,9 14,3'
icon glyph-choose.png -fill '#f2c94c' -stroke '#8a6d1e' -draw 'polygon 1,4 6,4 7,6 14,6 14,13 1,13'
icon glyph-save.png -fill '#2a62c9' -stroke '#14264d' -draw 'rectangle 1,1 14,14' \
  -fill white -stroke none -draw 'rectangle 4,2 11,6' -fill '#e8ecf0' -draw 'rectangle 4,9 11,14'
icon glyph-clear.png -stroke '#e02020' -strokewidth 2 -fill none -draw 'circle 8,8 8,2 line 4,12 12,4'
convert -size 24x24 xc:none -fill '#2a62c9' -draw 'circle 12,12 12,1' \
  -fill white -font "$font" -pointsize 18 -gravity center -annotate +0+1 '?' "${png[@]}" PNG32:glyph-help.png
