# KEYRELAY_SANITIZE builds every target with the sanitizers named, as -fsanitize
# takes them ("address,undefined", "thread"). Any report stops the program, so a
# test with one fails.
set(KEYRELAY_SANITIZE "" CACHE STRING "Sanitizers for every target, e.g. address,undefined")

if(KEYRELAY_SANITIZE)
  add_compile_options(-fsanitize=${KEYRELAY_SANITIZE} -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${KEYRELAY_SANITIZE})
endif()

# KEYRELAY_FUZZ (clang only) builds the timeline fuzzer, with every target
# instrumented so that libFuzzer sees which of the plugin's branches an input takes.
option(KEYRELAY_FUZZ "Build the libFuzzer timeline fuzzer (clang)" OFF)
if(KEYRELAY_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
