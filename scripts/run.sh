#!/usr/bin/env bash
# Installs what is missing, builds the program (only the program: the tests
# are built by scripts/test.sh), and scans a project tree into a graph
# document and the symbol index beside it. ROOT and OUT are taken relative
# to the directory the script is called from, as the program takes them.
# Usage: scripts/run.sh [ROOT] [OUT]   (defaults: . and out/info_graph.json)
# The build directory is the checkout's build/, or GB_BUILD_DIR when set.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
build="${GB_BUILD_DIR:-$repo/build}"
root="${1:-.}"
out="${2:-out/info_graph.json}"
"$repo/scripts/deps.sh"
cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target graph_builder
"$build/graph_builder" --root "$root" --out "$out"
