#!/usr/bin/env bash
# Installs what the program needs if it is missing, builds the program alone
# (no tests or benchmarks) into build-app/, and opens the simulator. Arguments
# go to the program (for example --load scene.csv).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --program
scripts/build.sh --program
exec build-app/orbitarium "$@"
