# cmake -DWINE= -DREADER= -DMODULE= -DVERSION= -DDESCRIPTION= -P check_version.cmake
# The module's version resource, read back under Wine by READER (version_info.cpp)
# with the Windows version API, must be version_info.expected to the byte: both
# versions are VERSION, it is a DLL's (FileType 2, VFT_DLL), says it is DESCRIPTION,
# and names itself keyrelay.asi of the product keyrelay.
execute_process(COMMAND ${WINE} ${READER} ${MODULE}
  RESULT_VARIABLE exit OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT exit EQUAL 0)
  message(FATAL_ERROR "reading the version resource failed (${exit}):\n${out}${err}")
endif()
string(REPLACE "\r" "" out "${out}")
file(READ ${CMAKE_CURRENT_LIST_DIR}/version_info.expected expected)
string(CONFIGURE "${expected}" expected @ONLY)
if(NOT out STREQUAL expected)
  # Indented, so that the message keeps them one a line.
  string(REPLACE "\n" "\n  " out "  ${out}")
  string(REPLACE "\n" "\n  " expected "  ${expected}")
  message(FATAL_ERROR "${MODULE}'s version resource reads:\n${out}\nnot:\n${expected}")
endif()
message(STATUS "version ${VERSION}:\n${out}")
