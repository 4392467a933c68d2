#!/usr/bin/env bash
# Checks that scripts/run.sh takes ROOT and OUT relative to the directory it
# is called from (not the checkout), with and without arguments, using the
# program of an existing build directory.
# Usage: scripts/check_run.sh [BUILD_DIR]
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "$repo" && cd "${1:-build}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/shop/src"
printf 'export function useCart() {\n  return [];\n}\n' > "$work/shop/src/cart.ts"
run() { (cd "$1" && shift && GB_BUILD_DIR="$build" "$repo/scripts/run.sh" "$@" | tail -n 3); }

fail() { echo "run check: $*" >&2; exit 1; }
[ "$(run "$work" shop myout/g.json)" = "$(printf 'Scanned: 1 files, 1 symbols, 1 edges\nWrote: myout/g.json\nSymbol index: myout/symbol_index.json (1 symbols)')" ] ||
  fail "unexpected tally for ROOT=shop OUT=myout/g.json"
test -f "$work/myout/g.json" && test -f "$work/myout/symbol_index.json" ||
  fail "the documents are not under the calling directory"
grep -q "\"root\": \"$work/shop\"" "$work/myout/g.json" || fail "the root is not the calling directory's shop"
run "$work/shop" >/dev/null
test -f "$work/shop/out/info_graph.json" || fail "the default OUT is not under the calling directory"
grep -q "\"root\": \"$work/shop\"" "$work/shop/out/info_graph.json" ||
  fail "the default ROOT is not the calling directory"
test ! -e "$repo/myout" || fail "a document went into the checkout"
echo "run check: ok"
