# The MSVC-ABI build: keyrelay.asi alone, compiled by clang-cl and linked by
# lld-link, the module cmake/KeyrelayWindows.cmake makes with MinGW, under the
# same promises: no C runtime, entered at DllMain itself, importing GetTickCount
# and the host's eight operations and nothing else, exporting nothing. The test
# tools stay MinGW programs, which load either module (tests/windows).
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "keyrelay.asi is built with clang-cl, not ${CMAKE_CXX_COMPILER_ID}'s "
                      "compiler: add the component \"C++ Clang tools for Windows\" in the "
                      "Visual Studio Installer and choose the configure preset win64-msvc")
endif()

# One optimisation level, as in the MinGW build.
set(CMAKE_CXX_FLAGS_RELEASE "/O2 /DNDEBUG")
# Nothing links a library it does not name (CMake's default is the SDK's usual set).
set(CMAKE_CXX_STANDARD_LIBRARIES "")
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)

# The import libraries, from the same module-definition files as MinGW's: the
# host's written out by the preprocessor from host/host_exports.h.
set(keyrelayHostDef ${PROJECT_BINARY_DIR}/ScriptHookRDR2.def)
set(keyrelayHostImplib ${PROJECT_BINARY_DIR}/ScriptHookRDR2.lib)
set(keyrelayKernelImplib ${PROJECT_BINARY_DIR}/keyrelay_kernel32.lib)
add_custom_command(OUTPUT ${keyrelayHostDef}
  COMMAND ${CMAKE_CXX_COMPILER} /nologo /EP /P /Fi${keyrelayHostDef} /I${PROJECT_SOURCE_DIR}
          /Tc${PROJECT_SOURCE_DIR}/host/ScriptHookRDR2.def.in
  DEPENDS host/ScriptHookRDR2.def.in host/host_exports.h
  VERBATIM)
add_custom_command(OUTPUT ${keyrelayHostImplib}
  COMMAND ${CMAKE_AR} /nologo /machine:x64 /def:${keyrelayHostDef} /out:${keyrelayHostImplib}
  DEPENDS ${keyrelayHostDef}
  VERBATIM)
add_custom_command(OUTPUT ${keyrelayKernelImplib}
  COMMAND ${CMAKE_AR} /nologo /machine:x64 /def:${PROJECT_SOURCE_DIR}/plugin/kernel32.def
          /out:${keyrelayKernelImplib}
  DEPENDS plugin/kernel32.def
  VERBATIM)
add_custom_target(keyrelay_host_implib DEPENDS ${keyrelayHostImplib} ${keyrelayKernelImplib})

# The version resource, compiled by the resource compiler CMake finds beside the
# compiler.
enable_language(RC)

add_library(keyrelay MODULE ${KEYRELAY_PLUGIN_SOURCES} ${KEYRELAY_VERSION_RC})
add_dependencies(keyrelay keyrelay_host_implib)
set_target_properties(keyrelay PROPERTIES PREFIX "" SUFFIX ".asi" MSVC_RUNTIME_LIBRARY ""
  LINK_DEPENDS "${keyrelayHostImplib};${keyrelayKernelImplib}")
target_include_directories(keyrelay PRIVATE ${PROJECT_SOURCE_DIR})
# The MinGW build's options (cmake/KeyrelayWindows.cmake says why each), in
# clang-cl's spelling; /clang: passes on those clang-cl has no spelling of, which it
# would otherwise drop, some without a word.
set(options
  /clang:-ffreestanding /GR- /EHs-c- /Zc:threadSafeInit-
  # The objects name no C runtime library for the linker to pull in.
  /Zl
  # No stack cookie: its check is a call into the C runtime.
  /GS-
  /Gy /Gw
  # Freestanding, clang makes no unwind data unless asked.
  /clang:-fasynchronous-unwind-tables
  /clang:-mno-stack-arg-probe -Wglobal-constructors -Werror=global-constructors
  /clang:-Wframe-larger-than=1024 -Werror=frame-larger-than
  -flto)
target_compile_options(keyrelay PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:${options}>")
target_link_options(keyrelay PRIVATE
  /entry:DllMain /nodefaultlib
  # The frame-size check runs at the link, as machine code is made there.
  /WX
  # A header of fixed bytes, as MinGW's; /Brepro would add a debug directory.
  /opt:ref /timestamp:0 /manifest:no
  /dynamicbase /highentropyva /nxcompat)
target_link_libraries(keyrelay PRIVATE ${keyrelayHostImplib} ${keyrelayKernelImplib})
keyrelay_strict_warnings(keyrelay)
