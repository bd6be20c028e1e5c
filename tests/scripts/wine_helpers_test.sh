#!/usr/bin/env bash
# The Wine helpers say why they cannot go on: a loader that cannot start, an
# Xvfb that does not come up and a prefix that cannot be made each end in one
# line naming the cause and a non-zero status, never silently. Stand-in
# loaders, servers and X servers play the broken parts; nothing real starts.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/check_lib.sh" wine-helpers
# one_line WHAT STATUS OUTPUT REGEX: a non-zero status and exactly one line
# of output, matching REGEX.
one_line() {
  [ "$2" -ne 0 ] || fail "$1: status 0" "$3"
  [ "$(grep -c '' <<<"$3")" -eq 1 ] || fail "$1: not exactly one line" "$3"
  grep -qE -- "$4" <<<"$3" || fail "$1: no line matching /$4/" "$3"
}
# helper BODY: runs BODY in a shell that sourced wine-env.sh as helper "t".
helper() { WINE_WHO=t bash -c "source '$root/scripts/wine-env.sh'; $1" 2>&1; }

printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000' > "$work/refused"
chmod +x "$work/refused"
printf '#!/bin/sh\n[ "$1" = --version ] && { echo "wine-8.0 (stand-in)"; exit 0; }\necho "could not load kernel32.dll" >&2\nexit 1\n' > "$work/half-loader"
printf '#!/bin/sh\nexit 0\n' > "$work/quiet-server"
mkdir -p "$work/bin"
printf '#!/bin/sh\necho "(EE) Fatal server error: (EE) Cannot establish any listening sockets" >&2\nexit 1\n' > "$work/bin/Xvfb"
chmod +x "$work/half-loader" "$work/quiet-server" "$work/bin/Xvfb"

out=$(helper "WINE_LOADER='$work/refused'; wine_check_loader"); status=$?
one_line "refused 64-bit loader" $status "$out" "^t: Wine's 64-bit loader cannot start: .*refused --version: .*Exec format error \(exit 126\)$"

out=$(helper "WINE_LOADER='$work/none'; wine_check_loader"); status=$?
one_line "missing 64-bit loader" $status "$out" "^t: Wine's 64-bit loader .*/none is missing"

# The signature (and with it every prefix) needs a loader that starts.
out=$(helper "WINE_LOADER='$work/refused'; wine_signature >/dev/null"); status=$?
one_line "signature without a loader" $status "$out" "^t: Wine's 64-bit loader cannot start"

mkdir -p "$work/x/prefix"
out=$(PATH="$work/bin:$PATH" TAVELUND_PRIVATE_X=1 helper "wine_ensure_display '$work/x/prefix'"); status=$?
one_line "Xvfb that does not come up" $status "$out" "^t: the private Xvfb did not come up \(5 tries, .*Cannot establish any listening sockets\)$"
[ ! -e "$work/x/xvfb.display" ] || fail "a display number was kept for an Xvfb that never came up"

mkdir -p "$work/p/prefix"
out=$(WINEPREFIX="$work/p/prefix" helper "WINE_LOADER='$work/half-loader'; WINESERVER='$work/quiet-server'; wine_ensure_prefix '$work/p/prefix'"); status=$?
one_line "prefix that cannot be made" $status "$out" "^t: could not set HKCU.*Explorer in the prefix .*/p/prefix \(reg add: exit 1; log: .*\)$"
[ ! -e "$work/p/prefix/.tavelund-ready" ] || fail "a prefix that could not be made is marked ready"
grep -q 'could not load kernel32.dll' "$work/p/prefix/.tavelund-setup.log" 2>/dev/null ||
  fail "the set-up log does not keep what Wine said" "$(cat "$work/p/prefix/.tavelund-setup.log" 2>/dev/null)"

# A loader that dies of SIGSEGV after the tests passed runs the program once
# more, and only once; a crash after a failed test is the verdict as it stands.
cat > "$work/crashing-loader" <<'LOADER'
#!/bin/bash
runs=$(( $(cat "$RUNS" 2>/dev/null || echo 0) + 1 ))
echo $runs > "$RUNS"
echo "[ RUN      ] Suite.Case"
if [ "$VERDICT" = passed ]; then echo "[  PASSED  ] 1 test."; else echo "[  FAILED  ] Suite.Case"; fi
ulimit -c 0
[ $runs -le "$CRASHES" ] && kill -SEGV $$
exit 0
LOADER
chmod +x "$work/crashing-loader"
# crashing RUNS_FILE CRASHES VERDICT: wine_run_logged with that loader.
crashing() {
  TAVELUND_WINE_RERUNS=$work/reruns RUNS=$1 CRASHES=$2 VERDICT=$3 helper "WINE_LOADER='$work/crashing-loader'; wine_run_logged '$work/out' tests.exe"
}
out=$(crashing "$work/once" 1 passed); status=$?
[ $status -eq 0 ] || fail "a crash after passing, then a clean run: status $status" "$out"
[ "$(cat "$work/once")" = 2 ] || fail "a crash after passing: not run exactly twice" "$out"
expect "a crash after passing" "$out" "^t: Wine's loader died of SIGSEGV while tests.exe was exiting, after its tests had passed; running it once more$"
[ "$(grep -c 'tests.exe was exiting' "$work/reruns" 2>/dev/null)" = 1 ] || fail "the rerun is not noted for the summary" "$(cat "$work/reruns" 2>/dev/null)"
out=$(crashing "$work/twice" 2 passed); status=$?
[ $status -eq 139 ] || fail "two crashes after passing: status $status, not 139" "$out"
[ "$(cat "$work/twice")" = 2 ] || fail "two crashes after passing: not run exactly twice" "$out"
out=$(crashing "$work/failed" 1 failed); status=$?
[ $status -eq 139 ] || fail "a crash after a failed test: status $status, not 139" "$out"
[ "$(cat "$work/failed")" = 1 ] || fail "a crash after a failed test was run again" "$out"
[ "$(grep -c '' "$work/reruns")" = 2 ] || fail "not exactly the two reruns noted" "$(cat "$work/reruns")"

finish "Wine helper failures"
