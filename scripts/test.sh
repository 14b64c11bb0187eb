#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the full
# suite, the Debian package made from that same build and its contents, the
# model tests again under AddressSanitizer and UBSan, and a short run of each
# fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORLIN_BUILD_BENCH=ON
cmake --build build -j "$jobs"
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")
# The package of the build just tested: no second compile.
deb=$(scripts/package.sh build | tail -n 1)
scripts/check-package.sh "$deb"

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORLIN_SANITIZE=ON -DQUORLIN_BUILD_GUI=OFF
cmake --build build-asan -j "$jobs" --target quorlin_tests quorlin-cli
(cd build-asan && ctest --output-on-failure -j "$jobs")

if [ -f fuzz/CMakeLists.txt ]; then
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DQUORLIN_FUZZ=ON -DQUORLIN_BUILD_GUI=OFF -DQUORLIN_BUILD_TESTS=OFF
  cmake --build build-fuzz -j "$jobs"
  scripts/fuzz-smoke.sh build-fuzz
fi
echo "All tests passed."
