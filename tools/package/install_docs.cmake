# Run when installing, after the QUORL_DOCS_* settings that CMakeLists.txt
# writes: the tools' manual pages from their --help (help2man), then every
# manual page and the changelog compressed as Debian wants them (gzip -9n: no
# file name or time inside).
find_program(HELP2MAN help2man)
find_program(GZIP gzip)
if(NOT HELP2MAN OR NOT GZIP)
    message(FATAL_ERROR "installing the manual pages needs help2man and gzip (tools/setup.sh)")
endif()
set(here ${CMAKE_CURRENT_LIST_DIR})
set(work ${QUORL_DOCS_BINARY_DIR})
set(ENV{SOURCE_DATE_EPOCH} ${QUORL_DOCS_EPOCH})

function(compress source target)
    execute_process(COMMAND ${GZIP} -9n -c ${source} OUTPUT_FILE ${target} RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "gzip ${source}: ${failed}")
    endif()
endfunction()

set(section1)
foreach(tool ${QUORL_DOCS_TOOLS})
    get_filename_component(name ${tool} NAME)
    execute_process(COMMAND ${HELP2MAN} --no-info --section 1 --include ${here}/${name}.h2m
        --output ${work}/${name}.1 ${tool} RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "help2man ${name}: ${failed}")
    endif()
    compress(${work}/${name}.1 ${work}/${name}.1.gz)
    list(APPEND section1 ${work}/${name}.1.gz)
endforeach()
compress(${work}/quorl.6 ${work}/quorl.6.gz)
compress(${work}/changelog ${work}/changelog.gz)

set(root "${CMAKE_INSTALL_PREFIX}")
file(INSTALL DESTINATION "${root}/${QUORL_DOCS_MANDIR}/man1" TYPE FILE FILES ${section1})
file(INSTALL DESTINATION "${root}/${QUORL_DOCS_MANDIR}/man6" TYPE FILE FILES ${work}/quorl.6.gz)
file(INSTALL DESTINATION "${root}/${QUORL_DOCS_DOCDIR}" TYPE FILE FILES ${work}/changelog.gz)
