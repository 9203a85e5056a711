# cmake -DCLANG= -DNM= -DSOURCE= -DSOURCE_DIR= -DWINDOWS_INCLUDE= -DEXPORTS_HEADER= -DWORK_DIR=
#       -P check_decorated_names.cmake
# Compiles host/host.h's declarations (SOURCE references each), with the Windows
# headers the module is built with, for an MSVC x64 target, and checks that the
# mangler's names for them are exactly the names in host/host_exports.h. (MSVC
# compatibility off: the MinGW headers' intrinsics need GNU mode; the names follow
# the target.)
include(${CMAKE_CURRENT_LIST_DIR}/host_exports.cmake)
file(MAKE_DIRECTORY ${WORK_DIR})
set(object ${WORK_DIR}/host_names.obj)
execute_process(COMMAND ${CLANG} --target=x86_64-pc-windows-msvc -fno-ms-compatibility -std=c++20
          -I${SOURCE_DIR} -isystem ${WINDOWS_INCLUDE}
          -c ${SOURCE} -o ${object}
  RESULT_VARIABLE failed ERROR_VARIABLE err)
if(failed)
  message(FATAL_ERROR "could not compile ${SOURCE}:\n${err}")
endif()
execute_process(COMMAND ${NM} --undefined-only --format=just-symbols ${object}
  OUTPUT_VARIABLE symbols)
# Imported names: __imp_ and the decorated name.
string(REGEX MATCHALL "\\?[^\n]+" mangled "${symbols}")

host_export_names(listed ${EXPORTS_HEADER})
list(SORT mangled)
list_differs("${mangled}" "${listed}" difference)
if(difference)
  message(FATAL_ERROR "the MSVC mangler names (expected: host/host_exports.h):${difference}")
endif()
list(LENGTH listed count)
message(STATUS "all ${count} decorated names agree with the MSVC mangler")
