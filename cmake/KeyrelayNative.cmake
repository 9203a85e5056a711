# The native build: the plugin linked into programs against the stand-in host,
# its tests and the replay tool.

# The stand-in host: the host's operations, the tick and the script's own context.
add_library(keyrelay_standin STATIC
  ${KEYRELAY_STANDIN_SOURCES}
  standin/tick_posix.cpp
  standin/script_context_ucontext.cpp)
target_include_directories(keyrelay_standin PUBLIC ${PROJECT_SOURCE_DIR})
keyrelay_strict_warnings(keyrelay_standin)

# The plugin, calling the stand-in host as it calls the real one, with the
# stand-in's way of loading it: calling its entry point as the loader would.
add_library(keyrelay_plugin STATIC ${KEYRELAY_PLUGIN_SOURCES} standin/plugin_module_linked.cpp)
target_link_libraries(keyrelay_plugin PUBLIC keyrelay_standin)
target_compile_options(keyrelay_plugin PRIVATE -fno-exceptions -fno-rtti)
keyrelay_strict_warnings(keyrelay_plugin)

add_library(keyrelay_replay STATIC ${KEYRELAY_REPLAY_SOURCES})
target_link_libraries(keyrelay_replay PUBLIC keyrelay_plugin)
keyrelay_strict_warnings(keyrelay_replay)

add_executable(keyrelay-replay tools/replay/main.cpp)
target_link_libraries(keyrelay-replay PRIVATE keyrelay_replay)
keyrelay_strict_warnings(keyrelay-replay)

include(CTest)
if(BUILD_TESTING)
  add_subdirectory(tests)
endif()
