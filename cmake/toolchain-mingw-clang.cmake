# Cross-builds for 64-bit Windows with Debian's clang and lld and the MinGW-w64
# headers and import libraries.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(keyrelayTriple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${keyrelayTriple})
set(CMAKE_CXX_COMPILER_TARGET ${keyrelayTriple})
# Keeps the build machine's own headers and libraries out.
set(CMAKE_SYSROOT /usr/${keyrelayTriple})
set(CMAKE_AR llvm-ar CACHE FILEPATH "")
set(CMAKE_RANLIB llvm-ranlib CACHE FILEPATH "")
set(KEYRELAY_DLLTOOL llvm-dlltool CACHE FILEPATH "Makes import libraries from .def files")
set(KEYRELAY_RC llvm-rc CACHE FILEPATH "Compiles the version resource")

# clang does not look in Debian's MinGW GCC folder by itself: the C++ standard
# headers (for the test tools, and <atomic> in the plugin) and libstdc++ are there.
set(keyrelayGcc /usr/lib/gcc/${keyrelayTriple}/12-win32)
set(CMAKE_CXX_FLAGS_INIT
    "-isystem ${keyrelayGcc}/include/c++ -isystem ${keyrelayGcc}/include/c++/${keyrelayTriple} -isystem ${keyrelayGcc}/include/c++/backward")
set(keyrelayLinkFlags "-fuse-ld=lld -L${keyrelayGcc}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${keyrelayLinkFlags}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${keyrelayLinkFlags}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${keyrelayLinkFlags}")

set(CMAKE_FIND_ROOT_PATH /usr/${keyrelayTriple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
