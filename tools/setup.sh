#!/usr/bin/env bash
# Installs what building, playing and testing Quorl need on Debian 12 (run as root).
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
packages=(
    cmake ninja-build g++ pkg-config ccache
    libtinyxml-dev libboost-dev
    libsdl2-dev libsndfile1-dev libasound2-dev
    libgtk-3-dev libx11-dev
    libassimp-dev libstb-dev
    libepoxy-dev libegl-dev libgl-dev libegl-mesa0 libgl1-mesa-dri
    glslang-dev spirv-tools libspirv-cross-c-shared-dev
    libavformat-dev libavcodec-dev libswscale-dev libpng-dev
    googletest libgtest-dev
    xvfb xauth xdotool x11-utils imagemagick clang-format
    fonts-dejavu-core
    clang libclang-rt-14-dev
    dpkg-dev file help2man lintian
)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ "${#missing[@]}" -gt 0 ]; then
    apt-get update -qq
    apt-get install -y -qq "${missing[@]}"
fi
