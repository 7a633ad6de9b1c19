#!/usr/bin/env bash
# Builds the Windows release and packs dist/quorl-win32.zip: README.txt,
# quorl.exe, bass.dll and the show's data/, as the program expects them side by side.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target quorl quorl_bass

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/quorl"
for binary in quorl.exe bass.dll; do
    i686-w64-mingw32-strip -o "$stage/quorl/$binary" "build/win32/$binary"
done
cp -r data "$stage/quorl/data"
# What a stock Windows lacks, the keys and the dialog, in Windows line endings.
sed 's/$/\r/' > "$stage/quorl/README.txt" <<'TEXT'
Dravik's Quorl: a real-time demo, 2 minutes 48 seconds with music.

Needs d3dx9_28.dll, which a stock Windows 10 or 11 lacks: install the DirectX 9.0c End-User Runtime (June 2010) from Microsoft first.

Run quorl.exe from this folder (it reads data\demo.xml beside it). The Settings dialog asks for the screen resolution, the anti-aliasing (Off, 2x, 4x, 6x), Full Screen, VSync and Music; Enter takes the choices shown, Esc or closing the dialog quits. During the show, Esc or Alt+F4 ends it.
TEXT
mkdir -p dist
archive=$PWD/dist/quorl-win32.zip
rm -f "$archive"
(cd "$stage/quorl" && zip -q -r -X "$archive" README.txt quorl.exe bass.dll data)
echo "dist/quorl-win32.zip"
