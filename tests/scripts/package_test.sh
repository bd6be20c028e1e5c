#!/usr/bin/env bash
# The release package's parts and its check, on packages made of two small
# programs of our own (each with a version resource): a whole package passes
# check-package.sh; the same contents zipped again, elsewhere, from files of
# other times and modes, give the same bytes; and check-package.sh fails,
# naming the fault, on a tampered sum, a zip named for another version than
# its programs carry, swapped programs, a program without ASLR, a missing
# entry and texts that are not UTF-8 with CR LF. Two links of one program at
# different times are told apart by their PE time stamp.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/check_lib.sh" package
source "$root/scripts/release-lib.sh"

# program TOOL_PREFIX OUT [LINK_FLAG...]: a GUI program of version 1.10.
program() {
  local tool=$1 out=$2
  shift 2
  "$tool-windres" "$work/version.rc" -O coff -o "$work/$tool.res.o" &&
    "$tool-gcc" -Os -s -mwindows "$work/main.c" "$work/$tool.res.o" -o "$out" "$@"
}
cat >"$work/main.c" <<'C'
int main(void) { return 0; }
C
cat >"$work/version.rc" <<'RC'
1 VERSIONINFO
FILEVERSION 1, 10, 0, 0
PRODUCTVERSION 1, 10, 0, 0
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "041203b5"
    BEGIN
      VALUE "FileVersion", "1.10"
      VALUE "ProductVersion", "1.10"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x0412, 949
  END
END
RC
mkdir -p "$work/exe"
if ! { program x86_64-w64-mingw32 "$work/exe/64.exe" && program i686-w64-mingw32 "$work/exe/32.exe" &&
       program x86_64-w64-mingw32 "$work/exe/64-no-aslr.exe" -Wl,--disable-dynamicbase; } >"$work/build.log" 2>&1; then
  fail "the small programs did not build (MinGW-w64 is needed)" "$(cat "$work/build.log")"
  finish "release package"
  exit 1
fi

# stage DIR EXE64 EXE32: a package's files in DIR, made the way package.sh makes them.
stage() {
  mkdir -p "$1/64bit" "$1/32bit"
  cp "$2" "$1/64bit/Tavelund.exe"
  cp "$3" "$1/32bit/Tavelund.exe"
  release_readme "$root/README.md" 1.10 0123456789ab >"$1/README-ko.txt"
  release_text <"$root/CHANGES.md" >"$1/CHANGES.txt"
  release_sums "$1" >"$1/SHA256SUMS"
}
epoch=1796750298
# faulty WHAT STAGE_DIR REGEX...: zipped, the stage fails the check with a line matching each REGEX.
faulty() {
  local what=$1 zip=$work/$1.zip/Tavelund-1.10.zip out status regex
  mkdir -p "${zip%/*}"
  release_zip "$2" "$zip" $epoch || fail "$what: not zipped"
  out=$("$root/scripts/check-package.sh" "$zip" 2>&1); status=$?
  [ $status -ne 0 ] || fail "$what: the check passed" "$out"
  shift 2
  for regex in "$@"; do expect "$what" "$out" "$regex"; done
}

# ---- A whole package, and its bytes ----
stage "$work/good" "$work/exe/64.exe" "$work/exe/32.exe"
release_zip "$work/good" "$work/Tavelund-1.10.zip" $epoch || fail "the good package was not zipped"
out=$("$root/scripts/check-package.sh" "$work/Tavelund-1.10.zip" 2>&1) || fail "the good package fails its check" "$out"
expect "good package" "$out" 'version 1\.10 in both version resources, sums match'
readme=$(tr -d '\r' <"$work/good/README-ko.txt")
expect "read-me" "$readme" '^.{0,3}Tavelund 1\.10 — .*\(커밋 0123456789ab\)$'
expect "read-me" "$readme" 'certutil -hashfile Tavelund\.exe SHA256'
grep -qE '!\[|\*\*|`' <<<"$readme" && fail "the read-me keeps Markdown pictures, emphasis or code marks" "$readme"

# The same contents from elsewhere, with other times, modes, umask and time zone.
( export TZ=Asia/Seoul && umask 077 && mkdir -p "$work/else where" && stage "$work/else where/stage" "$work/exe/64.exe" "$work/exe/32.exe" &&
  find "$work/else where" -exec touch -d '2001-02-03 04:05:06' {} + && chmod 600 "$work/else where/stage/SHA256SUMS" &&
  release_zip "$work/else where/stage" "$work/else where/Tavelund-1.10.zip" $epoch )
cmp -s "$work/Tavelund-1.10.zip" "$work/else where/Tavelund-1.10.zip" ||
  fail "the same contents zipped elsewhere give other bytes" "$(cmp -l "$work/Tavelund-1.10.zip" "$work/else where/Tavelund-1.10.zip" | head -5)"
release_zip "$work/good" "$work/later.zip" $((epoch + 86400))
cmp -s "$work/Tavelund-1.10.zip" "$work/later.zip" && fail "the zip does not carry the time it is given"

# ---- What the check must refuse ----
cp -r "$work/good" "$work/sum"
awk 'NR == 2 { $0 = (substr($0, 1, 1) == "0" ? "1" : "0") substr($0, 2) } 1' "$work/good/SHA256SUMS" >"$work/sum/SHA256SUMS"
faulty "tampered sum" "$work/sum" 'SHA256SUMS does not match: 32bit/Tavelund\.exe: FAILED'

mkdir -p "$work/other-version"
cp "$work/Tavelund-1.10.zip" "$work/other-version/Tavelund-1.11.zip"
out=$("$root/scripts/check-package.sh" "$work/other-version/Tavelund-1.11.zip" 2>&1) && fail "a zip named 1.11 holding 1.10 passes" "$out"
expect "other version" "$out" "64bit/Tavelund\.exe's version resource says '1\.10\.0\.0 1\.10\.0\.0 1\.10 1\.10', the name says 1\.11"
expect "other version" "$out" "32bit/Tavelund\.exe's version resource says .*the name says 1\.11"

stage "$work/swapped" "$work/exe/32.exe" "$work/exe/64.exe"
faulty "swapped programs" "$work/swapped" '64bit/Tavelund\.exe is pei-i386, not pei-x86-64'

stage "$work/no-aslr" "$work/exe/64-no-aslr.exe" "$work/exe/32.exe"
faulty "no ASLR" "$work/no-aslr" '64bit/Tavelund\.exe: lacks DYNAMIC_BASE'

cp -r "$work/good" "$work/missing"
rm "$work/missing/32bit/Tavelund.exe"
faulty "missing program" "$work/missing" 'holds 64bit/Tavelund\.exe README-ko\.txt .*instead of'

cp -r "$work/good" "$work/texts"
{ printf '\357\273\277'; printf '\xb3\xec\xc0\xbd\r\n'; } >"$work/texts/README-ko.txt"
tr -d '\r' <"$work/good/CHANGES.txt" >"$work/texts/CHANGES.txt"
faulty "texts" "$work/texts" 'README-ko\.txt is not UTF-8' 'CHANGES\.txt has lines that do not end in CR LF'

# ---- Two links of one program, a second apart ----
for at in 1 2; do
  SOURCE_DATE_EPOCH=$((epoch + at)) x86_64-w64-mingw32-gcc -s "$work/main.c" -o "$work/exe/at$at.exe" || fail "link $at"
done
out=$(release_compare "x86-64 program" "$work/exe/at1.exe" "$work/exe/at2.exe") && fail "two link times compare equal" "$out"
expect "link times" "$out" "^FAIL x86-64 program: the two builds differ in [0-9]+ bytes: the PE header's time stamp, the PE checksum$"

finish "release package"
