# One golden test: capture the frames, then compare each with its reference.
# With QUORL_UPDATE_GOLDEN=1 in the environment the captured frames replace
# the references instead (tools/update-golden.sh).
file(REMOVE_RECURSE ${OUT})
execute_process(
    COMMAND ${CAPTURE} --root ${ROOT} --script ${SCRIPT} --size ${SIZE} --fps 60 --times ${TIMES} --out ${OUT} --quiet
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "quorl-capture failed (${result}) on ${SCRIPT}")
endif()

string(REPLACE "," ";" times "${TIMES}")
set(failed "")
foreach(time IN LISTS times)
    string(LENGTH "${time}" digits)
    set(name "${time}")
    while(digits LESS 6)
        set(name "0${name}")
        math(EXPR digits "${digits} + 1")
    endwhile()
    set(frame ${OUT}/t_${name}.png)
    set(reference ${REFERENCE}/t_${name}.png)
    if("$ENV{QUORL_UPDATE_GOLDEN}" STREQUAL "1")
        file(MAKE_DIRECTORY ${REFERENCE})
        file(COPY_FILE ${frame} ${reference})
        message(STATUS "updated ${reference}")
        continue()
    endif()
    execute_process(
        COMMAND ${COMPARE} --tolerance ${TOLERANCE} --allow ${ALLOW} ${frame} ${reference}
        RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        list(APPEND failed ${time})
    endif()
endforeach()

if(failed)
    list(LENGTH failed count)
    list(LENGTH times total)
    message(FATAL_ERROR "${count} of ${total} frames differ from their references (ms: ${failed}); "
                        "diff images beside the frames in ${OUT}")
endif()
