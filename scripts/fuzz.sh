#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# Seeds: fuzz/corpus/<target>/ plus, when present, the conformance kit.
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET] [extra libFuzzer flags...]
set -euo pipefail
cd "$(dirname "$0")/.."
secs="${1:-60}"
shift || true
scripts/deps.sh clang libclang-rt-14-dev
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DGB_FUZZ=ON -DGB_BUILD_TESTS=OFF >/dev/null
cmake --build build-fuzz --target fuzz_analyse fuzz_previous_graph fuzz_decode fuzz_scans
kit="${GB_CONFORMANCE_DIR:-../shared/conformance}"
for target in fuzz_analyse fuzz_previous_graph fuzz_decode fuzz_scans; do
  work="build-fuzz/corpus/$target"
  mkdir -p "$work" "fuzz/corpus/$target"
  seeds=("fuzz/corpus/$target")
  if [ -d "$kit/cases" ] && [ "$target" != fuzz_previous_graph ]; then seeds+=("$kit/cases"); fi
  if [ -d "$kit/trees" ] && [ "$target" = fuzz_previous_graph ]; then seeds+=("$kit/trees"); fi
  echo "== $target for ${secs}s"
  "build-fuzz/fuzz/$target" "$work" "${seeds[@]}" -max_total_time="$secs" -max_len=65536 \
    -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 "$@" 2>&1 | tail -n 12
done
