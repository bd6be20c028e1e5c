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
# bytes, else "FAIL WHAT ..." naming how many bytes differ and where: in a
# program the PE header's time stamp and checksum by name, the rest by the
# first offset. Returns non-zero on FAIL.
release_compare() {
  local what=$1 a=$2 b=$3 size_a size_b pe=-1 where
  if [ ! -f "$a" ] || [ ! -f "$b" ]; then
    echo "FAIL $what: not compared, $( [ -f "$a" ] && echo "$b" || echo "$a") is missing"
    return 1
  fi
  if cmp -s "$a" "$b"; then
    echo "PASS $what: the same $(stat -c %s "$a") bytes from both builds"
    return 0
  fi
  size_a=$(stat -c %s "$a") size_b=$(stat -c %s "$b")
  if [ "$size_a" != "$size_b" ]; then
    echo "FAIL $what: the two builds differ in size ($size_a and $size_b bytes)"
    return 1
  fi
  # A program's PE header lies at the little-endian offset found at 0x3c.
  [ "$(head -c 2 "$a")" = MZ ] && pe=$(od -An -t u4 -j 60 -N 4 "$a" | tr -d ' ')
  where=$(cmp -l "$a" "$b" | awk -v pe="$pe" '
    { o = $1 - 1; n++
      if (pe >= 0 && o >= pe + 8 && o < pe + 12) stamp = 1
      else if (pe >= 0 && o >= pe + 88 && o < pe + 92) sum = 1
      else if (other == "") other = sprintf("0x%x", o) }
    END { s = n " bytes:"
          if (stamp) s = s " the PE header'"'"'s time stamp,"
          if (sum) s = s " the PE checksum,"
          if (other != "") s = s " contents from offset " other " on,"
          print substr(s, 1, length(s) - 1) }')
  echo "FAIL $what: the two builds differ in $where"
  return 1
}
