#!/usr/bin/env bash
# Installs what building, running and testing Orbitarium needs, with apt-get,
# only when something is missing.
# Usage: scripts/install-deps.sh [--program] [--dev] [--fuzz] [--package]
# (--program: only what building and running the program needs, no test or
# benchmark libraries; --dev adds Xvfb, openbox, xdotool and ImageMagick for
# looking at the window without a display, and GNU parallel for
# scripts/sweep-exponent.sh; --fuzz adds clang and its libFuzzer runtime for
# scripts/fuzz.sh; --package adds dpkg-shlibdeps and the desktop-file and
# AppStream checkers for scripts/package.sh).
set -euo pipefail

# The program: a compiler, CMake, Qt 6 with its platform plugins and charts,
# the font its pictures are drawn in, the JSON library its run files are
# read and written with, and FFmpeg's libraries for its videos.
packages=(g++ make cmake pkg-config qt6-base-dev qt6-charts-dev libqt6opengl6-dev fonts-dejavu-core
  nlohmann-json3-dev libavcodec-dev libavformat-dev libavutil-dev libswscale-dev)
# The tests check the videos with ffprobe.
tests=(libgtest-dev libbenchmark-dev ffmpeg)
program_only=0
for arg in "$@"; do
  case "$arg" in
    --program) program_only=1 ;;
    --dev) packages+=(xvfb xauth imagemagick openbox xdotool parallel) ;;
    --fuzz) packages+=(clang libclang-rt-14-dev) ;;
    --package) packages+=(dpkg-dev desktop-file-utils appstream) ;;
    *) echo "install-deps: unknown option $arg" >&2; exit 2 ;;
  esac
done
[[ $program_only -eq 1 ]] || packages+=("${tests[@]}")

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
