#!/usr/bin/env bash
# Assembles the benchmark corpus: real source trees, one directory per
# language the tool reads, copied out of Debian packages (binary packages
# fetched with `apt-get download`, upstream tarballs with `apt-get source`)
# and pinned npm packages. Nothing is installed on the machine.
#
# Usage: bench/corpus.sh [DIR]          (default DIR: bench/corpus-data)
#   CORPUS_CAP_MB=40   size cap of each language directory, in MB
#
# Idempotent: a language directory holding a ".complete" marker is kept as it
# is; one without it (an interrupted run) is rebuilt. Each language directory
# lists its sources and their versions in ".sources".
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
dir="$(realpath -m "${1:-$here/corpus-data}")"
cap_mb="${CORPUS_CAP_MB:-40}"
cap_bytes=$((cap_mb * 1024 * 1024))
mkdir -p "$dir"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/deb" "$work/src" "$work/npm"

docs=".md,.json,.yaml,.yml"

log() { printf '%s\n' "$*" >&2; }

# The fetch helpers run inside $(...), so "done once" is kept in marker files.
# Binary package lists, refreshed once per run.
apt_update_once() {
  if [ ! -f "$work/apt-updated" ]; then
    log "apt-get update"
    apt-get update -qq >/dev/null
    touch "$work/apt-updated"
  fi
}

# `apt-get source` needs source indexes; they go to a private list directory
# under $work so the machine's apt configuration is left untouched.
src_apt() {
  apt-get -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$work/apt/parts" \
    -o Dir::State::Lists="$work/apt/lists" -o Debug::NoLocking=1 -o APT::Sandbox::User=root "$@"
}
src_update_once() {
  if [ ! -f "$work/src-updated" ]; then
    mkdir -p "$work/apt/parts" "$work/apt/lists/partial"
    cat >"$work/apt/parts/debian-src.sources" <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    log "apt-get update (source indexes, private list directory)"
    src_apt update -qq >/dev/null
    touch "$work/src-updated"
  fi
}

# deb PKG: unpacks binary package PKG (no install, no dependencies) and prints
# the directory it was unpacked into. Appends "deb PKG VERSION" to $sources.
deb() {
  local pkg="$1" out="$work/deb/$1"
  if [ ! -d "$out" ]; then
    apt_update_once
    log "apt-get download $pkg"
    (cd "$work/deb" && apt-get download -qq "$pkg" >/dev/null 2>&1)
    mkdir -p "$out"
    dpkg-deb -x "$work/deb/${pkg}"_*.deb "$out"
    dpkg-deb -f "$work/deb/${pkg}"_*.deb Version >"$out.version"
  fi
  echo "deb $pkg $(cat "$out.version")" >>"$sources"
  printf '%s\n' "$out"
}

# src PKG: unpacks the upstream tarball of Debian source package PKG and
# prints its top directory. Appends "debian-source PKG ORIG-TARBALL" to $sources.
src() {
  local pkg="$1" out="$work/src/$1"
  if [ ! -d "$out/x" ]; then
    src_update_once
    log "apt-get source --download-only $pkg"
    mkdir -p "$out/x"
    (cd "$out" && src_apt source --download-only -qq "$pkg" >/dev/null 2>&1)
    local orig
    orig="$(ls "$out"/*.orig.tar.* | grep -v '\.asc$' | head -1)"
    tar -xf "$orig" -C "$out/x"
    basename "$orig" >"$out.version"
  fi
  echo "debian-source $pkg $(cat "$out.version")" >>"$sources"
  printf '%s\n' "$out/x"
}

# npmpkg NAME@VERSION: unpacks the pinned npm package and prints its directory.
npmpkg() {
  local pkg_ref="$1" safe
  safe="$(printf '%s' "$1" | tr '/@' '__')"
  local out="$work/npm/$safe"
  if [ ! -d "$out" ]; then
    log "npm pack $pkg_ref"
    local tgz
    tgz="$(cd "$work/npm" && npm pack --silent "$pkg_ref" 2>/dev/null | tail -1)"
    mkdir -p "$out"
    tar -xzf "$work/npm/$tgz" -C "$out"
  fi
  echo "npm $pkg_ref" >>"$sources"
  # The tarball's single top directory is usually "package", not always.
  find "$out" -mindepth 1 -maxdepth 1 -type d | head -1
}

# take LANG NAME SRC_DIR EXTS: copies SRC_DIR's matching files to DIR/LANG/NAME.
take() {
  local lang="$1" name="$2" from="$3" exts="$4"
  [ -d "$from" ] || { log "missing: $from"; exit 1; }
  read -r n b < <(python3 "$here/corpus_copy.py" "$from" "$dir/$lang/$name" "$exts" "$cap_bytes")
  log "  $lang/$name: $n files, $((b / 1024)) KB"
}

# lang NAME: starts (or skips, when complete) one language directory.
lang_start() {
  local lang="$1"
  if [ -f "$dir/$lang/.complete" ]; then
    log "$lang: present, kept"
    return 1
  fi
  rm -rf "$dir/$lang"
  mkdir -p "$dir/$lang"
  sources="$dir/$lang/.sources"
  : >"$sources"
  log "$lang:"
  return 0
}
lang_done() { touch "$dir/$1/.complete"; }

if lang_start c; then
  take c curl "$(src curl)" ".c,.h,$docs"
  take c libc6-dev "$(deb libc6-dev)/usr/include" ".h,$docs"
  take c linux-libc-dev "$(deb linux-libc-dev)/usr/include" ".h,$docs"
  lang_done c
fi

if lang_start cpp; then
  take cpp cppcheck "$(src cppcheck)" ".cpp,.hpp,.h,$docs"
  take cpp boost "$(deb libboost1.74-dev)/usr/include/boost" ".hpp,.h,.cpp,$docs"
  lang_done cpp
fi

if lang_start python; then
  take python stdlib-minimal "$(deb libpython3.11-minimal)/usr/lib/python3.11" ".py,$docs"
  take python stdlib "$(deb libpython3.11-stdlib)/usr/lib/python3.11" ".py,$docs"
  take python testsuite "$(deb libpython3.11-testsuite)/usr/lib/python3.11/test" ".py,$docs"
  take python django "$(deb python3-django)/usr/lib/python3/dist-packages/django" ".py,$docs"
  lang_done python
fi

if lang_start go; then
  take go go-src "$(deb golang-1.19-src)/usr/share/go-1.19/src" ".go,$docs"
  lang_done go
fi

if lang_start ruby; then
  take ruby libruby "$(deb libruby3.1)/usr/lib/ruby" ".rb,$docs"
  for p in ruby-activesupport ruby-activerecord ruby-actionpack; do
    take ruby "$p" "$(deb "$p")/usr" ".rb,$docs"
  done
  lang_done ruby
fi

if lang_start php; then
  for p in php-laravel-framework php-doctrine-orm php-doctrine-dbal php-symfony-console \
    php-symfony-http-kernel php-symfony-dependency-injection php-symfony-validator php-symfony-form; do
    take php "$p" "$(deb "$p")/usr/share/php" ".php,$docs"
  done
  lang_done php
fi

if lang_start java; then
  jdk="$(deb openjdk-17-source)"
  mkdir -p "$work/jdk"
  [ -d "$work/jdk/java.base" ] || unzip -q "$jdk/usr/lib/jvm/openjdk-17/lib/src.zip" 'java.base/*' -d "$work/jdk"
  take java java.base "$work/jdk/java.base" ".java,$docs"
  lang_done java
fi

if lang_start kotlin; then
  take kotlin kotlinx-coroutines "$(src kotlinx-coroutines)" ".kt,.kts,$docs"
  for p in expo-modules-core@1.12.11 expo-camera@15.0.9 expo-notifications@0.28.1 react-native@0.74.0; do
    take kotlin "${p%@*}" "$(npmpkg "$p")" ".kt,.kts"
  done
  take kotlin kotlin "$(src kotlin)" ".kt,.kts,$docs"
  lang_done kotlin
fi

if lang_start scala; then
  take scala scala "$(src scala)" ".scala,$docs"
  lang_done scala
fi

if lang_start csharp; then
  take csharp newtonsoft-json "$(src newtonsoft-json)" ".cs,.xaml,$docs"
  take csharp nunit "$(src nunit)" ".cs,.xaml,$docs"
  take csharp react-native-windows "$(npmpkg react-native-windows@0.74.0)" ".cs,.xaml"
  lang_done csharp
fi

if lang_start swift; then
  for p in expo-modules-core@1.12.11 expo-camera@15.0.9 expo-notifications@0.28.1; do
    take swift "${p%@*}" "$(npmpkg "$p")" ".swift,$docs"
  done
  lang_done swift
fi

if lang_start rust; then
  take rust rust-src "$(deb rust-src)/usr/src" ".rs,$docs"
  lang_done rust
fi

if lang_start ts; then
  for p in rxjs@7.8.1 fp-ts@2.16.5 effect@3.1.0 @tanstack/query-core@5.32.0 zod@3.23.8 \
    @types/node@20.11.30 typescript@5.4.5; do
    name="$(printf '%s' "${p%@*}" | tr '/' '_')"
    take ts "$name" "$(npmpkg "$p")" ".ts,.tsx,$docs"
  done
  lang_done ts
fi

if lang_start js; then
  for p in lodash@4.17.21 express@4.19.2 webpack@5.91.0 eslint@8.57.0 react-native@0.74.0; do
    take js "${p%@*}" "$(npmpkg "$p")" ".js,.jsx,$docs"
  done
  lang_done js
fi

echo "corpus: $dir (cap ${cap_mb} MB per language)"
printf '%-8s %8s %8s\n' lang files MB
for d in "$dir"/*/; do
  l="$(basename "$d")"
  find "$d" -type f ! -name '.*' -printf '%s\n' |
    awk -v l="$l" '{n++; b+=$1} END {printf "%-8s %8d %8.1f\n", l, n, b/1048576}'
done | tee "$work/summary"
awk '{n+=$2; m+=$3} END {printf "%-8s %8d %8.1f\n", "total", n, m}' "$work/summary"
