# cmake -DWINE= -DWINDOWS_REPLAY= -DNATIVE_REPLAY= -DSCENARIO= -DOUT_DIR= -P compare_traces.cmake
# Replays SCENARIO (a file, or "demo") natively and, under Wine, through the
# module $KEYRELAY_PLUGIN; the two must print the same trace byte for byte, exit
# alike and report the same errors.
include(${CMAKE_CURRENT_LIST_DIR}/run_replay.cmake)
if(NOT NATIVE_REPLAY OR NOT EXISTS "${NATIVE_REPLAY}")
  message(FATAL_ERROR "no native keyrelay-replay at '${NATIVE_REPLAY}': build the native "
                      "preset first (KEYRELAY_NATIVE_REPLAY)")
endif()
run_replay(native ${NATIVE_REPLAY})
run_replay(wine ${WINE} ${WINDOWS_REPLAY})

get_filename_component(name ${SCENARIO} NAME_WE)
file(MAKE_DIRECTORY ${OUT_DIR})
file(WRITE ${OUT_DIR}/${name}.native.trace "${native_out}")
file(WRITE ${OUT_DIR}/${name}.wine.trace "${wine_out}")

if(NOT native_out STREQUAL wine_out)
  execute_process(COMMAND diff -u ${OUT_DIR}/${name}.native.trace ${OUT_DIR}/${name}.wine.trace
    OUTPUT_VARIABLE difference)
  message(FATAL_ERROR "the traces differ:\n${difference}\nstandard error under Wine:\n${wine_err}")
endif()
if(NOT native_exit STREQUAL wine_exit)
  message(FATAL_ERROR "exit ${native_exit} natively, ${wine_exit} under Wine:\n${wine_err}")
endif()
if(NOT native_err STREQUAL wine_err)
  message(FATAL_ERROR "standard error differs:\nnatively:\n${native_err}\nunder Wine:\n${wine_err}")
endif()
string(LENGTH "${wine_out}" bytes)
message(STATUS "same trace (${bytes} bytes), exit ${wine_exit}")
