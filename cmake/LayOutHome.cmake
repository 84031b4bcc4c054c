# Copies the sample program home from SRC to DST. Files the user may have
# changed in DST are replaced only when the source is newer, so a rebuild does
# not undo a session run against the home, and output or run files are kept.
#
# SRC/session/ holds the sample working session: it goes into runio/ only
# while the home has no working session of its own, so the first start opens
# a session that is ready to run and later builds never replace the user's.
file(GLOB_RECURSE _files RELATIVE ${SRC} ${SRC}/*)
foreach(_f ${_files})
  if(_f MATCHES "^session/")
    continue()
  endif()
  set(_from ${SRC}/${_f})
  set(_to ${DST}/${_f})
  if(NOT EXISTS ${_to} OR ${_from} IS_NEWER_THAN ${_to})
    get_filename_component(_dir ${_to} DIRECTORY)
    file(MAKE_DIRECTORY ${_dir})
    file(COPY ${_from} DESTINATION ${_dir})
  endif()
endforeach()
foreach(_d cropd soild meteo/climd meteo/merawe meteo/dbmrep runio output bin)
  file(MAKE_DIRECTORY ${DST}/${_d})
endforeach()

file(GLOB _working ${DST}/runio/*)
set(_has_session FALSE)
foreach(_w ${_working})
  get_filename_component(_name ${_w} NAME)
  string(TOUPPER "${_name}" _name)
  if(_name STREQUAL "RUNOPT.DAT")
    set(_has_session TRUE)
  endif()
endforeach()
if(NOT _has_session AND EXISTS ${SRC}/session)
  file(GLOB _sample ${SRC}/session/*)
  file(COPY ${_sample} DESTINATION ${DST}/runio)
endif()
