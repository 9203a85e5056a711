# The version resource of keyrelay.asi, from the project's version: the .rc is
# written out at configure time and compiled by llvm-rc; lld links the .res.
set(KEYRELAY_DESCRIPTION "keyrelay: key bindings for the game, run by ScriptHookRDR2.dll")
set(keyrelayVersionRc ${PROJECT_BINARY_DIR}/keyrelay_version.rc)
set(keyrelayVersionRes ${PROJECT_BINARY_DIR}/keyrelay_version.res)
configure_file(plugin/version.rc.in ${keyrelayVersionRc} @ONLY)
# llvm-rc reads a leading '/' as an option even on Linux, so an absolute path
# such as /check/... or /home/... would be taken for /C or /H: '--' ends the
# options before the input file.
add_custom_command(OUTPUT ${keyrelayVersionRes}
  COMMAND ${KEYRELAY_RC} /no-preprocess /FO ${keyrelayVersionRes} -- ${keyrelayVersionRc}
  DEPENDS ${keyrelayVersionRc}
  VERBATIM)
add_custom_target(keyrelay_version_resource DEPENDS ${keyrelayVersionRes})
add_dependencies(keyrelay keyrelay_version_resource)
set_property(TARGET keyrelay APPEND PROPERTY LINK_DEPENDS ${keyrelayVersionRes})
target_link_libraries(keyrelay PRIVATE ${keyrelayVersionRes})
