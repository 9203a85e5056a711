# cmake -DWINE= -DWINDOWS_REPLAY= -DSCENARIO= -P check_lifecycle.cmake
# Under the real loader ($KEYRELAY_PLUGIN): every load registers the script, then the keystroke
# handler, for the plugin's own module; every unload unregisters them in the same
# order, with the module and handler registered; a thread started while the
# plugin is loaded makes no host call.
include(${CMAKE_CURRENT_LIST_DIR}/run_replay.cmake)
run_replay(wine ${WINE} ${WINDOWS_REPLAY})
if(NOT wine_exit EQUAL 0)
  message(FATAL_ERROR "exit ${wine_exit}:\n${wine_err}")
endif()

set(load "load\n  script registered: own module\n  keystroke handler registered\n")
set(unload "unload\n  script unregistered: the module registered\n  keystroke handler unregistered: the one registered\n")
string(REGEX MATCHALL "(^|\n)load\n" loads "${wine_out}")
string(REGEX MATCHALL "(^|\n)unload\n" unloads "${wine_out}")
list(LENGTH loads loadCount)
list(LENGTH unloads unloadCount)
string(REPLACE "${load}" "" rest "${wine_out}")
string(REGEX MATCHALL "(^|\n)load\n" strayLoads "${rest}")
string(REPLACE "${unload}" "" rest "${wine_out}")
string(REGEX MATCHALL "(^|\n)unload\n" strayUnloads "${rest}")
if(loadCount LESS 3 OR NOT loadCount EQUAL unloadCount OR strayLoads OR strayUnloads)
  message(FATAL_ERROR "expected every load and unload to register and unregister in order:\n${wine_out}")
endif()
string(REGEX MATCHALL "thread started and ended\n[^\n]*" threads "${wine_out}")
if(NOT threads)
  message(FATAL_ERROR "the scenario starts no thread:\n${wine_out}")
endif()
foreach(thread IN LISTS threads)
  if(thread MATCHES "\n  ")
    message(FATAL_ERROR "a thread made host calls:\n${wine_out}")
  endif()
endforeach()
message(STATUS "${loadCount} loads and unloads in order; threads called nothing")
