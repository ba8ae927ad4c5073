#!/usr/bin/env bash
# Runs the monkey long: ACTIONS random actions (default 100000) on the window,
# offscreen, from SEED (default: a new one, printed), with the body table's
# invariants, the record and the window checked after every action. A fault
# stops the run with the seed, the action number, the last 20 actions and the
# command that repeats them. --asan runs it in the sanitizer build
# (build-asan), otherwise in the Release build (build/). Builds what is missing.
# Usage: scripts/monkey.sh [--asan] [ACTIONS] [SEED]
set -euo pipefail
cd "$(dirname "$0")/.."
preset=release
if [[ "${1:-}" == "--asan" ]]; then
  preset=asan-ubsan
  shift
fi
actions="${1:-100000}"
seed="${2:-$(( (RANDOM << 30) | (RANDOM << 15) | RANDOM ))}"
if ! [[ "$actions" =~ ^[0-9]+$ && "$seed" =~ ^[0-9]+$ ]]; then
  echo "usage: scripts/monkey.sh [--asan] [ACTIONS] [SEED]" >&2
  exit 2
fi

scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target orb_monkey_tests
dir=build
[[ "$preset" == asan-ubsan ]] && dir=build-asan

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_stack_use_after_return=1:check_initialization_order=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
echo "monkey: $actions actions from seed $seed ($preset)"
start=$SECONDS
status=0
"$dir"/tests/orb_monkey_tests --seed "$seed" --seeds 1 --actions "$actions" \
  --gtest_filter='Seeds/MonkeyRun.*' --gtest_brief=1 || status=$?
echo "monkey: seed $seed, $actions actions, $((SECONDS - start)) s, $([[ $status -eq 0 ]] && echo passed || echo FAILED)"
exit "$status"
