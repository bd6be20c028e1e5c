#!/usr/bin/env bash
# The benchmark command: builds the benchmark programs (build/bench-win64,
# and build/bench-win32 for the x86 sizes), runs every benchmark under Wine
# in a prefix of its own (build/bench-win64/wineprefix) and prints one table.
# Each figure is measured side by side with a floor program in the same run
# and the same prefix and given as a ratio, because these machines are shared
# and noisy. The goals are printed as "met" or "missed"; the exit status only
# says whether the benchmarks could run, never whether a goal was met.
#
#   scripts/bench.sh [--idle-seconds N] [--startup-runs N] [--search-repeats N]
#                    [--store-repeats N] [--starts N] [--unaligned-runs N]
#                    [--quick] [--only LIST] [--readme] [--report-only]
#
# A full run takes about half an hour, most of it the idle part (three sides
# of --idle-seconds each) and the 10 000-entry saves; --quick about ten minutes.
#
#   --idle-seconds N    CPU time is taken over N seconds per side (300)
#   --startup-runs N    starts of each program, after one untimed start (15)
#   --search-repeats N  walks of the generated tree by each side (5)
#   --store-repeats N   loads and saves of 1 000 entries (3; 10 000 once)
#   --starts N          scheduled starts of each punctuality run (40): half
#                       of them with MP3 parameters, with 50 and with 500
#                       entries in the list, handed over ahead and on the
#                       second
#   --unaligned-runs N  program starts of the unaligned variant, with
#                       ceil(starts / N) scheduled starts each (4): its delay
#                       is the phase that one program start happened to get
#   --quick             --idle-seconds 30 --startup-runs 5 --search-repeats 2
#                       --store-repeats 1 --starts 20 --unaligned-runs 2
#   --readme            also write the table into README.md, section "Figures"
#   --only LIST         run only these of startup,punctuality,answer,search,
#                       store,idle,hidden
#   --report-only       measure nothing: print (and with --readme write) the
#                       table of the last run's figures
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)
# shellcheck source=wine-env.sh
source scripts/wine-env.sh
# Benchmarks that could not run; the table then says "n/a" for their figures
# and the command fails.
not_run=0
command_line="scripts/bench.sh${*:+ $*}"

idle_seconds=300
startup_runs=15
search_repeats=5
store_repeats=3
starts=40
unaligned_runs=4
write_readme=0
report_only=0
only=all
wanted() { [ "$only" = all ] || [[ ",$only," == *",$1,"* ]]; }
number() { [[ "${2:-}" =~ ^[0-9]+$ ]] && [ "$2" -gt 0 ] || { echo "bench.sh: $1 needs a positive number" >&2; exit 2; }; }
while [ $# -gt 0 ]; do
  case "$1" in
    --idle-seconds) number "$1" "${2:-}"; idle_seconds=$2; shift 2 ;;
    --startup-runs) number "$1" "${2:-}"; startup_runs=$2; shift 2 ;;
    --search-repeats) number "$1" "${2:-}"; search_repeats=$2; shift 2 ;;
    --store-repeats) number "$1" "${2:-}"; store_repeats=$2; shift 2 ;;
    --starts) number "$1" "${2:-}"; starts=$2; shift 2 ;;
    --unaligned-runs) number "$1" "${2:-}"; unaligned_runs=$2; shift 2 ;;
    --quick) idle_seconds=30; startup_runs=5; search_repeats=2; store_repeats=1; starts=20; unaligned_runs=2; shift ;;
    --readme) write_readme=1; shift ;;
    --report-only) report_only=1; shift ;;
    --only) [ -n "${2:-}" ] || { echo "bench.sh: --only needs a list" >&2; exit 2; }; only=$2; shift 2 ;;
    -h|--help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "bench.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
done

build=$root/build/bench-win64
tmp=$build/bench-tmp
results=$tmp/results.txt
# Builds, runs every benchmark and writes the raw figures to $results.
measure() {
  scripts/install-deps.sh

  log=$build/bench.log
  jobs=$(nproc)
  echo "== Building the benchmark programs ($build)"
  mkdir -p "$build"
  : > "$log"
  build_preset() {  # preset folder targets...
    local preset=$1 dir=$2; shift 2
    if ! { cmake --preset "$preset" -B "$dir" && cmake --build "$dir" -j "$jobs" --target "$@"; } >>"$log" 2>&1; then
      tail -30 "$log"
      echo "bench.sh: the build failed (whole log: $log)" >&2
      exit 1
    fi
  }
  build_preset win64 "$build" bench
  build_preset win32 "$root/build/bench-win32" Tavelund standin-player

  # ---- Wine ----
  export TAVELUND_PRIVATE_X=1
  prefix=$build/wineprefix
  mkdir -p "$prefix"
  rm -rf "$tmp"
  mkdir -p "$tmp"
  stop_wine() { scripts/stop-wine.sh "$prefix" || echo "bench.sh: the benchmark prefix's Wine processes could not all be stopped (above)" >&2; }
  trap stop_wine EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }
  # Runs a program of the build under Wine; its output goes to the log, since
  # Wine's service processes may keep a pipe open after the program ended.
  win() { scripts/wine-run --prefix "$prefix" "$@" </dev/null >>"$log" 2>&1; }
  : > "$results"
  {
    echo "run-command $command_line"
    echo "run-date $(date '+%Y-%m-%d %H:%M %Z')"
    echo "run-idle-seconds $idle_seconds"
    echo "run-unaligned-runs $unaligned_runs"
  } >> "$results"
  # Progress notes the programs wrote since the last call.
  shown_notes=0
  show_notes() {
    local total; total=$(wc -l < "$results")
    sed -n "$((shown_notes + 1)),${total}p" "$results" | sed -n 's/^# /   /p'
    shown_notes=$total
  }
  failed_run() { echo "   ($1 failed, see $log)"; not_run=$((not_run + 1)); }
  workdir() { rm -rf "$tmp/$1"; mkdir -p "$tmp/$1"; winpath "$tmp/$1"; }

  echo "== Wine prefix $prefix"
  if ! win cmd /c exit; then
    echo "bench.sh: Wine could not run a program in $prefix: $(tail -1 "$log")" >&2
    exit 1
  fi

  if wanted startup; then
    echo "== Start-up: $startup_runs starts of each, after one untimed start"
    win "$build/bench_driver.exe" startup "$(workdir startup)" "$startup_runs" "$(winpath "$results")" || failed_run "start-up benchmark"
    show_notes
    echo "== Start-up with 3 000 entries: $startup_runs starts, after one untimed start"
    win "$build/bench_driver.exe" startup-large "$(workdir startup-large)" "$startup_runs" 3000 "$(winpath "$results")" || failed_run "start-up benchmark with 3 000 entries"
    show_notes
  fi
  if wanted punctuality; then
    for size in 50 500; do
      entries=$(( size > starts ? size : starts ))
      # 2 s windows 3 s apart: each window opens the second after the one
      # before it stopped. The program hands each request over ahead; the
      # variant that never does sends each start the whole way on its second.
      echo "== Punctuality, handed over ahead: $starts starts 3 s apart, half with MP3 parameters, $entries entries"
      win "$build/bench_driver.exe" punctuality "$(winpath "$build/Tavelund.exe")" "$(workdir "punct-ahead-$size")" "$starts" \
        "$(winpath "$results")" "ahead-$size" 3 "$entries" half || failed_run "punctuality benchmark"
      show_notes
      echo "== Punctuality, on the second (variant handing nothing over ahead): the same, $entries entries"
      win "$build/bench_driver.exe" punctuality "$(winpath "$build/Tavelund-on-the-second.exe")" "$(workdir "punct-second-$size")" "$starts" \
        "$(winpath "$results")" "second-$size" 3 "$entries" half || failed_run "punctuality benchmark"
      show_notes
    done
    per_run=$(( (starts + unaligned_runs - 1) / unaligned_runs ))
    echo "== Punctuality, unaligned variant: $unaligned_runs program starts x $per_run scheduled starts"
    for run in $(seq "$unaligned_runs"); do
      win "$build/bench_driver.exe" punctuality "$(winpath "$build/Tavelund-unaligned.exe")" "$(workdir "punct-unaligned-$run")" \
        "$per_run" "$(winpath "$results")" unaligned || failed_run "punctuality benchmark"
    done
    show_notes
  fi
  if wanted answer; then
    echo "== Answer: a message every 100 ms to the main window through a 40 s window whose quality dialog never opens"
    win "$build/bench_driver.exe" answer "$(winpath "$build/Tavelund.exe")" "$(workdir answer)" "$(winpath "$results")" 40 ||
      failed_run "answer benchmark"
    show_notes
  fi
  if wanted search; then
    echo "== Drive search: generated tree on drive T:"
    tree=$build/search-tree
    tree_files=50000
    if [ "$(find "$tree" -type f 2>/dev/null | wc -l)" -ne $tree_files ]; then
      # 20 folders of 250 folders of 10 files: 50 000 files in 5 020 folders.
      rm -rf "$tree"
      for a in $(seq -w 0 19); do
        mkdir -p "$tree/a$a"
        (cd "$tree/a$a" && mkdir b{000..249} &&
          for d in b{000..249}; do for f in 0 1 2 3 4 5 6 7 8 9; do echo "$d/track$f.mp3"; done; done | xargs touch)
      done
    fi
    ln -sfn "$tree" "$prefix/dosdevices/t:"
    # The program searches every fixed drive: here T: alone. C: is reported
    # as a network drive, which Wine's mount manager reads when it starts.
    if [ "$(cat "$prefix/.bench-drives" 2>/dev/null)" != "c:network" ]; then
      win reg add 'HKLM\Software\Wine\Drives' /v 'c:' /d network /f || failed_run "setting drive C: aside"
      WINEPREFIX=$prefix "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
      WINEPREFIX=$prefix "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
      echo "c:network" > "$prefix/.bench-drives"
    fi
    win "$build/bench_shell.exe" search 'T:\' "$search_repeats" "$(winpath "$results")" "$(workdir search)" || failed_run "search benchmark"
    show_notes
  fi
  if wanted store; then
    echo "== Schedule load and save: 1 000 entries ($store_repeats times), 10 000 entries (once)"
    win "$build/bench_shell.exe" store "$(workdir store)" "$store_repeats" "$(winpath "$results")" 1000 || failed_run "store benchmark"
    win "$build/bench_shell.exe" store "$(workdir store)" 1 "$(winpath "$results")" 10000 || failed_run "store benchmark"
    show_notes
  fi
  # ---- Idle CPU time, from Linux: the processes of this prefix ----
  clock_ticks=$(getconf CLK_TCK)
  # "pid ticks name" for every process of the prefix but the X server.
  sample_prefix() {
    local d pid stat name
    for d in /proc/[0-9]*; do
      pid=${d#/proc/}
      tr '\0' '\n' 2>/dev/null < "$d/environ" | grep -qxF "WINEPREFIX=$prefix" || continue
      [ "$(cat "$d/comm" 2>/dev/null)" = Xvfb ] && continue
      stat=$(cat "$d/stat" 2>/dev/null) || continue
      name=$(tr '\0' ' ' 2>/dev/null < "$d/cmdline" | tr -s ' ' | sed 's/ $//')
      # Fields after the command name: utime and stime are the 12th and 13th.
      echo "$pid $(echo "${stat##*) }" | awk '{print $12 + $13}') ${name:-?}"
    done
  }
  # idle_side KIND: CPU seconds of KIND's program, the wineserver, the stand-in
  # and all Wine processes of the prefix over idle_seconds.
  idle_side() {
    local kind=$1 dir before after
    dir=$(workdir "idle-$kind")
    if ! win "$build/bench_driver.exe" idle-start "$kind" "$dir" "$(winpath "$results")"; then
      failed_run "idle set-up of $kind"
      win "$build/bench_driver.exe" close "$(winpath "$results")" || true
      return
    fi
    sleep 3
    before=$tmp/idle-$kind-before.txt
    after=$tmp/idle-$kind-after.txt
    sample_prefix > "$before"
    sleep "$idle_seconds"
    sample_prefix > "$after"
    win "$build/bench_driver.exe" close "$(winpath "$results")" || true
    local program_pattern="idle-$kind\\Tavelund.exe"
    case $kind in floor*) program_pattern='bench_floor_dialog.exe' ;; esac
    # Processes that ended in between are not counted; new ones count whole.
    PROGRAM=$program_pattern awk -v kind="$kind" -v hz="$clock_ticks" '
      NR == FNR { start[$1] = $2; next }
      {
        d = $2 - ($1 in start ? start[$1] : 0)
        name = $0; sub(/^[0-9]+ [0-9]+ /, "", name)
        total += d
        if (index(name, ENVIRON["PROGRAM"])) own += d
        if (name ~ /wineserver/) server += d
        if (index(name, "standin-player.exe")) standin += d
      }
      END {
        printf "idle-%s-program-s %.2f\nidle-%s-wineserver-s %.2f\nidle-%s-standin-s %.2f\nidle-%s-total-s %.2f\n",
          kind, own / hz, kind, server / hz, kind, standin / hz, kind, total / hz
      }' "$before" "$after" >> "$results"
    grep "^idle-$kind-.*-s " "$results" | sed 's/^/   /'
  }
  if wanted idle; then
    echo "== Idle CPU time: $idle_seconds s each of Tavelund.exe connected to the stand-in (50 quiet entries), the floor dialog with a 1-second timer, and that floor with the clock in its title"
    idle_side product
    idle_side floor
    idle_side floor-title
    show_notes
  fi
  if wanted hidden; then
    echo "== Hidden idle CPU time: $idle_seconds s each of Tavelund.exe started with /min (in the notification area) connected to the stand-in (50 quiet entries), and a hidden floor whose 1-second timer reads the plug-in's state control"
    idle_side hidden
    idle_side floor-plugin
    show_notes
  fi
  stop_wine
  trap - EXIT INT TERM
}

if [ $report_only -eq 0 ]; then measure; fi
[ -s "$results" ] || { echo "bench.sh: no figures in $results" >&2; exit 1; }

# ---- The table ----
# A figure that was not measured (--only) is empty, and shows as n/a.
values() { { grep "^$1 " "$results" || true; } | cut -d' ' -f2- | tr '\n' ' '; }
median() { tr ' ' '\n' | { grep . || true; } | sort -g | awk '{a[NR] = $1} END {if (!NR) print "nan"; else if (NR % 2) print a[(NR + 1) / 2]; else print (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
percentile() {  # nearest rank; 100 is the maximum
  tr ' ' '\n' | { grep . || true; } | sort -g | awk -v p="$1" '{a[NR] = $1} END {
    if (!NR) { print "nan"; exit } r = p / 100 * NR; k = int(r); if (k < r) k++; if (k < 1) k = 1; print a[k] }'
}
count() { tr ' ' '\n' | grep -c . || true; }
calc() { awk "BEGIN { printf \"$2\", ($1) }" 2>/dev/null || echo nan; }
valid() { [[ "$1" =~ ^[0-9.]+$ ]] && [ "$(calc "$1 > 0" %d)" = 1 ]; }
ratio() { if valid "$1" && valid "$2"; then calc "$1 / $2" '%.2f×'; else echo "n/a"; fi; }
verdict() {  # value comparison goal
  local v=${1#> }
  [[ "$v" =~ ^[0-9.]+ ]] || { echo "not measured"; return; }
  if [ "$(calc "${v%×} $2 $3" %d)" = 1 ]; then echo met; else echo "**missed**"; fi
}
# Like ratio, for CPU seconds: a side below the clock tick's resolution
# (0.01 s) counts as that, and the ratio is a bound.
cpu_ratio() {
  if valid "$1" && [[ "$2" =~ ^[0-9.]+$ ]] && [ "$(calc "$2 < 0.01" %d)" = 1 ]; then
    echo "> $(calc "$1 / 0.01" '%.0f×')"
  else
    ratio "$1" "$2"
  fi
}
group() { echo "$1" | sed ':a;s/\B[0-9]\{3\}\>/ &/;ta'; }
ms() { valid "$1" && calc "$1" '%.0f ms' || echo "n/a"; }
sec() { [[ "$1" =~ ^[0-9.]+$ ]] && calc "$1" '%.2f s' || echo "n/a"; }
bytes() { [ -f "$1" ] && echo "$(group "$(stat -c %s "$1")") B" || echo n/a; }
rate() { valid "$2" && echo "$(group "$(calc "$1 * 1000 / $2" %.0f)")/s" || echo n/a; }
delays() {  # key: "p50 / p99 / max ms (n)"
  local d; d=$(values "$1")
  [ "$(echo "$d" | count)" -gt 0 ] || { echo "n/a"; return; }
  echo "$(echo "$d" | percentile 50) / $(echo "$d" | percentile 99) / $(echo "$d" | percentile 100) ms"
}
sum() { values "$1" | tr ' ' '\n' | awk '{s += $1} END {print s + 0}'; }
first() { { grep "^$1 " "$results" || true; } | head -1 | cut -d' ' -f2-; }
run_command=$(first run-command)
run_date=$(first run-date)
idle_seconds=$(first run-idle-seconds)
unaligned_runs=$(first run-unaligned-runs)

table=$tmp/table.md
{
  echo "| figure | Tavelund | floor | ratio | goal | result |"
  echo "|---|---|---|---|---|---|"
  p=$(values startup-product-ms | median); f=$(values startup-floor-ms | median); r=$(ratio "$p" "$f")
  echo "| start-up, median of $(values startup-product-ms | count) | $(ms "$p") | $(ms "$f") | $r | ≤ 1.2× | $(verdict "$r" '<=' 1.2) |"
  p=$(values startup3000-creation-to-answer-ms | median || true)
  m=$(values startup3000-creation-to-answer-ms | percentile 100 || true)
  echo "| main window with 3 000 entries: from its creation until its list answers, median / max of $(values startup3000-creation-to-answer-ms | count) (from the start: $(ms "$(values startup3000-start-to-answer-ms | median)")) | $(ms "$p") / $(ms "$m") | | | ≤ 500 ms | $(verdict "$p" '<=' 500) |"
  p=$(values idle-product-total-s | median); f=$(values idle-floor-total-s | median); r=$(ratio "$p" "$f")
  echo "| idle CPU over $idle_seconds s, all Wine processes | $(sec "$p") | $(sec "$f") | $r | ≤ 1.2× | $(verdict "$r" '<=' 1.2) |"
  p=$(values idle-product-program-s | median); f=$(values idle-floor-program-s | median); r=$(cpu_ratio "$p" "$f")
  echo "| idle CPU over $idle_seconds s, the program's own process | $(sec "$p") | $(sec "$f") | $r | ≤ 1.2× | $(verdict "$r" '<=' 1.2) |"
  p=$(values idle-product-wineserver-s | median); f=$(values idle-floor-wineserver-s | median)
  echo "| idle CPU over $idle_seconds s, of which the wineserver | $(sec "$p") | $(sec "$f") | $(ratio "$p" "$f") | | |"
  p=$(values idle-product-standin-s | median); f=$(values idle-floor-standin-s | median)
  echo "| idle CPU over $idle_seconds s, of which the stand-in | $(sec "$p") | $(sec "$f") | $(ratio "$p" "$f") | | |"
  p=$(values idle-hidden-total-s | median); f=$(values idle-floor-plugin-total-s | median); r=$(ratio "$p" "$f")
  echo "| hidden idle CPU over $idle_seconds s (in the notification area), all Wine processes | $(sec "$p") | $(sec "$f") | $r | ≤ 1.05× | $(verdict "$r" '<=' 1.05) |"
  p=$(values idle-hidden-program-s | median); f=$(values idle-floor-plugin-program-s | median); r=$(cpu_ratio "$p" "$f")
  echo "| hidden idle CPU over $idle_seconds s, the program's own process | $(sec "$p") | $(sec "$f") | $r | | |"
  x=$(values idle-floor-title-total-s | median); y=$(values idle-floor-title-program-s | median)
  f=$(values idle-floor-total-s | median); g=$(values idle-floor-program-s | median)
  echo "| idle reference: the floor dialog putting the clock in its title each second, as the main window does; all / own process | $(sec "$x") / $(sec "$y") | $(sec "$f") / $(sec "$g") | $(ratio "$x" "$f") / $(cpu_ratio "$y" "$g") | | |"
  files=$(values search-files | median); folders=$(values search-folders | median)
  p=$(values search-steps-ms | median); f=$(values search-floor-ms | median); r=$(ratio "$f" "$p")
  echo "| drive search, files visited per second, in steps between the main window's messages, median of $(values search-steps-ms | count) ($(group "${files%.*}") files, $(group "${folders%.*}") folders) | $(rate "$files" "$p") | $(rate "$files" "$f") | $r | ≥ 0.8× | $(verdict "$r" '>=' 0.8) |"
  p=$(values search-product-ms | median)
  echo "| drive search, the folder walk called straight (FindFileInTree), median of $(values search-product-ms | count) | $(rate "$files" "$p") | $(rate "$files" "$f") | $(ratio "$f" "$p") | | |"
  for n in 1000 10000; do
    p=$(values "store-$n-load-product-ms" | median); f=$(values "store-$n-load-floor-ms" | median)
    goal=""; result=""; [ $n = 10000 ] && { goal="≤ 500 ms"; result=$(verdict "$p" '<=' 500); }
    echo "| load $(group $n) entries ($(group "$(values "store-$n-ini-bytes" | median)") B of INI) | $(ms "$p") | $(ms "$f") | $(ratio "$p" "$f") | $goal | $result |"
  done
  for n in 1000 10000; do
    p=$(values "store-$n-save-product-ms" | median); f=$(values "store-$n-save-floor-ms" | median)
    goal=""; result=""; [ $n = 10000 ] && { goal="≤ 1 000 ms"; result=$(verdict "$p" '<=' 1000); }
    echo "| save $(group $n) entries, every key new | $(ms "$p") | $(ms "$f") | $(ratio "$p" "$f") | $goal | $result |"
  done
  for n in 1000 10000; do
    echo "| save $(group $n) entries again, nothing changed | $(ms "$(values "store-$n-resave-product-ms" | median)") | | | | |"
  done
  for n in 1000 10000; do
    same=$(values "store-$n-saved-as-key-by-key" | tr -d ' ' || true); case "$same" in 1) same=yes ;; 0) same="**no**" ;; *) same=n/a ;; esac
    echo "| $(group $n) entries: the platform's own section calls, one section read / one section write (a saved file byte for byte as the key-by-key floor's: $same) | $(ms "$(values "store-$n-section-read-ms" | median)") / $(ms "$(values "store-$n-section-write-ms" | median)") | | | | |"
  done
  growth=""; grown="met"
  for step in load save resave; do
    a=$(values "store-1000-$step-product-ms" | median); b=$(values "store-10000-$step-product-ms" | median)
    g=$(ratio "$b" "$a"); kind="linear or better"
    [ "$g" = n/a ] && kind="" || { [ "$(calc "${g%×} > 13" %d)" = 1 ] && kind="worse than linear"; }
    growth+="${growth:+, }$step $g${kind:+ ($kind)}"
    if [ $step != resave ]; then
      v=$(verdict "$g" '<=' 12); [ "$v" = met ] || grown=$v
    fi
  done
  a=$(values store-1000-section-write-ms | median || true); b=$(values store-10000-section-write-ms | median || true)
  echo "| growth from 1 000 to 10 000 entries (10× the entries; the platform's section write alone: $(ratio "$b" "$a")) | $growth | | | load and save ≤ 12× | $grown |"
  for size in 50 500; do
    k=punct-ahead-$size
    for side in plain params; do
      what="without"; [ $side = params ] && what="with"
      echo "| punctuality, handed over ahead, $size entries: recording started after its second, $what MP3 parameters, p50 / p99 / max of $(values "$k-$side-start-ms" | count) starts | $(delays "$k-$side-start-ms") | | | p99 ≤ 50 ms | $(verdict "$(values "$k-$side-start-ms" | percentile 99)" '<=' 50) |"
    done
    echo "| punctuality, handed over ahead, $size entries: request before its second ($(sum "$k-ahead") of $(sum "$k-expected") ahead), p50 / min / max | $(values "$k-request-ms" | percentile 50) / $(values "$k-request-ms" | percentile 1) / $(values "$k-request-ms" | percentile 100) ms | | | | |"
  done
  for size in 50 500; do
    k=punct-second-$size
    for side in plain params; do
      what="without"; [ $side = params ] && what="with"
      echo "| punctuality on the second (nothing handed over ahead), $size entries, $what MP3 parameters: request after its second, p50 / p99 / max of $(values "$k-$side-request-ms" | count) starts (recording started: $(delays "$k-$side-start-ms")) | $(delays "$k-$side-request-ms") | | | p99 ≤ 50 ms | $(verdict "$(values "$k-$side-request-ms" | percentile 99)" '<=' 50) |"
    done
  done
  h=$(values punct-ahead-50-handover-ms; values punct-ahead-500-handover-ms)
  echo "| hand-over with the quality dialog, request to dialog closed, p50 / p99 / max of $(echo "$h" | count) | $(echo "$h" | percentile 50) / $(echo "$h" | percentile 99) / $(echo "$h" | percentile 100) ms | | | < 2 s lead | |"
  a=$(values answer-ms)
  echo "| main window's answer to a message sent every 100 ms from another process, through a 40 s window whose quality dialog never opens ($(sum answer-requests) tries, $(sum answer-starts) recordings started), p50 / p99 / max of $(echo "$a" | count) | $(delays answer-ms) | | | p99 ≤ 250 ms | $(verdict "$(echo "$a" | percentile 99)" '<=' 250) |"
  echo "| punctuality, unaligned tick, $unaligned_runs program starts: request after its second (negative: handed over ahead), p50 / p99 / max of $(values punct-unaligned-request-ms | count) starts ($(sum punct-unaligned-expected) scheduled; recording started: $(delays punct-unaligned-start-ms)) | $(delays punct-unaligned-request-ms) | | | reference | |"
  echo "| size of Tavelund.exe, x86-64 / x86 | $(bytes "$build/Tavelund.exe") / $(bytes "$root/build/bench-win32/Tavelund.exe") | | | | |"
  echo "| size of standin-player.exe, x86-64 / x86 | $(bytes "$build/standin-player.exe") / $(bytes "$root/build/bench-win32/standin-player.exe") | | | | |"
} > "$table"

legend=$tmp/legend.md
cat > "$legend" <<LEGEND
- Start-up: from CreateProcess until the main window is visible and its list answers (LB_GETCOUNT from another process) that it holds the 20 entries; floor: a bare dialog program (bench/floor_dialog.cpp: the same template shape and font, no code) until it is visible and its empty list answers the same question. Starts alternate; one untimed start of each first.
- Idle: utime + stime from /proc of every Wine process of the benchmark prefix (not the X server) over the same span for each side: Tavelund.exe connected to the stand-in with 50 entries none of which fires; the floor dialog with a 1-second timer that does nothing; and, for reference, that floor putting the clock in its title each tick. The stand-in runs on every side. The sides run one after the other, so the wineserver's share can be told apart.
- Hidden idle: the same count for Tavelund.exe started with \`/min\`, so it waits hidden in the notification area (no title clock), against a floor that does only what the tick must: a hidden window whose 1-second timer reads the plug-in's state control (WM_GETTEXT of control 88, as the tick does). The stand-in runs on both sides.
- Drive search: a name that is nowhere in a generated tree on a mapped drive, the only fixed drive of the benchmark's prefix (so every entry is visited), against a bare recursive FindFirstFileA/FindNextFileA walker. In steps: the program's main dialog, made in the benchmark's process with a player path that names no file, searches the way the program does, in steps between its messages with its tick running; timed from the dialog's creation until its message that the player is nowhere. Called straight: FindFileInTree alone. The sides take turns going first, after one untimed walk.
- Start-up with 3 000 entries: from the moment another process first finds the main window (created, still hidden, its initialisation running) until its list answers LB_GETCOUNT with the 3 000 entries; entries without a weekday, so none fires.
- Load and save: LoadSchedules and SaveSchedules in process, three times per repeat; floors: a bare GetPrivateProfileStringA loop over the same keys, and a bare WritePrivateProfileStringA loop writing the same lines (what the program did before it read and wrote the section whole). For reference, one bare GetPrivateProfileSectionA and one bare WritePrivateProfileSectionA of the same section, each on a fresh file.
- Punctuality: a copy of the program with windows 2 s long, every second one with MP3 parameters (128 kbit/s, 44100 Hz, stereo), behind 50 or 500 entries in the list (the others quiet, before the windows in list order); delay = the stand-in's journal clock of the recording request (and of the recording start) minus the scheduled second. The windows are 3 s apart, so each opens the second after the one before it stopped. Handed over ahead: Tavelund.exe, which hands each request (with the quality dialog) over to the plug-in ahead of its second, here shortly after the stop before it, and leaves only the start command for the second; on the second: the same sources built to hand nothing over ahead (Tavelund-on-the-second.exe, benchmark only), so each start goes the whole way on its second, as any start does when what was handed over no longer holds. The hand-over row is the stand-in's time from the request to its quality dialog closing. The unaligned figures come from the same sources built with the plain 1000 ms tick (Tavelund-unaligned.exe, benchmark only; windows 3 s apart, no parameters); its delay is the phase each program start happened to get, hence several starts.
- Answer: Tavelund.exe connected to a stand-in whose quality dialog never opens, one 40 s window with MP3 parameters, so every try (ahead of the second, on it, and again inside the window) waits out its bound; from 3 s before the window until 6 s after it another process sends the main window WM_NULL every 100 ms (the next one at once after a slow answer) and times each answer.
- Sizes: release builds (MinSizeRel, stripped).
LEGEND

echo
echo "== Figures ($run_date, $run_command)"
cat "$table"
echo "(raw figures: $results)"

if [ $write_readme -eq 1 ]; then
  section=$tmp/figures.md
  {
    echo
    echo "Benchmarks, not tests: \`scripts/bench.sh\` (see \`--help\`) measures each figure side by side with a floor program and prints a table; with \`--readme\` it writes the table here."
    echo
    echo "Latest figures: measured on ${run_date%% *} with \`$run_command\` ($(nproc) cores, $("$WINE_LOADER" --version 2>/dev/null || echo Wine)). Each figure is measured side by side with its floor in the same run and the same Wine prefix; the ratio is Tavelund / floor (for the drive search, files per second: Tavelund / floor). The machine is shared and busy, so single figures are noisy: the ratios are the point."
    echo
    cat "$table"
    echo
    cat "$legend"
    echo
  } > "$section"
  # Replace the body of "## Figures" up to the marker line (the notes below
  # it are kept) or, without one, up to the next "## " heading.
  marker='<!-- bench.sh writes the figures above this line -->'
  awk -v body="$section" -v marker="$marker" '
    skip && ($0 == marker || /^## /) { skip = 0 }
    /^## Figures[[:space:]]*$/ && !done { print; while ((getline line < body) > 0) print line; skip = 1; done = 1; next }
    !skip { print }' README.md > "$tmp/README.md"
  if grep -q '^## Figures' README.md; then
    cp "$tmp/README.md" README.md
    echo "README.md: section Figures written."
  else
    echo "README.md has no section \"## Figures\"; not written." >&2
  fi
fi
if [ "$not_run" -gt 0 ]; then
  echo "bench.sh: $not_run of the benchmark runs failed (see $build/bench.log); their figures are n/a" >&2
  exit 1
fi
exit 0
