# Two captures of the same stretch of the show at the same size and rate must
# give identical frames (hashes compared); a video capture must leave either a
# whole file or, for a path that cannot be written, nothing and a failure.
file(REMOVE_RECURSE ${OUT})
foreach(run first second)
    execute_process(
        COMMAND ${CAPTURE} --root ${ROOT} --size 160x120 --fps 10 --from 32000 --to 34000 --out ${OUT}/${run} --quiet
        RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "quorl-capture failed (${result}) on the show")
    endif()
endforeach()
file(GLOB frames RELATIVE ${OUT}/first ${OUT}/first/*.png)
list(LENGTH frames count)
if(NOT count EQUAL 21)
    message(FATAL_ERROR "expected 21 frames, got ${count}")
endif()
foreach(frame IN LISTS frames)
    file(SHA256 ${OUT}/first/${frame} first)
    file(SHA256 ${OUT}/second/${frame} second)
    if(NOT first STREQUAL second)
        message(FATAL_ERROR "${frame} differs between two captures")
    endif()
endforeach()

execute_process(
    COMMAND ${CAPTURE} --root ${ROOT} --script tests/golden/particles.xml --size 160x120 --fps 30
            --video ${OUT}/clip.mp4 --quiet
    RESULT_VARIABLE result)
file(GLOB left ${OUT}/.*partial)
if(NOT result EQUAL 0 OR NOT EXISTS ${OUT}/clip.mp4 OR left)
    message(FATAL_ERROR "video capture failed (${result}) or left ${left}")
endif()
file(SIZE ${OUT}/clip.mp4 size)
if(size LESS 1000)
    message(FATAL_ERROR "the video is only ${size} bytes")
endif()

execute_process(
    COMMAND ${CAPTURE} --root ${ROOT} --script tests/golden/particles.xml --size 160x120 --fps 30
            --video ${OUT}/missing/clip.mp4 --quiet
    RESULT_VARIABLE result ERROR_VARIABLE error)
if(result EQUAL 0 OR NOT error MATCHES "cannot write")
    message(FATAL_ERROR "an unwritable video path gave ${result}: ${error}")
endif()
file(GLOB_RECURSE left ${OUT}/missing/*)
if(left)
    message(FATAL_ERROR "a failed video capture left ${left}")
endif()
