#!/usr/bin/env bash
# Installs what a fresh machine lacks to build and test the project (Debian), and
# fetches the sources the Windows build compiles itself.
set -euo pipefail
cd "$(dirname "$0")/.."
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev
  libpng-dev liberfa-dev
  # The resource compiler, its preprocessor and the real windows.h for the modules' dialog
  # resources, and the Windows cross-build of the modules and of hostsim.exe (preset windows).
  binutils-mingw-w64-x86-64 gcc-mingw-w64-x86-64 g++-mingw-w64-x86-64 mingw-w64-x86-64-dev
  # The real window system the Windows build runs on: Wine, headless on a virtual display.
  wine wine64 xvfb
  # clang with libFuzzer and the sanitizer runtimes, for the sanitizer build and its fuzz targets.
  clang libclang-rt-14-dev
  # The Windows modules as the simulator's compiler lays them out: clang for the msvc target,
  # lld-link and the LLVM binary tools, Wine's C runtime and Windows headers for PE builds,
  # libc++'s headers, and jq, which reads the interface's declarations from clang's dump.
  lld-14 llvm-14 libwine-dev libc++-14-dev jq
  # The 32-bit build (preset windows32): hostsim.exe cross-built with mingw-w64 for i686,
  # Wine's 32-bit loader and DLLs, and its import libraries of the 32-bit system DLLs.
  binutils-mingw-w64-i686 gcc-mingw-w64-i686 g++-mingw-w64-i686 mingw-w64-i686-dev wine32:i386 libwine-dev:i386
  # The user manual's HTML page and hostsim's man page, for the packages; netpbm turns the
  # editor's pictures into PNG files (scripts/manual-pictures.sh).
  cmark-gfm help2man netpbm)
# 32-bit Wine and its import libraries are Debian's i386 packages.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo_cmd dpkg --add-architecture i386
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $sudo_cmd apt-get update
  $sudo_cmd env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
fi

# ERFA has no Windows build in Debian: the Windows build compiles Debian's source
# package, fetched into .deps/ (ignored by git) through a source list of our own, so
# that the system's apt configuration stays as it is.
deps=.deps
if ! ls "$deps"/erfa_*.orig.tar.gz > /dev/null 2>&1; then
  apt_state="$deps/apt"
  mkdir -p "$apt_state/lists/partial"
  echo 'deb-src http://deb.debian.org/debian bookworm main' > "$apt_state/sources.list"
  apt_options=(-o "Dir::Etc::SourceList=$PWD/$apt_state/sources.list" -o Dir::Etc::SourceParts=/dev/null
    -o "Dir::State::Lists=$PWD/$apt_state/lists")
  apt-get "${apt_options[@]}" update
  (cd "$deps" && apt-get "${apt_options[@]}" --download-only source erfa)
fi
