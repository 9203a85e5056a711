# Runs keyrelay-replay on SCENARIO, a path it cannot replay from or an environment
# it refuses, and checks its exit code and error message.
execute_process(COMMAND ${REPLAY} ${SCENARIO}
  RESULT_VARIABLE exit_code OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT exit_code STREQUAL EXPECT_EXIT)
  message(FATAL_ERROR "exit code ${exit_code}, expected ${EXPECT_EXIT}\n${out}${err}")
endif()
string(FIND "${err}" "${EXPECT_ERROR}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "standard error lacks '${EXPECT_ERROR}':\n${err}")
endif()
# A file that cannot be read replays nothing.
if(exit_code EQUAL 1 AND NOT out STREQUAL "")
  message(FATAL_ERROR "a replay of a file it cannot read printed a trace:\n${out}")
endif()
