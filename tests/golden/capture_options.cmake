# quorl-capture's own promises: a frame comes out the same whether it is
# written alone (--times), in a run of every frame, or in a run that starts
# writing late (--from), since the effects are stepped from the script's start
# every time; and failures end with a non-zero status.
set(script tests/golden/particles.xml)
file(REMOVE_RECURSE ${OUT})

function(capture expect_success)
    execute_process(COMMAND ${CAPTURE} --root ${ROOT} --script ${script} --size 160x120 --quiet ${ARGN}
        RESULT_VARIABLE result ERROR_VARIABLE errors)
    if(expect_success AND NOT result EQUAL 0)
        message(FATAL_ERROR "quorl-capture ${ARGN} failed (${result}): ${errors}")
    elseif(NOT expect_success AND result EQUAL 0)
        message(FATAL_ERROR "quorl-capture ${ARGN} succeeded where it should fail")
    endif()
endfunction()

function(expect_same frame reference)
    execute_process(COMMAND ${COMPARE} --tolerance 0 ${frame} ${reference} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${frame} differs from ${reference}")
    endif()
endfunction()

# 400 ms is frame 24 at 60 frames/s; 410 ms lies between frames.
capture(TRUE --times 400,410 --out ${OUT}/times)
capture(TRUE --to 400 --out ${OUT}/all)
capture(TRUE --from 200 --to 400 --out ${OUT}/late)
expect_same(${OUT}/all/frame_000024.png ${OUT}/times/t_000400.png)
expect_same(${OUT}/late/frame_000012.png ${OUT}/times/t_000400.png)
if(EXISTS ${OUT}/all/frame_000025.png OR EXISTS ${OUT}/late/frame_000013.png)
    message(FATAL_ERROR "frames written beyond --to")
endif()
capture(TRUE --times 410 --out ${OUT}/between)
expect_same(${OUT}/between/t_000410.png ${OUT}/times/t_000410.png)

set(script tests/golden/no_such_script.xml)
capture(FALSE --out ${OUT}/missing)
set(script tests/golden/particles.xml)
file(WRITE ${OUT}/file "")
capture(FALSE --times 400 --out ${OUT}/file/frames)
capture(FALSE --times 400 --antialias 6 --out ${OUT}/samples)
