#!/usr/bin/env bash
# launch-test-prefix.sh PREFIX DRIVES PROGRAM.exe [ARGS...]
# Runs a Windows program in the Wine prefix of the player-launch tests. Those
# tests search every fixed drive, so this prefix has exactly two: D: and E:,
# the folders DRIVES/d and DRIVES/e, which the tests fill and empty. C: and
# Z: are reported as network drives and are never searched. Everything else
# (code page, display, virtual desktop) is as scripts/wine-run sets it up.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
prefix=$1
drives=$2
shift 2
mkdir -p "$prefix" "$drives/d" "$drives/e"
prefix=$(cd "$prefix" && pwd)
drives=$(cd "$drives" && pwd)
# The tests empty a drive only when it carries this mark.
touch "$drives/d/.tavelund-test-drive" "$drives/e/.tavelund-test-drive"

# shellcheck source=wine-env.sh
source "$here/wine-env.sh"
wine_export_env "$prefix"

# One display for all prefixes: the one of the shared prefix (its private
# Xvfb, when asked for, is stopped with the others by stop-wine.sh).
mkdir -p "$here/../build/wineprefix"
wine_check_loader || exit 1
wine_ensure_display "$here/../build/wineprefix" || exit 1
unset TAVELUND_PRIVATE_X

wine_ensure_prefix "$prefix" || exit 1
sig=$(wine_signature) || exit 1
(
  flock 9
  want="$sig $drives"
  if [ -f "$prefix/.launch-drives" ] && [ "$(cat "$prefix/.launch-drives")" = "$want" ]; then exit 0; fi
  log="$prefix/.tavelund-setup.log"
  ln -sfn "$drives/d" "$prefix/dosdevices/d:"
  ln -sfn "$drives/e" "$prefix/dosdevices/e:"
  reg_add "$log" 'HKLM\Software\Wine\Drives' /v 'c:' /d network || exit 1
  reg_add "$log" 'HKLM\Software\Wine\Drives' /v 'z:' /d network || exit 1
  # Wine's mount manager reads the drives and their types when it starts;
  # drives linked or retyped while it runs stay unseen until a restart.
  "$WINESERVER" -k </dev/null >/dev/null 2>&1 9>&-
  "$WINESERVER" -w </dev/null >/dev/null 2>&1 9>&-
  echo "$want" > "$prefix/.launch-drives"
) 9>"$prefix/.lock" || exit 1

exec "$here/wine-run" --prefix "$prefix" "$@"
