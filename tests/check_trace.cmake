# cmake [-DWINE=] -DREPLAY= -DSCENARIO= [-DREWRITE=ON] -P check_trace.cmake
# Replays SCENARIO (a file, given on standard input, or "demo", the built-in one)
# with REPLAY, under WINE when it is given. The scenario must have an expect line;
# the replay itself checks them (exit 3 when one is not met). A scenario that must
# fail has its expected standard error beside it, NAME.stderr, and its exit code,
# NAME.exit (a faulty line exits 2, an unmet expect line 3): the two go together.
# Elsewhere standard error must be empty and the exit code 0. Where the whole
# output is the point, the scenario has an expected trace beside it, NAME.trace
# (the demo's is tools/replay/demo.trace), which standard output must be byte for
# byte. With $KEYRELAY_MOVE_BASE set, a Wine run reserves the module's preferred
# range and must report that the module loaded elsewhere; that report is not part
# of what is compared, nor are notices of Wine's and of the sanitizers' own.
# REWRITE=ON writes the expected trace and standard error that exist from this run
# instead, after a deliberate change, and says which it changed: the diff is what
# gets reviewed. It refuses a run whose exit code is not the expected one, or whose
# standard error would add or remove a NAME.stderr; it never writes a scenario or
# a NAME.exit, so the expect lines and the exit code stay as they were written.
if(SCENARIO STREQUAL "demo")
  cmake_path(SET file NORMALIZE ${CMAKE_CURRENT_LIST_DIR}/../tools/replay/demo.scenario)
  set(input "")
else()
  set(file ${SCENARIO})
  set(input - INPUT_FILE ${SCENARIO})
endif()
string(REGEX REPLACE "\\.scenario$" ".trace" trace "${file}")
string(REGEX REPLACE "\\.trace$" ".stderr" errors "${trace}")
string(REGEX REPLACE "\\.trace$" ".exit" exitFile "${trace}")
# Every scenario says what it checks in its own lines, with or without a trace.
file(STRINGS ${file} expects REGEX "^[ \t]*[Ee][Xx][Pp][Ee][Cc][Tt]([ \t#]|$)")
if(NOT expects)
  message(FATAL_ERROR "${file} has no expect line: say what its passes must call")
endif()
execute_process(COMMAND ${WINE} ${REPLAY} ${input}
  RESULT_VARIABLE exit OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(rawErr "${err}")  # as printed, for a failure's report

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

set(expectedErr "")
set(expectedExit 0)
if(EXISTS ${errors} OR EXISTS ${exitFile})
  if(NOT EXISTS ${errors} OR NOT EXISTS ${exitFile})
    message(FATAL_ERROR "${file}: a scenario that fails has both ${errors} and ${exitFile}, "
                        "what it says and how it ends, or neither")
  endif()
  file(READ ${errors} expectedErr)
  file(READ ${exitFile} expectedExit)
  string(STRIP "${expectedExit}" expectedExit)
  if(NOT expectedExit MATCHES "^[1-9][0-9]*$" OR expectedExit GREATER 255)
    message(FATAL_ERROR "${exitFile}: '${expectedExit}' is no exit code of a failure "
                        "(expected 1 to 255)")
  endif()
endif()
if(NOT exit STREQUAL expectedExit)
  set(why "exit ${exit}")
  if(exit STREQUAL "3")
    set(why "an expect line was not met (exit 3)")
  elseif(exit STREQUAL "2")
    set(why "a faulty scenario (exit 2)")
  endif()
  if(REWRITE)
    message(FATAL_ERROR "${SCENARIO}: refused: ${why}; a rewrite keeps the exit code "
                        "${expectedExit}:\n${err}")
  endif()
  message(FATAL_ERROR "${SCENARIO}: ${why}, expected exit ${expectedExit}; "
                      "standard error:\n${rawErr}\nstandard output:\n${out}")
endif()

if(REWRITE)
  # The expected standard error may change; it never appears or goes.
  if(NOT EXISTS ${errors} AND NOT err STREQUAL "")
    message(FATAL_ERROR "${SCENARIO}: refused: a rewrite adds no ${errors}:\n${err}")
  endif()
  function(rewrite file text)
    if(EXISTS ${file})
      file(READ ${file} old)
      if(NOT old STREQUAL text)
        file(WRITE ${file} "${text}")
        message(STATUS "changed ${file}")
      endif()
    endif()
  endfunction()
  rewrite(${trace} "${out}")
  rewrite(${errors} "${err}")
  return()
endif()

if(EXISTS ${trace})
  file(READ ${trace} expected)
  if(NOT out STREQUAL expected)
    get_filename_component(name ${trace} NAME)
    set(actual ${CMAKE_CURRENT_BINARY_DIR}/${name})
    file(WRITE ${actual} "${out}")
    execute_process(COMMAND diff -u ${trace} ${actual} OUTPUT_VARIABLE difference)
    message(FATAL_ERROR "the trace differs from ${trace}:\n${difference}\nstandard error:\n${err}")
  endif()
endif()
if(NOT err STREQUAL expectedErr)
  message(FATAL_ERROR "standard error differs:\nexpected:\n${expectedErr}\nprinted:\n${err}")
endif()
string(LENGTH "${out}" bytes)
if(EXISTS ${trace})
  message(STATUS "the expected trace (${bytes} bytes), exit ${exit}")
elseif(exit EQUAL 0)
  message(STATUS "every expect line met (${bytes} bytes of trace, no whole trace kept), exit 0")
else()
  message(STATUS "the expected standard error (${bytes} bytes of trace, no whole trace kept), "
                 "exit ${exit}")
endif()
