#!/usr/bin/env bash
# Installs what the web build and its test need on Debian 12 (run as root):
# Debian's emscripten, and Chromium with Python's WebSocket client for the
# test. Then builds the libraries that the page links from Debian's source
# packages (tools/build-web-deps.sh, cached under /var/cache/quorl/web-deps)
# and points build/web-deps at them.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
cd "$(dirname "$0")/.."

source tools/deb-src.sh
add_deb_src

packages=(
    cmake ninja-build dpkg-dev python3
    emscripten binaryen nodejs
    # Headers the libraries and the layer compile from.
    libboost-dev libstb-dev spirv-headers libutfcpp-dev
    # The end-to-end test.
    chromium python3-websocket
)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ "${#missing[@]}" -gt 0 ] || [ -n "${need_update:-}" ]; then
    apt-get update -qq
fi
if [ "${#missing[@]}" -gt 0 ]; then
    apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}"
fi

prefix=$(bash tools/build-web-deps.sh | tail -n 1)
mkdir -p build
ln -sfn "$prefix" build/web-deps
