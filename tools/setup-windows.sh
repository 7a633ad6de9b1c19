#!/usr/bin/env bash
# Installs what the Windows cross build and its Wine smoke test need on
# Debian 12 (run as root), and unpacks TinyXML's Debian source with its
# patches into build/third_party/tinyxml.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
cd "$(dirname "$0")/.."

# TinyXML's source comes from Debian's source package: deb-src entries for the
# Debian suites this machine already installs from, through its own sources.
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
write_if_changed() {
    local target=$1 text=$2
    if [ -z "$text" ]; then
        [ -f "$target" ] && rm -f "$target" && need_update=1
        return 0
    fi
    if [ ! -f "$target" ] || [ "$(cat "$target")" != "$text" ]; then
        printf '%s\n' "$text" >"$target"
        need_update=1
    fi
}
deb822=$(awk -v codename="$codename" '
    BEGIN { RS = ""; FS = "\n" }
    {
        types = ""; suites = ""; enabled = "yes"; kept = ""
        for (i = 1; i <= NF; i++) {
            line = $i
            if (line ~ /^#/) continue
            key = tolower(line); sub(/:.*/, "", key)
            value = line; sub(/^[^:]*:[ \t]*/, "", value)
            if (key == "types") { types = value; continue }
            if (key == "enabled") enabled = tolower(value)
            if (key == "suites") suites = value
            kept = kept line "\n"
        }
        if (enabled == "no" || (" " types " ") !~ / deb / || (" " suites) !~ (" " codename)) next
        printf "%sTypes: deb-src\n%s", (n++ ? "\n" : ""), kept
    }' /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
write_if_changed /etc/apt/sources.list.d/quorl-deb-src.sources "$deb822"
oneline=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
    awk -v codename="$codename" '$1 == "deb" { for (i = 2; i <= NF; i++) if ($i !~ /^\[/ && $i !~ /=/ && $i !~ /\]$/) break;
        if ($(i + 1) ~ ("^" codename)) { $1 = "deb-src"; print } }' || true)
write_if_changed /etc/apt/sources.list.d/quorl-deb-src.list "$oneline"

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
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ "${#missing[@]}" -gt 0 ] || [ -n "${need_update:-}" ]; then
    apt-get update -qq
fi
if [ "${#missing[@]}" -gt 0 ]; then
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

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
