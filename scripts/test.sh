#!/usr/bin/env bash
# Configures, builds and runs the whole test suite, optimised and under the sanitizers,
# then cross-builds the modules for Windows and checks the DLLs.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --workflow --preset default
cmake --workflow --preset asan
cmake --workflow --preset windows
