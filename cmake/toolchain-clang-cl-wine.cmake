# The MSVC-ABI module on Linux: the build a Windows developer makes with Visual
# Studio's clang-cl (cmake/toolchain-clang-cl.cmake), made with Debian's LLVM 19
# clang-cl and lld-link, Wine's Windows headers in place of the Windows SDK's,
# and MinGW's C++ headers in place of Visual Studio's C++ library. Every quirk of
# that stand-in for Visual Studio is here, and nowhere else.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

# LLVM 19 on every Debian release: Debian 12's default LLVM has no clang-cl, and
# one version makes one module on every release.
set(keyrelaySuffix -19)
set(CMAKE_CXX_COMPILER clang-cl${keyrelaySuffix})
set(CMAKE_CXX_COMPILER_TARGET x86_64-pc-windows-msvc)
set(CMAKE_LINKER lld-link${keyrelaySuffix} CACHE FILEPATH "")
set(CMAKE_AR llvm-lib${keyrelaySuffix} CACHE FILEPATH "")
set(CMAKE_RC_COMPILER llvm-rc${keyrelaySuffix} CACHE FILEPATH "")

# Wine's headers are a Windows SDK without its libraries: CMake's checks that link
# a program would find no kernel32.lib to link it with. The module links only the
# project's own import libraries.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

set(keyrelayWineInclude /usr/include/wine/wine)
set(keyrelayMingwGcc /usr/lib/gcc/x86_64-w64-mingw32)
file(GLOB keyrelayGccFolders LIST_DIRECTORIES true ${keyrelayMingwGcc}/*-win32)
list(SORT keyrelayGccFolders COMPARE NATURAL ORDER DESCENDING)
if(keyrelayGccFolders)
  list(GET keyrelayGccFolders 0 keyrelayGcc)
endif()
find_program(keyrelayClangCl ${CMAKE_CXX_COMPILER})
if(NOT keyrelayClangCl OR NOT EXISTS ${keyrelayWineInclude}/windows/windows.h
   OR NOT IS_DIRECTORY "${keyrelayGcc}/include/c++")
  message(FATAL_ERROR "The MSVC-ABI build needs LLVM 19's clang-cl, Wine's Windows headers and "
                      "MinGW's C++ headers: install clang-tools-19 lld-19 llvm-19 libwine-dev "
                      "g++-mingw-w64-x86-64-win32")
endif()

# libstdc++'s <atomic> reads the __GCC_ATOMIC_* macros, which clang defines in GNU
# mode only, and its configuration warns unless __STRICT_ANSI__ says the dialect is
# standard C++ (as -std=c++20 does in GNU mode). The same compiler in GNU mode, for
# the same target, says what they are.
execute_process(
  COMMAND ${keyrelayClangCl} --driver-mode=g++ --target=${CMAKE_CXX_COMPILER_TARGET}
          -fno-ms-compatibility -std=c++20 -x c++ -dM -E /dev/null
  OUTPUT_VARIABLE keyrelayGnuMacros COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "#define (__GCC_ATOMIC_[A-Z0-9_]+|__STRICT_ANSI__) [0-9]+" keyrelayGnuMacros
       "${keyrelayGnuMacros}")
list(TRANSFORM keyrelayGnuMacros REPLACE "#define ([^ ]+) (.*)" "-D\\1=\\2")
list(JOIN keyrelayGnuMacros " " keyrelayGnuMacros)

# /imsvc: the Windows headers, and the C++ ones after them, as system headers.
# Wine's winnt.h (Debian 12's Wine 8) defines _InterlockedCompareExchange128, a
# clang builtin under the MSVC ABI: renamed, it is an inline function nothing calls.
set(CMAKE_CXX_FLAGS_INIT
    "/imsvc ${keyrelayWineInclude}/windows /imsvc ${keyrelayWineInclude}/msvcrt \
/imsvc ${keyrelayGcc}/include/c++ /imsvc ${keyrelayGcc}/include/c++/x86_64-w64-mingw32 \
${keyrelayGnuMacros} -D_InterlockedCompareExchange128=keyrelayWineInterlockedCompareExchange128")

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
