#!/usr/bin/env bash
# check-package.sh ZIP: checks a release package as a user would get it. The
# zip is named Tavelund-<version>.zip and holds exactly the expected entries;
# each program is the right one of the two (x86-64 in 64bit, x86 in 32bit),
# passes the shipped program's checks (check-binaries.sh: system DLLs only,
# ASLR and DEP, size) and carries <version> in its version resource; the
# sums in SHA256SUMS match; the texts are UTF-8 with a byte order mark and
# CR LF. Prints one line per fault ("FAIL ..."), or one line saying what
# checked out; exits non-zero on a fault.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=release-lib.sh
source "$here/release-lib.sh"

[ $# -eq 1 ] || { echo "usage: scripts/check-package.sh ZIP" >&2; exit 2; }
zip=$1
faults=0
fault() { echo "FAIL $zip: $*"; faults=$((faults + 1)); }

[ -f "$zip" ] || { fault "no such file"; exit 1; }
version=$(basename "$zip" | sed -n 's/^Tavelund-\([0-9]\+\.[0-9]\+\)\.zip$/\1/p')
[ -n "$version" ] || fault "the name is not Tavelund-<major>.<minor>.zip"

entries=$(unzip -Z1 "$zip" 2>&1) || { fault "unzip cannot list it: $(head -1 <<<"$entries")"; exit 1; }
expected=$(printf '%s\n' "${RELEASE_ENTRIES[@]}")
[ "$entries" = "$expected" ] || fault "holds $(tr '\n' ' ' <<<"$entries")instead of $(tr '\n' ' ' <<<"$expected")"

# Extra fields would hold the packer's times, uids and gids.
zipinfo -v "$zip" 2>/dev/null | grep -q 'length of extra field: *[1-9]' && fault "entries carry extra fields"

unpacked=$(mktemp -d "${TMPDIR:-/tmp}/check-package.XXXXXX")
trap 'rm -rf "$unpacked"' EXIT
unzip -q "$zip" -d "$unpacked" || { fault "does not unpack"; exit 1; }

for program in "${RELEASE_PROGRAMS[@]}"; do
  read -r folder tool format <<<"$program"
  exe=$unpacked/$folder/Tavelund.exe
  [ -f "$exe" ] || { fault "no $folder/Tavelund.exe"; continue; }
  found=$("$tool-objdump" -f "$exe" 2>/dev/null | sed -n 's/.*file format \(.*\)$/\1/p')
  [ "$found" = "$format" ] || fault "$folder/Tavelund.exe is ${found:-no program}, not $format"
  checked=$("$here/check-binaries.sh" "$unpacked/$folder" "$tool-objdump" 2>&1) ||
    fault "$folder/Tavelund.exe: $(grep '^FAIL' <<<"$checked" | sed "s|^FAIL $exe ||" | paste -sd ';' -)"
  if [ -n "$version" ]; then
    versions=$(release_versions "$exe" "$tool" | paste -sd ' ' -)
    wanted=$(release_expected_versions "$version" | paste -sd ' ' -)
    [ "$versions" = "$wanted" ] ||
      fault "$folder/Tavelund.exe's version resource says '${versions:-nothing windres can read}', the name says $version ('$wanted')"
  fi
done

sums=$unpacked/SHA256SUMS
if [ -f "$sums" ]; then
  named=$(sed -e 's/\r$//' -e 's/^[0-9a-f]\{64\}  //' "$sums" | paste -sd ' ' -)
  [ "$named" = "64bit/Tavelund.exe 32bit/Tavelund.exe" ] || fault "SHA256SUMS names '$named', not the two programs"
  wrong=$(cd "$unpacked" && sha256sum -c --strict --quiet SHA256SUMS 2>&1) ||
    fault "SHA256SUMS does not match: $(paste -sd ';' - <<<"$wrong")"
fi

for text in "${RELEASE_TEXTS[@]}"; do
  file=$unpacked/$text
  [ -s "$file" ] || { [ -e "$file" ] && fault "$text is empty"; continue; }
  [ "$(head -c 3 "$file" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fault "$text has no UTF-8 byte order mark"
  iconv -f UTF-8 -t UTF-8 "$file" >/dev/null 2>&1 || fault "$text is not UTF-8"
  ! grep -q $'[^\r]$' "$file" && ! grep -q '^$' "$file" || fault "$text has lines that do not end in CR LF"
done

[ $faults -eq 0 ] || exit 1
echo "$zip: both programs checked, version $version in both version resources, sums match, texts are UTF-8"
