# cmake -DMODULE= -DREADME= -DDIST_DIR= -DZIP= -DSTAGING= -DZIP_TOOL= -P make_release.cmake
# Copies the module into DIST_DIR and zips it with the players' README and the
# SHA-256 sums of both. The zip depends on the files' bytes alone, not on the
# folder, the clock, the time zone or the umask: the staged files get fixed modes
# and times, zip stores them in a fixed order with no extra fields (-X, which
# would carry access times and owners) and no folder entries (-D), and reads the
# times in UTC.
set(kFileTime "@1767225600")  # 2026-01-01 00:00:00 UTC
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

set(entries keyrelay.asi README.txt SHA256SUMS)
foreach(name IN LISTS entries)
  file(CHMOD ${STAGING}/${name} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()
execute_process(COMMAND touch -d ${kFileTime} ${entries}
  WORKING_DIRECTORY ${STAGING} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not set the times of the staged files")
endif()
file(REMOVE ${ZIP})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${ZIP_TOOL} -q -X -D -9 ${ZIP} ${entries}
  WORKING_DIRECTORY ${STAGING}
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not write ${ZIP}")
endif()
