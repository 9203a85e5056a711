# The MSVC-ABI module on Windows, built with the clang-cl and lld-link of Visual
# Studio's "C++ Clang tools for Windows" component, from a developer environment
# (Visual Studio's own, or a developer prompt's): the Windows SDK's headers, its
# resource compiler and Visual Studio's C++ library come from there.
# cmake/toolchain-clang-cl-wine.cmake builds the same module on Linux.

# A developer environment names Visual Studio's folder; its clang tools are there,
# whether or not they are on the PATH.
file(TO_CMAKE_PATH "$ENV{VCINSTALLDIR}" keyrelayVc)
find_program(KEYRELAY_CLANG_CL clang-cl HINTS "${keyrelayVc}/Tools/Llvm/x64/bin")
if(NOT KEYRELAY_CLANG_CL)
  message(FATAL_ERROR "keyrelay.asi is built with clang-cl, which is not installed: add the "
                      "component \"C++ Clang tools for Windows\" in the Visual Studio Installer, "
                      "then configure again from a developer environment")
endif()
get_filename_component(keyrelayLlvmBin ${KEYRELAY_CLANG_CL} DIRECTORY)
set(CMAKE_CXX_COMPILER ${KEYRELAY_CLANG_CL})
set(CMAKE_LINKER ${keyrelayLlvmBin}/lld-link.exe CACHE FILEPATH "")
set(CMAKE_AR ${keyrelayLlvmBin}/llvm-lib.exe CACHE FILEPATH "")
