#!/usr/bin/env bash
# Installs what is missing, builds Sorvane and starts it.
set -euo pipefail
cd "$(dirname "$0")"

mapfile -t packages < scripts/build-packages.txt
scripts/ensure-packages.sh "${packages[@]}"

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DSORVANE_TESTS=OFF
cmake --build build -j"$(nproc)" --target sorvane

exec build/bin/sorvane
