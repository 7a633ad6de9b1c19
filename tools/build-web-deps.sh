#!/usr/bin/env bash
# Builds the libraries that the web build links, for WebAssembly with Debian's
# emscripten, from Debian's own source packages at the versions pinned below
# (Debian's emscripten has a frozen cache, so its ports cannot be fetched).
# Only the targets the player needs are built, at -O2, without their tests and
# tools. The result is cached outside the clone under a key made of this
# script, the compiler's version and the header packages used, so a second
# run only prints the folder. Run as root, with deb-src entries in place
# (tools/setup-web.sh). Prints the cache folder on its last line.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

sources=(
    libsdl2=2.26.5+dfsg-1
    zlib=1:1.2.13.dfsg-1
    spirv-tools=2023.1-2
    glslang=12.0.0-2
    spirv-cross=2021.01.15+1.3.239.0-1
    assimp=5.2.5~ds0-1
    tinyxml=2.6.2-6+deb12u1
)
# Header-only packages the builds read from /usr/include.
header_packages=(spirv-headers libutfcpp-dev libstb-dev)
c_flags="-O2 -DNDEBUG"
jobs=2

# Debian's emscripten finds its JavaScript tools (acorn) through the system
# module path, which a node from elsewhere does not search.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

root=${QUORL_WEB_DEPS_CACHE:-/var/cache/quorl/web-deps}
versions() {
    emcc --version | sed -n 1p
    dpkg-query -W -f='${Package} ${Version}\n' emscripten binaryen clang-14 "${header_packages[@]}"
}
key=$({ cat "$0"; versions; } | sha256sum | cut -c1-16)
prefix=$root/$key
mkdir -p "$root"
exec 9>"$root/.lock"
flock 9
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

# Installed in place (package files name their folder); complete once marked.
rm -rf "$prefix"
work=$(mktemp -d "$root/.build.XXXXXX")
trap 'rm -rf "$work"' EXIT
stage=$prefix
mkdir -p "$stage/include" "$stage/lib/pkgconfig" "$work/src"
chown _apt "$work/src" # apt downloads as its own user
(cd "$work/src" && apt-get source -qq "${sources[@]}" >/dev/null)
src() { find "$work/src" -maxdepth 1 -type d -name "$1-*" | head -n 1; }

configure() { # <source dir> <build dir> <extra C++ flags> <cmake options...>
    local source=$1 build=$2 cxx=$3
    shift 3
    emcmake cmake -S "$source" -B "$build" -G Ninja -Wno-dev -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_C_FLAGS_RELEASE="$c_flags" -DCMAKE_CXX_FLAGS_RELEASE="$c_flags $cxx" \
        -DCMAKE_INSTALL_PREFIX="$stage" -DBUILD_SHARED_LIBS=OFF "$@" >"$build.log" 2>&1 ||
        { tail -n 40 "$build.log"; return 1; }
}
build() { # <build dir> [targets...]
    local build=$1
    shift
    local targets=()
    for target in "$@"; do targets+=(--target "$target"); done
    cmake --build "$build" -j "$jobs" "${targets[@]}" >>"$build.log" 2>&1 || { tail -n 40 "$build.log"; return 1; }
}
archive() { # <library> <objects...>
    local library=$1
    shift
    emar rcs "$stage/lib/$library" "$@"
}

# SDL2: its Emscripten video, audio and events. SDL ships a configuration
# header for Emscripten, so its sources are compiled directly: CMake's feature
# checks cost seconds each under emcc.
sdl=$(src libsdl2)
mkdir -p "$work/sdl" "$stage/include/SDL2"
(
    cd "$sdl/src"
    # Drivers: Emscripten's and the dummies its configuration names.
    for file in *.c atomic/*.c audio/*.c audio/emscripten/*.c audio/dummy/*.c audio/disk/*.c cpuinfo/*.c \
        dynapi/*.c events/*.c file/*.c filesystem/emscripten/*.c haptic/*.c haptic/dummy/*.c joystick/*.c \
        joystick/emscripten/*.c hidapi/*.c loadso/dlopen/*.c locale/*.c locale/emscripten/*.c misc/*.c \
        misc/emscripten/*.c power/*.c power/emscripten/*.c render/*.c render/software/*.c render/opengles2/*.c \
        sensor/*.c sensor/dummy/*.c stdlib/*.c thread/*.c thread/generic/*.c timer/*.c timer/unix/*.c video/*.c \
        video/emscripten/*.c video/yuv2rgb/*.c; do
        echo "$file"
    done | xargs -P "$jobs" -I{} sh -c 'emcc $0 -w -I"$1/include" -c "{}" -o "$2/$(echo {} | tr / _).o"' \
        "$c_flags" "$sdl" "$work/sdl"
)
archive libSDL2.a "$work"/sdl/*.o
cp "$sdl"/include/*.h "$stage/include/SDL2/"

# zlib (without its gzip file calls) and its minizip, which Assimp's core
# needs (Debian's Assimp source carries neither).
zlib=$(src zlib)
mkdir -p "$work/zlib"
(
    cd "$work/zlib"
    for file in adler32 compress crc32 deflate infback inffast inflate inftrees trees uncompr zutil; do
        emcc $c_flags -c "$zlib/$file.c" -o "$file.o"
    done
    archive libz.a ./*.o
    for file in ioapi unzip; do
        emcc $c_flags -I"$zlib" -c "$zlib/contrib/minizip/$file.c" -o "minizip_$file.o"
    done
    archive libminizip.a minizip_*.o
)
cp "$zlib/zlib.h" "$zlib/zconf.h" "$stage/include/"
mkdir -p "$stage/include/minizip"
cp "$zlib/contrib/minizip/"{ioapi.h,unzip.h,crypt.h} "$stage/include/minizip/"
cat >"$stage/lib/pkgconfig/minizip.pc" <<PC
Name: minizip
Description: unzip from zlib's contrib
Version: 1.2.13
Cflags: -I$stage/include/minizip
Libs: -L$stage/lib -lminizip -lz
PC

# glslang with its HLSL front end, and SPIRV-Tools' optimizer for HLSL's
# legalisation, built inside glslang's tree as glslang expects.
glslang=$(src glslang)
mv "$(src spirv-tools)" "$glslang/External/spirv-tools"
# SPIR-V's grammar and headers from Debian's spirv-headers, in a folder of
# their own: the rest of the host's /usr/include must not reach emcc.
mkdir -p "$work/spirv-headers/include"
cp -r /usr/include/spirv "$work/spirv-headers/include/"
configure "$glslang" "$work/glslang" "" -DENABLE_HLSL=ON -DENABLE_OPT=ON -DENABLE_GLSLANG_BINARIES=OFF \
    -DENABLE_SPVREMAPPER=OFF -DENABLE_CTEST=OFF -DBUILD_TESTING=OFF -DENABLE_PCH=OFF -DSKIP_GLSLANG_INSTALL=ON \
    -DSPIRV-Headers_SOURCE_DIR="$work/spirv-headers" -DSPIRV_SKIP_EXECUTABLES=ON -DSPIRV_SKIP_TESTS=ON -DSPIRV_WERROR=OFF \
    -DSKIP_SPIRV_TOOLS_INSTALL=ON
glslang_libraries=(glslang SPIRV MachineIndependent OSDependent OGLCompiler GenericCodeGen HLSL SPIRV-Tools-static
    SPIRV-Tools-opt)
build "$work/glslang" "${glslang_libraries[@]}"
find "$work/glslang" -name '*.a' -exec cp {} "$stage/lib/" \;
# The default resource limits live beside glslang's command-line tool, which is not built.
for file in ResourceLimits resource_limits_c; do
    emcc $c_flags -I"$glslang" -I"$work/glslang/include" -c "$glslang/StandAlone/$file.cpp" -o "$work/$file.o"
done
archive libglslang-default-resource-limits.a "$work/ResourceLimits.o" "$work/resource_limits_c.o"
(cd "$glslang" && find glslang SPIRV -name '*.h' -o -name '*.hpp' | while read -r header; do
    destination=$stage/include/glslang/${header#glslang/}
    mkdir -p "$(dirname "$destination")"
    cp "$header" "$destination"
done)
cp "$work/glslang/include/glslang/build_info.h" "$stage/include/glslang/"
cp -r "$glslang/External/spirv-tools/include/spirv-tools" "$stage/include/"

# SPIRV-Cross: the core and the GLSL back end. It reports errors by throwing.
configure "$(src spirv-cross)" "$work/spirv-cross" "-fexceptions" -DSPIRV_CROSS_CLI=OFF \
    -DSPIRV_CROSS_ENABLE_TESTS=OFF -DSPIRV_CROSS_ENABLE_HLSL=OFF -DSPIRV_CROSS_ENABLE_MSL=OFF \
    -DSPIRV_CROSS_ENABLE_CPP=OFF -DSPIRV_CROSS_ENABLE_REFLECT=OFF -DSPIRV_CROSS_ENABLE_C_API=OFF \
    -DSPIRV_CROSS_ENABLE_UTIL=OFF
build "$work/spirv-cross"
cmake --install "$work/spirv-cross" >>"$work/spirv-cross.log"

# Assimp with its X importer alone; its importers report errors by throwing.
# Debian's patches make it use the system's utf8cpp and stb headers (given
# here in a folder of their own) and require its draco, which only the glTF
# importer uses: that one patch is taken back.
assimp=$(src assimp)
(cd "$assimp" && patch -R -p1 -s <debian/patches/use-system-libdraco.patch)
mkdir -p "$work/assimp-include"
cp -r /usr/include/utf8cpp/. /usr/include/stb "$work/assimp-include/"
EM_PKG_CONFIG_PATH=$stage/lib/pkgconfig configure "$assimp" "$work/assimp" "-fexceptions -I$work/assimp-include" \
    -DASSIMP_BUILD_ALL_IMPORTERS_BY_DEFAULT=OFF -DASSIMP_BUILD_X_IMPORTER=ON -DASSIMP_NO_EXPORT=ON \
    -DASSIMP_BUILD_ASSIMP_TOOLS=OFF -DASSIMP_BUILD_TESTS=OFF -DASSIMP_BUILD_SAMPLES=OFF -DASSIMP_BUILD_ZLIB=OFF \
    -DASSIMP_WARNINGS_AS_ERRORS=OFF -DASSIMP_INSTALL_PDB=OFF -DASSIMP_IGNORE_GIT_HASH=ON \
    -DZLIB_INCLUDE_DIR="$stage/include" -DZLIB_LIBRARY_REL="$stage/lib/libz.a" -DZLIB_LIBRARY="$stage/lib/libz.a"
build "$work/assimp"
cmake --install "$work/assimp" >>"$work/assimp.log"

# TinyXML is three files: the project compiles them, as the Windows build does.
mkdir -p "$stage/src"
mv "$(src tinyxml)" "$stage/src/tinyxml"

versions >"$stage/versions.txt"
printf '%s\n' "${sources[@]}" >>"$stage/versions.txt"
touch "$stage/.complete"
echo "$prefix"
