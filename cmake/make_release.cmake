# cmake -DMODULE= -DREADME= -DDIST_DIR= -DZIP= -DSTAGING= -P make_release.cmake
# Copies the module into DIST_DIR and zips it with the players' README and the
# SHA-256 sums of both. The zip's file times are fixed, so the same module makes
# the same zip.
file(REMOVE_RECURSE ${STAGING})
file(MAKE_DIRECTORY ${STAGING} ${DIST_DIR})
file(COPY_FILE ${MODULE} ${DIST_DIR}/keyrelay.asi ONLY_IF_DIFFERENT)
file(COPY_FILE ${MODULE} ${STAGING}/keyrelay.asi)
file(COPY_FILE ${README} ${STAGING}/README.txt)
set(sums "")
foreach(name keyrelay.asi README.txt)
  file(SHA256 ${STAGING}/${name} sum)
  string(APPEND sums "${sum}  ${name}\n")
endforeach()
file(WRITE ${STAGING}/SHA256SUMS "${sums}")
file(REMOVE ${ZIP})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip "--mtime=2026-01-01 00:00:00 UTC"
          keyrelay.asi README.txt SHA256SUMS
  WORKING_DIRECTORY ${STAGING}
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not write ${ZIP}")
endif()
