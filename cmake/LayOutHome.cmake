# Copies the sample program home from SRC to DST. Files the user may have
# changed in DST are replaced only when the source is newer, so a rebuild does
# not undo a session run against the home, and output or run files are kept.
file(GLOB_RECURSE _files RELATIVE ${SRC} ${SRC}/*)
foreach(_f ${_files})
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
