# Shared by wine-run and the run/screenshot scripts; sourced, not executed.
# Expects WINEPREFIX and the Wine variables to be exported already.

if [ -x /usr/lib/wine/wine64 ]; then WINE_LOADER=/usr/lib/wine/wine64; else WINE_LOADER=wine64; fi
WINESERVER=/usr/lib/wine/wineserver
[ -x "$WINESERVER" ] || WINESERVER=wineserver

# wine_ensure_display STATE_DIR: keeps DISPLAY, or starts (once) a private Xvfb
# whose display number and pid are kept in STATE_DIR/../xvfb.*
wine_ensure_display() {
  local state="$1/.." 
  if [ -n "${DISPLAY:-}" ] && [ -z "${TAVELUND_PRIVATE_X:-}" ]; then return; fi
  (
    flock 8
    local num pid
    if [ -f "$state/xvfb.display" ] && [ -f "$state/xvfb.pid" ]; then
      num=$(cat "$state/xvfb.display"); pid=$(cat "$state/xvfb.pid")
      if kill -0 "$pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$num" ]; then exit 0; fi
    fi
    num=90
    while [ -e "/tmp/.X11-unix/X$num" ] || [ -e "/tmp/.X$num-lock" ]; do num=$((num + 1)); done
    Xvfb ":$num" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 8>&- &
    echo $! > "$state/xvfb.pid"
    echo "$num" > "$state/xvfb.display"
    for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$num" ] && break; sleep 0.05; done
  ) 8>"$state/xvfb.lock"
  export DISPLAY=":$(cat "$state/xvfb.display")"
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

# Starts the prefix's server session when none runs. The first program of a
# session starts Wine's service processes, which inherit its standard handles
# and keep them open long after it ends (ctest would wait for them): let a
# throwaway program with its output on /dev/null open the session.
wine_open_session() {
  wine_server_running "$1" && return 0
  "$WINESERVER" -p30 </dev/null >/dev/null 2>&1 9>&- 8>&- || true
  "$WINE_LOADER" cmd /c exit </dev/null >/dev/null 2>&1 9>&- 8>&- || true
}

# The Wine build in use; a prefix made by another build must be made again.
wine_signature() { ls /usr/lib/wine 2>/dev/null | tr '\n' ' '; wine --version 2>/dev/null; }

# wine_ensure_prefix DIR: makes the prefix on first use, serialised with flock
# because ctest starts several wrappers at once.
# reg add without keeping the prefix lock open in Wine's background processes.
reg_add_quiet() { "$WINE_LOADER" reg add "$@" /f </dev/null >/dev/null 2>&1 9>&- || true; }

wine_ensure_prefix() {
  local prefix="$1"
  (
    flock 9
    local sig; sig=$(wine_signature)
    if [ -f "$prefix/.tavelund-ready" ] && [ "$(cat "$prefix/.tavelund-ready")" = "$sig" ]; then
      wine_open_session "$prefix"
      exit 0
    fi
    "$WINESERVER" -k </dev/null >/dev/null 2>&1 9>&- || true
    find "$prefix" -mindepth 1 -maxdepth 1 ! -name '.lock' -exec rm -rf {} +
    "$WINESERVER" -p30 </dev/null >/dev/null 2>&1 9>&- || true
    # The first process runs Wine's own initialisation of the prefix.
    reg_add_quiet 'HKCU\Software\Wine\Explorer' /v Desktop /d Default
    reg_add_quiet 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768
    reg_add_quiet 'HKCU\Software\Wine\X11 Driver' /v Managed /d N
    reg_add_quiet 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N
    # Z: maps the Linux root so programs can be started from the build tree;
    # it is reported as a network drive so no fixed-drive search crawls it.
    reg_add_quiet 'HKLM\Software\Wine\Drives' /v 'z:' /d network
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
    "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
    "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
    echo "$sig" > "$prefix/.tavelund-ready"
    wine_open_session "$prefix"
  ) 9>"$prefix/.lock"
}
