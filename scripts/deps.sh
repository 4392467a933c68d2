#!/usr/bin/env bash
# Installs the Debian packages graph_builder needs to build and test, when
# missing (pybind11, the Python headers and venv serve the Python module).
# Needs root (or sudo) only when something is missing.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config libpcre2-dev libssl-dev nlohmann-json3-dev
          libicu-dev libgtest-dev pybind11-dev python3-dev python3-venv "$@")
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi
echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
