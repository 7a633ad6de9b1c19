#!/usr/bin/env bash
# Installs what the web build and its test need on Debian 12 (run as root):
# Debian's emscripten, and Chromium with Python's WebSocket client for the
# test. Then builds the libraries that the page links from Debian's source
# packages (tools/build-web-deps.sh, cached under /var/cache/quorl/web-deps)
# and points build/web-deps at them.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
cd "$(dirname "$0")/.."

source tools/apt-setup.sh
add_deb_src

packages=(
    cmake ninja-build dpkg-dev python3
    emscripten binaryen nodejs
    # Headers the libraries and the layer compile from.
    libboost-dev libstb-dev spirv-headers libutfcpp-dev
    # The end-to-end test.
    chromium python3-websocket
)
install_packages "${packages[@]}"

prefix=$(bash tools/build-web-deps.sh | tail -n 1)
mkdir -p build
ln -sfn "$prefix" build/web-deps
