# The web build's platform: the same layer as on Linux wherever SDL2 serves
# the browser too (the window is the page's canvas, keys come from the page),
# Direct3D 9 over WebGL 2 (d3d9/gl_es.cpp), Web Audio through OpenAL, HLSL
# compiled in the page's own process, and the Settings dialog as an HTML form
# that the build makes from the same resource script (tools/rc_form.cpp).

# Everything of the layer is built for OpenGL ES; the shader writer emits GLSL ES too.
add_compile_definitions(QUORL_GL_ES=1)

add_library(quorl_win32 STATIC
    ${QUORL_WIN32_SOURCES}
    web/dialog.cpp
    web/no_x11.cpp
)
target_include_directories(quorl_win32 PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_options(quorl_win32 PRIVATE ${QUORL_WARNINGS})
target_link_libraries(quorl_win32 PUBLIC PkgConfig::SDL2 PRIVATE quorl_host_file)

# main() that calls WinMain and tells the page when the run has ended, and
# what the page needs of the program: the waits that hand the page back its
# thread (ASYNCIFY), exceptions caught where SPIRV-Cross and Assimp throw, WebGL 2.
add_library(quorl_win32_entry STATIC web/entry.cpp)
target_compile_options(quorl_win32_entry PRIVATE ${QUORL_WARNINGS})
target_link_libraries(quorl_win32_entry PUBLIC quorl_win32)
target_link_options(quorl_win32_entry INTERFACE
    -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2
    -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536 @${CMAKE_CURRENT_BINARY_DIR}/asyncify_only.rsp
    -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=134217728
    -sDISABLE_EXCEPTION_CATCHING=0 -sENVIRONMENT=web
    # The page calls in through ccall; the data package's loader (quorl_web_data) fills the file system.
    -sFORCE_FILESYSTEM=1
    "-sEXPORTED_RUNTIME_METHODS=['ccall','FS_createPath','FS_createDataFile','addRunDependency','removeRunDependency']")
# Only the functions between main and the waits keep their state across one:
# the dialog's, Sleep's and the wait for the next frame, which the frame step
# (inlined into C_Demo::Run in optimised builds) reaches through the device's
# interface. main() is __original_main once linked. The link warns of the
# names that the optimiser has inlined into their one caller by then: harmless.
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/asyncify_only.rsp
     "-sASYNCIFY_ONLY=['main','__original_main','WinMain*','C_Demo::Init*','DialogBoxParamA*','C_Demo::Run*',"
     "'C_Demo::StepFrame*','C_Renderer::CheckDevice*','Sleep*','d3d9::Device::Present*',"
     "'d3d9::profile::SwapWindow*']\n")

# The audio library: stb_vorbis as in the Windows DLL, Web Audio through
# emscripten's OpenAL, and the page's clock.
set(QUORL_STB_INCLUDE ${CMAKE_CURRENT_BINARY_DIR}/stb)
configure_file(/usr/include/stb/stb_vorbis.h ${QUORL_STB_INCLUDE}/stb_vorbis.h COPYONLY)
add_library(quorl_stb_vorbis STATIC bass/stb_vorbis.c)
target_include_directories(quorl_stb_vorbis SYSTEM PUBLIC ${QUORL_STB_INCLUDE})
target_compile_definitions(quorl_stb_vorbis PUBLIC STB_VORBIS_NO_STDIO)

add_library(quorl_bass STATIC
    bass/bass.cpp
    bass/wave_vorbis_decoder.cpp
    bass/host_file_range.cpp
    bass/web_output.cpp
    bass/page_clock.cpp
)
target_include_directories(quorl_bass PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_options(quorl_bass PRIVATE ${QUORL_WARNINGS})
target_compile_definitions(quorl_bass PUBLIC QUORL_PAGE_CLOCK=1)
target_compile_definitions(quorl_bass_core PUBLIC QUORL_PAGE_CLOCK=1)
target_link_libraries(quorl_bass PUBLIC quorl_win32 quorl_bass_core openal PRIVATE quorl_host_file quorl_stb_vorbis)

# D3DX: the HLSL compile and the .x import run in the page's process (it has
# no other); the image loaders are stb's, compiled here from libstb-dev's headers.
find_package(spirv_cross_core CONFIG REQUIRED)
find_package(spirv_cross_glsl CONFIG REQUIRED)
add_library(quorl_d3dx9 STATIC
    ${QUORL_D3DX9_SOURCES}
    d3dx9/in_process.cpp
    web/stb_image.c
)
target_include_directories(quorl_d3dx9 PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
# Only stb/ joins the include path, not the rest of the host's /usr/include.
set(QUORL_STB_IMAGE_INCLUDE ${CMAKE_CURRENT_BINARY_DIR}/stb_image)
foreach(header stb_image.h stb_image_resize.h)
    configure_file(/usr/include/stb/${header} ${QUORL_STB_IMAGE_INCLUDE}/stb/${header} COPYONLY)
endforeach()
target_include_directories(quorl_d3dx9 SYSTEM PRIVATE ${QUORL_STB_IMAGE_INCLUDE})
target_compile_options(quorl_d3dx9 PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${QUORL_WARNINGS}>)
target_compile_definitions(quorl_d3dx9 PRIVATE ENABLE_HLSL)
# SPIRV-Cross reports errors by throwing; the writer catches them.
set_source_files_properties(d3dx9/glsl_writer.cpp PROPERTIES COMPILE_OPTIONS -fexceptions)
target_link_libraries(quorl_d3dx9 PUBLIC quorl_shader_blob
                      PRIVATE quorl_host_file quorl_glslang spirv-cross-glsl spirv-cross-core PkgConfig::ASSIMP)

# Direct3D 9 over WebGL 2, through SDL2's GL context on the canvas.
add_library(quorl_d3d9 STATIC
    ${QUORL_D3D9_SOURCES}
    d3d9/gl_es.cpp
)
target_include_directories(quorl_d3d9 PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_options(quorl_d3d9 PRIVATE ${QUORL_WARNINGS})
target_link_libraries(quorl_d3d9 PUBLIC quorl_win32 quorl_shader_blob PkgConfig::SDL2)

# quorl_win32_resources(<target> <script.rc> [DEPENDS <included files>]): the
# page. Its dialogs are HTML forms that tools/rc_form.cpp writes from the
# resource script at build time (built for node, which runs it), put into the
# page beside the program; the script's text is not linked in.
set(QUORL_PLATFORM_DIR ${CMAKE_CURRENT_SOURCE_DIR} CACHE INTERNAL "")
add_executable(quorl-rc-form ${PROJECT_SOURCE_DIR}/tools/rc_form.cpp win32/dialog_template.cpp win32/dialog_control.cpp)
target_include_directories(quorl-rc-form PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/include ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_options(quorl-rc-form PRIVATE ${QUORL_WARNINGS})
target_link_options(quorl-rc-form PRIVATE -sENVIRONMENT=node -sNODERAWFS=1 -sEXIT_RUNTIME=1 -sWASM_ASYNC_COMPILATION=0)
# The build runs it with node, without the flags emscripten's toolchain gives
# its test programs (which newer node refuses).
find_program(QUORL_NODE node REQUIRED)
set_target_properties(quorl-rc-form PROPERTIES CROSSCOMPILING_EMULATOR ${QUORL_NODE})
function(quorl_win32_resources target script)
    cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
    set(page ${CMAKE_BINARY_DIR}/${target}.html)
    add_custom_command(OUTPUT ${page}
        COMMAND quorl-rc-form ${script} ${QUORL_PLATFORM_DIR}/web/quorl.html ${page}
        DEPENDS quorl-rc-form ${script} ${ARG_DEPENDS} ${QUORL_PLATFORM_DIR}/web/quorl.html
        COMMENT "Writing ${target}.html with the forms of ${script}"
        VERBATIM)
    add_custom_target(${target}_page ALL DEPENDS ${page})
    add_dependencies(${target} ${target}_page)
endfunction()

# The shipped data beside the page, as the Windows zip has it beside the
# executable: packed by emscripten's file packager into <name>.data with its
# loader <name>.data.js, which the page loads before the program. The player
# opens data\demo.xml relative to the working directory, the packed tree's root.
function(quorl_web_data target folder)
    file(GLOB_RECURSE files CONFIGURE_DEPENDS ${folder}/*)
    set(loader ${CMAKE_BINARY_DIR}/${target}.data.js)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${target}.data ${loader}
        COMMAND ${EMSCRIPTEN_ROOT_PATH}/tools/file_packager ${target}.data --preload ${folder}@data
                --js-output=${loader} --no-node
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
        DEPENDS ${files}
        COMMENT "Packing ${folder} for the page"
        VERBATIM)
    add_custom_target(${target}_data ALL DEPENDS ${loader})
endfunction()
