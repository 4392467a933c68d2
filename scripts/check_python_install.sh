#!/usr/bin/env bash
# Installs the Python module as a user does, offline: a fresh virtual
# environment (python -m venv), then `pip install --no-index` of this
# checkout, which builds the extension for that interpreter. Then runs the
# module's tests against the installed copy (the tests that compare with the
# program and the C++ functions take them from BUILD_DIR, a build made by
# scripts/test.sh).
# Usage: scripts/check_python_install.sh [BUILD_DIR] [PYTHON]
set -euo pipefail
cd "$(dirname "$0")/.."
repo="$(pwd)"
build="$(realpath "${1:-build}")"
python="${2:-python3}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
unset PYTHONPATH
"$python" -m venv "$work/venv"
"$work/venv/bin/pip" install --no-index --quiet "$repo"
cd "$work"
version="$("$work/venv/bin/python" -c 'import graph_builder; print(graph_builder.__version__)')"
case "$("$work/venv/bin/python" -c 'import graph_builder; print(graph_builder.__file__)')" in
  "$work/venv/"*) ;;
  *) echo "graph_builder was not imported from the virtual environment" >&2; exit 1 ;;
esac
cd "$repo/python/tests"
GB_PROGRAM="$build/graph_builder" GB_REFERENCE="$build/python/gb_python_reference" \
  GB_CONFORMANCE_DIR="${GB_CONFORMANCE_DIR:-$repo/../shared/conformance}" \
  "$work/venv/bin/python" -m unittest -q
echo "python install check: ok (graph_builder $version, $("$python" --version))"
