#!/usr/bin/env bash
# Installs the library into a prefix under a temporary directory, then moves
# that prefix elsewhere (an installation must not depend on where it was
# made), checks that each installed header stands on its own (it includes
# only installed headers and the standard library) and that no build-only
# definition reaches consumers, builds the example consumer against the
# installed package twice, through the CMake package and through the
# pkg-config file, runs each on a small tree and checks its output, and
# checks that the program, the CMake package and the pkg-config file give
# one version.
# Usage: scripts/check_install.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/installed" >/dev/null
mv "$work/installed" "$work/prefix"
prefix="$work/prefix"
test -f "$prefix/lib/pkgconfig/graph_builder.pc"
test -x "$prefix/bin/graph_builder"
if grep -n "$work" -r "$prefix/lib/pkgconfig" "$prefix/lib/cmake"; then
  echo "the installed package names the directory it was installed in" >&2
  exit 1
fi

# Each public header compiles alone, with nothing but the prefix to include
# from; none names a third-party header (those are the library's business).
headers="$(cd "$prefix/include" && find graph_builder -name '*.hpp' | sort)"
test -n "$headers"
for h in $headers; do
  printf '#include <%s>\n' "$h" |
    "${CXX:-c++}" -std=c++20 -fsyntax-only -Wall -Wextra -Werror -I"$prefix/include" -x c++ - ||
    { echo "installed header does not stand alone: $h" >&2; exit 1; }
done
if grep -nE '#include [<"](nlohmann|pcre2|openssl|unicode)' -r "$prefix/include"; then
  echo "an installed header includes a third-party header" >&2
  exit 1
fi
# Build-only definitions stay out of the package.
if grep -rn '_GLIBCXX_ASSERTIONS' "$prefix/lib"; then
  echo "a build-only definition reaches consumers" >&2
  exit 1
fi

# The consumer, through the CMake package.
cmake -S examples -B "$work/example" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_PREFIX_PATH="$prefix" > "$work/configure.txt"
cmake --build "$work/example" >/dev/null
# The same consumer, through the pkg-config file alone.
export PKG_CONFIG_PATH="$prefix/lib/pkgconfig"
# shellcheck disable=SC2046  # the flags are words
"${CXX:-c++}" -O1 -o "$work/pc_consumer" examples/symbols_of_file.cpp \
  $(pkg-config --cflags --libs graph_builder)

mkdir -p "$work/tree/src"
printf 'import jwt from "jsonwebtoken";\n\nexport function handleLogin(user) {\n  return jwt.sign(user);\n}\n\nexport function useSession() {\n  return null;\n}\n' \
  > "$work/tree/src/auth.ts"
printf '# Notes\nSee src/auth.ts.\n' > "$work/tree/README.md"
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
for consumer in "$work/example/symbols_of_file" "$work/pc_consumer"; do
  out="$work/out-$(basename "$consumer")"
  mkdir -p "$out"
  "$consumer" "$work/tree" src/auth.ts "$out" > "$work/actual.txt"
  diff -u "$work/expected.txt" "$work/actual.txt"
done

# One version everywhere.
program_version="$("$prefix/bin/graph_builder" --version)"
pc_version="$(pkg-config --modversion graph_builder)"
cmake_version="$(sed -n 's/^-- graph_builder \([^ ]*\) found.*/\1/p' "$work/configure.txt")"
if [ "$program_version" != "graph_builder $pc_version" ] || [ "$pc_version" != "$cmake_version" ]; then
  echo "versions differ: program '$program_version', pkg-config '$pc_version'," \
    "CMake package '$cmake_version'" >&2
  exit 1
fi
echo "install check: ok (version $pc_version)"
