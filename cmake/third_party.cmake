# Pieces that the cross builds (Windows, web) take from Debian rather than
# from the target's own packages.

# quorl_tinyxml(<source dir>): TinyXML compiled from Debian's source package
# (with its patches applied), under the name the Linux build links.
function(quorl_tinyxml source_dir)
    if(NOT EXISTS ${source_dir}/tinyxml.cpp)
        message(FATAL_ERROR "No TinyXML sources in ${source_dir}: run the setup script of this build")
    endif()
    add_library(quorl_tinyxml STATIC ${source_dir}/tinyxml.cpp ${source_dir}/tinyxmlparser.cpp
                                     ${source_dir}/tinyxmlerror.cpp)
    target_compile_definitions(quorl_tinyxml PUBLIC TIXML_USE_STL)
    target_include_directories(quorl_tinyxml SYSTEM PUBLIC ${source_dir})
    add_library(PkgConfig::TINYXML ALIAS quorl_tinyxml)
endfunction()

# quorl_boost_headers(<host boost dir>): Boost's header-only smart pointers as
# Boost::headers. Only boost/ itself joins the cross include path: the rest of
# the host's /usr/include would shadow the target's C library headers.
function(quorl_boost_headers host_boost_dir)
    set(include_dir ${CMAKE_BINARY_DIR}/third_party/boost)
    file(MAKE_DIRECTORY ${include_dir})
    file(CREATE_LINK ${host_boost_dir} ${include_dir}/boost SYMBOLIC)
    add_library(Boost::headers INTERFACE IMPORTED GLOBAL)
    target_include_directories(Boost::headers SYSTEM INTERFACE ${include_dir})
endfunction()
