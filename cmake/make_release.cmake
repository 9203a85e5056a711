# cmake -DMODULE= -DREADME= -DDIST_DIR= -DZIP= -DSTAGING= -DZIP_TOOL= -P make_release.cmake
# Writes the release into DIST_DIR: keyrelay.asi; the zip ZIP, whose root holds
# the module and the players' README as keyrelay.txt, names no other mod uses;
# and beside them SHA256SUMS of the zip and the module, as published files are
# checked. The zip depends on the two files' bytes alone, not on the folder, the
# clock, the time zone or the umask: the staged files get fixed modes and times,
# zip stores them in a fixed order with no extra fields (-X, which would carry
# access times and owners) and no folder entries (-D), and reads the times in UTC.
set(kFileTime "@1767225600")  # 2026-01-01 00:00:00 UTC
set(kEntries keyrelay.asi keyrelay.txt)

file(REMOVE_RECURSE ${STAGING})
file(MAKE_DIRECTORY ${STAGING} ${DIST_DIR})
file(COPY_FILE ${MODULE} ${DIST_DIR}/keyrelay.asi ONLY_IF_DIFFERENT)
file(COPY_FILE ${MODULE} ${STAGING}/keyrelay.asi)
file(COPY_FILE ${README} ${STAGING}/keyrelay.txt)
foreach(name IN LISTS kEntries)
  file(CHMOD ${STAGING}/${name} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()
execute_process(COMMAND touch -d ${kFileTime} ${kEntries}
  WORKING_DIRECTORY ${STAGING} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not set the times of the staged files")
endif()

# Zips of other versions would sit beside this one with no sums.
file(GLOB stale ${DIST_DIR}/keyrelay-*-win64.zip)
if(stale)
  file(REMOVE ${stale})
endif()
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${ZIP_TOOL} -q -X -D -9 ${ZIP} ${kEntries}
  WORKING_DIRECTORY ${STAGING}
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not write ${ZIP}")
endif()

get_filename_component(zipName ${ZIP} NAME)
set(sums "")
foreach(name ${zipName} keyrelay.asi)
  file(SHA256 ${DIST_DIR}/${name} sum)
  string(APPEND sums "${sum}  ${name}\n")
endforeach()
file(WRITE ${DIST_DIR}/SHA256SUMS "${sums}")
