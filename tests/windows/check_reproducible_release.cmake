# cmake -DMAKE_RELEASE= -DZIP_TOOL= -DMODULE= -DREADME= -DZIP_NAME= -DWORK_DIR=
#       -P check_reproducible_release.cmake
# Makes the release twice from the same module and README, seconds apart, from
# other folders, with the inputs' modes and times years apart, under other
# umasks and time zones: the zips and their sums must be the same bytes.
file(REMOVE_RECURSE ${WORK_DIR})

# make_release(<run> <input mode> <input time> <umask> <time zone>)
function(make_release run mode time umask zone)
  set(in ${WORK_DIR}/${run}/in)
  file(MAKE_DIRECTORY ${in})
  file(COPY_FILE ${MODULE} ${in}/keyrelay.asi)
  file(COPY_FILE ${README} ${in}/keyrelay.txt)
  set(inputs ${in}/keyrelay.asi ${in}/keyrelay.txt)
  execute_process(COMMAND chmod ${mode} ${inputs} COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND touch -d ${time} ${inputs} COMMAND_ERROR_IS_FATAL ANY)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env TZ=${zone}
            sh -c "umask ${umask} && exec \"$0\" \"$@\"" ${CMAKE_COMMAND}
            -DMODULE=${in}/keyrelay.asi -DREADME=${in}/keyrelay.txt
            -DDIST_DIR=${WORK_DIR}/${run}/dist -DZIP=${WORK_DIR}/${run}/dist/${ZIP_NAME}
            -DSTAGING=${WORK_DIR}/${run}/staging -DZIP_TOOL=${ZIP_TOOL} -P ${MAKE_RELEASE}
    RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(failed)
    message(FATAL_ERROR "making the release (${run}) failed:\n${out}")
  endif()
endfunction()

make_release(first 600 2001-02-03T04:05:06Z 077 UTC)
# Past the zip format's two-second clock, so that a time taken from the clock shows.
execute_process(COMMAND ${CMAKE_COMMAND} -E sleep 2)
make_release(second/deeper 755 2031-12-30T23:59:58Z 022 XYZ-9)

foreach(file ${ZIP_NAME} SHA256SUMS)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
    ${WORK_DIR}/first/dist/${file} ${WORK_DIR}/second/deeper/dist/${file} RESULT_VARIABLE differ)
  if(differ)
    execute_process(COMMAND cmp -l ${WORK_DIR}/first/dist/${file}
      ${WORK_DIR}/second/deeper/dist/${file} OUTPUT_VARIABLE bytes)
    message(FATAL_ERROR "${file} differs between the two runs (offset, octal bytes):\n${bytes}")
  endif()
endforeach()
file(SHA256 ${WORK_DIR}/first/dist/${ZIP_NAME} sum)
message(STATUS "${ZIP_NAME} twice the same: ${sum}")
