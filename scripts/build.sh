#!/usr/bin/env bash
# Configures and builds in Release.
#   scripts/build.sh            everything (the program, tests, benchmarks) into build/
#   scripts/build.sh --program  the program alone into build-app/: no test or
#                               benchmark libraries needed, and a folder of its
#                               own that no test build touches
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ "${1:-}" == "--program" ]]; then
  cmake -S . -B build-app -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
  cmake --build build-app --target orbitarium -j"$(nproc)"
else
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build -j"$(nproc)"
fi
