#!/usr/bin/env bash
# Formats every C++ source of the project with .clang-format, or, with
# --check, lists the files that differ and fails.
# Usage: scripts/format.sh [--check]
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.hpp')
if [ "${1:-}" = "--check" ]; then
  clang-format --dry-run --Werror "${files[@]}"
  echo "format check: ok (${#files[@]} files)"
else
  clang-format -i "${files[@]}"
fi
