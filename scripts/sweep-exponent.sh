#!/usr/bin/env bash
# The exponent sweep over the Balanced Disc: one independent headless run per
# exponent, run side by side by GNU parallel, one CSV row per run:
#   typed,fitted,error,starsInPlay
# Usage: scripts/sweep-exponent.sh [PROGRAM] [-- PARALLEL OPTIONS...]
#   PROGRAM defaults to build/orbitarium; options after -- go to parallel, for
#   example -- --sshlogin 4/alice@lab1,4/bob@lab2 to spread the runs over
#   machines that have the program at the same path.
# Each run: seed 7, 400 bodies, the disc pressed with the exponent typed (and
# the velocity spread in SPREAD, 0 unless set), then 3000 ticks at Max; the fit
# is the rotation curve's, exponent = 1 - 2 slope.
set -euo pipefail
cd "$(dirname "$0")/.."
program="${1:-build/orbitarium}"
[[ $# -gt 0 ]] && shift
[[ "${1:-}" == "--" ]] && shift
command -v parallel >/dev/null || { echo "sweep-exponent: GNU parallel is missing (apt-get install parallel)" >&2; exit 1; }
[[ -x "$program" ]] || { echo "sweep-exponent: $program is not a program (build it with scripts/build.sh)" >&2; exit 1; }

run() {
  local program="$1" e="$2" out fitted status
  out=$("$program" --headless --seed 7 --set TXn=400 --set "TXspread=${SPREAD:-0}" --set "TXg(2)=$e" --preset "Balanced Disc" \
        --set Speed=Max --ticks 3 --print CurveExponent --print Status)
  fitted=$(sed -n 's/^CurveExponent=//p' <<<"$out")
  status=$(sed -n 's/^Status=//p' <<<"$out")
  local inPlay
  inPlay=$(grep -o '[0-9]* bod' <<<"$status" | grep -o '[0-9]*')
  # "1.98 ± 0.04" becomes 1.98,0.04; "none" stays none,none.
  if [[ "$fitted" == none ]]; then fitted="none,none"; else fitted="${fitted/ ± /,}"; fi
  # Body 0 is the central mass, not a star.
  echo "$e,$fitted,$((inPlay - 1))"
}
export -f run
export SHELL=/bin/bash
export SPREAD

echo "typed,fitted,error,starsInPlay"
parallel --will-cite -k --env run --env SPREAD "$@" run "$program" ::: 1 1.2 1.4 1.6 1.8 2 2.2 2.4 2.6
