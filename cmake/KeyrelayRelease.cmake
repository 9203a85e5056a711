# The release: dist/keyrelay.asi and dist/keyrelay-<version>-win64.zip with the
# module, a README for players and SHA256SUMS.
set(KEYRELAY_DIST_DIR ${PROJECT_SOURCE_DIR}/dist CACHE PATH "Where the release is written")
find_program(KEYRELAY_ZIP zip REQUIRED)
set(KEYRELAY_PLAYERS_README ${PROJECT_SOURCE_DIR}/release/README.txt)
set(KEYRELAY_RELEASE_ZIP ${KEYRELAY_DIST_DIR}/keyrelay-${PROJECT_VERSION}-win64.zip)
add_custom_target(keyrelay_release ALL
  COMMAND ${CMAKE_COMMAND}
          -DMODULE=$<TARGET_FILE:keyrelay>
          -DREADME=${KEYRELAY_PLAYERS_README}
          -DDIST_DIR=${KEYRELAY_DIST_DIR}
          -DZIP=${KEYRELAY_RELEASE_ZIP}
          -DSTAGING=${PROJECT_BINARY_DIR}/release
          -DZIP_TOOL=${KEYRELAY_ZIP}
          -P ${PROJECT_SOURCE_DIR}/cmake/make_release.cmake
  DEPENDS keyrelay ${KEYRELAY_PLAYERS_README} cmake/make_release.cmake
  BYPRODUCTS ${KEYRELAY_DIST_DIR}/keyrelay.asi ${KEYRELAY_RELEASE_ZIP}
  COMMENT "Writing ${KEYRELAY_RELEASE_ZIP}"
  VERBATIM)
