#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for
# SECONDS (default 30) on a scratch copy of its seed corpus, so the repository's
# corpus is never written. Exits non-zero when any target crashes; the inputs
# that crashed are kept in build-fuzz/crashes/<target>/.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [[ "$seconds" -lt 1 ]]; then
  echo "usage: scripts/fuzz.sh [SECONDS]" >&2
  exit 2
fi

scripts/install-deps.sh --fuzz
targets=(numbers scene record runfile)
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ \
  -DORB_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
# Only the fuzz targets: the rest of the tree is not needed here.
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
failed=()
for t in "${targets[@]}"; do
  mkdir -p "$scratch/$t/corpus" "$scratch/$t/crashes"
  cp fuzz/corpus/"$t"/* "$scratch/$t/corpus/"
  echo "== fuzz_$t for ${seconds}s"
  if ! build-fuzz/fuzz/fuzz_"$t" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$scratch/$t/crashes/" "$scratch/$t/corpus"; then
    failed+=("$t")
    mkdir -p build-fuzz/crashes/"$t"
    cp -r "$scratch/$t/crashes/." build-fuzz/crashes/"$t"/
  fi
done

if [[ ${#failed[@]} -gt 0 ]]; then
  echo "fuzzing found crashes in: ${failed[*]} (inputs in build-fuzz/crashes/)" >&2
  exit 1
fi
echo "fuzzing: no crashes"
