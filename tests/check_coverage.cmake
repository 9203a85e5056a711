# cmake -DGCOVR= -DSOURCE_DIR= -DBUILD_DIR= -DSUITES_PROGRAM= -P check_coverage.cmake
# The plugin's own code (input/, script/, plugin/) as the suites cover it: the
# counters zeroed, the suites' program run, and gcovr's summary put in one line,
# which is also written to BUILD_DIR/plugin-coverage.txt. Fails below 100% of the lines or
# the branches, with gcovr's report of what was missed.
file(GLOB_RECURSE stale ${BUILD_DIR}/*.gcda)
file(REMOVE ${stale} ${BUILD_DIR}/plugin-coverage.txt)
execute_process(COMMAND ${SUITES_PROGRAM} OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
execute_process(
  # Only the build folder is searched: the Wine prefixes beside it link to /.
  COMMAND ${GCOVR} --root ${SOURCE_DIR} --object-directory ${BUILD_DIR} ${BUILD_DIR}
          --filter "${SOURCE_DIR}/(input|script|plugin)/" --exclude-unreachable-branches
          --print-summary --fail-under-line 100 --fail-under-branch 100
  RESULT_VARIABLE below OUTPUT_VARIABLE report ERROR_VARIABLE err)
string(REGEX MATCH "lines: ([^ ]+) \\(([0-9]+) out of ([0-9]+)\\)" _ "${report}")
set(line "coverage of the plugin: lines ${CMAKE_MATCH_1} (${CMAKE_MATCH_2}/${CMAKE_MATCH_3})")
string(REGEX MATCH "branches: ([^ ]+) \\(([0-9]+) out of ([0-9]+)\\)" _ "${report}")
string(APPEND line ", branches ${CMAKE_MATCH_1} (${CMAKE_MATCH_2}/${CMAKE_MATCH_3})")
file(WRITE ${BUILD_DIR}/plugin-coverage.txt "${line}\n")
if(below OR NOT CMAKE_MATCH_3)
  message(FATAL_ERROR "${line}: below 100% (gcovr ${below}):\n${report}${err}")
endif()
message(STATUS "${line}")
