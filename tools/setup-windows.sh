#!/usr/bin/env bash
# Installs what the Windows cross build and its Wine smoke test need on
# Debian 12 (run as root), and unpacks TinyXML's Debian source with its
# patches into build/third_party/tinyxml.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
cd "$(dirname "$0")/.."

# TinyXML's source comes from Debian's source package.
source tools/apt-setup.sh
add_deb_src

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    need_update=1
fi

packages=(
    g++-mingw-w64-i686 mingw-w64-tools
    wine wine32:i386 pulseaudio pulseaudio-utils
    # What Wine's X11 and OpenGL (Direct3D) drivers load at run time.
    libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386 libxext6:i386 libxrandr2:i386 libxrender1:i386
    libxcursor1:i386 libxi6:i386 libxinerama1:i386 libxcomposite1:i386 libxfixes3:i386
    xvfb xauth xdotool zip dpkg-dev
    googletest libboost-dev libstb-dev
)
install_packages "${packages[@]}"

# apt-get source unpacks with dpkg-source, which applies Debian's patches.
tinyxml=build/third_party/tinyxml
if [ ! -f "$tinyxml/tinyxml.cpp" ]; then
    scratch=$(mktemp -d)
    chown _apt "$scratch" # apt downloads as its own user
    (cd "$scratch" && apt-get source -qq tinyxml >/dev/null)
    rm -rf "$tinyxml"
    mkdir -p "$(dirname "$tinyxml")"
    mv "$scratch"/tinyxml-*/ "$tinyxml"
    rm -rf "$scratch"
fi
