# The Windows build's platform: the real Win32 and Direct3D 9 libraries under
# the target names that the Linux layer's libraries have, and our audio library
# as bass.dll.

# Only the audio library's header is ours on Windows: platform/include, whose
# windows.h, d3d9.h and d3dx9.h would hide MinGW's, stays off the include path.
set(QUORL_BASS_INCLUDE ${CMAKE_BINARY_DIR}/platform/bass_include)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/include/bass.h ${QUORL_BASS_INCLUDE}/bass.h COPYONLY)

add_library(quorl_win32 INTERFACE)
target_include_directories(quorl_win32 INTERFACE ${QUORL_BASS_INCLUDE})
target_link_libraries(quorl_win32 INTERFACE user32 gdi32 kernel32)

# The program's own WinMain is the entry point of a GUI-subsystem executable.
add_library(quorl_win32_entry INTERFACE)
target_link_options(quorl_win32_entry INTERFACE -mwindows)

add_library(quorl_d3d9 INTERFACE)
target_link_libraries(quorl_d3d9 INTERFACE d3d9)
add_library(quorl_d3dx9 INTERFACE)
target_link_libraries(quorl_d3dx9 INTERFACE d3dx9_28)

add_subdirectory(bass/windows)
