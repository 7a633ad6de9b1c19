# Third-party code for the Windows build, which cannot use the host's
# libraries: TinyXML from Debian's source package (unpacked by
# tools/setup-windows.sh) and Boost's header-only smart pointers.
include(${CMAKE_CURRENT_LIST_DIR}/third_party.cmake)

set(QUORL_TINYXML_SOURCE_DIR ${PROJECT_SOURCE_DIR}/build/third_party/tinyxml
    CACHE PATH "TinyXML sources with Debian's patches applied")
set(QUORL_HOST_BOOST_DIR /usr/include/boost CACHE PATH "Boost headers (header-only use)")

quorl_tinyxml(${QUORL_TINYXML_SOURCE_DIR})
quorl_boost_headers(${QUORL_HOST_BOOST_DIR})

# Programs and bass.dll side by side, as they ship and as Wine finds the DLL.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
