# cmake --install BUILD --prefix DIR lays out a complete program home in
# DIR/lib/korval-zudezo (the same layout the build makes in BUILD: bin/ with
# the programs, DIRECT.INI, KRL_VAR.csv, the manual and the help pages, the
# sample data beside it, empty run and output directories), links DIR/bin/krl
# to the program, and adds a desktop menu entry with the program's icon.
#
# Runs write into runio/ and output/ of the program home, so the home must be
# writable by its user: install into the home directory (--prefix ~/.local)
# or give the users write access to those two directories.

set(KRL_INSTALL_HOME "lib/korval-zudezo" CACHE STRING "Program home below the install prefix")
set(_home ${KRL_INSTALL_HOME})

# The sample data and the settings: data/ is the program home's image.
# The sample working session (data/session) goes into runio/, where the
# program reads it at its first start.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${_home} PATTERN session EXCLUDE)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/session/ DESTINATION ${_home}/runio)
foreach(_d runio output meteo/dbmrep)
  install(DIRECTORY DESTINATION ${_home}/${_d})
endforeach()

# The programs.
set(_programs)
foreach(_t krl korval krlcmd krlstudy)
  if(TARGET ${_t})
    list(APPEND _programs ${_t})
  endif()
endforeach()
# Installed stripped, also without --strip: the debugging information stays
# in the build tree.
install(CODE "set(CMAKE_INSTALL_DO_STRIP TRUE)")
install(TARGETS ${_programs} RUNTIME DESTINATION ${_home}/bin)

# The manual and the help pages, when the build made them.
if(TARGET manual)
  install(FILES ${KRL_BIN}/KRL_Manual.pdf DESTINATION ${_home}/bin)
  install(DIRECTORY ${KRL_BIN}/help DESTINATION ${_home}/bin)
endif()

# The icon, the desktop entry (started in the program directory) and a link
# to the program on the prefix's bin/.
install(FILES ${CMAKE_SOURCE_DIR}/assets/krl.svg DESTINATION share/icons/hicolor/scalable/apps
        RENAME korval-zudezo.svg)
install(CODE "
  set(_prefix \"\${CMAKE_INSTALL_PREFIX}\")
  set(_dest \"\$ENV{DESTDIR}\${_prefix}\")
  set(KRL_PATH \"\${_prefix}/${_home}/bin\")
  set(KRL_EXEC \"\${KRL_PATH}/krl\")
  set(KRL_ICON \"\${_prefix}/share/icons/hicolor/scalable/apps/korval-zudezo.svg\")
  configure_file(\"${CMAKE_SOURCE_DIR}/assets/korval-zudezo.desktop.in\"
                 \"\${_dest}/share/applications/korval-zudezo.desktop\" @ONLY)
  message(STATUS \"Installing: \${_dest}/share/applications/korval-zudezo.desktop\")
  if(EXISTS \"\${_dest}/${_home}/bin/krl\")
    file(MAKE_DIRECTORY \"\${_dest}/bin\")
    file(CREATE_LINK \"../${_home}/bin/krl\" \"\${_dest}/bin/krl\" SYMBOLIC)
    message(STATUS \"Installing: \${_dest}/bin/krl -> ../${_home}/bin/krl\")
  endif()
")
