#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
# Usage: scripts/test.sh [BUILD_DIR] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
dir="${1:-build}"
shift || true
scripts/build.sh "$dir" "$@"
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
