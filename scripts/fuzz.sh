#!/usr/bin/env bash
# Fuzzes the form loader, the seven settings readers and the picture decoder with libFuzzer
# (clang, AddressSanitizer, UndefinedBehaviorSanitizer): builds fuzz/ into build/fuzz, writes
# the seed corpora, runs each target for a fixed time and prints its number of executions.
# Exits non-zero when a target finds a crash, a leak, a timeout or an out-of-memory, or when
# the build fails. A finding is kept in build/fuzz/findings/RUN/TARGET/ with its log.
#
#   bash scripts/fuzz.sh          6 s per target: about a minute for all nine
#   bash scripts/fuzz.sh 600      600 s per target
#
# The corpus each target grows is kept in build/fuzz/corpus/TARGET and reused by the next run.
# TERRITORY_JOBS sets the build parallelism (default 2).
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$TERRITORY_ROOT"

SECONDS_PER_TARGET="${1:-6}"
[[ "$SECONDS_PER_TARGET" =~ ^[1-9][0-9]*$ ]] || die "usage: scripts/fuzz.sh [SECONDS_PER_TARGET]"
JOBS="${TERRITORY_JOBS:-2}"
BUILD="$TERRITORY_ROOT/build/fuzz"

# target, longest input: a form is 8002 bytes, a settings block a few hundred, a picture a few KB.
TARGETS=(
  "fuzz_form 16384"
  "fuzz_settings_window 4096"
  "fuzz_settings_button 4096"
  "fuzz_settings_label 4096"
  "fuzz_settings_group_box 4096"
  "fuzz_settings_edit_box 4096"
  "fuzz_settings_check_box 4096"
  "fuzz_settings_radio_box 4096"
  "fuzz_picture 32768"
)

build() {
  if [[ ! -f "$BUILD/CMakeCache.txt" ]]; then
    cmake -S fuzz -B "$BUILD" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo || return 1
  fi
  cmake --build "$BUILD" -j "$JOBS"
}

# The last count of executions libFuzzer reported: its final statistics, or after a finding
# the last progress line.
executions_in() {
  local n
  n="$(grep -a '^stat::number_of_executed_units:' "$1" | awk '{print $2}' | tail -n 1)"
  [[ -n "$n" ]] || n="$(grep -aoE '^#[0-9]+' "$1" | tail -n 1 | tr -d '#')"
  echo "${n:-0}"
}

# Runs one target; prints its line and returns non-zero on a finding.
fuzz_target() {
  local target="$1" max_len="$2" findings="$3"
  local seeds="$BUILD/seeds/${target#fuzz_}" corpus="$BUILD/corpus/$target"
  local log="$findings/$target.log" rc n files
  mkdir -p "$corpus" "$findings/$target"
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    "$BUILD/$target" -max_total_time="$SECONDS_PER_TARGET" -max_len="$max_len" -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/$target/" \
      "$corpus" "$seeds" >"$log" 2>&1
  rc=$?
  n="$(executions_in "$log")"
  files="$(find "$findings/$target" -type f | wc -l)"
  TOTAL_EXECUTIONS=$((TOTAL_EXECUTIONS + n))
  if [[ $rc -eq 0 && $files -eq 0 ]]; then
    printf '%-26s %12d executions in %4d s, corpus %5d inputs: no findings\n' \
      "$target" "$n" "$SECONDS_PER_TARGET" "$(find "$corpus" -type f | wc -l)"
    rm -f "$log"
    rmdir "$findings/$target" 2>/dev/null
    return 0
  fi
  printf '%-26s %12d executions: FINDING (exit %d)\n' "$target" "$n" "$rc"
  grep -aE '^==[0-9]+==ERROR|SUMMARY|fuzz check failed|runtime error|ALARM|out-of-memory|Test unit written' "$log" | head -n 20
  # The stack of the fault: the first one in the log.
  awk '/^ +#0 /{n++} n==1 && /^ +#[0-9]+ /' "$log" | head -n 25
  echo "  log: ${log#"$TERRITORY_ROOT"/}"
  return 1
}

main() {
  local start=$SECONDS findings failed=() entry
  log "building the fuzz targets and their seeds in ${BUILD#"$TERRITORY_ROOT"/}"
  build || die "the fuzz build failed"
  findings="$BUILD/findings/$(date +%Y%m%d-%H%M%S)"
  mkdir -p "$findings"
  TOTAL_EXECUTIONS=0
  log "running ${#TARGETS[@]} targets for $SECONDS_PER_TARGET s each"
  for entry in "${TARGETS[@]}"; do
    # shellcheck disable=SC2086
    fuzz_target $entry "$findings" || failed+=("${entry%% *}")
  done
  rmdir "$findings" 2>/dev/null
  if [[ ${#failed[@]} -gt 0 ]]; then
    echo "fuzz: ${#failed[@]} of ${#TARGETS[@]} targets found a fault: ${failed[*]} ($((SECONDS - start)) s)"
    return 1
  fi
  echo "fuzz: ${#TARGETS[@]} targets, $TOTAL_EXECUTIONS executions, no findings ($((SECONDS - start)) s)"
}

main
