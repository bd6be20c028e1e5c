# Shared by wine-run, launch-test-prefix.sh, run.sh, test.sh, stop-wine.sh
# and bench.sh; sourced, not executed.
#
# Every Wine call goes through the 64-bit loader and server named here, never
# through /usr/bin/wine: once wine32 is installed that one prefers the i386
# loader, and a kernel without 32-bit emulation cannot start it at all, not
# even for `wine --version`. The 64-bit loader starts the i386 one by itself
# when it is handed a 32-bit program.
#
# A function that cannot do its job prints one line naming the cause (through
# wine_fail) and returns non-zero; the scripts stop on that.

WINE_LOADER=/usr/lib/wine/wine64
WINE_LOADER_I386=/usr/lib/wine/wine
WINESERVER=/usr/lib/wine/wineserver
WINE_VERSION=""

# wine_fail TEXT...: the one line a helper prints when it cannot go on.
wine_fail() {
  echo "${WINE_WHO:-${0##*/}}: $*" >&2
  return 1
}

# wine_last_line TEXT: the last non-empty line of a command's output.
wine_last_line() { printf '%s\n' "$1" | grep -v '^[[:space:]]*$' | tail -1; }

# wine_alive PID: the process exists and is not a zombie (exited processes
# stay zombies on machines whose PID 1 reaps nothing, and kill -0 takes them
# for alive).
wine_alive() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  [ "${stat%% *}" != Z ]
}

# wine_is_xvfb PID: PID is a live Xvfb (a noted pid may since belong to some
# other process, which must not be taken for ours).
wine_is_xvfb() { wine_alive "$1" && [ "$(cat "/proc/$1/comm" 2>/dev/null)" = Xvfb ]; }

# wine_export_env PREFIX: the environment every Wine call of this project runs
# in: the prefix, a 64-bit prefix, Wine quiet, code page 949 (Wine takes it
# from LC_ALL's name, per process, and a program started from a Windows
# program keeps its starter's), and no Mono, Gecko or menu entries.
# TAVELUND_WINE_LC_ALL names another locale for the run (the test of a system
# whose code page is not 949 uses en_US.UTF-8, which gives code page 1252).
wine_export_env() {
  export WINEPREFIX="$1"
  export WINEARCH=win64
  export WINEDEBUG=-all
  export LC_ALL=${TAVELUND_WINE_LC_ALL:-ko_KR.UTF-8}
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}

# wine_check_loader: the 64-bit loader and server are there and the loader
# starts; keeps its version in WINE_VERSION.
wine_check_loader() {
  [ -n "$WINE_VERSION" ] && return 0
  [ -x "$WINE_LOADER" ] || { wine_fail "Wine's 64-bit loader $WINE_LOADER is missing (package wine64; scripts/install-deps.sh installs it)"; return 1; }
  [ -x "$WINESERVER" ] || { wine_fail "the wineserver $WINESERVER is missing (package wine64; scripts/install-deps.sh installs it)"; return 1; }
  local out status=0
  out=$("$WINE_LOADER" --version 2>&1 </dev/null) || status=$?
  if [ $status -ne 0 ] || [ -z "$out" ]; then
    wine_fail "Wine's 64-bit loader cannot start: $WINE_LOADER --version: $(wine_last_line "$out") (exit $status)"
    return 1
  fi
  WINE_VERSION=$(wine_last_line "$out")
}

# The Wine build in use; a prefix made by another build must be made again.
wine_signature() {
  wine_check_loader || return 1
  echo "$(ls /usr/lib/wine 2>/dev/null | tr '\n' ' ')$WINE_VERSION"
}

# wine_win32_probe: whether this machine can run 32-bit Windows programs
# under this Wine. Sets WIN32_RUNS (1 or 0) and WIN32_WHY (one line saying
# why). The kernel decides: without 32-bit emulation it refuses to start the
# i386 loader ("Exec format error"), and then no 32-bit program can run here.
# TAVELUND_WIN32_RUNS=1 or 0 forces the answer (to try either path on any
# machine); any other value is an error (return 2).
wine_win32_probe() {
  WIN32_RUNS=0
  WIN32_WHY=""
  case "${TAVELUND_WIN32_RUNS:-}" in
    1) WIN32_RUNS=1; WIN32_WHY="TAVELUND_WIN32_RUNS=1 says 32-bit Windows programs run here"; return 0 ;;
    0) WIN32_WHY="TAVELUND_WIN32_RUNS=0 says 32-bit Windows programs cannot run here"; return 0 ;;
    "") ;;
    *) wine_fail "TAVELUND_WIN32_RUNS must be 0 or 1 (or unset), not '$TAVELUND_WIN32_RUNS'"; return 2 ;;
  esac
  if [ ! -e "$WINE_LOADER_I386" ]; then
    WIN32_WHY="32-bit Windows programs cannot run here: Wine's 32-bit loader $WINE_LOADER_I386 is not installed (package wine32:i386)"
    return 0
  fi
  local out status=0 line
  out=$("$WINE_LOADER_I386" --version 2>&1 </dev/null) || status=$?
  if [ $status -ne 0 ]; then
    line=$(wine_last_line "$out")
    # The shell's own message names the loader: keep only what it says of it.
    line=${line##*"$WINE_LOADER_I386": }
    WIN32_WHY="32-bit Windows programs cannot run here: $WINE_LOADER_I386 --version failed: ${line:-no output} (exit $status)"
    return 0
  fi
  WIN32_RUNS=1
  WIN32_WHY="$WINE_LOADER_I386 --version runs ($(wine_last_line "$out"))"
}

# wine_display_running STATE_DIR: the private Xvfb noted in STATE_DIR runs.
wine_display_running() {
  local num pid
  [ -f "$1/xvfb.display" ] && [ -f "$1/xvfb.pid" ] || return 1
  num=$(cat "$1/xvfb.display"); pid=$(cat "$1/xvfb.pid")
  wine_is_xvfb "$pid" && [ -e "/tmp/.X11-unix/X$num" ]
}

# wine_ensure_display PREFIX: keeps DISPLAY, or starts (once) a private Xvfb
# whose display number and pid are kept beside the prefix (PREFIX/../xvfb.*),
# and exports DISPLAY for it. Returns only when the display takes clients.
wine_ensure_display() {
  local state
  state=$(cd "$1/.." && pwd)
  if [ -n "${DISPLAY:-}" ] && [ -z "${TAVELUND_PRIVATE_X:-}" ]; then return 0; fi
  command -v Xvfb >/dev/null || { wine_fail "no display: DISPLAY is not set and Xvfb is not installed (package xvfb)"; return 1; }
  (
    flock 8
    wine_display_running "$state" && exit 0
    rm -f "$state/xvfb.pid" "$state/xvfb.display"
    num=90
    for attempt in 1 2 3 4 5; do
      while [ -e "/tmp/.X11-unix/X$num" ] || [ -e "/tmp/.X$num-lock" ]; do num=$((num + 1)); done
      Xvfb ":$num" -screen 0 1024x768x24 -nolisten tcp </dev/null >"$state/xvfb.log" 2>&1 8>&- &
      pid=$!
      # Up when its socket is there and the lock of that display is ours:
      # another worktree may have started a server on the same number.
      for _ in $(seq 200); do
        wine_alive "$pid" || break
        if [ -e "/tmp/.X11-unix/X$num" ] && [ "$(tr -d ' \n' < "/tmp/.X$num-lock" 2>/dev/null)" = "$pid" ]; then
          echo "$pid" > "$state/xvfb.pid"
          echo "$num" > "$state/xvfb.display"
          exit 0
        fi
        sleep 0.05
      done
      kill "$pid" 2>/dev/null
      wait "$pid" 2>/dev/null
      num=$((num + 1))
    done
    wine_fail "the private Xvfb did not come up (5 tries, the last on :$((num - 1)): $(wine_last_line "$(cat "$state/xvfb.log" 2>/dev/null)"))"
  ) 8>"$state/xvfb.lock" || return 1
  export DISPLAY=":$(cat "$state/xvfb.display")"
}

# wine_stop_display STATE_DIR: stops the private Xvfb noted there, if any.
wine_stop_display() {
  local state=$1 pid
  [ -f "$state/xvfb.pid" ] || return 0
  pid=$(cat "$state/xvfb.pid")
  if wine_is_xvfb "$pid"; then
    kill "$pid" 2>/dev/null
    for _ in $(seq 100); do wine_alive "$pid" || break; sleep 0.05; done
    wine_alive "$pid" && kill -9 "$pid" 2>/dev/null && sleep 0.2
    if wine_alive "$pid"; then
      wine_fail "the private Xvfb (pid $pid, display :$(cat "$state/xvfb.display" 2>/dev/null)) did not stop"
      return 1
    fi
  fi
  rm -f "$state/xvfb.pid" "$state/xvfb.display"
}

# Whether the prefix's wineserver runs: its socket exists.
# Debian's Wine keeps it in /tmp/wine-XXXXXX/, upstream in /tmp/.wine-UID/.
wine_server_running() {
  local name s
  name=$(printf 'server-%x-%x' "$(stat -c %d "$1")" "$(stat -c %i "$1")")
  for s in /tmp/wine-*/"$name"/socket "/tmp/.wine-$(id -u)/$name/socket"; do
    [ -S "$s" ] && return 0
  done
  return 1
}

# wine_stop_prefix PREFIX: ends every process of the prefix and its server.
wine_stop_prefix() {
  local prefix=$1
  wine_server_running "$prefix" || return 0
  WINEPREFIX=$prefix "$WINESERVER" -k </dev/null >/dev/null 2>&1
  for _ in $(seq 100); do wine_server_running "$prefix" || return 0; sleep 0.1; done
  wine_fail "the wineserver of $prefix is still running 10 s after wineserver -k"
}

# Starts the prefix's server session when none runs. The first program of a
# session starts Wine's service processes, which inherit its standard handles
# and keep them open long after it ends (ctest would wait for them): let a
# throwaway program with its output on /dev/null open the session.
wine_open_session() {
  wine_server_running "$1" && return 0
  # A server started in between by someone else makes this one exit: fine.
  "$WINESERVER" -p30 </dev/null >/dev/null 2>&1 9>&- 8>&- || true
  local status=0
  "$WINE_LOADER" cmd /c exit </dev/null >/dev/null 2>&1 9>&- 8>&- || status=$?
  [ $status -eq 0 ] || { wine_fail "Wine could not start a program in the prefix $1 (cmd /c exit: exit $status)"; return 1; }
}

# reg_add PREFIX_LOG KEY ARGS...: reg add without keeping the prefix lock open
# in Wine's background processes; its output goes to the set-up log.
reg_add() {
  local log=$1 status=0; shift
  "$WINE_LOADER" reg add "$@" /f </dev/null >>"$log" 2>&1 9>&- || status=$?
  [ $status -eq 0 ] || { wine_fail "could not set $1 in the prefix $WINEPREFIX (reg add: exit $status; log: $log)"; return 1; }
}

# wine_ensure_prefix DIR: makes the prefix on first use, serialised with flock
# because ctest starts several wrappers at once, and opens its server session.
wine_ensure_prefix() {
  local prefix=$1 sig
  sig=$(wine_signature) || return 1
  (
    flock 9
    if [ -f "$prefix/.tavelund-ready" ] && [ "$(cat "$prefix/.tavelund-ready")" = "$sig" ]; then
      wine_open_session "$prefix" || exit 1
      exit 0
    fi
    log="$prefix/.tavelund-setup.log"
    "$WINESERVER" -k </dev/null >/dev/null 2>&1 9>&-
    find "$prefix" -mindepth 1 -maxdepth 1 ! -name '.lock' -exec rm -rf {} +
    : > "$log"
    "$WINESERVER" -p30 </dev/null >/dev/null 2>&1 9>&- || true
    # The first process runs Wine's own initialisation of the prefix.
    reg_add "$log" 'HKCU\Software\Wine\Explorer' /v Desktop /d Default || exit 1
    if [ ! -d "$prefix/drive_c/windows/system32" ]; then
      wine_fail "the Wine prefix $prefix could not be made: no C:\\windows\\system32 after Wine's initialisation (log: $log)"
      exit 1
    fi
    reg_add "$log" 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 || exit 1
    reg_add "$log" 'HKCU\Software\Wine\X11 Driver' /v Managed /d N || exit 1
    reg_add "$log" 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N || exit 1
    # Z: maps the Linux root so programs can be started from the build tree;
    # it is reported as a network drive so no fixed-drive search crawls it.
    reg_add "$log" 'HKLM\Software\Wine\Drives' /v 'z:' /d network || exit 1
    # Caption-button glyphs: Debian's Wine does not load its own font folder.
    mkdir -p "$prefix/drive_c/windows/Fonts"
    for f in /usr/share/wine/fonts/*.ttf; do
      [ -e "$f" ] && ln -sf "$f" "$prefix/drive_c/windows/Fonts/"
    done
    # User folders are links into $HOME in a new prefix: make them plain folders.
    find "$prefix/drive_c/users" -mindepth 2 -maxdepth 2 -type l 2>/dev/null | while read -r l; do
      rm -f "$l"; mkdir -p "$l"
    done
    # Wine's mount manager took the drive types when it started, before the
    # z: entry above existed: restart it, or Z: stays fixed for this session.
    "$WINESERVER" -k </dev/null >/dev/null 2>&1 9>&-
    "$WINESERVER" -w </dev/null >/dev/null 2>&1 9>&-
    # The server writes the registry out when it ends.
    if [ ! -s "$prefix/system.reg" ] || [ ! -s "$prefix/user.reg" ]; then
      wine_fail "the Wine prefix $prefix could not be made: no registry files after its server ended (log: $log)"
      exit 1
    fi
    wine_open_session "$prefix" || exit 1
    echo "$sig" > "$prefix/.tavelund-ready"
  ) 9>"$prefix/.lock" || return 1
}

# wine_is_pe32 FILE: FILE is a 32-bit x86 Windows program (PE machine 0x14c).
wine_is_pe32() {
  local offset machine
  offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 1
  [ -n "$offset" ] || return 1
  machine=$(od -An -tx2 -j$((offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
  [ "$machine" = 014c ]
}

# wine_gtest_passed FILE: FILE holds a GoogleTest run that ended with every
# test passed.
wine_gtest_passed() {
  grep -qE '^\[  PASSED  \] [0-9]+ tests?\.' "$1" && ! grep -qE '^\[  FAILED  \]' "$1"
}

# wine_run_logged OUTPUT PROGRAM [ARGS...]: runs PROGRAM with the loader, its
# output through the file OUTPUT and then to standard output; returns its exit
# code. Wine 8's 64-bit loader now and then dies of a Unix SIGSEGV (status
# 139) while a test program is already exiting, after GoogleTest has printed
# that every test passed. That run tells nothing either way: it is said so
# (and noted in the file TAVELUND_WINE_RERUNS names, when set, for the test
# command's summary) and the program runs once more; that run's verdict counts.
wine_run_logged() {
  local output=$1 status=0 note
  shift
  "$WINE_LOADER" "$@" </dev/null >"$output" 2>&1 || status=$?
  if [ $status -eq 139 ] && wine_gtest_passed "$output"; then
    cat "$output"
    note="Wine's loader died of SIGSEGV while $* was exiting, after its tests had passed; running it once more"
    echo "${WINE_WHO:-${0##*/}}: $note" >&2
    [ -n "${TAVELUND_WINE_RERUNS:-}" ] && echo "$note" >>"$TAVELUND_WINE_RERUNS"
    status=0
    "$WINE_LOADER" "$@" </dev/null >"$output" 2>&1 || status=$?
  fi
  cat "$output"
  return $status
}
