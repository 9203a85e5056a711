# Tests that run Wine: one prefix inside the build tree and one wineserver for the
# run, with Wine's settings from scripts/wine-env.sh, the one place every script
# that runs Wine takes them from. The wine.server fixture makes the prefix when it
# is new and starts the server and Wine's services, detached from every test's
# standard streams, so that no test waits on Wine's shutdown; its cleanup ends
# them after the last Wine test (and a watcher does, should the run be killed).
find_program(KEYRELAY_WINE wine REQUIRED)
set(KEYRELAY_WINE_PREFIX ${PROJECT_BINARY_DIR}/wineprefix)
set(keyrelayWineEnv bash ${PROJECT_SOURCE_DIR}/scripts/wine-env.sh ${KEYRELAY_WINE_PREFIX})

# keyrelay_wine_test(<name> COMMAND <command> [<arg>...] [ENVIRONMENT <var=value>...]
#                    [PROPERTIES <property> <value>...])
# Adds the test, run with Wine's settings and the variables in ENVIRONMENT, with
# DISPLAY unset (a test that wants a display makes its own), on the run's one
# wineserver. They may run side by side, as Windows programs do beside one
# another; a test that must run alone says so in PROPERTIES (RUN_SERIAL). One that
# takes longer than 120 s (the longest take about 20) fails then, with what it has
# printed, instead of holding the run: a test whose own wine finds Wine's services
# gone starts them, and they keep its output open for as long as they run.
function(keyrelay_wine_test name)
  cmake_parse_arguments(PARSE_ARGV 1 wine "" "" "COMMAND;ENVIRONMENT;PROPERTIES")
  add_test(NAME ${name} COMMAND ${keyrelayWineEnv} ${wine_COMMAND})
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED wine.server
    ENVIRONMENT "${wine_ENVIRONMENT}"
    ENVIRONMENT_MODIFICATION "DISPLAY=unset:"
    TIMEOUT 120
    ${wine_PROPERTIES})
endfunction()

add_test(NAME wine.server_start COMMAND ${keyrelayWineEnv} --start)
add_test(NAME wine.server_stop COMMAND ${keyrelayWineEnv} --stop)
set_tests_properties(wine.server_start PROPERTIES FIXTURES_SETUP wine.server)
set_tests_properties(wine.server_stop PROPERTIES FIXTURES_CLEANUP wine.server)
set_tests_properties(wine.server_start wine.server_stop PROPERTIES
  ENVIRONMENT_MODIFICATION "DISPLAY=unset:")
