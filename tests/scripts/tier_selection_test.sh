#!/usr/bin/env bash
# The test command's choice of tiers and its counting: the x86 tier runs
# exactly where 32-bit Windows programs can run and is otherwise reported
# skipped with the reason, with the probe's answer forced both ways and the
# probe itself tried against loaders that start and loaders the kernel
# refuses; and a tier's ctest run is counted as ctest itself reports it.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/check_lib.sh" tier-selection
# expect_not WHAT TEXT REGEX: no line of TEXT matches REGEX.
expect_not() { ! grep -qE -- "$3" <<<"$2" || fail "$1: a line matches /$3/" "$2"; }
# expect_lines WHAT TEXT N: TEXT has exactly N lines.
expect_lines() { [ "$(grep -c '' <<<"$2")" -eq "$3" ] || fail "$1: not exactly $3 lines" "$2"; }

# ---- The plan, with the probe's answer forced ----
plan() { env -u TAVELUND_WIN32_RUNS ${1:+TAVELUND_WIN32_RUNS=$1} "$root/scripts/test.sh" --plan 2>&1; }

out=$(plan 1); status=$?
[ $status -eq 0 ] || fail "forced 1: test.sh --plan exit $status" "$out"
expect_lines "forced 1" "$out" 3
expect "forced 1" "$out" '^native: runs \('
expect "forced 1" "$out" '^win64: runs \(.*/usr/lib/wine/wine64'
expect "forced 1" "$out" '^win32: runs \(.*TAVELUND_WIN32_RUNS=1'
expect_not "forced 1" "$out" 'skipped'

out=$(plan 0); status=$?
[ $status -eq 0 ] || fail "forced 0: test.sh --plan exit $status" "$out"
expect_lines "forced 0" "$out" 3
expect "forced 0" "$out" '^native: runs \('
expect "forced 0" "$out" '^win64: runs \('
expect "forced 0" "$out" '^win32: skipped: .*cannot run here.*TAVELUND_WIN32_RUNS=0|^win32: skipped: .*TAVELUND_WIN32_RUNS=0.*cannot run here'
expect_not "forced 0" "$out" '^win32: runs'

out=$(plan maybe); status=$?
[ $status -ne 0 ] || fail "an unknown answer: test.sh --plan exit 0" "$out"
expect_lines "an unknown answer" "$out" 1
expect "an unknown answer" "$out" "TAVELUND_WIN32_RUNS.*'maybe'"

# Unforced, the plan follows the probe on this machine, whichever it says.
out=$(plan ""); status=$?
[ $status -eq 0 ] || fail "unforced: test.sh --plan exit $status" "$out"
expect_lines "unforced" "$out" 3
expect "unforced" "$out" '^win32: (runs \(.+\)|skipped: .+)$'

# ---- The probe itself, against stand-in loaders ----
# probe LOADER: WIN32_RUNS, then WIN32_WHY, then the plan's x86 line, with
# TAVELUND_WIN32_RUNS unset and LOADER as Wine's 32-bit loader.
probe() {
  (
    unset TAVELUND_WIN32_RUNS
    source "$root/scripts/wine-env.sh"
    source "$root/scripts/tiers.sh"
    WINE_LOADER_I386=$1
    wine_win32_probe || exit 1
    echo "$WIN32_RUNS"
    echo "$WIN32_WHY"
    tier_plan_lines | grep '^win32:'
  ) 2>&1
}

out=$(probe "$work/no-such-loader")
expect_lines "no 32-bit loader" "$out" 3
expect "no 32-bit loader" "$(head -1 <<<"$out")" '^0$'
expect "no 32-bit loader" "$out" "^win32: skipped: .*no-such-loader is not installed"

# What a kernel without 32-bit emulation does to the i386 loader: it refuses
# to execute it. A file that claims to be ELF and is not gets the same answer.
printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000' > "$work/refused-loader"
chmod +x "$work/refused-loader"
out=$(probe "$work/refused-loader")
expect_lines "refused loader" "$out" 3
expect "refused loader" "$(head -1 <<<"$out")" '^0$'
expect "refused loader" "$out" '^win32: skipped: .*refused-loader --version failed: .*Exec format error \(exit 126\)$'

printf '#!/bin/sh\necho "error while loading shared libraries: libc.so.6" >&2\nexit 127\n' > "$work/broken-loader"
chmod +x "$work/broken-loader"
out=$(probe "$work/broken-loader")
expect "broken loader" "$(head -1 <<<"$out")" '^0$'
expect "broken loader" "$out" '^win32: skipped: .*broken-loader --version failed: error while loading shared libraries: libc.so.6 \(exit 127\)$'

printf '#!/bin/sh\necho "wine-8.0 (stand-in)"\n' > "$work/good-loader"
chmod +x "$work/good-loader"
out=$(probe "$work/good-loader")
expect_lines "working loader" "$out" 3
expect "working loader" "$(head -1 <<<"$out")" '^1$'
expect "working loader" "$out" '^win32: runs \(.*good-loader --version runs \(wine-8\.0 \(stand-in\)\)\)$'

# The forced answer wins over the loader either way.
out=$(TAVELUND_WIN32_RUNS=0 bash -c 'source "$1/scripts/wine-env.sh"; WINE_LOADER_I386=$2; wine_win32_probe; echo "$WIN32_RUNS"' _ "$root" "$work/good-loader")
expect "forced 0 over a working loader" "$out" '^0$'
out=$(TAVELUND_WIN32_RUNS=1 bash -c 'source "$1/scripts/wine-env.sh"; WINE_LOADER_I386=$2; wine_win32_probe; echo "$WIN32_RUNS"' _ "$root" "$work/refused-loader")
expect "forced 1 over a refused loader" "$out" '^1$'

# ---- Counting a tier from ctest's own JUnit file ----
# count FILE STATUS: the tier line tier_count makes of it.
count() { ( source "$root/scripts/wine-env.sh"; source "$root/scripts/tiers.sh"; tier_count demo "$1" "$2"; echo "$T_LINE" ); }

if command -v ctest >/dev/null && command -v cmake >/dev/null; then
  mkdir -p "$work/project"
  cat > "$work/project/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(counting NONE)
enable_testing()
add_test(NAME passes COMMAND sh -c "exit 0")
add_test(NAME passes-too COMMAND sh -c "exit 0")
add_test(NAME fails COMMAND sh -c "exit 1")
add_test(NAME skips COMMAND sh -c "exit 77")
set_tests_properties(skips PROPERTIES SKIP_RETURN_CODE 77)
CMAKE
  if cmake -S "$work/project" -B "$work/project/build" >"$work/cmake.log" 2>&1; then
    ( cd "$work/project/build" && ctest --output-junit "$work/mixed.xml" >/dev/null 2>&1 ); status=$?
    [ $status -ne 0 ] || fail "ctest passed a run with a failing test"
    expect "mixed run" "$(count "$work/mixed.xml" "$status")" '^demo: ran 3 tests: 2 passed, 1 failed, 1 skipped$'
    ( cd "$work/project/build" && ctest -R '^passes' --output-junit "$work/passing.xml" >/dev/null 2>&1 ); status=$?
    expect "passing run" "$(count "$work/passing.xml" "$status")" '^demo: ran 2 tests: 2 passed, 0 failed, 0 skipped$'
    # ctest failing although none of its results failed (a test list that
    # could not be made) counts as a failure.
    expect "passing results, failing ctest" "$(count "$work/passing.xml" 8)" '^demo: ran 2 tests: 2 passed, 1 failed, 0 skipped; ctest failed \(exit 8\)'
    ( cd "$work/project/build" && ctest -R '^nothing$' --output-junit "$work/empty.xml" >/dev/null 2>&1 ); status=$?
    expect "empty run" "$(count "$work/empty.xml" "$status")" '^demo: ran 0 tests: 0 passed, 1 failed, 0 skipped; no test ran$'
  else
    fail "the counting project did not configure" "$(cat "$work/cmake.log")"
  fi
else
  fail "cmake and ctest are needed to try the counting"
fi
expect "no results" "$(count "$work/no-such.xml" 1)" '^demo: ran 0 tests: 0 passed, 1 failed, 0 skipped; no results from ctest \(exit 1\)$'

finish "tier selection and counting"
