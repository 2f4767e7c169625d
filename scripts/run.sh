#!/usr/bin/env bash
# Builds the 32-bit Windows program and starts it under Wine. With no display (a server, CI),
# it opens the window on a virtual display instead, saves docs/screenshot.png and stops.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$TERRITORY_ROOT"

if [[ -z "${DISPLAY:-}" ]]; then
  log "no DISPLAY: opening the window on a virtual display for a screenshot"
  exec bash scripts/screenshot.sh docs/screenshot.png
fi

bash scripts/setup.sh
cmake --preset i686
cmake --build --preset i686 --target territory
log "starting build/i686/src/territory.exe on $DISPLAY"
exec scripts/wine-run build/i686/src/territory.exe
