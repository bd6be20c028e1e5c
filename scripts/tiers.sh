# The test command's tiers: which of them run here, and how a tier's ctest
# run is counted. Sourced by test.sh (and by the test of this file), after
# wine-env.sh.

TIERS=(native win64 win32)

# tier_plan TIER: sets TIER_ACTION (run or skip) and TIER_WHY (one line).
# Only the x86 tier depends on the machine: it runs where 32-bit Windows
# programs can run (the caller ran wine_win32_probe first), and is skipped,
# with the probe's reason, everywhere else.
tier_plan() {
  case "$1" in
    native) TIER_ACTION=run; TIER_WHY="native code, no Wine" ;;
    win64) TIER_ACTION=run; TIER_WHY="x86-64 programs under Wine, $WINE_LOADER" ;;
    win32)
      if [ "$WIN32_RUNS" = 1 ]; then
        TIER_ACTION=run TIER_WHY="x86 programs under Wine; $WIN32_WHY"
      else
        TIER_ACTION=skip TIER_WHY=$WIN32_WHY
      fi ;;
    *) wine_fail "no tier '$1'"; return 1 ;;
  esac
}

# tier_plan_lines: one line per tier, "TIER: runs (WHY)" or "TIER: skipped: WHY".
tier_plan_lines() {
  local tier
  for tier in "${TIERS[@]}"; do
    tier_plan "$tier" || return 1
    if [ "$TIER_ACTION" = run ]; then
      echo "$tier: runs ($TIER_WHY)"
    else
      echo "$tier: skipped: $TIER_WHY"
    fi
  done
}

# junit_count FILE ATTRIBUTE: a count from the <testsuite> header of ctest's
# JUnit file (tests, failures, skipped, disabled); empty when there is none.
junit_count() {
  sed -n '/<testsuite/,/>/p' "$1" 2>/dev/null | grep -o "[[:space:]]$2=\"[0-9]*\"" | head -1 | grep -o '[0-9]\+'
}

# tier_count TIER JUNIT_FILE CTEST_STATUS: counts a tier's ctest run into
# T_RAN, T_PASSED, T_FAILED, T_SKIPPED and its summary line into T_LINE. A
# ctest that failed with no failed test (a test list that could not be made,
# an emulator that did not start) and a run of no test at all each count as
# one failure: neither may pass for success.
tier_count() {
  local tier=$1 junit=$2 status=$3 tests failures skipped disabled note=""
  tests=$(junit_count "$junit" tests)
  failures=$(junit_count "$junit" failures)
  skipped=$(junit_count "$junit" skipped)
  disabled=$(junit_count "$junit" disabled)
  if [ -z "$tests" ]; then
    tests=0 failures=0 skipped=0 disabled=0
    note="; no results from ctest (exit $status)"
    T_RAN=0 T_PASSED=0 T_FAILED=1 T_SKIPPED=0
  else
    T_SKIPPED=$((${skipped:-0} + ${disabled:-0}))
    T_FAILED=${failures:-0}
    T_RAN=$((tests - T_SKIPPED))
    T_PASSED=$((T_RAN - T_FAILED))
    if [ "$T_RAN" -eq 0 ]; then
      T_FAILED=$((T_FAILED + 1))
      note="; no test ran"
    elif [ "$status" -ne 0 ] && [ "$T_FAILED" -eq 0 ]; then
      T_FAILED=1
      note="; ctest failed (exit $status) with no failed test among its results: a test list could not be made or a test could not start (see its output above)"
    fi
  fi
  T_LINE="$tier: ran $T_RAN tests: $T_PASSED passed, $T_FAILED failed, $T_SKIPPED skipped$note"
}
