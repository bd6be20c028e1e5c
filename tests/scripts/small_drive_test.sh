#!/usr/bin/env bash
# scripts/small-drive-run: the small drive is there only for the SmallDrive
# tests and only where it can be mounted (else the test learns why), and it
# is unmapped and unmounted again however the run ends. A stand-in takes
# wine-run's place and notes what the program would have found.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/check_lib.sh" small-drive
prefix=$work/build/wineprefix
mnt=$work/build/small-drive
cat > "$work/runner" <<STUB
#!/bin/sh
{ echo "drive=\${TAVELUND_SMALL_DRIVE:-} why=\${TAVELUND_SMALL_DRIVE_WHY:-}"
  mountpoint -q "$mnt" && echo mounted; [ -L "$prefix/dosdevices/t:" ] && echo linked; } > "$work/seen"
case "\${STUB_END:-}" in
  fail) exit 3 ;;
  term) kill -TERM \$PPID; sleep 1 ;;
esac
exit 0
STUB
mkdir -p "$work/bin"
printf '#!/bin/sh\n[ "$1" = -u ] && echo 1000 || echo someone\n' > "$work/bin/id"
chmod +x "$work/runner" "$work/bin/id"
run() { TAVELUND_WINE_RUN=$work/runner "$root/scripts/small-drive-run" "$prefix" prog.exe "$@" >/dev/null 2>&1; }
# taken_down WHAT: nothing of the drive is left.
taken_down() {
  ! mountpoint -q "$mnt" 2>/dev/null || { fail "$1: still mounted"; umount -l "$mnt"; }
  [ ! -e "$prefix/dosdevices/t:" ] || fail "$1: the drive is still mapped"
}

run --gtest_filter=Other.Test
expect "another test" "$(cat "$work/seen")" '^drive= why=$'
PATH="$work/bin:$PATH" run --gtest_filter=SmallDrive.X
expect "not root" "$(cat "$work/seen")" '^drive= why=mounting a tmpfs needs root; this runs as someone$'
taken_down "not root"

if [ "$(id -u)" = 0 ] && mkdir -p "$work/probe" && mount -t tmpfs -o size=1m probe "$work/probe" 2>/dev/null; then
  umount "$work/probe"
  run --gtest_filter=SmallDrive.X
  expect "mounted" "$(tr '\n' ' ' < "$work/seen")" '^drive=T:\\ why= mounted linked $'
  taken_down "a run that passed"
  STUB_END=fail run --gtest_filter=SmallDrive.X; status=$?
  [ $status -eq 3 ] || fail "the program's status is not passed on: $status"
  taken_down "a run that failed"
  STUB_END=term run --gtest_filter=SmallDrive.X; status=$?
  [ $status -eq 143 ] || fail "a run ended by TERM ends with $status"
  taken_down "a run ended by TERM"
else
  echo "small-drive: no tmpfs can be mounted here: the mounting runs are not checked"
fi
finish "small drive"
