# Third-party code for the Windows build, which cannot use the host's
# libraries: TinyXML from Debian's source package (unpacked by
# tools/setup-windows.sh) and Boost's header-only smart pointers.

set(QUORL_TINYXML_SOURCE_DIR ${PROJECT_SOURCE_DIR}/build/third_party/tinyxml
    CACHE PATH "TinyXML sources with Debian's patches applied")
set(QUORL_HOST_BOOST_DIR /usr/include/boost CACHE PATH "Boost headers (header-only use)")

if(NOT EXISTS ${QUORL_TINYXML_SOURCE_DIR}/tinyxml.cpp)
    message(FATAL_ERROR "No TinyXML sources in ${QUORL_TINYXML_SOURCE_DIR}: run tools/setup-windows.sh")
endif()

add_library(quorl_tinyxml STATIC
    ${QUORL_TINYXML_SOURCE_DIR}/tinyxml.cpp
    ${QUORL_TINYXML_SOURCE_DIR}/tinyxmlparser.cpp
    ${QUORL_TINYXML_SOURCE_DIR}/tinyxmlerror.cpp
)
target_compile_definitions(quorl_tinyxml PUBLIC TIXML_USE_STL)
target_include_directories(quorl_tinyxml SYSTEM PUBLIC ${QUORL_TINYXML_SOURCE_DIR})
# The name under which the Linux build links the same library.
add_library(PkgConfig::TINYXML ALIAS quorl_tinyxml)

# Only boost/ itself may join the cross include path: the rest of the host's
# /usr/include would shadow MinGW's C library headers.
set(QUORL_BOOST_INCLUDE ${CMAKE_BINARY_DIR}/third_party/boost)
file(MAKE_DIRECTORY ${QUORL_BOOST_INCLUDE})
file(CREATE_LINK ${QUORL_HOST_BOOST_DIR} ${QUORL_BOOST_INCLUDE}/boost SYMBOLIC)
add_library(Boost::headers INTERFACE IMPORTED)
target_include_directories(Boost::headers SYSTEM INTERFACE ${QUORL_BOOST_INCLUDE})

# Programs and bass.dll side by side, as they ship and as Wine finds the DLL.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
