#!/usr/bin/env bash
# Takes the screenshot docs/tray.png: the notification-area icon and a
# balloon of the real main dialog (tests/win/tray_shot), on the private Xvfb
# and prefix of build/win64 (the ones the tests use; scripts/stop-wine.sh
# ends them). The program ends itself after 40 seconds.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
say() { echo "tray-shot.sh: $*" >&2; }
# shellcheck source=wine-env.sh
source scripts/wine-env.sh
prefix=$root/build/wineprefix
export TAVELUND_PRIVATE_X=1
wine_export_env "$prefix"
cmake --build --preset win64 --target tray_shot >/dev/null || { say "the build of tray_shot.exe failed"; exit 1; }
wine_check_loader || exit 1
mkdir -p "$prefix"
wine_ensure_display "$prefix" || exit 1
wine_ensure_prefix "$prefix" || exit 1
dir=$root/build/tray-shot
rm -rf "$dir" && mkdir -p "$dir"
cp build/win64/tray_shot.exe "$dir/"
echo x > "$dir/not-a-player.txt"
printf '[Config]\r\nWINAMP.EXE=Z:%s\r\n' "$(echo "$dir/not-a-player.txt" | tr '/' '\\')" > "$dir/tray_shot.INI"
"$WINE_LOADER" "$dir/tray_shot.exe" 40 </dev/null >"$dir/wine-output.txt" 2>&1 &
pid=$!
# The program ends itself after its 40 seconds: every way out waits for it.
# The balloon comes a few seconds after the call, once the program is up.
shot=""
for _ in $(seq 30); do
  sleep 1
  xwd -root -silent | /usr/bin/convert xwd:- -crop 424x168+600+600 +repage "$dir/corner.png"
  # Above the (white) taskbar a balloon is the only white (a balloon is about a twelfth of it).
  white=$(/usr/bin/convert "$dir/corner.png" -crop 424x140+0+0 +repage -fill black +opaque white -colorspace gray \
    -format '%[fx:mean > 0.04]' info:)
  if [ "$white" = 1 ]; then shot=$dir/corner.png; break; fi
done
wait "$pid" || true
[ -n "$shot" ] || { say "no balloon showed within 30 s"; exit 1; }
cp "$shot" docs/tray.png
echo "docs/tray.png written"
