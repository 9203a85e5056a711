# Included by the Wine tests: run_replay(<out prefix> COMMAND...) runs a replay with
# the scenario on standard input (none for the demo), and sets <prefix>_exit,
# <prefix>_out and <prefix>_err. Wine's own notices on standard error (a missing
# 32-bit Wine, say) are dropped.
function(run_replay prefix)
  set(input "")
  if(NOT SCENARIO STREQUAL "demo")
    set(input INPUT_FILE ${SCENARIO})
  endif()
  set(arguments)
  if(NOT SCENARIO STREQUAL "demo")
    set(arguments -)
  endif()
  execute_process(COMMAND ${ARGN} ${arguments} ${input}
    RESULT_VARIABLE exit OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REGEX REPLACE "[^\n]*wine32[^\n]*\n?" "" err "${err}")
  string(REGEX REPLACE "[^\n]*multiarch[^\n]*\n?" "" err "${err}")
  string(REGEX REPLACE "[^\n]*apt-get install[^\n]*\n?" "" err "${err}")
  set(${prefix}_exit "${exit}" PARENT_SCOPE)
  set(${prefix}_out "${out}" PARENT_SCOPE)
  set(${prefix}_err "${err}" PARENT_SCOPE)
endfunction()
