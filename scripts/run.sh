#!/usr/bin/env bash
# The run command: installs what is missing, builds the Windows x86-64 program
# and the stand-in player, and runs both under Wine with a demo schedule whose
# window opens shortly after start and lasts a minute.
#   On $DISPLAY: the program runs until you close it.
#   Without a display: a private Xvfb; screenshots are written to
#   build/demo/screenshot-recording.png and build/demo/screenshot-done.png,
#   and the program is closed after the demo window has ended.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)

scripts/install-deps.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target Tavelund standin-player

demo="$root/build/demo"
rm -rf "$demo"
mkdir -p "$demo/recordings"
cp build/win64/Tavelund.exe build/win64/standin-player.exe "$demo/"

# Z: is the Linux root inside the prefix.
winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }
clock() { date -d "@$1" '+%-H:%-M:%-S'; }
now=$(date +%s)
start=$((now + 12))
end=$((start + 60))
pattern="$(winpath "$demo/recordings")\\%4Y%2M%2D\\demo_%2h%2m%2s.mp3"
{
  printf '[Config]\r\n'
  printf 'WINAMP.EXE=%s\r\n' "$(winpath "$demo/standin-player.exe")"
  printf '[MP3Schedule]\r\n'
  printf '0=%s %s %s|4 1 -1 0\r\n' "$(clock $start)" "$(clock $end)" "$pattern"
  printf '1=6:30:0 7:0:0 %s|3 0 62 3\r\n' "$(winpath "$demo/recordings")\\morning_%W.mp3"
  printf '2=21:0:0 22:30:0 %s|5 1 65 1\r\n' "$(winpath "$demo/recordings")\\evening_%4Y%2M%2D.mp3"
  printf '3=\r\n'
  # Clear of the stand-in's windows, which sit at the top right.
  printf '[DlgPos]\r\nTavelund=%d %d %d %d\r\n' 30 150 480 380
} > "$demo/Tavelund.INI"
echo "Demo folder: $demo (recording window $(clock $start) - $(clock $end), local time)"

run() { scripts/wine-run "$@"; }
if [ -n "${DISPLAY:-}" ]; then
  echo "Running on $DISPLAY; close the window to end."
  run "$demo/Tavelund.exe"
  exit 0
fi

export TAVELUND_PRIVATE_X=1
run "$demo/Tavelund.exe" &
source scripts/wine-env.sh
display=":$(cat build/xvfb.display 2>/dev/null || echo 0)"
shot() {
  xwd -display "$display" -root -silent | convert xwd:- -crop 1024x768+0+0 +repage "$1"
  echo "Screenshot: $1"
}
sleep $((start + 8 - $(date +%s)))
shot "$demo/screenshot-recording.png"
convert "$demo/screenshot-recording.png" -crop 480x380+30+150 +repage "$demo/main-window.png"
sleep $((end + 4 - $(date +%s)))
shot "$demo/screenshot-done.png"
echo "Recordings made:"
find "$demo/recordings" -type f -printf '  %P (%s bytes)\n'
WINEPREFIX="$root/build/wineprefix" LC_ALL=ko_KR.UTF-8 WINEDEBUG=-all "$WINE_LOADER" taskkill /im Tavelund.exe >/dev/null 2>&1 || true
WINEPREFIX="$root/build/wineprefix" LC_ALL=ko_KR.UTF-8 WINEDEBUG=-all "$WINE_LOADER" taskkill /im standin-player.exe >/dev/null 2>&1 || true
wait || true
