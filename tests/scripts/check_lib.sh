# Sourced by the script tests: the checkout's root, a scratch folder removed
# on exit, and the failure counting. A failed check prints what it expected
# and the text it got, and the test goes on with the next check.
# Usage: source check_lib.sh NAME   (NAME names the scratch folder)
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

# fail WHAT [TEXT]
fail() {
  echo "FAIL: $1"
  [ -n "${2:-}" ] && printf '%s\n' "$2" | sed 's/^/  | /'
  failures=$((failures + 1))
}
# expect WHAT TEXT REGEX: TEXT has a line matching REGEX (extended).
expect() { grep -qE -- "$3" <<<"$2" || fail "$1: no line matching /$3/" "$2"; }

# finish WHAT: says that all checks passed, or ends with a failing status.
finish() {
  if [ $failures -eq 0 ]; then echo "$1: all checks passed"; fi
  [ $failures -eq 0 ]
}
