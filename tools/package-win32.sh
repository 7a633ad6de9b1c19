#!/usr/bin/env bash
# Builds the Windows release and packs dist/quorl-win32.zip: quorl.exe,
# bass.dll and the show's data/, as the program expects them side by side.
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
mkdir -p dist
archive=$PWD/dist/quorl-win32.zip
rm -f "$archive"
(cd "$stage/quorl" && zip -q -r -X "$archive" quorl.exe bass.dll data)
echo "dist/quorl-win32.zip"
