# Included by the module checks: host_export_names(<var> <header>) sets <var> to the
# decorated names host/host_exports.h lists, sorted.
function(host_export_names var header)
  set(names "")
  file(STRINGS ${header} lines REGEX "^#define KEYRELAY_EXPORT_")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "\"([^\"]+)\"" _ "${line}")
    list(APPEND names "${CMAKE_MATCH_1}")
  endforeach()
  list(SORT names)
  set(${var} "${names}" PARENT_SCOPE)
endfunction()

# list_differs(<have> <want> <message var>) sets <message var> to both lists, one
# item a line, when they differ, and to "" when they agree.
function(list_differs have want var)
  set(text "")
  if(NOT "${have}" STREQUAL "${want}")
    string(REPLACE ";" "\n    " a "${have}")
    string(REPLACE ";" "\n    " b "${want}")
    set(text "\n    ${a}\n  expected:\n    ${b}")
  endif()
  set(${var} "${text}" PARENT_SCOPE)
endfunction()
