#!/usr/bin/env bash
# Installs the library into a temporary prefix, checks that each installed
# header stands on its own (it includes only installed headers and the
# standard library) and that no build-only definition reaches consumers,
# builds the example consumer against the installed package (not the build
# tree), runs it on a small tree and checks its output.
# Usage: scripts/check_install.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >/dev/null
test -f "$work/prefix/lib/pkgconfig/graph_builder.pc"
test -x "$work/prefix/bin/graph_builder"

# Each public header compiles alone, with nothing but the prefix to include
# from; none names a third-party header (those are the library's business).
headers="$(cd "$work/prefix/include" && find graph_builder -name '*.hpp' | sort)"
test -n "$headers"
for h in $headers; do
  printf '#include <%s>\n' "$h" |
    "${CXX:-c++}" -std=c++20 -fsyntax-only -Wall -Wextra -Werror -I"$work/prefix/include" -x c++ - ||
    { echo "installed header does not stand alone: $h" >&2; exit 1; }
done
if grep -nE '#include [<"](nlohmann|pcre2|openssl|unicode)' -r "$work/prefix/include"; then
  echo "an installed header includes a third-party header" >&2
  exit 1
fi
# Build-only definitions stay out of the package.
if grep -rn '_GLIBCXX_ASSERTIONS' "$work/prefix/lib"; then
  echo "a build-only definition reaches consumers" >&2
  exit 1
fi
cmake -S examples -B "$work/example" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/example" >/dev/null

mkdir -p "$work/tree/src" "$work/out"
printf 'import jwt from "jsonwebtoken";\n\nexport function handleLogin(user) {\n  return jwt.sign(user);\n}\n\nexport function useSession() {\n  return null;\n}\n' \
  > "$work/tree/src/auth.ts"
printf '# Notes\nSee src/auth.ts.\n' > "$work/tree/README.md"
"$work/example/symbols_of_file" "$work/tree" src/auth.ts "$work/out" > "$work/actual.txt"
cat > "$work/expected.txt" <<'TXT'
scanned 2 files, 2 symbols
handleLogin use_case 2-4
useSession hook 6-8
--- src/auth.ts::handleLogin (3 lines, body unchanged)
export function handleLogin(user) {
  return jwt.sign(user);
}
--- src/auth.ts::useSession (3 lines, body unchanged)
export function useSession() {
  return null;
}
TXT
diff -u "$work/expected.txt" "$work/actual.txt"
# The pkg-config file describes a usable library too.
PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig" pkg-config --cflags --libs graph_builder >/dev/null
echo "install check: ok"
