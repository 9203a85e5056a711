# Tests that run Wine: one prefix inside the build tree, made once by the
# wine.prefix fixture, with Wine's settings from scripts/wine-env.sh, the one
# place every script that runs Wine takes them from.
find_program(KEYRELAY_WINE wine REQUIRED)
set(KEYRELAY_WINE_PREFIX ${PROJECT_BINARY_DIR}/wineprefix)

# keyrelay_wine_test(<name> COMMAND <command> [<arg>...] [ENVIRONMENT <var=value>...]
#                    [PROPERTIES <property> <value>...])
# Adds the test, run with Wine's settings and the variables in ENVIRONMENT, with
# DISPLAY unset (a test that wants a display makes its own). The tests take turns:
# they share one wineserver.
function(keyrelay_wine_test name)
  cmake_parse_arguments(PARSE_ARGV 1 wine "" "" "COMMAND;ENVIRONMENT;PROPERTIES")
  add_test(NAME ${name}
    COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/wine-env.sh ${KEYRELAY_WINE_PREFIX} ${wine_COMMAND})
  set_tests_properties(${name} PROPERTIES
    RESOURCE_LOCK wine
    ENVIRONMENT "${wine_ENVIRONMENT}"
    ENVIRONMENT_MODIFICATION "DISPLAY=unset:"
    ${wine_PROPERTIES})
endfunction()
