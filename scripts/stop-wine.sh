#!/usr/bin/env bash
# stop-wine.sh [PREFIX]
# Stops the wineserver of the project's prefix (build/wineprefix), and with it
# every Wine process of that prefix, and the private Xvfb kept beside it;
# without PREFIX also the player-launch tests' prefixes of every build folder.
# Prints one line for anything it could not stop and then exits non-zero.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
# shellcheck source=wine-env.sh
source scripts/wine-env.sh

prefix=${1:-build/wineprefix}
status=0
stop_prefix() {
  [ -d "$1" ] || return 0
  wine_stop_prefix "$(cd "$1" && pwd)" || status=1
}
stop_prefix "$prefix"
if [ -z "${1:-}" ]; then
  for launch in build/*/wineprefix-launch; do stop_prefix "$launch"; done
fi
state=$(dirname "$prefix")
# A small drive that a killed test run left mounted (scripts/small-drive-run).
if mountpoint -q "$state/small-drive" 2>/dev/null; then
  rm -f "$prefix/dosdevices/t:"
  umount "$state/small-drive" 2>/dev/null || umount -l "$state/small-drive" ||
    { echo "stop-wine.sh: the small drive $state/small-drive could not be unmounted" >&2; status=1; }
  rmdir "$state/small-drive" 2>/dev/null || true
fi
[ -d "$state" ] && { wine_stop_display "$(cd "$state" && pwd)" || status=1; }
exit $status
