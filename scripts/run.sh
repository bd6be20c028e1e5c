#!/usr/bin/env bash
# The run command: installs what is missing, builds the Windows x86-64 program
# and the stand-in player, and runs both under Wine with a demo schedule whose
# window opens about 12 seconds after start and lasts a minute.
#   On $DISPLAY: the program runs until you close it.
#   Without a display (or with TAVELUND_PRIVATE_X=1): a private Xvfb. The
#   program must start the stand-in player, hand its plug-in the demo
#   recording on time and see it end; screenshots are written to
#   build/demo/screenshot-recording.png and build/demo/screenshot-done.png,
#   and the recordings made are listed with their sizes.
# Anything that fails ends the command with one line saying what failed and
# a non-zero exit. Whichever way it ends (Ctrl-C included) it ends what it
# started: the program, the stand-in, their wineserver and the Xvfb.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
say() { echo "run.sh: $*" >&2; }

demo=$root/build/demo
prefix=$root/build/wineprefix
journal=$demo/standin-journal.txt
wine_output=$demo/wine-output.txt
# shellcheck source=wine-env.sh
source scripts/wine-env.sh
wine_export_env "$prefix"

headless=0
if [ -z "${DISPLAY:-}" ] || [ -n "${TAVELUND_PRIVATE_X:-}" ]; then
  headless=1
  export TAVELUND_PRIVATE_X=1
fi

# What this run started, so that it ends exactly that and nothing of others.
own_display=0
own_server=0
program_pid=""

# The Wine processes of the prefix that still run (zombies do not).
prefix_processes() {
  local d
  for d in /proc/[0-9]*; do
    case "$(readlink "$d/exe" 2>/dev/null)" in /usr/lib/wine/*) ;; *) continue ;; esac
    tr '\0' '\n' 2>/dev/null < "$d/environ" | grep -qxF "WINEPREFIX=$prefix" || continue
    wine_alive "${d#/proc/}" || continue
    echo "${d#/proc/} $(tr '\0' ' ' < "$d/cmdline" 2>/dev/null)"
  done
}

cleanup() {
  local status=$? left
  trap - EXIT INT TERM
  set +e
  if [ $own_server = 1 ]; then
    # Ends the program, the stand-in and Wine's own processes with the server.
    wine_stop_prefix "$prefix" || status=1
  else
    # Someone else's session: end only our two programs.
    if [ -n "$program_pid" ] && wine_alive "$program_pid"; then kill "$program_pid" 2>/dev/null; fi
    standin=$(sed -n 's/.* ready pid=\([0-9]*\) .*/\1/p' "$journal" 2>/dev/null | tail -1)
    [ -n "$standin" ] && "$WINE_LOADER" taskkill /f /pid "$standin" </dev/null >/dev/null 2>&1
  fi
  if [ -n "$program_pid" ]; then
    for _ in $(seq 50); do wine_alive "$program_pid" || break; sleep 0.1; done
    wait "$program_pid" 2>/dev/null
  fi
  if [ $own_display = 1 ]; then
    wine_stop_display "$root/build" || status=1
  fi
  if [ $own_server = 1 ]; then
    left=$(prefix_processes)
    if [ -n "$left" ]; then
      say "still running after the end: $(echo "$left" | tr '\n' ';')"
      status=1
    fi
  fi
  exit $status
}
trap cleanup EXIT
trap 'say "interrupted: ending what it started"; exit 130' INT
trap 'say "terminated: ending what it started"; exit 143' TERM

scripts/install-deps.sh
cmake --preset win64 >/dev/null || { say "build/win64 could not be configured"; exit 1; }
cmake --build --preset win64 --target Tavelund standin-player || { say "the build of Tavelund.exe and standin-player.exe failed"; exit 1; }

# The display and the prefix are ready before the program starts and before
# anything asks for the display's number.
wine_check_loader || exit 1
mkdir -p "$prefix"
if [ $headless = 1 ]; then
  wine_display_running "$root/build" || own_display=1
fi
wine_ensure_display "$prefix" || exit 1
wine_server_running "$prefix" || own_server=1
wine_ensure_prefix "$prefix" || exit 1

rm -rf "$demo"
mkdir -p "$demo/recordings"
cp build/win64/Tavelund.exe build/win64/standin-player.exe "$demo/"

# Z: is the Linux root inside the prefix.
winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }
clock() { date -d "@$1" '+%-H:%-M:%-S'; }
show() { date -d "@$1" '+%H:%M:%S'; }
now=$(date +%s)
start=$((now + 12))
end=$((start + 60))
pattern="$(winpath "$demo/recordings")\\%4Y%2M%2D\\demo_%2h%2m%2s.mp3"
{
  printf '[Config]\r\n'
  printf 'WINAMP.EXE=%s\r\n' "$(winpath "$demo/standin-player.exe")"
  printf '[MP3Schedule]\r\n'
  printf '0=%s %s %s|4 1 -1 0\r\n' "$(clock $start)" "$(clock $end)" "$pattern"
  printf '1=6:30:0 7:0:0 %s|3 0 62 3\r\n' "$(winpath "$demo/recordings")\\morning_%W.mp3"
  printf '2=21:0:0 22:30:0 %s|5 1 65 1\r\n' "$(winpath "$demo/recordings")\\evening_%4Y%2M%2D.mp3"
  printf '3=\r\n'
  # Clear of the stand-in's windows, which sit at the top right.
  printf '[DlgPos]\r\nTavelund=%d %d %d %d\r\n' 30 150 480 380
} > "$demo/Tavelund.INI"
echo "Demo folder: $demo (recording window $(show $start) - $(show $end), local time)"

# The program starts the stand-in itself, as it would start the player. It
# runs in a session of its own, so that a Ctrl-C reaches this script, which
# then ends everything in order, and not the Wine processes on the way.
setsid -w "$WINE_LOADER" "$demo/Tavelund.exe" </dev/null >"$wine_output" 2>&1 &
program_pid=$!

if [ $headless = 0 ]; then
  echo "Running on $DISPLAY; close the window to end."
  status=0
  wait "$program_pid" || status=$?
  program_pid=""
  [ $status -eq 0 ] || { say "Tavelund.exe ended with exit $status (Wine's output: $wine_output)"; exit 1; }
  exit 0
fi

display=$DISPLAY
program_ended() {
  local status=0
  wait "$program_pid" 2>/dev/null || status=$?
  program_pid=""
  say "Tavelund.exe ended $1 (exit $status; Wine's output: $wine_output)"
  exit 1
}
# wait_journal UNTIL PATTERN WHEN: waits until the stand-in's journal has a
# line matching PATTERN; fails when UNTIL (epoch seconds) passes, and ends the
# run when the program ends first, saying it ended WHEN (as sleep_until does).
wait_journal() {
  while ! grep -qE "$2" "$journal" 2>/dev/null; do
    wine_alive "$program_pid" || program_ended "$3"
    [ "$(date +%s)" -lt "$1" ] || return 1
    sleep 0.5
  done
}
last_journal_line() { tail -1 "$journal" 2>/dev/null | tr -d '\r' || true; }
sleep_until() { while [ "$(date +%s)" -lt "$1" ]; do wine_alive "$program_pid" || program_ended "$2"; sleep 0.5; done; }
shot() {
  if ! xwd -display "$display" -root -silent | convert xwd:- -crop 1024x768+0+0 +repage "$1"; then
    say "the screenshot of display $display could not be written to $1"
    exit 1
  fi
  shots+=("$1")
}
shots=()

# The program is up when the player it starts on start-up is up.
wait_journal $((now + 30)) ' ready ' "before it started the player" ||
  { say "the player was not started: standin-player.exe wrote no 'ready' to $journal within 30 s (Tavelund.exe runs)"; exit 1; }
echo "Tavelund.exe started the stand-in player."

wait_journal $((start + 10)) ' request ' "before the demo window opened" ||
  { say "the plug-in got no recording request by $(show $((start + 10))): Tavelund.exe did not find it or did not start the demo window (last journal line: $(last_journal_line))"; exit 1; }
wait_journal $((start + 10)) ' start existed=' "before the recording started" ||
  { say "the plug-in did not start recording by $(show $((start + 10))) (last journal line: $(last_journal_line))"; exit 1; }
echo "Recording since $(sed -n 's/^\([0-9:.]*\) .* start existed=.*/\1/p' "$journal" | head -1)."

sleep_until $((start + 8)) "during the recording"
shot "$demo/screenshot-recording.png"
convert "$demo/screenshot-recording.png" -crop 480x380+30+150 +repage "$demo/main-window.png" ||
  { say "the main window could not be cut out of $demo/screenshot-recording.png"; exit 1; }
shots+=("$demo/main-window.png")

wait_journal $((end + 10)) ' stop bytes=' "before the recording stopped" ||
  { say "the recording did not stop by $(show $((end + 10))) (last journal line: $(last_journal_line))"; exit 1; }
sleep_until $((end + 4)) "after the recording"
shot "$demo/screenshot-done.png"

recordings=$(find "$demo/recordings" -type f -name 'demo_*.mp3' -size +0 -printf '  %P (%s bytes)\n')
[ -n "$recordings" ] || { say "no recording was made in $demo/recordings (the journal says: $(grep ' stop ' "$journal" | tr -d '\r' | head -1))"; exit 1; }
echo "Recordings made:"
echo "$recordings"
echo "Screenshots written:"
printf '  %s\n' "${shots[@]}"
