# cmake -DREADOBJ= -DMODULE= -DBUILT= -DEXPORTS_HEADER= -DMAX_BYTES= -P check_module.cmake
# The module: the same bytes as BUILT (the build's own file, or the same module
# built in another folder), imports exactly GetTickCount from KERNEL32.dll and the
# host's operations (as host/host_exports.h names them) from ScriptHookRDR2.dll,
# exports nothing, is an AMD64 DLL with ASLR (64-bit) and DEP on, has no
# thread-local storage (which would run code of its own), and fits the size budget.
include(${CMAKE_CURRENT_LIST_DIR}/host_exports.cmake)
set(failures "")
macro(fail message)
  string(APPEND failures "  ${message}\n")
endmacro()

execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${MODULE} ${BUILT} RESULT_VARIABLE differ)
if(differ)
  fail("${MODULE} is not the same bytes as ${BUILT}")
endif()

file(SIZE ${MODULE} bytes)
if(bytes GREATER MAX_BYTES)
  fail("${bytes} bytes, more than ${MAX_BYTES}")
endif()

execute_process(COMMAND ${READOBJ} --file-headers --coff-imports --coff-exports ${MODULE}
  OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${READOBJ} could not read ${MODULE}")
endif()

foreach(expected
    "Machine: IMAGE_FILE_MACHINE_AMD64"
    "IMAGE_FILE_DLL "
    "IMAGE_DLL_CHARACTERISTICS_DYNAMIC_BASE "
    "IMAGE_DLL_CHARACTERISTICS_HIGH_ENTROPY_VA "
    "IMAGE_DLL_CHARACTERISTICS_NX_COMPAT "
    "ExportTableRVA: 0x0\n"
    "TLSTableRVA: 0x0\n"
    "DelayImportDescriptorRVA: 0x0\n")
  string(FIND "${dump}" "${expected}" at)
  if(at EQUAL -1)
    string(STRIP "${expected}" shown)
    fail("headers lack '${shown}'")
  endif()
endforeach()
if(dump MATCHES "Export {")
  fail("it exports names")
endif()

# The imports as "dll!symbol", in the order the table lists them.
set(imports "")
string(REGEX MATCHALL "Import {[^}]*}" blocks "${dump}")
foreach(block IN LISTS blocks)
  string(REGEX MATCH "Name: ([^\n]*)" _ "${block}")
  set(dll "${CMAKE_MATCH_1}")
  string(REGEX MATCHALL "Symbol: [^\n]*" symbols "${block}")
  list(TRANSFORM symbols REPLACE "^Symbol: (.*) \\([0-9]+\\)$" "\\1")
  list(TRANSFORM symbols PREPEND "${dll}!")
  list(APPEND imports ${symbols})
endforeach()

host_export_names(expected ${EXPORTS_HEADER})
list(TRANSFORM expected PREPEND "ScriptHookRDR2.dll!")
list(APPEND expected "KERNEL32.dll!GetTickCount")
list(LENGTH expected expectedCount)
if(NOT expectedCount EQUAL 9)
  fail("host/host_exports.h names ${expectedCount} imports with GetTickCount, not 9")
endif()

list(SORT imports)
list(SORT expected)
list_differs("${imports}" "${expected}" difference)
if(difference)
  fail("imports differ:${difference}")
endif()

if(failures)
  message(FATAL_ERROR "${MODULE}:\n${failures}")
endif()
list(LENGTH imports importCount)
message(STATUS "${MODULE}: ${bytes} bytes, ${importCount} imports as expected, no exports")
