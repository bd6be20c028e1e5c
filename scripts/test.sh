#!/usr/bin/env bash
# The test command: installs what is missing, builds the three configurations
# (native core with sanitizers and fuzzers, Windows x86-64, Windows x86),
# runs every test tier that can run on this machine, checks the shipped
# program and builds the release package twice to compare and check it.
# Repeat runs reuse the builds and the Wine prefix.
#
#   scripts/test.sh          everything; ends with "N passed, M failed[, K skipped]"
#   scripts/test.sh --plan   only print which tiers would run here and why
#
# The x86 tier's tests run only where 32-bit Windows programs can run (the
# kernel must run 32-bit code); elsewhere the x86 build is still made and
# checked, and its tests are reported skipped with the reason.
# TAVELUND_WIN32_RUNS=0 or 1 forces that answer.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
# shellcheck source=wine-env.sh
source scripts/wine-env.sh
# shellcheck source=tiers.sh
source scripts/tiers.sh

status=0
wine_win32_probe || exit 2
case "${1:-}" in
  --plan) tier_plan_lines; exit 0 ;;
  "") ;;
  *) echo "usage: scripts/test.sh [--plan]" >&2; exit 2 ;;
esac

scripts/install-deps.sh
# Asked again: on a fresh machine Wine's 32-bit loader exists only now.
wine_win32_probe || exit 2

# Whatever way this ends, the Wine servers and the Xvfb of the tests go.
stop_wine() {
  scripts/stop-wine.sh || echo "test.sh: the Wine processes of the tests could not all be stopped (above)" >&2
}
trap stop_wine EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# The Windows tests need no display of ours: wine-run starts a private Xvfb.
export TAVELUND_PRIVATE_X=1
jobs=$(nproc)
results=$root/build/test-results
rm -rf "$results"
mkdir -p "$results"
# Test programs run again because Wine crashed as they exited (wine-run).
export TAVELUND_WINE_RERUNS=$results/wine-reruns.txt

echo "== Tiers on this machine"
tier_plan_lines | sed 's/^/   /'

declare -A built
for preset in "${TIERS[@]}"; do
  echo "== $preset: configure and build"
  if cmake --preset "$preset" -DTAVELUND_WERROR=ON >/dev/null && cmake --build --preset "$preset" -j "$jobs"; then
    built[$preset]=1
  else
    built[$preset]=0
    echo "test.sh: the $preset build failed (above)" >&2
  fi
done

passed=0 failed=0 skipped=0
summary=()
win64_tests=""
for tier in "${TIERS[@]}"; do
  tier_plan "$tier"
  if [ "${built[$tier]}" != 1 ]; then
    summary+=("$tier: not run: its build failed (1 failure)")
    failed=$((failed + 1))
    continue
  fi
  if [ "$TIER_ACTION" = skip ]; then
    # The same test programs as the x86-64 tier's, built for x86.
    if [ -n "$win64_tests" ]; then
      line="$tier: skipped, $win64_tests tests not run (win64's, built for x86): $TIER_WHY"
    else
      line="$tier: skipped, not run: $TIER_WHY"
    fi
    echo "== $line"
    summary+=("$line")
    [ -n "$win64_tests" ] && skipped=$((skipped + win64_tests))
    continue
  fi
  echo "== $tier: tests"
  ctest_status=0
  ctest --preset "$tier" --output-junit "$results/$tier.xml" || ctest_status=$?
  tier_count "$tier" "$results/$tier.xml" "$ctest_status"
  echo "== $T_LINE"
  summary+=("$T_LINE")
  passed=$((passed + T_PASSED)) failed=$((failed + T_FAILED)) skipped=$((skipped + T_SKIPPED))
  [ "$tier" = win64 ] && win64_tests=$((T_RAN + T_SKIPPED))
done

stop_wine

echo "== Shipped program: system DLLs only, ASLR and DEP, size"
checks_passed=0 checks_failed=0
for check in "win64 x86_64-w64-mingw32-objdump" "win32 i686-w64-mingw32-objdump"; do
  set -- $check
  if [ "${built[$1]}" = 1 ] && scripts/check-binaries.sh "build/$1" "$2"; then
    checks_passed=$((checks_passed + 1))
  else
    checks_failed=$((checks_failed + 1))
  fi
done
summary+=("binaries: ran 2 checks: $checks_passed passed, $checks_failed failed")
passed=$((passed + checks_passed)) failed=$((failed + checks_failed))

echo "== Release package: built twice in two folders, compared, checked"
release_start=$SECONDS release_passed=0 release_failed=0
while IFS= read -r line; do
  echo "$line"
  case "$line" in
    PASS*) release_passed=$((release_passed + 1)) ;;
    FAIL*) release_failed=$((release_failed + 1)); summary+=("release: $line") ;;
  esac
done < <(scripts/check-release.sh)
[ $((release_passed + release_failed)) -gt 0 ] || { release_failed=1; summary+=("release: FAIL check-release.sh reported nothing"); }
summary+=("release: ran $((release_passed + release_failed)) checks: $release_passed passed, $release_failed failed ($((SECONDS - release_start)) s)")
passed=$((passed + release_passed)) failed=$((failed + release_failed))

echo "== Binary sizes"
for arch in win64 win32; do
  for exe in Tavelund.exe standin-player.exe; do
    [ -f "build/$arch/$exe" ] && printf '%-6s %-20s %8d bytes\n' "$arch" "$exe" "$(stat -c %s "build/$arch/$exe")"
  done
done

echo "== Summary"
printf '%s\n' "${summary[@]}"
if [ -s "$TAVELUND_WINE_RERUNS" ]; then
  echo "wine: $(grep -c '' "$TAVELUND_WINE_RERUNS") test program(s) passed, then Wine's loader crashed as they exited; each ran again, and the second run counts:"
  sed 's/^/   /' "$TAVELUND_WINE_RERUNS"
fi
line="$passed passed, $failed failed"
[ "$skipped" -gt 0 ] && line+=", $skipped skipped"
echo "$line"
[ "$failed" -eq 0 ] || status=1
exit $status
