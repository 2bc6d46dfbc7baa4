#!/usr/bin/env bash
# Fuzzes the rewrite core with libFuzzer for N minutes (default 5), starting from the seed
# corpus. New inputs go to build-fuzz/corpus; a failing input is written to build-fuzz/.
set -euo pipefail
minutes=${1:-5}
cd "$(dirname "$0")/.."

mapfile -t packages < scripts/build-packages.txt
scripts/ensure-packages.sh "${packages[@]}" libgtest-dev clang libclang-rt-14-dev

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSORVANE_SANITIZE=ON -DSORVANE_FUZZ=ON >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target rewrite_fuzzer

mkdir -p build-fuzz/corpus
cd build-fuzz
./bin/rewrite_fuzzer -max_total_time=$((minutes * 60)) -print_final_stats=1 -max_len=4096 \
  corpus ../fuzz/corpus 2>&1 | tail -n 25
