# Runs the screenshot program on a fresh copy of the sample program home.
# A failure is reported but does not stop the build: the manual then leaves
# out the pictures that could not be taken, and says so in the build log.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          ${PROGRAM} --data ${DATA} --programs ${PROGRAMS} --out ${OUT}
  RESULT_VARIABLE _rc TIMEOUT 300)
if(NOT _rc EQUAL 0)
  message(WARNING "The screenshot program failed (${_rc}); the manual leaves out the pictures it could not take.")
endif()
file(TOUCH ${OUT}/pictures.stamp)
