#!/usr/bin/env bash
# Installs what building, running and testing Orbitarium needs, with apt-get,
# only when something is missing. Usage: scripts/install-deps.sh [--dev] [--fuzz] [--package]
# (--dev adds Xvfb, openbox, xdotool and ImageMagick for looking at the window
# without a display, and GNU parallel for scripts/sweep-exponent.sh;
# --fuzz adds clang and its libFuzzer runtime for scripts/fuzz.sh; --package adds
# dpkg-shlibdeps and the desktop-file and AppStream checkers for scripts/package.sh).
set -euo pipefail

packages=(g++ make cmake qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgtest-dev libbenchmark-dev fonts-dejavu-core)
if [[ "${1:-}" == "--dev" ]]; then
  packages+=(xvfb xauth imagemagick openbox xdotool parallel)
fi
for arg in "$@"; do
  if [[ "$arg" == "--fuzz" ]]; then packages+=(clang libclang-rt-14-dev); fi
  if [[ "$arg" == "--package" ]]; then packages+=(dpkg-dev desktop-file-utils appstream); fi
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
if ! "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"; then
  # A bare machine may not have read the package lists yet.
  "${sudo[@]}" apt-get update
  "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
