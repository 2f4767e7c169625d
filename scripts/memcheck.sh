#!/usr/bin/env bash
# Runs the native unit tests under valgrind's memcheck: any invalid read or write, use of an
# uninitialised value, bad free, or definitely or indirectly lost block fails the run, as does
# a failing test. Configures and builds the native preset first when it is missing.
#
#   bash scripts/memcheck.sh                   every unit test
#   bash scripts/memcheck.sh 'Commands.*'      only the tests the GoogleTest filter selects
#
# The full valgrind log is kept in build/logs/valgrind-unit_tests.log. TERRITORY_UNIT_TESTS
# names another test executable to run instead (it is then not built here).
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$TERRITORY_ROOT"

EXE="${TERRITORY_UNIT_TESTS:-$TERRITORY_ROOT/build/native/tests/unit_tests}"
LOG_DIR="$TERRITORY_ROOT/build/logs"
FILTER="${1:-*}"

command -v valgrind >/dev/null || die "valgrind is not installed (apt-get install valgrind)"
if [[ ! -x "$EXE" && -z "${TERRITORY_UNIT_TESTS:-}" ]]; then
  log "no native build: configuring and building the native preset"
  { cmake --preset native && cmake --build --preset native; } || die "the native build failed"
fi
[[ -x "$EXE" ]] || die "no unit test executable at ${EXE#"$TERRITORY_ROOT"/}"

mkdir -p "$LOG_DIR"
log="$LOG_DIR/valgrind-unit_tests.log"
log "running ${EXE#"$TERRITORY_ROOT"/} under valgrind memcheck (log ${log#"$TERRITORY_ROOT"/})"
start=$SECONDS
valgrind --tool=memcheck --error-exitcode=1 --leak-check=full \
  --errors-for-leak-kinds=definite,indirect --show-leak-kinds=definite,indirect \
  --track-origins=yes --num-callers=30 \
  "$EXE" --gtest_filter="$FILTER" >"$log" 2>&1
rc=$?

errors="$(grep -aoE 'ERROR SUMMARY: [0-9]+ errors' "$log" | tail -n 1 | grep -oE '[0-9]+')"
definitely="$(grep -aE 'definitely lost:' "$log" | tail -n 1 | sed -E 's/.*definitely lost: ([0-9,]+) bytes.*/\1/')"
indirectly="$(grep -aE 'indirectly lost:' "$log" | tail -n 1 | sed -E 's/.*indirectly lost: ([0-9,]+) bytes.*/\1/')"
tests="$(grep -aE '^\[==========\] [0-9]+ tests? from .* ran' "$log" | grep -oE '[0-9]+ tests?' | head -n 1)"
passed="$(grep -aE '^\[  PASSED  \]' "$log" | grep -oE '[0-9]+ tests?' | head -n 1)"

if [[ $rc -ne 0 ]]; then
  # The first errors and failures, with their stacks.
  grep -aE '^\[  FAILED  \]' "$log" | head -n 20
  grep -aE -A 25 '^==[0-9]+== (Invalid|Conditional|Use of|Mismatched|Syscall|Source and destination|Argument|[0-9,]+ (\([0-9,]+ direct, [0-9,]+ indirect\) )?bytes in)' "$log" | head -n 120
  echo "memcheck: FAILED (exit $rc): ${tests:-? tests} ran, ${passed:-0 tests} passed, ${errors:-?} errors," \
    "${definitely:-0} bytes definitely and ${indirectly:-0} indirectly lost ($((SECONDS - start)) s)"
  exit 1
fi
echo "memcheck: ${tests:-? tests} ran, ${passed:-0 tests} passed, ${errors:-0} errors," \
  "${definitely:-0} bytes definitely and ${indirectly:-0} indirectly lost ($((SECONDS - start)) s)"
