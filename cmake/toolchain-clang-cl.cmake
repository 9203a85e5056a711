# The MSVC-ABI module on Windows, built with the clang-cl and lld-link of Visual
# Studio's "C++ Clang tools for Windows" component, from a developer environment
# (Visual Studio's own, or a developer prompt's): the Windows SDK's headers, its
# resource compiler and Visual Studio's C++ library come from there.
# cmake/toolchain-clang-cl-wine.cmake builds the same module on Linux.

# A developer environment names Visual Studio's folder; its clang tools are there,
# whether or not they are on the PATH. The link options are lld-link's own.
file(TO_CMAKE_PATH "$ENV{VCINSTALLDIR}" keyrelayVc)
set(keyrelayLlvmBin "${keyrelayVc}/Tools/Llvm/x64/bin")
find_program(KEYRELAY_CLANG_CL clang-cl HINTS ${keyrelayLlvmBin})
find_program(KEYRELAY_LLD_LINK lld-link HINTS ${keyrelayLlvmBin})
# Either librarian makes an import library from a module-definition file.
find_program(KEYRELAY_LIB NAMES llvm-lib lib HINTS ${keyrelayLlvmBin})
if(NOT KEYRELAY_CLANG_CL OR NOT KEYRELAY_LLD_LINK OR NOT KEYRELAY_LIB)
  message(FATAL_ERROR "keyrelay.asi is built with clang-cl and lld-link, which are not "
                      "installed: add the component \"C++ Clang tools for Windows\" in the "
                      "Visual Studio Installer, then configure again from a developer environment")
endif()
set(CMAKE_CXX_COMPILER ${KEYRELAY_CLANG_CL})
set(CMAKE_LINKER ${KEYRELAY_LLD_LINK} CACHE FILEPATH "")
set(CMAKE_AR ${KEYRELAY_LIB} CACHE FILEPATH "")
