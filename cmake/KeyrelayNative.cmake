# The native build: the plugin, linked into programs against the stand-in host.

# KEYRELAY_COVERAGE (on in ci) counts which lines and branches of every native
# target the whole test run runs (gcov, read by gcovr in tests/check_coverage.cmake).
# At -O0, whatever the build type, so that each line and branch counted is the
# source's own and none is folded away.
option(KEYRELAY_COVERAGE "Measure coverage over the native tests (gcc, gcovr)" OFF)
if(KEYRELAY_COVERAGE)
  add_compile_options(-O0 --coverage)
  add_link_options(--coverage)
endif()

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
