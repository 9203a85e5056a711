# Tests that run Wine: one prefix inside the build tree, held by the whole run
# (scripts/wine-env.sh, the one place every script that runs Wine takes its
# settings and its server from). The wine.server fixture joins the prefix's
# wineserver, or starts it and Wine's services, making the prefix when it is new,
# detached from every test's standard streams; the server ends once the run has
# ended and no other run holds the prefix. Wine is needed to configure the tests:
# without it, configure with -DBUILD_TESTING=OFF (./build.sh does).
find_program(KEYRELAY_WINE wine)
if(NOT KEYRELAY_WINE)
  message(FATAL_ERROR "Wine is missing: the Windows build's tests run under it. Install wine, "
                      "wine64 and wine64-preloader, or configure with -DBUILD_TESTING=OFF")
endif()
set(KEYRELAY_WINE_PREFIX ${PROJECT_BINARY_DIR}/wineprefix)
set(keyrelayWineEnv bash ${PROJECT_SOURCE_DIR}/scripts/wine-env.sh ${KEYRELAY_WINE_PREFIX})

# keyrelay_wine_test(<name> COMMAND <command> [<arg>...] [ENVIRONMENT <var=value>...]
#                    [PROPERTIES <property> <value>...])
# Adds the test, run with Wine's settings and the variables in ENVIRONMENT, with
# DISPLAY unset (a test that wants a display makes its own), on the run's one
# wineserver. They may run side by side, as Windows programs do beside one
# another; a test that must run alone says so in PROPERTIES (RUN_SERIAL). One that
# takes longer than 120 s (the longest take about 20) fails then, with what it has
# printed, instead of holding the run.
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

# The run's hold on the prefix, and at its end the check that Wine's services
# ran throughout.
add_test(NAME wine.server_start COMMAND ${keyrelayWineEnv} --start)
add_test(NAME wine.services_ran_throughout COMMAND ${keyrelayWineEnv} --check)
set_tests_properties(wine.server_start PROPERTIES FIXTURES_SETUP wine.server)
set_tests_properties(wine.services_ran_throughout PROPERTIES FIXTURES_CLEANUP wine.server)
set_tests_properties(wine.server_start wine.services_ran_throughout PROPERTIES
  ENVIRONMENT_MODIFICATION "DISPLAY=unset:")
