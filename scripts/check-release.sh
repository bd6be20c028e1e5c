#!/usr/bin/env bash
# The test command's release check: package.sh twice, into two folders
# (build/release-check/a and b, each with the commit unpacked and built
# there), then the two x86-64 programs, the two x86 programs and the two
# zips must be the same bytes, and the package must pass check-package.sh.
# Prints one "PASS ..." or "FAIL ..." line per check; exits non-zero when
# one failed.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# shellcheck source=release-lib.sh
source scripts/release-lib.sh

base=build/release-check
mkdir -p "$base"
status=0
zips=()
for run in a b; do
  made=$(scripts/package.sh --work "$base/$run" --out "$base/$run/dist" 2>"$base/$run.log") || true
  if [ -z "$made" ] || [ ! -f "$made" ]; then
    echo "FAIL release build $run: $(grep -m1 '^package.sh:\|^FAIL' "$base/$run.log" || tail -1 "$base/$run.log")"
    status=1
  fi
  zips+=("$made")
done

for preset in "win64 x86-64" "win32 x86"; do
  set -- $preset
  release_compare "$2 program" "$base/a/source/build/$1/Tavelund.exe" "$base/b/source/build/$1/Tavelund.exe" || status=1
done
release_compare "zip" "${zips[0]:-$base/a/dist/none.zip}" "${zips[1]:-$base/b/dist/none.zip}" || status=1

if [ -n "${zips[0]}" ]; then
  if checked=$(scripts/check-package.sh "${zips[0]}"); then
    echo "PASS package: $checked"
  else
    echo "FAIL package: $(sed 's/^FAIL //' <<<"$checked" | paste -sd ';' -)"
    status=1
  fi
else
  echo "FAIL package: not checked, no zip was made"
  status=1
fi
exit $status
