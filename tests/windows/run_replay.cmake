# Included by the Wine tests: run_replay(<out prefix> COMMAND...) runs a replay with
# the scenario on standard input (none for the demo), and sets <prefix>_exit,
# <prefix>_out and <prefix>_err. Wine's own notices on standard error (a missing
# 32-bit Wine, say) are dropped. With $KEYRELAY_MOVE_BASE set, the Wine run holds
# the module's preferred range, and must report that the module loaded elsewhere;
# that report is taken out of <prefix>_err.
function(run_replay prefix)
  set(input "")
  if(NOT SCENARIO STREQUAL "demo")
    set(input - INPUT_FILE ${SCENARIO})
  endif()
  execute_process(COMMAND ${ARGN} ${input}
    RESULT_VARIABLE exit OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if("$ENV{KEYRELAY_MOVE_BASE}" AND prefix STREQUAL "wine" AND out MATCHES "(^|\n)load\n")
    string(REGEX MATCH "moved: [^\n]*" moved "${err}")
    if(NOT moved)
      message(FATAL_ERROR "the module was not reported moved off its preferred base:\n${err}")
    endif()
    message(STATUS "${moved}")
    string(REGEX REPLACE "moved: [^\n]*\n?" "" err "${err}")
  endif()
  string(REGEX REPLACE "[^\n]*wine32[^\n]*\n?" "" err "${err}")
  string(REGEX REPLACE "[^\n]*multiarch[^\n]*\n?" "" err "${err}")
  string(REGEX REPLACE "[^\n]*apt-get install[^\n]*\n?" "" err "${err}")
  set(${prefix}_exit "${exit}" PARENT_SCOPE)
  set(${prefix}_out "${out}" PARENT_SCOPE)
  set(${prefix}_err "${err}" PARENT_SCOPE)
endfunction()
