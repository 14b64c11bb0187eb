#!/usr/bin/env bash
# package.sh [BUILD]
# Makes the Debian package quorlin_VERSION_ARCH.deb in build-package/ and
# prints its path as the last line. Without BUILD it configures and compiles
# a Release build in build-package/; with BUILD (a configured build folder) it
# packages that build instead, so that CI reuses the build it tested. The
# version comes from project() in CMakeLists.txt, the Depends from the
# binaries (dpkg-shlibdeps).
set -euo pipefail
cd "$(dirname "$0")/.."
out=build-package
launcher=()
command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

if [ $# -ge 1 ]; then
  build=$1
else
  build=$out
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORLIN_BUILD_TESTS=OFF "${launcher[@]}" > /dev/null
fi
cmake --build "$build" -j "$(nproc)" --target quorlin quorlin-cli man
mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out"/quorlin_*.deb
(cd "$build" && cpack -G DEB -B "$out" > /dev/null)
rm -rf "$out/_CPack_Packages"
ls "$out"/quorlin_*.deb
