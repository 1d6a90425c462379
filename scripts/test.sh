#!/usr/bin/env bash
# Configures, builds and runs the whole test suite, optimised and under the sanitizers.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --workflow --preset default
cmake --workflow --preset asan
