#!/usr/bin/env bash
# Runs every test: sets the machine up, then builds and tests each preset (native, sanitizers,
# both Windows cross builds with their unit tests under Wine) and runs the end-to-end tests of
# the real program under Wine on a virtual display. Prints a summary; exits non-zero when
# anything failed.
#
#   bash scripts/test.sh                 every step
#   bash scripts/test.sh native e2e      only the steps named
#
# TERRITORY_JOBS sets the build and test parallelism (default 2).
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$TERRITORY_ROOT"

JOBS="${TERRITORY_JOBS:-2}"
LOG_DIR="$TERRITORY_ROOT/build/logs"

# --- steps ---------------------------------------------------------------------------------
# Each step is a function that returns non-zero on failure; its output goes to the terminal
# and to build/logs/STEP.log.

# Configure, build and test one preset.
preset() {
  local name="$1"
  cmake --preset "$name" &&
    cmake --build --preset "$name" -j "$JOBS" &&
    ctest --preset "$name" -j "$JOBS"
}

native_step() { preset native; }
asan_step() { preset asan; }

# The cross builds' tests run under Wine (CMake's emulator, scripts/wine-run); one persistent
# wineserver for the whole step keeps each test's start cheap.
cross() {
  (
    trap stop_wineserver EXIT
    start_wineserver
    preset "$1"
  )
}
i686_step() { cross i686; }
x86_64_step() { cross x86_64; }

# The real program under Wine in its own Xvfb, driven from outside; the harness starts and
# stops its own display and wineserver.
e2e_step() {
  python3 tests/e2e/run_e2e.py \
    --exe build/i686/src/territory.exe \
    --driver build/i686/tests/e2e/e2e_driver.exe \
    --artifacts build/i686/e2e
}

# --- hardening steps -----------------------------------------------------------------------
# Each NAME_step returns non-zero on failure; NAME stands in STEPS after the steps whose builds
# it uses.

# libFuzzer on the form loader, each kind's settings reader and the picture decoder, a short
# fixed time (scripts/fuzz.sh 600 runs them longer).
fuzz_step() { bash scripts/fuzz.sh; }
# The native unit tests under valgrind's memcheck.
memcheck_step() { bash scripts/memcheck.sh; }

STEPS=(native asan i686 x86_64 e2e fuzz memcheck)

# --- running -------------------------------------------------------------------------------

declare -a SUMMARY=()
FAILED=()

# The closing count of a step's test runner, for the summary.
counts_of() {
  grep -aE '^[0-9]+% tests passed|^e2e: [0-9]+ passed|^fuzz: |^memcheck: ' "$1" | tail -n 1
}

run_step() {
  local name="$1" log="$LOG_DIR/$1.log" start=$SECONDS rc
  log "=== $name"
  "${name}_step" 2>&1 | tee "$log"
  rc=${PIPESTATUS[0]}
  local took=$((SECONDS - start)) counts
  counts="$(counts_of "$log")"
  if [[ $rc -eq 0 ]]; then
    SUMMARY+=("$(printf 'PASS  %-8s %4ds  %s' "$name" "$took" "$counts")")
  else
    SUMMARY+=("$(printf 'FAIL  %-8s %4ds  %s (exit %d, log %s)' "$name" "$took" "$counts" "$rc" "${log#"$TERRITORY_ROOT"/}")")
    FAILED+=("$name")
  fi
}

main() {
  local selected=("$@") step
  [[ ${#selected[@]} -gt 0 ]] || selected=("${STEPS[@]}")
  for step in "${selected[@]}"; do
    declare -F "${step}_step" >/dev/null || die "unknown step '$step'; steps: ${STEPS[*]}"
  done

  trap 'stop_wineserver; stop_xvfb' EXIT
  trap 'exit 130' INT TERM
  local start=$SECONDS
  log "=== setup"
  bash scripts/setup.sh || die "setup failed; nothing was tested"
  mkdir -p "$LOG_DIR"

  for step in "${selected[@]}"; do
    run_step "$step"
  done

  echo
  echo "==================== summary ($((SECONDS - start)) s) ===================="
  printf '%s\n' "${SUMMARY[@]}"
  if [[ ${#FAILED[@]} -gt 0 ]]; then
    echo "summary: ${#FAILED[@]} of ${#selected[@]} steps FAILED: ${FAILED[*]}"
    return 1
  fi
  echo "summary: all ${#selected[@]} steps passed"
}

main "$@"
