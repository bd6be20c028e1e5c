#!/usr/bin/env bash
# Stops the wineserver of the project's prefix and the private Xvfb, if any.
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 0
prefix=${1:-build/wineprefix}
if [ -d "$prefix" ]; then
  WINEPREFIX=$(cd "$prefix" && pwd) /usr/lib/wine/wineserver -k </dev/null >/dev/null 2>&1 || true
fi
# The player-launch tests' own prefixes (one per build folder).
if [ -z "${1:-}" ]; then
  for launch in build/*/wineprefix-launch; do
    [ -d "$launch" ] && WINEPREFIX=$(cd "$launch" && pwd) /usr/lib/wine/wineserver -k </dev/null >/dev/null 2>&1 || true
  done
fi
state=$(dirname "$prefix")
if [ -f "$state/xvfb.pid" ]; then
  kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
  rm -f "$state/xvfb.pid" "$state/xvfb.display"
fi
