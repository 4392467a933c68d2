#!/usr/bin/env bash
# Measures graph_builder on the benchmark corpus (see bench/corpus.sh) against
# two anchors run on exactly the files graph_builder scanned:
#   floor  - read each file whole and MD5 it (bench/floor.cpp): the least any
#            scanner of these files must do;
#   ctags  - universal-ctags indexing the same file list with its own parsers.
#
# Usage: bench/run_corpus.sh [DIR]           one row per language directory
#                                            of DIR, then the whole corpus
#        bench/run_corpus.sh --scale [DIR]   1x, 4x, 16x copies of one mixed
#                                            sample: does cost grow linearly?
#   DIR            default bench/corpus-data
#   REPEAT=3       runs of the whole-corpus row (and of each scale step); the
#                  best (lowest) time of each tool is reported
#   SAMPLE_MB=5    size of the scale sample
#
# Every timed run follows a read of all its files, so figures are warm-cache.
# graph_builder is single-threaded; floor and ctags are run single-threaded too.
# Wall seconds and peak RSS come from /usr/bin/time around each process.
set -euo pipefail
cd "$(dirname "$0")/.."
repo="$(pwd)"

mode=table
if [ "${1:-}" = "--scale" ]; then
  mode=scale
  shift
fi
dir="$(realpath -m "${1:-bench/corpus-data}")"
repeat="${REPEAT:-3}"
sample_mb="${SAMPLE_MB:-5}"

[ -d "$dir" ] || { echo "no corpus at $dir: run bench/corpus.sh first" >&2; exit 1; }
ctags --version 2>/dev/null | grep -q '^Universal Ctags' ||
  { echo "ctags is not universal-ctags (apt-get install universal-ctags)" >&2; exit 1; }
command -v jq >/dev/null || apt-get install -y -qq jq >/dev/null
[ -x /usr/bin/time ] || apt-get install -y -qq time >/dev/null

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

scripts/build.sh build-bench -DGB_BUILD_BENCH=ON -DGB_BUILD_TESTS=OFF >/dev/null
gb="$repo/build-bench/graph_builder"
floor="$repo/build-bench/bench/floor"

# ctags has no parser for .scala, .swift or .xaml; .yaml and .tsx are mapped
# to the parsers it has for .yml and .ts so that it reads them too.
ctags_opts=(--map-Yaml=+.yaml --map-TypeScript=+.tsx)

warm() { find "$1" -type f -print0 | xargs -0 -r cat >/dev/null 2>&1 || true; }

# run_gb ROOT: one fresh scan (a fresh output directory, so nothing is reused
# from a previous graph). Sets gb_wall, gb_rss_kb, doc_bytes.
run_gb() {
  rm -rf "$tmp/out"
  /usr/bin/time -f '%e %M' -o "$tmp/time" "$gb" --root "$1" --out "$tmp/out/g.json" >/dev/null
  read -r gb_wall gb_rss_kb <"$tmp/time"
  doc_bytes=$(stat -c %s "$tmp/out/g.json")
}

# The exact files of the last scan: root + "/" + each file node's id.
scanned_list() {
  jq -r '.root as $r | .nodes[] | select(.kind == "file") | $r + "/" + .id' "$tmp/out/g.json" >"$1"
}

# run_floor LIST: sets floor_wall, files, bytes.
run_floor() {
  /usr/bin/time -f '%e' -o "$tmp/time" "$floor" <"$1" >"$tmp/floor.out"
  read -r floor_wall <"$tmp/time"
  files=$(awk '{print $2}' "$tmp/floor.out")
  bytes=$(awk '{print $4}' "$tmp/floor.out")
}

# run_ctags LIST: sets ctags_wall, ctags_files (files ctags had a parser for).
run_ctags() {
  /usr/bin/time -f '%e' -o "$tmp/time" ctags "${ctags_opts[@]}" --totals=yes -L "$1" \
    -o "$tmp/tags" >"$tmp/ctags.out" 2>&1
  read -r ctags_wall <"$tmp/time"
  ctags_files=$(awk '/ files, .* lines .* scanned/ {print $1; exit}' "$tmp/ctags.out")
}

min() { awk -v a="$1" -v b="$2" 'BEGIN {print (a + 0 < b + 0) ? a : b}'; }

header() {
  printf '%-8s %7s %7s %7s %8s %6s %7s %7s %7s %7s %8s %8s %7s %7s\n' \
    lang files MB gb_s files/s MB/s rss_MB doc_MB floor_s ctags_s gb/floor ctags/gb rss/doc ct_files
}
row() {
  awk -v l="$1" -v f="$files" -v b="$bytes" -v w="$gb_wall" -v m="$gb_rss_kb" -v d="$doc_bytes" \
    -v fl="$floor_wall" -v c="$ctags_wall" -v cf="$ctags_files" 'BEGIN {
    e = 1e-9; mb = b / 1048576
    printf "%-8s %7d %7.1f %7.2f %8.0f %6.2f %7.1f %7.1f %7.2f %7.2f %8.1f %8.2f %7.2f %7d\n",
      l, f, mb, w, f / (w > e ? w : e), mb / (w > e ? w : e), m / 1024, d / 1048576,
      fl, c, w / (fl > e ? fl : e), c / (w > e ? w : e), m * 1024 / (d > 0 ? d : 1), cf }'
}

# measure LABEL ROOT RUNS: times the three on ROOT, keeping each one's best.
measure() {
  local label="$1" root="$2" runs="$3" i
  local best_gb="" best_rss="" best_floor="" best_ctags=""
  warm "$root"
  for ((i = 0; i < runs; i++)); do
    run_gb "$root"
    if [ -z "$best_gb" ] || [ "$(min "$gb_wall" "$best_gb")" = "$gb_wall" ]; then
      best_gb=$gb_wall
      best_rss=$gb_rss_kb
    fi
    if [ "$i" = 0 ]; then scanned_list "$tmp/list"; fi
    run_floor "$tmp/list"
    best_floor=$(min "$floor_wall" "${best_floor:-$floor_wall}")
    run_ctags "$tmp/list"
    best_ctags=$(min "$ctags_wall" "${best_ctags:-$ctags_wall}")
  done
  gb_wall=$best_gb gb_rss_kb=$best_rss floor_wall=$best_floor ctags_wall=$best_ctags
  row "$label"
}

if [ "$mode" = table ]; then
  echo "graph_builder $(git -C "$repo" rev-parse --short HEAD), corpus $dir, $(nproc) cores"
  header
  for d in "$dir"/*/; do
    measure "$(basename "$d")" "${d%/}" 1
  done
  measure "ALL(b$repeat)" "$dir" "$repeat"
  exit 0
fi

# Scale mode: a sample of about SAMPLE_MB taken evenly from every language
# directory (sorted path order), then 1, 4 and 16 sibling copies of it.
base="$tmp/scale/sample"
mkdir -p "$base"
langs=("$dir"/*/)
per_lang=$((sample_mb * 1048576 / ${#langs[@]}))
for d in "${langs[@]}"; do
  l="$(basename "$d")"
  (cd "$d" && find . -type f ! -name '.*' -printf '%P\t%s\n' | LC_ALL=C sort) |
    awk -F'\t' -v cap="$per_lang" '!full && t + $2 <= cap { t += $2; print $1; next } { full = 1 }' >"$tmp/pick"
  (cd "$d" && tar -cf - -T "$tmp/pick") | (mkdir -p "$base/$l" && cd "$base/$l" && tar -xf -)
done

echo "graph_builder $(git -C "$repo" rev-parse --short HEAD), scale sample of ~${sample_mb} MB from $dir, best of $repeat"
printf '%-6s %7s %7s %7s %6s %7s %7s %10s\n' copies files MB gb_s MB/s rss_MB doc_MB s_per_copy
for n in 1 4 16; do
  root="$tmp/scale/x$n"
  mkdir -p "$root"
  # Hard links: each copy has its own paths (so its own file ids) and costs no disk.
  for ((i = 1; i <= n; i++)); do cp -al "$base" "$root/copy$i"; done
  warm "$root"
  best=""
  for ((i = 0; i < repeat; i++)); do
    run_gb "$root"
    if [ -z "$best" ] || [ "$(min "$gb_wall" "$best")" = "$gb_wall" ]; then
      best=$gb_wall rss=$gb_rss_kb
    fi
  done
  scanned_list "$tmp/list"
  run_floor "$tmp/list"
  awk -v n="$n" -v f="$files" -v b="$bytes" -v w="$best" -v m="$rss" -v d="$doc_bytes" 'BEGIN {
    mb = b / 1048576
    printf "%-6d %7d %7.1f %7.2f %6.2f %7.1f %7.1f %10.3f\n", n, f, mb, w, mb / (w > 0 ? w : 1e-9),
      m / 1024, d / 1048576, w / n }'
  rm -rf "$root"
done
