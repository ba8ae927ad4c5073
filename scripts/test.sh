#!/usr/bin/env bash
# Installs what is missing, then runs every check: the Release build with
# warnings as errors (preset ci, build-ci/) and the whole suite; the suite again
# under AddressSanitizer and UndefinedBehaviorSanitizer (preset asan-ubsan,
# build-asan/), the window, headless and monkey tests included; the engine's
# and the window's tests under ThreadSanitizer (preset tsan, build-tsan/); then
# 15 s of fuzzing per libFuzzer target. Ends with the stages and their times,
# and exits non-zero when any stage failed.
# The long runs of every kernel set side by side run in the Release build only:
# under the sanitizers they add nothing the shorter runs of each set do not meet.
# Usage: scripts/test.sh [--quick]   (--quick: the Release build and suite only)
set -uo pipefail
cd "$(dirname "$0")/.."
quick=0
[[ "${1:-}" == "--quick" ]] && quick=1

summary=()
failed=0
start=$SECONDS
# stage NAME COMMAND...: runs it, notes its time and outcome.
# The processor time beside the wall time shows how busy the machine was.
stage() {
  local name="$1" outcome=ok times real user sys
  shift
  echo "=== $name"
  times=$(mktemp)
  TIMEFORMAT='%0R %0U %0S'
  if ! { time "$@" 2>&3; } 3>&2 2>"$times"; then
    outcome=FAILED
    failed=1
  fi
  read -r real user sys <"$times"
  rm -f "$times"
  summary+=("$(printf '%-26s %5ds %6ds  %s' "$name" "$real" $((user + sys)) "$outcome")")
  [[ "$outcome" == ok ]]
}
quiet() { "$@" >/dev/null; }
# The engine's tests (their suites named from tests/engine, parameterised ones
# too) and every window test, from the ThreadSanitizer build. The long runs of
# every kernel set side by side add nothing the threads do not meet in the
# shorter ones, and take minutes under it: they run in the other builds.
tsan_tests() {
  local suites filter
  suites=$(grep -hoE '^ *(TEST|TEST_F|TEST_P)\( *[A-Za-z0-9_]+' tests/engine/*.cpp | sed 's/.*( *//' | sort -u)
  filter=$(for s in $suites; do printf '%s.*:*/%s.*:' "$s" "$s"; done)
  # The video tests start ffprobe: the child the toolkit forks runs ffprobe at
  # once, so threads it starts before that are no concern.
  export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:suppressions=$PWD/scripts/tsan.supp"
  # The two run side by side, one on each core.
  build-tsan/tests/orb_core_tests --gtest_brief=1 --gtest_filter="${filter%:}-*/KernelSetsAgree.*" &
  local core=$!
  QT_QPA_PLATFORM=offscreen build-tsan/tests/orb_window_tests --gtest_brief=1
  local window=$?
  wait "$core" && [[ $window -eq 0 ]]
}
report() {
  echo
  echo "=== stages                   wall    cpu"
  printf '%s\n' "${summary[@]}"
  printf '%-26s %5ds %7s  %s\n' "total" $((SECONDS - start)) "" "$([[ $failed -eq 0 ]] && echo ok || echo FAILED)"
}
trap report EXIT

if [[ $quick -eq 1 ]]; then
  stage "install" scripts/install-deps.sh || exit 1
else
  stage "install" scripts/install-deps.sh --fuzz || exit 1
fi

stage "ci: configure" quiet cmake --preset ci &&
  stage "ci: build" cmake --build --preset ci &&
  stage "ci: tests" ctest --preset ci
[[ $quick -eq 1 ]] && exit "$failed"

stage "asan-ubsan: configure" quiet cmake --preset asan-ubsan &&
  stage "asan-ubsan: build" cmake --build --preset asan-ubsan &&
  stage "asan-ubsan: tests" ctest --preset asan-ubsan -E "KernelSetsAgree"

stage "tsan: configure" quiet cmake --preset tsan &&
  stage "tsan: build" cmake --build --preset tsan &&
  stage "tsan: tests" tsan_tests

stage "fuzz 15 s per target" scripts/fuzz.sh 15
exit "$failed"
