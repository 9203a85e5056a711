# One strict-warnings setting for every target. KEYRELAY_WERROR (on in CI) makes
# every warning an error.
option(KEYRELAY_WERROR "Treat warnings as errors" OFF)

function(keyrelay_strict_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-align
    -Wnull-dereference -Wdouble-promotion -Wimplicit-fallthrough)
  if(KEYRELAY_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
