# Cross-builds for 64-bit Windows with Debian's clang and lld and the MinGW-w64
# headers and import libraries.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

# The LLVM tools go by their plain names, the distribution's default version;
# KEYRELAY_LLVM_SUFFIX ("-19") points every one of them at another installed one.
set(KEYRELAY_LLVM_SUFFIX "" CACHE STRING "Appended to every LLVM tool's name, e.g. -19")
# The checks the build makes re-read this file, and must see the same tools.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KEYRELAY_LLVM_SUFFIX)
set(keyrelaySuffix "${KEYRELAY_LLVM_SUFFIX}")

set(keyrelayTriple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang${keyrelaySuffix})
set(CMAKE_CXX_COMPILER clang++${keyrelaySuffix})
set(CMAKE_C_COMPILER_TARGET ${keyrelayTriple})
set(CMAKE_CXX_COMPILER_TARGET ${keyrelayTriple})
# Keeps the build machine's own headers and libraries out.
set(CMAKE_SYSROOT /usr/${keyrelayTriple})
set(CMAKE_AR llvm-ar${keyrelaySuffix} CACHE FILEPATH "")
set(CMAKE_RANLIB llvm-ranlib${keyrelaySuffix} CACHE FILEPATH "")
set(KEYRELAY_DLLTOOL llvm-dlltool${keyrelaySuffix} CACHE FILEPATH "Makes import libraries from .def files")
set(KEYRELAY_RC llvm-rc${keyrelaySuffix} CACHE FILEPATH "Compiles the version resource")
set(KEYRELAY_READOBJ llvm-readobj${keyrelaySuffix} CACHE FILEPATH "Reads the module's headers")
set(KEYRELAY_NM llvm-nm${keyrelaySuffix} CACHE FILEPATH "Lists an object's symbols")

# clang does not look in Debian's MinGW GCC folder by itself: the C++ standard
# headers (for the test tools, and <atomic> in the plugin) and libstdc++ are there.
# The folder is named after GCC's version; the newest one installed is taken.
file(GLOB keyrelayGccFolders LIST_DIRECTORIES true /usr/lib/gcc/${keyrelayTriple}/*-win32)
list(SORT keyrelayGccFolders COMPARE NATURAL ORDER DESCENDING)
if(keyrelayGccFolders)
  list(GET keyrelayGccFolders 0 keyrelayGcc)
endif()
if(NOT IS_DIRECTORY "${keyrelayGcc}/include/c++")
  message(FATAL_ERROR "MinGW's C++ library is missing under /usr/lib/gcc/${keyrelayTriple}: "
                      "install g++-mingw-w64-x86-64-win32")
endif()
set(CMAKE_CXX_FLAGS_INIT
    "-isystem ${keyrelayGcc}/include/c++ -isystem ${keyrelayGcc}/include/c++/${keyrelayTriple} -isystem ${keyrelayGcc}/include/c++/backward")
# -fuse-ld=lld-19 runs ld.lld-19.
set(keyrelayLinkFlags "-fuse-ld=lld${keyrelaySuffix} -L${keyrelayGcc}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${keyrelayLinkFlags}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${keyrelayLinkFlags}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${keyrelayLinkFlags}")

set(CMAKE_FIND_ROOT_PATH /usr/${keyrelayTriple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
