# The native build: the plugin, linked into programs against the stand-in host.

# The stand-in host: the host's operations, the tick and the script's own context.
add_library(keyrelay_standin STATIC
  ${KEYRELAY_STANDIN_SOURCES}
  standin/tick_posix.cpp
  standin/script_context_ucontext.cpp)
target_include_directories(keyrelay_standin PUBLIC ${PROJECT_SOURCE_DIR})
keyrelay_strict_warnings(keyrelay_standin)

# The plugin, calling the stand-in host as it calls the real one.
add_library(keyrelay_plugin STATIC ${KEYRELAY_PLUGIN_SOURCES})
target_link_libraries(keyrelay_plugin PUBLIC keyrelay_standin)
target_compile_options(keyrelay_plugin PRIVATE -fno-exceptions -fno-rtti)
keyrelay_strict_warnings(keyrelay_plugin)

# KEYRELAY_COVERAGE (on in ci) counts which of the plugin's lines and branches the
# tests run, for the coverage test (gcov, read by gcovr).
option(KEYRELAY_COVERAGE "Measure the plugin's coverage in the tests (gcc, gcovr)" OFF)
if(KEYRELAY_COVERAGE)
  target_compile_options(keyrelay_plugin PRIVATE --coverage)
  target_link_options(keyrelay_plugin INTERFACE --coverage)
endif()
