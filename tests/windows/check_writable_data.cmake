# cmake -DREADOBJ= -DMODULE= -DCLANG= -DFLAGS= -DSOURCE= -DSOURCE_DIR= -P check_writable_data.cmake
# The module's only writable data is the key table, all of it zero when mapped: one
# writable section, with no bytes in the file, as large as the table (SOURCE,
# compiled with FLAGS, the module's compiler flags, asserts the size). So a new
# mapping gives the plugin an empty table and nothing else, which is what the
# linked-in build's load gives it by emptying the table; a second static would
# make the two differ, and fails here.
string(REPLACE "|" ";" FLAGS "${FLAGS}")  # a list, joined with | to pass as one word
execute_process(COMMAND ${READOBJ} --sections ${MODULE} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${READOBJ} could not read ${MODULE}")
endif()

set(writable "")
set(bytes 0)
string(REGEX MATCHALL "Section {[^}]*}" sections "${dump}")
foreach(section IN LISTS sections)
  if(NOT section MATCHES "IMAGE_SCN_MEM_WRITE")
    continue()
  endif()
  string(REGEX MATCH "Name: ([^ \n]*)" _ "${section}")
  set(name "${CMAKE_MATCH_1}")
  string(REGEX MATCH "VirtualSize: (0x[0-9A-F]+)" _ "${section}")
  math(EXPR size "${CMAKE_MATCH_1}")
  string(REGEX MATCH "RawDataSize: ([0-9]+)" _ "${section}")
  if(NOT CMAKE_MATCH_1 EQUAL 0)
    message(FATAL_ERROR "${MODULE}: ${name} holds ${CMAKE_MATCH_1} bytes of initial data; "
                        "the plugin's statics must all start zero")
  endif()
  list(APPEND writable "${name} (${size} bytes)")
  math(EXPR bytes "${bytes} + ${size}")
endforeach()
list(LENGTH writable count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "${MODULE}: ${count} writable sections, not 1: ${writable}")
endif()

execute_process(COMMAND ${CLANG} ${FLAGS} -std=c++20 -I${SOURCE_DIR}
                        -DKEYRELAY_WRITABLE_BYTES=${bytes} -fsyntax-only ${SOURCE}
  RESULT_VARIABLE differs ERROR_VARIABLE err)
if(differs)
  message(FATAL_ERROR "${MODULE}: ${bytes} writable bytes, not the key table's alone:\n${err}")
endif()
message(STATUS "${MODULE}: its writable data is the key table alone, ${writable}")
