# cmake [-DWINE=] -DREPLAY= -DSCENARIO= [-DREWRITE=ON] -P check_trace.cmake
# Replays SCENARIO (a file, given on standard input, or "demo", the built-in one)
# with REPLAY, under WINE when it is given, and holds what it prints against the
# expected trace beside the scenario, NAME.trace (the demo's is
# tools/replay/demo.trace), byte for byte. Standard error must be NAME.stderr where
# there is one, and then the exit code 2 (a faulty scenario); elsewhere it must be
# empty and the exit code 0. With $KEYRELAY_MOVE_BASE set, a Wine run holds the
# module's preferred range and must report that the module loaded elsewhere; that
# report is not part of what is compared, nor are notices of Wine's and of the
# sanitizers' own.
# REWRITE=ON writes the expected files from this run instead, after a deliberate
# change: the diff is what gets reviewed.
if(SCENARIO STREQUAL "demo")
  cmake_path(SET trace NORMALIZE ${CMAKE_CURRENT_LIST_DIR}/../tools/replay/demo.trace)
  set(input "")
else()
  string(REGEX REPLACE "\\.scenario$" ".trace" trace "${SCENARIO}")
  set(input - INPUT_FILE ${SCENARIO})
endif()
string(REGEX REPLACE "\\.trace$" ".stderr" errors "${trace}")
execute_process(COMMAND ${WINE} ${REPLAY} ${input}
  RESULT_VARIABLE exit OUTPUT_VARIABLE out ERROR_VARIABLE err)

# AddressSanitizer's own notice, once a process, that it sees the script's stack
# switches; the stand-in tells it of each.
string(REGEX REPLACE "==[0-9]+==WARNING: ASan doesn't fully support makecontext/swapcontext[^\n]*\n?"
       "" err "${err}")
if(WINE)
  if("$ENV{KEYRELAY_MOVE_BASE}" AND out MATCHES "(^|\n)load\n")
    string(REGEX MATCH "moved: [^\n]*" moved "${err}")
    if(NOT moved)
      message(FATAL_ERROR "the module was not reported moved off its preferred base:\n${err}")
    endif()
    message(STATUS "${moved}")
    string(REGEX REPLACE "moved: [^\n]*\n?" "" err "${err}")
  endif()
  # Wine's own notices of a missing 32-bit Wine.
  string(REGEX REPLACE "[^\n]*(wine32|multiarch|apt-get install)[^\n]*\n?" "" err "${err}")
endif()

if(REWRITE)
  if(NOT exit MATCHES "^[02]$")
    message(FATAL_ERROR "exit ${exit}: not a trace to keep:\n${err}")
  endif()
  file(WRITE ${trace} "${out}")
  if(err STREQUAL "")
    file(REMOVE ${errors})
  else()
    file(WRITE ${errors} "${err}")
  endif()
  message(STATUS "wrote ${trace}")
  return()
endif()

if(NOT EXISTS ${trace})
  message(FATAL_ERROR "no expected trace ${trace}: write it with "
                      "cmake --build --preset ci --target rewrite-traces")
endif()
file(READ ${trace} expected)
set(expectedErr "")
set(expectedExit 0)
if(EXISTS ${errors})
  file(READ ${errors} expectedErr)
  set(expectedExit 2)
endif()
if(NOT out STREQUAL expected)
  get_filename_component(name ${trace} NAME)
  set(actual ${CMAKE_CURRENT_BINARY_DIR}/${name})
  file(WRITE ${actual} "${out}")
  execute_process(COMMAND diff -u ${trace} ${actual} OUTPUT_VARIABLE difference)
  message(FATAL_ERROR "the trace differs from ${trace}:\n${difference}\nstandard error:\n${err}")
endif()
if(NOT err STREQUAL expectedErr)
  message(FATAL_ERROR "standard error differs:\nexpected:\n${expectedErr}\nprinted:\n${err}")
endif()
if(NOT exit STREQUAL expectedExit)
  message(FATAL_ERROR "exit ${exit}, expected ${expectedExit}:\n${err}")
endif()
string(LENGTH "${out}" bytes)
message(STATUS "the expected trace (${bytes} bytes), exit ${exit}")
