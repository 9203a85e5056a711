# The release: dist/keyrelay.asi; dist/keyrelay-<version>-win64.zip with the module
# and the players' README, keyrelay.txt, which takes the version from the project,
# carries the licence from LICENSE and has Windows line ends; and dist/SHA256SUMS
# of the two.
set(KEYRELAY_DIST_DIR ${PROJECT_SOURCE_DIR}/dist CACHE PATH "Where the release is written")
find_program(KEYRELAY_ZIP zip REQUIRED)
set(KEYRELAY_PLAYERS_README ${PROJECT_BINARY_DIR}/keyrelay.txt)
file(READ LICENSE KEYRELAY_LICENSE)
string(STRIP "${KEYRELAY_LICENSE}" KEYRELAY_LICENSE)
# NEWLINE_STYLE ends the template's own lines, not those of the text put in.
string(REPLACE "\n" "\r\n" KEYRELAY_LICENSE "${KEYRELAY_LICENSE}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS LICENSE)
configure_file(release/keyrelay.txt.in ${KEYRELAY_PLAYERS_README} @ONLY NEWLINE_STYLE CRLF)
set(KEYRELAY_RELEASE_SUMS ${KEYRELAY_DIST_DIR}/SHA256SUMS)
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
  BYPRODUCTS ${KEYRELAY_DIST_DIR}/keyrelay.asi ${KEYRELAY_RELEASE_ZIP} ${KEYRELAY_RELEASE_SUMS}
  COMMENT "Writing ${KEYRELAY_RELEASE_ZIP}"
  VERBATIM)
