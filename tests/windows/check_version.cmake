# cmake -DWINE= -DREADER= -DMODULE= -DVERSION= -P check_version.cmake
# The module's version resource, read back under Wine by READER (version_info.cpp)
# with the Windows version API: both versions are VERSION, it names itself
# keyrelay.asi of the product keyrelay, says what it is, and is a DLL's.
execute_process(COMMAND ${WINE} ${READER} ${MODULE}
  RESULT_VARIABLE exit OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT exit EQUAL 0)
  message(FATAL_ERROR "reading the version resource failed (${exit}):\n${out}${err}")
endif()
string(REPLACE "\r" "" out "${out}")

set(missing "")
foreach(line
    "FixedFileVersion=${VERSION}.0"
    "FixedProductVersion=${VERSION}.0"
    "FileType=2"  # VFT_DLL
    "FileVersion=${VERSION}"
    "ProductVersion=${VERSION}"
    "ProductName=keyrelay"
    "InternalName=keyrelay"
    "OriginalFilename=keyrelay.asi")
  string(FIND "\n${out}" "\n${line}\n" at)
  if(at EQUAL -1)
    string(APPEND missing "  ${line}\n")
  endif()
endforeach()
if(NOT out MATCHES "(^|\n)FileDescription=[^\n]+")
  string(APPEND missing "  FileDescription=(any)\n")
endif()
if(missing)
  message(FATAL_ERROR "${MODULE}'s version resource lacks:\n${missing}It reads:\n${out}")
endif()
message(STATUS "version ${VERSION}:\n${out}")
