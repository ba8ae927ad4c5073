#!/usr/bin/env bash
# Installs what is missing, builds, and opens the simulator. Arguments go to
# the program (for example --load scene.csv).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
exec build/orbitarium "$@"
