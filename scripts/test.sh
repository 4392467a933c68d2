#!/usr/bin/env bash
# Installs what is missing, builds (with the Python module, for the python3
# on PATH), and runs every test: the C++ suite and the module's unittest
# suites, all through CTest.
# Usage: scripts/test.sh [BUILD_DIR] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
dir="${1:-build}"
shift || true
scripts/build.sh "$dir" -DGB_PYTHON=ON -DPython_EXECUTABLE="$(command -v python3)" "$@"
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
