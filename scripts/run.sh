#!/usr/bin/env bash
# Installs what is missing, builds, and scans a project tree (default: this
# repository) into out/info_graph.json and out/symbol_index.json.
# Usage: scripts/run.sh [ROOT] [OUT]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh build
root="${1:-.}"
out="${2:-out/info_graph.json}"
./build/graph_builder --root "$root" --out "$out"
