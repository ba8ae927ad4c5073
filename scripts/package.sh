#!/usr/bin/env bash
# Builds the Debian package: installs what is missing, checks the desktop entry
# and the metainfo, builds a Release tree for /usr into build-package/ and runs
# cpack. Prints the path of the .deb; install it with
#   sudo apt-get install ./build-package/orbitarium_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --package

desktop-file-validate packaging/io.github.orbitarium.Orbitarium.desktop
appstreamcli validate --no-net packaging/io.github.orbitarium.Orbitarium.metainfo.xml >/dev/null

cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF >/dev/null
cmake --build build-package -j"$(nproc)"
# A package of an older version would otherwise be picked up below.
rm -f build-package/orbitarium_*.deb
(cd build-package && cpack -G DEB >/dev/null)

debs=(build-package/orbitarium_*.deb)
if [[ ${#debs[@]} -ne 1 || ! -f "${debs[0]}" ]]; then
  echo "cpack made no single orbitarium_*.deb in build-package/" >&2
  exit 1
fi
echo "$PWD/${debs[0]}"
