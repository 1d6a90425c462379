#!/usr/bin/env bash
# Configures, builds and runs the whole test suite, optimised and under the sanitizers,
# then builds the fuzz targets and runs each for a few seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --workflow --preset default
cmake --workflow --preset asan
cmake --workflow --preset fuzz
scripts/fuzz.sh 10
