#!/usr/bin/env bash
# The test command: installs what is missing, builds the three configurations
# (native core with sanitizers and fuzzers, Windows x86-64, Windows x86) and
# runs every test tier. Repeat runs reuse the builds and the Wine prefix.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/install-deps.sh

# The Windows tests need no display of ours: wine-run starts a private Xvfb.
export TAVELUND_PRIVATE_X=1
jobs=$(nproc)

for preset in native win64 win32; do
  echo "== $preset: configure and build"
  cmake --preset "$preset" -DTAVELUND_WERROR=ON >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

status=0
for preset in native win64 win32; do
  echo "== $preset: tests"
  ctest --preset "$preset" || status=1
done

scripts/stop-wine.sh || true

echo "== Shipped program: system DLLs only, ASLR and DEP, size"
scripts/check-binaries.sh build/win64 x86_64-w64-mingw32-objdump || status=1
scripts/check-binaries.sh build/win32 i686-w64-mingw32-objdump || status=1

echo "== Binary sizes"
for arch in win64 win32; do
  for exe in Tavelund.exe standin-player.exe; do
    [ -f "build/$arch/$exe" ] && printf '%-6s %-20s %8d bytes\n' "$arch" "$exe" "$(stat -c %s "build/$arch/$exe")"
  done
done
exit $status
