# Runs the screenshot program on fresh copies of the sample program home, one
# process per group of scenes. A scene that fails (a crash, or no end within
# the time limit) is reported and passed over, and the rest of its group goes
# on in a new process; the build does not stop: the manual then leaves out
# the pictures that could not be taken.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${PROGRAM} --list OUTPUT_VARIABLE _groups OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  message(WARNING "The screenshot program does not start (${_rc}); the manual has no pictures.")
endif()

set(_n 0)
foreach(_group ${_groups})
  string(REPLACE "," ";" _todo ${_group})
  while(_todo)
    math(EXPR _n "${_n} + 1")
    string(REPLACE ";" "," _scenes "${_todo}")
    execute_process(
      COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
              ${PROGRAM} --scene ${_scenes} --data ${DATA} --programs ${PROGRAMS} --out ${OUT}
      OUTPUT_FILE ${OUT}/run${_n}.log ERROR_FILE ${OUT}/run${_n}.log RESULT_VARIABLE _rc TIMEOUT 45)
    set(_left)
    set(_failed)
    foreach(_scene ${_todo})
      if(EXISTS ${OUT}/${_scene}.done)
        continue()
      elseif(NOT _failed)
        set(_failed ${_scene})
      else()
        list(APPEND _left ${_scene})
      endif()
    endforeach()
    if(_failed)
      message(WARNING "The pictures of '${_failed}' could not be taken (${_rc}); see ${OUT}/run${_n}.log.")
    endif()
    set(_todo ${_left})
  endwhile()
endforeach()
file(TOUCH ${OUT}/pictures.stamp)
