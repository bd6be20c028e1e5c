#!/usr/bin/env bash
# Draws the notification-area icon's three faces at 16 x 16 (32-bit with
# alpha) into resources/: waiting (a clock), recording (a red dot), needs you
# (a warning sign). The .ico files are kept in the repository; run this only
# to change them. Needs ImageMagick.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../resources"
im=/usr/bin/convert
[ -x "$im" ] || { echo "make-tray-icons.sh: ImageMagick's convert is not at $im" >&2; exit 1; }
base=(-size 16x16 xc:none -antialias)
# Waiting: a clock face.
"$im" "${base[@]}" -fill '#2f6fb0' -stroke '#173a5e' -strokewidth 1 -draw 'circle 7.5,7.5 7.5,0.5' \
  -stroke white -strokewidth 1.6 -draw 'line 7.5,7.5 7.5,3' -draw 'line 7.5,7.5 11,9' \
  -define icon:auto-resize=16 tray-waiting.ico
# Recording: a red dot in a dark ring.
"$im" "${base[@]}" -fill '#e02020' -stroke '#6a0a0a' -strokewidth 1 -draw 'circle 7.5,7.5 7.5,1' \
  -fill '#ff8a8a' -stroke none -draw 'circle 5.5,5.5 5.5,4.3' \
  -define icon:auto-resize=16 tray-recording.ico
# Needs you: a yellow triangle with an exclamation mark.
"$im" "${base[@]}" -fill '#f5c518' -stroke '#7a5a00' -strokewidth 1 -draw 'polygon 7.5,0.5 15,14.5 0,14.5' \
  -fill black -stroke none -draw 'rectangle 6.7,4.5 8.3,10' -draw 'rectangle 6.7,11.5 8.3,13' \
  -define icon:auto-resize=16 tray-needs-you.ico
echo "made resources/tray-waiting.ico tray-recording.ico tray-needs-you.ico"
