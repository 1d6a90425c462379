#!/usr/bin/env bash
# Installs what a fresh machine lacks to build and test the project (Debian).
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
  libpng-dev liberfa-dev
  # The resource compiler, its preprocessor and the real windows.h for the modules' dialog resources.
  binutils-mingw-w64-x86-64 gcc-mingw-w64-x86-64 mingw-w64-x86-64-dev
  # clang with libFuzzer and the sanitizer runtimes, for the fuzz targets.
  clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update
  $sudo_cmd apt-get install -y "${missing[@]}"
fi
