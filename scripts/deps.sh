#!/usr/bin/env bash
# Installs, with apt-get, whatever of Quorlin's build and test dependencies is
# missing on a Debian 12 machine. Does nothing when everything is there.
# Recommended packages are not installed, so anything the build needs is
# named here (libclang-rt-14-dev holds the libFuzzer and sanitizer runtimes
# of clang, which clang only recommends).
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-svg-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  libxy-bin
  gemmi-dev tao-pegtl-dev libstb-dev zlib1g-dev
  dpkg-dev desktop-file-utils file shared-mime-info libglib2.0-bin parallel
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
