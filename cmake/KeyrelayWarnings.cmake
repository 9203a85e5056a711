# One strict-warnings setting for every target. KEYRELAY_WERROR (on in CI) makes
# every warning an error.
option(KEYRELAY_WERROR "Treat warnings as errors" OFF)

# clang-cl spells -Wall and -Werror /W4 and /WX: its -Wall is clang's -Weverything.
if(MSVC)
  set(keyrelayWall /W4)
  set(keyrelayWerror /WX)
else()
  set(keyrelayWall -Wall)
  set(keyrelayWerror -Werror)
endif()

# For C++ alone: the MSVC-ABI build compiles a resource script too.
function(keyrelay_strict_warnings target)
  set(options ${keyrelayWall} -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-align
    -Wnull-dereference -Wdouble-promotion -Wimplicit-fallthrough)
  if(KEYRELAY_WERROR)
    list(APPEND options ${keyrelayWerror})
  endif()
  target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${options}>")
endfunction()
