# The release package's parts, shared by package.sh (which makes it),
# check-package.sh (which checks one), check-release.sh (the test command's
# check) and their test. Sourced; every function returns non-zero on failure.

# What the zip holds, in the order it holds it.
RELEASE_ENTRIES=(64bit/Tavelund.exe 32bit/Tavelund.exe README-ko.txt CHANGES.txt SHA256SUMS)
# Each program's folder, the tool prefix that reads it and the format it must have.
RELEASE_PROGRAMS=("64bit x86_64-w64-mingw32 pei-x86-64" "32bit i686-w64-mingw32 pei-i386")
RELEASE_TEXTS=(README-ko.txt CHANGES.txt)

# release_text < MARKDOWN > TEXT: Markdown as a text file every Notepad shows:
# UTF-8 with a byte order mark, CR LF, no pictures, no emphasis or code marks,
# table rows as "cell — cell" without their rules, no runs of blank lines.
release_text() {
  printf '\357\273\277'
  sed -e '/^!\[.*\](.*)$/d' -e '/^|[-| :]*|$/d' -e 's/\*\*//g' -e 's/`//g' -e 's/^#\{1,6\} //' \
      -e 's/^| \(.*\) |$/\1/' -e 's/ | / — /g' |
    cat -s | sed -e '1{/^$/d}' -e 's/$/\r/'
}

# release_readme README VERSION COMMIT > TEXT: the README's Korean section
# (from its "Windows" heading to the next one) under a title line.
release_readme() {
  local section
  section=$(sed -n '/^## Windows에서 /,/^## /{/^## /!p}' "$1")
  [ -n "$section" ] || { echo "release: $1 has no Korean section (## Windows에서 ...)" >&2; return 1; }
  printf 'Tavelund %s — 도르멘티 녹음 스케쥴러 (커밋 %s)\n\n%s\n' "$2" "$3" "$section" | release_text
}

# release_sums STAGE > SHA256SUMS: the programs' sums, as sha256sum -c and
# a Windows user comparing by eye read them.
release_sums() {
  local entry
  for entry in "${RELEASE_PROGRAMS[@]}"; do
    (cd "$1" && sha256sum "${entry%% *}/Tavelund.exe") || return 1
  done | sed 's/$/\r/'
}

# release_zip STAGE ZIP EPOCH: zips the entries of STAGE into ZIP (a new
# file) so that the same contents give the same bytes: the entries in one
# order, every time EPOCH in universal time, fixed modes, no folder entries
# and no extra fields (they would hold times, uids and gids).
release_zip() {
  local stage=$1 zip=$2 epoch=$3
  case "$zip" in /*) ;; *) zip=$(pwd)/$zip ;; esac
  rm -f "$zip"
  (
    cd "$stage" || exit 1
    find . -type d -exec chmod 755 {} + && find . -type f -exec chmod 644 {} + &&
      find . -exec touch -h -d "@$epoch" {} + &&
      TZ=UTC zip -q -X -D -9 "$zip" "${RELEASE_ENTRIES[@]}"
  )
}

# release_versions EXE TOOL_PREFIX: the version resource's four versions, one
# a line: FILEVERSION and PRODUCTVERSION as "major.minor.build.revision", then
# the strings FileVersion and ProductVersion; read from the program's own bytes.
release_versions() {
  local rc
  rc=$("$2-windres" -i "$1" -O rc 2>/dev/null) || return 1
  sed -n -e 's/^ *\(FILEVERSION\|PRODUCTVERSION\) \([0-9]*\), \([0-9]*\), \([0-9]*\), \([0-9]*\) *$/\2.\3.\4.\5/p' <<<"$rc"
  sed -n -e 's/^ *VALUE "\(FileVersion\|ProductVersion\)", "\(.*\)" *$/\2/p' <<<"$rc"
}

# release_expected_versions VERSION: what release_versions gives for a
# program of VERSION ("1.10" has the numbers 1.10.0.0; "1.09" has 1.9.0.0).
release_expected_versions() {
  local major=${1%%.*} minor=${1#*.}
  local numbers="$((10#$major)).$((10#$minor)).0.0"
  printf '%s\n' "$numbers" "$numbers" "$1" "$1"
}

# release_compare WHAT A B: "PASS WHAT ..." when the two files are the same
# bytes, else "FAIL WHAT ..." naming how many bytes differ and where the first
# lies (in a program: the PE header's time stamp or checksum, when it is one
# of those). Returns non-zero on FAIL.
release_compare() {
  local what=$1 a=$2 b=$3 diff count first pe field=""
  if [ ! -f "$a" ] || [ ! -f "$b" ]; then
    echo "FAIL $what: not compared, $( [ -f "$a" ] && echo "$b" || echo "$a") is missing"
    return 1
  fi
  if cmp -s "$a" "$b"; then
    echo "PASS $what: the same $(stat -c %s "$a") bytes from both builds"
    return 0
  fi
  if [ "$(stat -c %s "$a")" != "$(stat -c %s "$b")" ]; then
    echo "FAIL $what: the two builds differ in size ($(stat -c %s "$a") and $(stat -c %s "$b") bytes)"
    return 1
  fi
  diff=$(cmp -l "$a" "$b")
  count=$(grep -c '' <<<"$diff")
  first=$(($(head -1 <<<"$diff" | awk '{print $1}') - 1))
  # The PE header's offset is the little-endian number at 0x3c.
  pe=$(od -An -t u4 -j 60 -N 4 "$a" 2>/dev/null | tr -d ' ')
  if [ "$(head -c 2 "$a")" = MZ ] && [ -n "$pe" ]; then
    if [ "$first" -ge $((pe + 8)) ] && [ "$first" -lt $((pe + 12)) ]; then field=" (the PE header's time stamp)"
    elif [ "$first" -ge $((pe + 88)) ] && [ "$first" -lt $((pe + 92)) ]; then field=" (the PE checksum)"
    fi
  fi
  printf 'FAIL %s: the two builds differ in %d bytes, the first at offset 0x%x%s\n' "$what" "$count" "$first" "$field"
  return 1
}
