#!/usr/bin/env bash
# The release package: builds Tavelund.exe for x86-64 and x86 from the
# current commit (uncommitted changes are left out), the shipped way (the
# win64 and win32 presets, MinSizeRel), in a fresh folder of its own, and
# writes dist/Tavelund-<version>.zip with both programs, the Korean read-me
# made from the README, the list of changes and SHA256SUMS; then checks the
# zip (check-package.sh) and prints its path.
#
#   scripts/package.sh [--work DIR] [--out DIR]
#     --work DIR  where the commit is unpacked and built (build/package)
#     --out DIR   where the zip goes (dist)
#
# The same commit gives the same zip, byte for byte, wherever it is built:
# its dates are the commit's, and the programs hold no time and no path.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
# shellcheck source=release-lib.sh
source scripts/release-lib.sh
say() { echo "package.sh: $*" >&2; }

work=build/package out=dist
while [ $# -gt 0 ]; do
  case "$1" in
    --work) work=${2:?}; shift 2 ;;
    --out) out=${2:?}; shift 2 ;;
    *) echo "usage: scripts/package.sh [--work DIR] [--out DIR]" >&2; exit 2 ;;
  esac
done
case "$work" in /*) ;; *) work=$root/$work ;; esac
case "$out" in /*) ;; *) out=$root/$out ;; esac

commit=$(git rev-parse --short=12 HEAD 2>/dev/null) || { say "not a git checkout: the package is built from a commit"; exit 1; }
[ -z "$(git status --porcelain)" ] || say "uncommitted changes are left out: the package is built from commit $commit"
# Every date in the package is the commit's (the compilers read it too).
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct HEAD)
export SOURCE_DATE_EPOCH

# The work folder is emptied first: only one this script made before.
if [ -d "$work" ] && [ -n "$(ls -A "$work")" ] && [ ! -f "$work/.package-work" ]; then
  say "$work is not empty and was not made by package.sh: choose another --work folder"
  exit 1
fi
rm -rf "$work"
mkdir -p "$work/source" "$out"
touch "$work/.package-work"
git archive HEAD | tar -x -C "$work/source"
for preset in win64 win32; do
  log=$work/$preset.log
  if ! (cd "$work/source" && cmake --preset "$preset" -DTAVELUND_WERROR=ON &&
        cmake --build --preset "$preset" --target Tavelund -j "$(nproc)") >"$log" 2>&1; then
    say "the $preset build failed: $(grep -m1 -E 'error|Error' "$log" || tail -1 "$log") (all of it in $log)"
    exit 1
  fi
done

version=$(sed -n 's/^#define TAVELUND_VERSION "\(.*\)"$/\1/p' "$work/source/build/win64/generated/resources/version.h")
[ -n "$version" ] || { say "the build made no version header"; exit 1; }
stage=$work/stage
mkdir -p "$stage/64bit" "$stage/32bit"
cp "$work/source/build/win64/Tavelund.exe" "$stage/64bit/"
cp "$work/source/build/win32/Tavelund.exe" "$stage/32bit/"
release_readme "$work/source/README.md" "$version" "$commit" >"$stage/README-ko.txt"
release_text <"$work/source/CHANGES.md" >"$stage/CHANGES.txt"
release_sums "$stage" >"$stage/SHA256SUMS"
zip=$out/Tavelund-$version.zip
release_zip "$stage" "$zip" "$SOURCE_DATE_EPOCH"
scripts/check-package.sh "$zip" >&2
echo "$zip"
