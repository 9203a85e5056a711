# The Windows build: the shipped module keyrelay.asi, and the stand-in host built
# for Windows, to run the shipped file under a real loader.

# One optimisation level on every compile line: the module is built at -O2 (the
# windows presets build Release), not at Release's default -O3 and then -O2.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG")
# Nothing links a library it does not name.
set(CMAKE_CXX_STANDARD_LIBRARIES "")
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)

# The host's import library, from the module-definition file that the
# preprocessor writes out of host/host_exports.h.
set(keyrelayHostDef ${PROJECT_BINARY_DIR}/ScriptHookRDR2.def)
set(keyrelayHostImplib ${PROJECT_BINARY_DIR}/libScriptHookRDR2.a)
add_custom_command(OUTPUT ${keyrelayHostDef}
  COMMAND ${CMAKE_CXX_COMPILER} -E -P -x c -I${PROJECT_SOURCE_DIR}
          ${PROJECT_SOURCE_DIR}/host/ScriptHookRDR2.def.in -o ${keyrelayHostDef}
  DEPENDS host/ScriptHookRDR2.def.in host/host_exports.h
  VERBATIM)
add_custom_command(OUTPUT ${keyrelayHostImplib}
  COMMAND ${KEYRELAY_DLLTOOL} -m i386:x86-64 -d ${keyrelayHostDef} -l ${keyrelayHostImplib}
  DEPENDS ${keyrelayHostDef}
  VERBATIM)
# The module's only system import, GetTickCount, from an import library of that
# function alone.
set(keyrelayKernelImplib ${PROJECT_BINARY_DIR}/libkeyrelay_kernel32.a)
add_custom_command(OUTPUT ${keyrelayKernelImplib}
  COMMAND ${KEYRELAY_DLLTOOL} -m i386:x86-64 -d ${PROJECT_SOURCE_DIR}/plugin/kernel32.def
          -l ${keyrelayKernelImplib}
  DEPENDS plugin/kernel32.def
  VERBATIM)
add_custom_target(keyrelay_host_implib DEPENDS ${keyrelayHostImplib} ${keyrelayKernelImplib})

# keyrelay.asi: no C runtime, entered at DllMain itself, importing GetTickCount
# and the host's eight operations and nothing else, exporting nothing.
add_library(keyrelay MODULE ${KEYRELAY_PLUGIN_SOURCES})
add_dependencies(keyrelay keyrelay_host_implib)
set_target_properties(keyrelay PROPERTIES PREFIX "" SUFFIX ".asi"
  LINK_DEPENDS "${keyrelayHostImplib};${keyrelayKernelImplib}")
target_include_directories(keyrelay PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(keyrelay PRIVATE
  -ffreestanding -fno-exceptions -fno-rtti -fno-threadsafe-statics
  # Each function and datum in a section of its own, for --gc-sections to drop.
  -ffunction-sections -fdata-sections
  # Unwind data, so that the host can unwind through the plugin's frames.
  -fasynchronous-unwind-tables
  # No stack probes (a call into the C runtime) and no static constructors.
  -mno-stack-arg-probe -Wglobal-constructors -Werror=global-constructors
  # With no stack probes, nothing touches a large frame's pages in order: Windows
  # grows the stack a page at a time through the guard page below it, and a frame
  # larger than a page could step past that guard page unnoticed. So every frame
  # stays far under a page.
  -Wframe-larger-than=1024 -Werror=frame-larger-than
  # Machine code is made at the link, from all three files at once (full link-time
  # optimisation, by lld): only there does the compiler see the key queries at the
  # script loop's calls, with their keys constant, and inline them.
  -flto)
target_link_options(keyrelay PRIVATE
  -flto -nostdlib -Wl,--entry,DllMain
  # So the frame-size check, made where machine code is, runs at the link, whose
  # warnings must therefore fail it as the compile's do.
  -Wl,--fatal-warnings
  # lld exports every global when nothing is marked for export.
  -Wl,--exclude-all-symbols
  -Wl,--gc-sections -Wl,--no-insert-timestamp -s
  -Wl,--dynamicbase -Wl,--high-entropy-va -Wl,--nxcompat)
target_link_libraries(keyrelay PRIVATE ${keyrelayHostImplib} ${keyrelayKernelImplib})
keyrelay_strict_warnings(keyrelay)
include(cmake/KeyrelayVersionResource.cmake)

# The stand-in host as ScriptHookRDR2.dll: the host's operations exported under
# their decorated names, and its driver-facing controls for the harness. The
# exports are written in assembly (standin/calling_convention_windows.cpp), to
# leave junk wherever the calling convention lets a host leave it; they call the
# stand-in's operations, which host_operations.cpp defines under other names here
# (standin/host_operations_windows.h, read before it).
add_library(keyrelay_standin_dll SHARED ${KEYRELAY_STANDIN_SOURCES}
  standin/script_context_fiber.cpp standin/calling_convention_windows.cpp)
set_source_files_properties(standin/host_operations.cpp PROPERTIES
  COMPILE_OPTIONS "-include;${PROJECT_SOURCE_DIR}/standin/host_operations_windows.h")
set_target_properties(keyrelay_standin_dll PROPERTIES OUTPUT_NAME ScriptHookRDR2 PREFIX "")
target_include_directories(keyrelay_standin_dll PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_definitions(keyrelay_standin_dll PRIVATE KEYRELAY_BUILDING_HOST)
# Its own base, away from the one lld gives every DLL, where keyrelay.asi wants to be.
target_link_options(keyrelay_standin_dll PRIVATE -static -Wl,--export-all-symbols
  -Wl,--image-base=0x1A0000000)
keyrelay_strict_warnings(keyrelay_standin_dll)

include(cmake/KeyrelayRelease.cmake)
