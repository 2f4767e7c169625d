#!/usr/bin/env bash
# Makes docs/screenshot.png: the program's window as it opens, under Wine on a virtual display
# of 1024 x 768, with the Chinese font pinned (scripts/setup.sh), cropped to the window.
#
#   bash scripts/screenshot.sh [OUTPUT.png]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$TERRITORY_ROOT"

OUT="$(realpath -m "${1:-docs/screenshot.png}")"
EXE=build/i686/src/territory.exe
DRIVER=build/i686/tests/e2e/e2e_driver.exe
PROGRAM_PID=""

cleanup() {
  if [[ -n "$PROGRAM_PID" ]] && kill -0 "$PROGRAM_PID" 2>/dev/null; then
    kill "$PROGRAM_PID" 2>/dev/null || true
    wait "$PROGRAM_PID" 2>/dev/null || true
  fi
  stop_wineserver
  stop_xvfb
}
trap cleanup EXIT

bash scripts/setup.sh
if [[ ! -f build/i686/CMakeCache.txt ]]; then
  cmake --preset i686
fi
cmake --build --preset i686 --target territory e2e_driver

unset DISPLAY
start_xvfb
start_wineserver
scripts/wine-run "$EXE" </dev/null >"build/i686/screenshot-program.log" 2>&1 &
PROGRAM_PID=$!
scripts/wine-run "$DRIVER" wait-window 60000 >/dev/null || die "the window did not appear (see build/i686/screenshot-program.log)"
# Give the window time to paint all its controls before the picture is taken.
sleep 2
geometry="$(scripts/wine-run "$DRIVER" layout | python3 -c '
import json, sys
w = json.load(sys.stdin)["window"]
print("%dx%d+%d+%d" % (w["width"], w["height"], w["left"], w["top"]))')"
mkdir -p "$(dirname "$OUT")"
import -window root -crop "$geometry" +repage "$OUT"
log "screenshot of the window ($geometry): $OUT"

scripts/wine-run "$DRIVER" close >/dev/null || true
for ((i = 0; i < 100; i++)); do
  kill -0 "$PROGRAM_PID" 2>/dev/null || break
  sleep 0.1
done
