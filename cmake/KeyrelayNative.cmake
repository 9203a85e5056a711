# The native build: the plugin linked into programs against the stand-in host,
# its tests and the replay tool.

add_library(keyrelay_plugin STATIC ${KEYRELAY_PLUGIN_SOURCES})
target_include_directories(keyrelay_plugin PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(keyrelay_plugin PRIVATE -fno-exceptions -fno-rtti)
keyrelay_strict_warnings(keyrelay_plugin)

# The stand-in host: the host's operations, the tick, the script's own context,
# and loading the plugin linked into the same program.
add_library(keyrelay_standin STATIC
  ${KEYRELAY_STANDIN_SOURCES}
  standin/tick_posix.cpp
  standin/script_context_ucontext.cpp
  standin/plugin_module_linked.cpp)
target_include_directories(keyrelay_standin PUBLIC ${PROJECT_SOURCE_DIR})
keyrelay_strict_warnings(keyrelay_standin)
# The two reference each other: the plugin calls the host, the host loads the plugin.
target_link_libraries(keyrelay_standin PUBLIC keyrelay_plugin)
target_link_libraries(keyrelay_plugin INTERFACE keyrelay_standin)

add_library(keyrelay_replay STATIC ${KEYRELAY_REPLAY_SOURCES})
target_link_libraries(keyrelay_replay PUBLIC keyrelay_standin)
keyrelay_strict_warnings(keyrelay_replay)

add_executable(keyrelay-replay tools/replay/main.cpp)
target_link_libraries(keyrelay-replay PRIVATE keyrelay_replay)
keyrelay_strict_warnings(keyrelay-replay)

include(CTest)
if(BUILD_TESTING)
  add_subdirectory(tests)
endif()
