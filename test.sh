#!/usr/bin/env bash
# Installs what is missing, builds every test under AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs them all through CTest.
set -euo pipefail
cd "$(dirname "$0")"

mapfile -t packages < scripts/build-packages.txt
scripts/ensure-packages.sh "${packages[@]}" libgtest-dev

cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DSORVANE_SANITIZE=ON -DSORVANE_TESTS=ON
cmake --build build-test -j"$(nproc)"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-test --output-on-failure -j"$(nproc)"
