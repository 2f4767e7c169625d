# Shared pieces of the project's scripts; sourced, not run.
# Provides: TERRITORY_ROOT, the Wine environment, a virtual display and a persistent wineserver,
# each started and stopped by process id so that nothing belonging to others is touched.

TERRITORY_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export TERRITORY_WINEPREFIX="${TERRITORY_WINEPREFIX:-/root/.wine-territory}"

log() { printf '[%s] %s\n' "$(date +%H:%M:%S)" "$*"; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

# The environment every Wine run of this project uses (the same as scripts/wine-run).
wine_env() {
  export WINEPREFIX="$TERRITORY_WINEPREFIX"
  export WINEDEBUG="${TERRITORY_WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export LC_ALL=zh_CN.UTF-8
}

# --- virtual display -------------------------------------------------------------------
# Xvfb chooses a free display itself (-displayfd) and reports it once it listens, so two
# runs side by side never race for the same number.
XVFB_PID=""
start_xvfb() {
  local numfile i
  numfile="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
  XVFB_PID=$!
  for ((i = 0; i < 200; i++)); do
    [[ -s "$numfile" ]] && break
    kill -0 "$XVFB_PID" 2>/dev/null || { rm -f "$numfile"; XVFB_PID=""; die "Xvfb did not start"; }
    sleep 0.1
  done
  [[ -s "$numfile" ]] || { rm -f "$numfile"; stop_xvfb; die "Xvfb reported no display within 20 s"; }
  export DISPLAY=":$(tr -dc 0-9 <"$numfile")"
  rm -f "$numfile"
  for ((i = 0; i < 100; i++)); do
    xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && { log "Xvfb on $DISPLAY (pid $XVFB_PID)"; return 0; }
    sleep 0.2
  done
  stop_xvfb
  die "Xvfb on $DISPLAY does not answer"
}
stop_xvfb() {
  if [[ -n "$XVFB_PID" ]]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
}

# --- wineserver ----------------------------------------------------------------------------
# Each `wine` start costs seconds without a running wineserver; one persistent server for a
# whole run makes the per-test starts cheap. The server runs on a private copy of the prefix:
# a wineserver belongs to one prefix, and runs that shared one would share window activation
# across their displays and stop each other's programs with `wineserver -k`. The registry
# files are copied (Wine rewrites them in place); drive_c, large and only read, is hard-linked.
WINESERVER_PID=""
SHARED_WINEPREFIX=""
make_private_prefix() {
  local shared="$TERRITORY_WINEPREFIX" clone="$TERRITORY_WINEPREFIX.run-$$" stale item
  # Copies left by runs that were killed.
  for stale in "$shared".run-*; do
    [[ -d "$stale" ]] || continue
    kill -0 "${stale##*.run-}" 2>/dev/null || rm -rf -- "$stale"
  done
  rm -rf -- "$clone"
  mkdir -p "$clone" || return 1
  for item in "$shared"/* "$shared"/.[!.]*; do
    case "${item##*/}" in
      drive_c) cp -al "$item" "$clone/" || return 1 ;;
      wineserver | '.[!.]*' | '*') ;;
      *) cp -a "$item" "$clone/" || return 1 ;;
    esac
  done
  SHARED_WINEPREFIX="$shared"
  export TERRITORY_WINEPREFIX="$clone"
}
start_wineserver() {
  make_private_prefix || die "could not copy the Wine prefix $TERRITORY_WINEPREFIX"
  (
    wine_env
    exec wineserver -f -p
  ) >/dev/null 2>&1 &
  WINESERVER_PID=$!
  sleep 0.5
  kill -0 "$WINESERVER_PID" 2>/dev/null || die "wineserver did not start for $TERRITORY_WINEPREFIX"
  # Warm it: the first program start brings up Wine's own services.
  (wine_env; timeout 120 wine cmd /c exit) >/dev/null 2>&1 </dev/null || true
}
stop_wineserver() {
  if [[ -n "$WINESERVER_PID" ]]; then
    (wine_env; timeout 30 wineserver -k) >/dev/null 2>&1 || true
    wait "$WINESERVER_PID" 2>/dev/null || true
    WINESERVER_PID=""
  fi
  if [[ -n "$SHARED_WINEPREFIX" ]]; then
    rm -rf -- "$TERRITORY_WINEPREFIX"
    export TERRITORY_WINEPREFIX="$SHARED_WINEPREFIX"
    SHARED_WINEPREFIX=""
  fi
}
