#!/usr/bin/env bash
# Scans a large real tree with the Release build and reports files, bytes,
# wall time and peak memory. Default tree: the system's C and C++ headers.
# Usage: bench/scan_bench.sh [ROOT]
set -euo pipefail
cd "$(dirname "$0")/.."
root="${1:-/usr/include}"
scripts/build.sh build >/dev/null
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
/usr/bin/time -f '%e %M' -o "$out/time" ./build/graph_builder --root "$root" --out "$out/g.json" >"$out/tally"
read -r wall rss_kb <"$out/time"
files=$(python3 -c 'import json,sys; g=json.load(open(sys.argv[1])); print(g["file_count"])' "$out/g.json")
bytes=$(python3 -c 'import json,sys; g=json.load(open(sys.argv[1])); print(sum(n["size"] for n in g["nodes"] if n["kind"]=="file"))' "$out/g.json")
doc=$(stat -c %s "$out/g.json")
cat "$out/tally"
awk -v r="$root" -v f="$files" -v b="$bytes" -v w="$wall" -v m="$rss_kb" -v d="$doc" 'BEGIN {
  printf "root=%s files=%d MB=%.1f wall_s=%.2f files_per_s=%.0f MB_per_s=%.2f peak_rss_MB=%.1f graph_doc_MB=%.1f\n",
    r, f, b/1048576, w, f/(w>0?w:1e-9), b/1048576/(w>0?w:1e-9), m/1024, d/1048576 }'
