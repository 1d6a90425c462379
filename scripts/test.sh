#!/usr/bin/env bash
# Configures, builds and runs the whole test suite, optimised and under the sanitizers
# (whose build also makes the fuzz targets), then cross-builds hostsim.exe and the
# modules for 64-bit and for 32-bit Windows, checks the DLLs, and runs every scenario
# test under Wine against its Linux run (which needs the default build), and last runs
# each fuzz target for a few seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
cmake --workflow --preset default
cmake --workflow --preset asan
cmake --workflow --preset windows
cmake --workflow --preset windows32
scripts/fuzz.sh 10
echo "scripts/test.sh: both platforms and the sanitizers in $(( (SECONDS - start) / 60 )) min $(( (SECONDS - start) % 60 )) s"
