# cmake -DCLANG= -DSOURCE= -DEXPORTS_HEADER= -DWORK_DIR= -P check_decorated_names.cmake
# Compiles the host's signatures for an MSVC x64 target and checks that the
# mangler's names for them are exactly the names in host/host_exports.h.
find_program(NM NAMES llvm-nm llvm-nm-14 REQUIRED)
file(MAKE_DIRECTORY ${WORK_DIR})
set(object ${WORK_DIR}/host_signatures.obj)
execute_process(COMMAND ${CLANG} --target=x86_64-pc-windows-msvc -std=c++20 -c ${SOURCE} -o ${object}
  RESULT_VARIABLE failed ERROR_VARIABLE err)
if(failed)
  message(FATAL_ERROR "could not compile ${SOURCE}:\n${err}")
endif()
execute_process(COMMAND ${NM} --undefined-only --format=just-symbols ${object}
  OUTPUT_VARIABLE symbols)
string(REGEX MATCHALL "\\?[^\n]+" mangled "${symbols}")

set(listed "")
file(STRINGS ${EXPORTS_HEADER} lines REGEX "^#define KEYRELAY_EXPORT_")
foreach(line IN LISTS lines)
  string(REGEX MATCH "\"([^\"]+)\"" _ "${line}")
  list(APPEND listed "${CMAKE_MATCH_1}")
endforeach()

list(SORT mangled)
list(SORT listed)
if(NOT mangled STREQUAL listed)
  string(REPLACE ";" "\n  " a "${mangled}")
  string(REPLACE ";" "\n  " b "${listed}")
  message(FATAL_ERROR "the MSVC mangler names:\n  ${a}\nhost/host_exports.h lists:\n  ${b}")
endif()
list(LENGTH listed count)
message(STATUS "all ${count} decorated names agree with the MSVC mangler")
