# The version resource of keyrelay.asi (KEYRELAY_VERSION_RC, written out by
# CMakeLists.txt), compiled by llvm-rc; lld links the .res.
set(keyrelayVersionRes ${PROJECT_BINARY_DIR}/keyrelay_version.res)
# llvm-rc reads a leading '/' as an option even on Linux, so an absolute path
# such as /check/... or /home/... would be taken for /C or /H: '--' ends the
# options before the input file.
add_custom_command(OUTPUT ${keyrelayVersionRes}
  COMMAND ${KEYRELAY_RC} /no-preprocess /FO ${keyrelayVersionRes} -- ${KEYRELAY_VERSION_RC}
  DEPENDS ${KEYRELAY_VERSION_RC}
  VERBATIM)
add_custom_target(keyrelay_version_resource DEPENDS ${keyrelayVersionRes})
add_dependencies(keyrelay keyrelay_version_resource)
set_property(TARGET keyrelay APPEND PROPERTY LINK_DEPENDS ${keyrelayVersionRes})
target_link_libraries(keyrelay PRIVATE ${keyrelayVersionRes})
