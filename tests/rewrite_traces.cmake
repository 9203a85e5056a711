# cmake -DREPLAY= -DSCENARIOS=a|b|... -P rewrite_traces.cmake
# Rewrites the expected traces and standard errors of every scenario (check_trace.cmake
# with REWRITE=ON), one after another, and names those it changed. A scenario it
# refuses (an exit code or a standard error that a rewrite may not bless) does not
# stop the others; the rewrite fails at the end, naming each.
string(REPLACE "|" ";" scenarios "${SCENARIOS}")
set(changed 0)
set(refused "")
foreach(scenario IN LISTS scenarios)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DREPLAY=${REPLAY} -DSCENARIO=${scenario} -DREWRITE=ON
            -P ${CMAKE_CURRENT_LIST_DIR}/check_trace.cmake
    RESULT_VARIABLE exit OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REGEX MATCHALL "changed [^\n]*" lines "${out}")
  foreach(line IN LISTS lines)
    message(STATUS "${line}")
    math(EXPR changed "${changed} + 1")
  endforeach()
  if(NOT exit EQUAL 0)
    string(STRIP "${err}" err)
    message("${err}\n")
    list(APPEND refused ${scenario})
  endif()
endforeach()
if(changed EQUAL 0)
  message(STATUS "no expected file changed")
endif()
if(refused)
  list(JOIN refused "\n  " names)
  message(FATAL_ERROR "refused to rewrite:\n  ${names}")
endif()
