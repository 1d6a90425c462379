#!/usr/bin/env bash
# Configures, builds and runs the whole test suite, optimised and under the sanitizers,
# then cross-builds hostsim.exe and the modules for Windows, checks the DLLs, and runs
# every scenario test under Wine against its Linux run (which needs the default build),
# and last builds the fuzz targets and runs each for a few seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
cmake --workflow --preset default
cmake --workflow --preset asan
cmake --workflow --preset windows
cmake --workflow --preset fuzz
scripts/fuzz.sh 10
echo "scripts/test.sh: both platforms and the sanitizers in $(( (SECONDS - start) / 60 )) min $(( (SECONDS - start) % 60 )) s"
