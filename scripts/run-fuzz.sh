#!/usr/bin/env bash
# run-fuzz.sh FUZZER WORK_CORPUS SEED_CORPUS SECONDS
# Runs one libFuzzer target for a bounded time. New inputs go to the work
# corpus in the build tree; the seeds kept in the repository are only read.
set -euo pipefail
fuzzer=$1 work=$2 seeds=$3 seconds=$4
mkdir -p "$work"
args=("$work")
[ -d "$seeds" ] && args+=("$seeds")
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$work/" -print_final_stats=1 "${args[@]}"
