#!/usr/bin/env bash
# Builds the Debian package of Sorvane from a Release build in build-deb/ and prints the
# package's path. Install it with: sudo apt-get install ./build-deb/sorvane_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."

# dpkg-dev (dpkg-shlibdeps) and file let CPack read the dependencies off the programs.
mapfile -t packages < scripts/build-packages.txt
scripts/ensure-packages.sh "${packages[@]}" dpkg-dev file

cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=Release -DSORVANE_TESTS=OFF -DSORVANE_SANITIZE=OFF
cmake --build build-deb -j"$(nproc)"

# A package left from an earlier version must not be taken for this one.
rm -f build-deb/sorvane_*.deb
(cd build-deb && cpack -G DEB)

shopt -s nullglob
debs=("$PWD"/build-deb/sorvane_*.deb)
if [ ${#debs[@]} -ne 1 ]; then
  echo "build-deb.sh: expected one package in build-deb/, found ${#debs[@]}" >&2
  exit 1
fi
echo "${debs[0]}"
