# cmake -DSTEP=zero -DBUILD_DIR= -P check_coverage.cmake
# cmake -DSTEP=report -DGCOVR= -DSOURCE_DIR= -DBUILD_DIR= -P check_coverage.cmake
# Coverage over the whole native test run, in two steps that bracket it as a CTest
# fixture: `zero` removes the counters once, before any test runs; `report`, after
# every test, reads what all of them ran. Its lines, one for the plugin's own code
# (input/, script/, plugin/), one for the harness, one for the tools, go to
# standard output and to BUILD_DIR/coverage.txt. It fails below 100% of the
# plugin's lines or branches, with gcovr's report of what was missed; the other
# two figures are shown, not held to a bound.
if(STEP STREQUAL "zero")
  file(GLOB_RECURSE counters ${BUILD_DIR}/*.gcda)
  file(REMOVE ${counters} ${BUILD_DIR}/coverage.txt)
  list(LENGTH counters count)
  message(STATUS "removed ${count} counter files")
  return()
elseif(NOT STEP STREQUAL "report")
  message(FATAL_ERROR "STEP must be zero or report, not '${STEP}'")
endif()

# coverage(<name> <filter> <output variable>): gcovr's summary of the sources under
# <filter> as "coverage of <name>: lines P% (L/L), branches P% (B/B)"; the report
# of what was missed in <output variable>_MISSED, and <output variable>_FULL true
# when every line and branch ran.
function(coverage name filter out)
  execute_process(
    # Only the build folder is searched: the Wine prefixes beside it link to /.
    COMMAND ${GCOVR} --root ${SOURCE_DIR} --object-directory ${BUILD_DIR} ${BUILD_DIR}
            --filter "${SOURCE_DIR}/${filter}/" --exclude-unreachable-branches
            --exclude-throw-branches --print-summary
    RESULT_VARIABLE failed OUTPUT_VARIABLE report ERROR_VARIABLE err)
  if(failed)
    message(FATAL_ERROR "gcovr failed (${failed}) on ${filter}:\n${err}")
  endif()
  string(REGEX MATCH "lines: ([^ ]+) \\(([0-9]+) out of ([0-9]+)\\)" _ "${report}")
  set(line "coverage of ${name}: lines ${CMAKE_MATCH_1} (${CMAKE_MATCH_2}/${CMAKE_MATCH_3})")
  set(full FALSE)
  if(CMAKE_MATCH_3 AND CMAKE_MATCH_2 EQUAL CMAKE_MATCH_3)
    set(full TRUE)
  endif()
  string(REGEX MATCH "branches: ([^ ]+) \\(([0-9]+) out of ([0-9]+)\\)" _ "${report}")
  string(APPEND line ", branches ${CMAKE_MATCH_1} (${CMAKE_MATCH_2}/${CMAKE_MATCH_3})")
  if(NOT CMAKE_MATCH_3 OR NOT CMAKE_MATCH_2 EQUAL CMAKE_MATCH_3)
    set(full FALSE)
  endif()
  set(${out} "${line}" PARENT_SCOPE)
  set(${out}_FULL ${full} PARENT_SCOPE)
  set(${out}_MISSED "${report}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE counters ${BUILD_DIR}/*.gcda)
if(NOT counters)
  message(FATAL_ERROR "no counter files under ${BUILD_DIR}: did the tests run?")
endif()
coverage("the plugin" "(input|script|plugin)" plugin)
coverage("the harness" "harness" harness)
coverage("the tools" "tools" tools)
file(WRITE ${BUILD_DIR}/coverage.txt "${plugin}\n${harness}\n${tools}\n")
if(NOT plugin_FULL)
  message(FATAL_ERROR "${plugin}: below 100% (when only some tests ran, as with "
                      "ctest -R, run them all, or leave this check out with -FA coverage):\n"
                      "${plugin_MISSED}")
endif()
message(STATUS "${plugin}\n-- ${harness}\n-- ${tools}")
