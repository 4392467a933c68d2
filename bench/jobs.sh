#!/usr/bin/env bash
# Whole-program wall time with different job counts on one tree: runs of the
# job counts interleaved (1, 2, 1, 2, ...), each into a fresh output directory
# (nothing reused from a previous graph), after a warm-up read of the tree.
# Prints every run, then per job count the best and median wall time, user
# and system CPU, peak RSS against the graph document, and the speed-up over
# the first job count (best against best, median against median). The load
# average before and after is printed too: on a shared machine, compare
# figures taken under the same load only.
#
# Usage: bench/jobs.sh [DIR]        default DIR: bench/corpus-data
#   JOBS="1 2"   job counts, the first is the reference
#   REPEAT=7     runs of each job count
#   GB=PATH      the program (default: build it, Release, into build-bench)
set -euo pipefail
cd "$(dirname "$0")/.."
dir="$(realpath -m "${1:-bench/corpus-data}")"
jobs_list="${JOBS:-1 2}"
repeat="${REPEAT:-7}"
[ -d "$dir" ] || { echo "no tree at $dir: run bench/corpus.sh first" >&2; exit 1; }
[ -x /usr/bin/time ] || apt-get install -y -qq time >/dev/null
if [ -z "${GB:-}" ]; then
  scripts/build.sh build-bench -DGB_BUILD_BENCH=ON -DGB_BUILD_TESTS=OFF >/dev/null
  GB="$(pwd)/build-bench/graph_builder"
fi

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
find "$dir" -type f -print0 | xargs -0 -r cat >/dev/null 2>&1 || true

echo "program: $GB"
echo "tree: $dir"
echo "cores: $(nproc)   load before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-5s %-4s %8s %8s %8s %9s\n' run jobs wall_s user_s sys_s rss_MB
for i in $(seq "$repeat"); do
  for j in $jobs_list; do
    rm -rf "$tmp/out"
    /usr/bin/time -f '%e %U %S %M' -o "$tmp/time" \
      "$GB" --root "$dir" --out "$tmp/out/g.json" --jobs "$j" >/dev/null
    read -r wall user sys rss <"$tmp/time"
    doc=$(stat -c %s "$tmp/out/g.json")
    echo "$j $wall $user $sys $rss $doc" >>"$tmp/runs"
    printf '%-5s %-4s %8s %8s %8s %9.1f\n' "$i" "$j" "$wall" "$user" "$sys" "$(echo "$rss" | awk '{print $1/1024}')"
  done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
awk -v order="$jobs_list" '
  function median(a, n,   i, j, t) {
    for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j-1] > a[j]; j--) { t = a[j]; a[j] = a[j-1]; a[j-1] = t }
    return n % 2 ? a[(n+1)/2] : (a[n/2] + a[n/2+1]) / 2
  }
  { n[$1]++; w[$1, n[$1]] = $2; u[$1, n[$1]] = $3; s[$1, n[$1]] = $4; r[$1, n[$1]] = $5; doc = $6 }
  END {
    split(order, js, " ")
    printf "%-4s %7s %7s %7s %7s %8s %7s %10s %12s\n", "jobs", "best_s", "med_s", "user_s", "sys_s", "rss_MB", "rss/doc", "speedup_b", "speedup_med"
    for (k = 1; js[k] != ""; k++) {
      j = js[k]; best = 1e9; bu = 0; bs = 0; peak = 0
      for (i = 1; i <= n[j]; i++) {
        ww[i] = w[j, i]
        if (w[j, i] < best) { best = w[j, i]; bu = u[j, i]; bs = s[j, i] }
        if (r[j, i] > peak) peak = r[j, i]
      }
      med = median(ww, n[j])
      if (k == 1) { ref_best = best; ref_med = med }
      printf "%-4s %7.2f %7.2f %7.2f %7.2f %8.1f %7.2f %10.2f %12.2f\n", j, best, med, bu, bs, peak / 1024, peak * 1024 / doc, ref_best / best, ref_med / med
    }
    printf "(user_s and sys_s of the best run; rss_MB the highest of all runs; graph document %.1f MB)\n", doc / 1048576
  }' "$tmp/runs"
