# Third-party code for the web build: the libraries that tools/setup-web.sh
# built for WebAssembly from Debian's source packages (found through
# build/web-deps), under the target names that the Linux build gets from
# pkg-config; TinyXML from the same cache, Boost's headers from the host.
include(${CMAKE_CURRENT_LIST_DIR}/third_party.cmake)

set(QUORL_WEB_DEPS ${PROJECT_SOURCE_DIR}/build/web-deps CACHE PATH "Libraries built for the web by tools/setup-web.sh")
set(QUORL_HOST_BOOST_DIR /usr/include/boost CACHE PATH "Boost headers (header-only use)")
if(NOT EXISTS ${QUORL_WEB_DEPS}/.complete)
    message(FATAL_ERROR "No web libraries in ${QUORL_WEB_DEPS}: run tools/setup-web.sh")
endif()
get_filename_component(QUORL_WEB_DEPS ${QUORL_WEB_DEPS} REALPATH)
# Emscripten's toolchain looks for packages inside its own root only.
list(APPEND CMAKE_FIND_ROOT_PATH ${QUORL_WEB_DEPS})

# quorl_web_library(<target> <include dir> <libraries...>): prebuilt static libraries.
function(quorl_web_library target include_dir)
    add_library(${target} INTERFACE IMPORTED GLOBAL)
    target_include_directories(${target} SYSTEM INTERFACE ${include_dir})
    list(TRANSFORM ARGN PREPEND ${QUORL_WEB_DEPS}/lib/)
    target_link_libraries(${target} INTERFACE ${ARGN})
endfunction()

quorl_web_library(PkgConfig::SDL2 ${QUORL_WEB_DEPS}/include/SDL2 libSDL2.a)
quorl_web_library(PkgConfig::ASSIMP ${QUORL_WEB_DEPS}/include libassimp.a libminizip.a libz.a)
# In the order they need one another, as the Linux build links them.
quorl_web_library(quorl_glslang ${QUORL_WEB_DEPS}/include libSPIRV.a libglslang.a libMachineIndependent.a
                  libOSDependent.a libOGLCompiler.a libGenericCodeGen.a libglslang-default-resource-limits.a
                  libSPIRV-Tools-opt.a libSPIRV-Tools.a)

quorl_tinyxml(${QUORL_WEB_DEPS}/src/tinyxml)
quorl_boost_headers(${QUORL_HOST_BOOST_DIR})
