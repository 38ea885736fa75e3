#!/usr/bin/env bash
# valgrind over the real module's start, recording, stop and second start (no leak, no invalid
# access), then a thousand start/stop cycles in one process (no growth in heap, widgets, menus
# or flight loops). Usage: scripts/memcheck.sh BUILD_DIR (a build without sanitizers).
set -euo pipefail

build=${1:?usage: scripts/memcheck.sh BUILD_DIR}
test_program="$build/tests/start_stop_cycles_test"
if nm -D "$test_program" | grep -q __asan_init; then
  echo "memcheck: $test_program is built with AddressSanitizer; use a build without it" >&2
  exit 2
fi

echo "== valgrind: start, a recording, stop, a second start"
valgrind --quiet --error-exitcode=1 --leak-check=full --show-leak-kinds=definite,indirect \
  --errors-for-leak-kinds=definite,indirect --track-origins=yes \
  "$test_program" --gtest_filter=StartStopTest.RecordingStopAndASecondStart
echo "valgrind: no invalid access, no leak"

echo "== 1000 start/stop cycles in one process"
"$test_program" --gtest_filter=StartStopTest.AThousandCyclesLeaveNothingBehind
