#!/usr/bin/env bash
# The project's figures in one run:
#   (a)-(e) core_bench: the portable core natively on the sim, Release (build/bench);
#   (f)     size and DLL imports of the shipped i686 program (build/i686, the i686 preset);
#   (g)     the heap in use after start in the sim;
#   (h)     start-up under Wine in Xvfb, the real program against a minimal Win32 program,
#           until the window is visible with the focus in its first field, and peak memory.
# The parts that need MinGW, Wine or Xvfb are skipped, with a note, where those are missing.
#
#   scripts/bench.sh                     everything
#   BENCH_STARTUP_RUNS=30 scripts/bench.sh   more start-up runs (default 15 of each)
#   BENCH_CORE_ARGS="--benchmark_filter=Join" scripts/bench.sh   other core_bench flags
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$TERRITORY_ROOT"

RUNS="${BENCH_STARTUP_RUNS:-15}"
CORE_ARGS="${BENCH_CORE_ARGS:---benchmark_repetitions=5 --benchmark_report_aggregates_only=true}"
OUT=build/bench
WIN_OUT=$OUT/win
mkdir -p "$OUT" "$WIN_OUT"

section() { printf '\n== %s ==\n' "$*"; }
have() { command -v "$1" >/dev/null 2>&1; }

section "machine"
echo "date:  $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "tree:  $(git rev-parse --short HEAD 2>/dev/null || echo '?')$(git status --porcelain 2>/dev/null | grep -q . && echo ' with uncommitted changes')"
echo "cpu:   $(nproc) x $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
echo "load:  $(cut -d' ' -f1-3 /proc/loadavg) (other work on the machine shows in the figures)"
echo "g++:   $(g++ --version | head -1)"

# --- (a)-(e) and (g): the core natively -----------------------------------------------------
section "(a)-(e) core benchmarks: native, Release, sim backend"
log "configuring and building core_bench in $OUT"
cmake -S bench -B "$OUT" -DCMAKE_BUILD_TYPE=Release >"$OUT/configure.log" 2>&1 ||
  { cat "$OUT/configure.log"; die "configuring core_bench failed"; }
cmake --build "$OUT" --target core_bench -j 2 >"$OUT/build.log" 2>&1 ||
  { tail -40 "$OUT/build.log"; die "building core_bench failed"; }
# shellcheck disable=SC2086  # the flags are meant to split
"$OUT/core_bench" $CORE_ARGS

section "(g) heap after start (sim)"
"$OUT/core_bench" --startup-heap

# --- (f) the shipped program --------------------------------------------------------------
EXE=build/i686/src/territory.exe
section "(f) the i686 program: $EXE"
HAVE_EXE=0
if have i686-w64-mingw32-g++-posix && [[ -f CMakePresets.json ]]; then
  log "cmake --preset i686 && cmake --build --preset i686 --target territory"
  if cmake --preset i686 >"$OUT/i686-configure.log" 2>&1 &&
    cmake --build --preset i686 --target territory >"$OUT/i686-build.log" 2>&1; then
    HAVE_EXE=1
  else
    echo "skipped: the i686 build failed (see $OUT/i686-configure.log and $OUT/i686-build.log):"
    tail -15 "$OUT/i686-build.log" 2>/dev/null || tail -15 "$OUT/i686-configure.log"
  fi
else
  echo "skipped: no MinGW-w64 i686 compiler or no CMakePresets.json"
fi
if [[ $HAVE_EXE == 1 ]]; then
  size=$(stat -c %s "$EXE")
  i686-w64-mingw32-strip -o "$OUT/territory.stripped.exe" "$EXE"
  stripped=$(stat -c %s "$OUT/territory.stripped.exe")
  echo "size:  $size bytes ($((size / 1024)) KiB); after another strip: $stripped bytes"
  echo "flags: $(grep -E '^CMAKE_CXX_FLAGS_RELEASE:' build/i686/CMakeCache.txt | cut -d= -f2-) (CMake Release), linked -static -s"
  echo "imports:"
  i686-w64-mingw32-objdump -p "$EXE" | grep 'DLL Name' | sed 's/^\s*/  /'
fi

# --- (h) start-up under Wine ----------------------------------------------------------------
section "(h) start-up under Wine in Xvfb: $RUNS alternating runs of each"
missing=()
for tool in wine wineserver winepath Xvfb xdpyinfo i686-w64-mingw32-g++-posix; do
  have "$tool" || missing+=("$tool")
done
[[ -f "$TERRITORY_WINEPREFIX/system.reg" ]] || missing+=("the Wine prefix $TERRITORY_WINEPREFIX (scripts/setup.sh)")
[[ $HAVE_EXE == 1 ]] || missing+=("$EXE")
if [[ ${#missing[@]} -gt 0 ]]; then
  echo "skipped: missing ${missing[*]}"
  exit 0
fi

# The minimal program and the probe, built the way the shipped program is linked.
MINGW_FLAGS=(-std=c++20 -Os -static -s -Wall -Wextra -Wpedantic -Wshadow)
i686-w64-mingw32-g++-posix "${MINGW_FLAGS[@]}" -mwindows -o "$WIN_OUT/minimal_win32.exe" bench/minimal_win32.cpp
i686-w64-mingw32-g++-posix "${MINGW_FLAGS[@]}" -o "$WIN_OUT/startup_probe.exe" bench/startup_probe.cpp
# A copy at a path of our own, so that its process is told apart from other runs of the program.
cp "$EXE" "$WIN_OUT/territory.exe"
echo "minimal_win32.exe: $(stat -c %s "$WIN_OUT/minimal_win32.exe") bytes, built with ${MINGW_FLAGS[*]} -mwindows"

cleanup() {
  stop_wineserver
  stop_xvfb
}
trap cleanup EXIT
start_xvfb
start_wineserver
wine_env
[[ -n "$WINESERVER_PID" ]] || log "another run's wineserver serves this prefix: used, left running"

to_windows() { winepath -w "$1" 2>/dev/null; }
PROBE=$WIN_OUT/startup_probe.exe
TERRITORY_WIN=$(to_windows "$WIN_OUT/territory.exe")
MINIMAL_WIN=$(to_windows "$WIN_OUT/minimal_win32.exe")
TERRITORY_TITLE=$(printf '领地设置' | iconv -f UTF-8 -t GBK | od -An -tx1 | tr -d ' \n')
MINIMAL_TITLE=$(printf 'minimal_win32' | od -An -tx1 | tr -d ' \n')
TERRITORY_FOCUS=120  # 复制1: open_window numbers the controls 100, 110, ... from the last listed up
MINIMAL_FOCUS=1000   # the minimal program's first edit

# The Linux process whose first argument is this Windows path (Wine's own processes show it so).
unix_pid_of() {
  local want=$1 p first
  for p in /proc/[0-9]*; do
    first=$(tr '\0' '\n' 2>/dev/null <"$p/cmdline" | head -1) || continue
    [[ "$first" == "$want" ]] && { echo "${p#/proc/}"; return 0; }
  done
  return 1
}

# One start: prints "MS KB" (time to ready, VmHWM), or "fail REASON".
probe_once() {
  local exe_win=$1 title=$2 focus=$3 out stop probe_pid i pid hwm ms
  out=$(mktemp)
  stop=$(mktemp -u /tmp/bench-stop.XXXXXX)
  wine "$PROBE" "$exe_win" "$title" "$focus" "Z:${stop//\//\\}" >"$out" 2>&1 </dev/null &
  probe_pid=$!
  for ((i = 0; i < 1800; i++)); do
    grep -qE '^(ready|error)' "$out" && break
    kill -0 "$probe_pid" 2>/dev/null || break
    sleep 0.05
  done
  ms=$(awk '/^ready/ {print $2}' "$out")
  hwm="?"
  if [[ -n "$ms" ]]; then
    pid=$(unix_pid_of "$exe_win") && hwm=$(awk '/^VmHWM/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo "?")
  fi
  touch "$stop"
  wait "$probe_pid" 2>/dev/null || true
  if [[ -n "$ms" ]]; then echo "$ms $hwm"; else echo "fail $(tr '\n' ' ' <"$out")"; fi
  rm -f "$out" "$stop"
}

median() { sort -n | awk '{v[NR] = $1} END {if (NR == 0) print "?"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

log "one warm-up start of each, not counted"
probe_once "$TERRITORY_WIN" "$TERRITORY_TITLE" "$TERRITORY_FOCUS" >/dev/null
probe_once "$MINIMAL_WIN" "$MINIMAL_TITLE" "$MINIMAL_FOCUS" >/dev/null

printf '%-5s %14s %12s %14s %12s\n' run "territory ms" "VmHWM kB" "minimal ms" "VmHWM kB"
t_ms=() t_kb=() m_ms=() m_kb=() failures=0
for ((run = 1; run <= RUNS; run++)); do
  read -r a b <<<"$(probe_once "$TERRITORY_WIN" "$TERRITORY_TITLE" "$TERRITORY_FOCUS")"
  read -r c d <<<"$(probe_once "$MINIMAL_WIN" "$MINIMAL_TITLE" "$MINIMAL_FOCUS")"
  printf '%-5s %14s %12s %14s %12s\n' "$run" "$a" "$b" "$c" "$d"
  if [[ "$a" == fail ]]; then failures=$((failures + 1)); else t_ms+=("$a"); t_kb+=("$b"); fi
  if [[ "$c" == fail ]]; then failures=$((failures + 1)); else m_ms+=("$c"); m_kb+=("$d"); fi
done
tm=$(printf '%s\n' "${t_ms[@]}" | median)
mm=$(printf '%s\n' "${m_ms[@]}" | median)
tk=$(printf '%s\n' "${t_kb[@]}" | grep -v '?' | median)
mk=$(printf '%s\n' "${m_kb[@]}" | grep -v '?' | median)
printf '%-5s %14s %12s %14s %12s\n' median "$tm" "$tk" "$mm" "$mk"
awk -v t="$tm" -v m="$mm" -v a="$tk" -v b="$mk" 'BEGIN {
  if (m > 0) printf "start-up, territory / minimal: %.2f (%+.1f ms)\n", t / m, t - m
  if (b > 0) printf "peak resident memory, territory / minimal: %.2f (%+d kB)\n", a / b, a - b }'
echo "measured from CreateProcess in the probe until the window is visible with the focus in"
echo "复制1 (territory) or in the first edit (minimal); VmHWM of the program's Wine process."
[[ $failures == 0 ]] || { echo "$failures starts failed"; exit 1; }
