# Run by CPack between staging the install and building the package (see
# CPACK_PRE_BUILD_SCRIPTS): Debian keeps the programs of a game in /usr/games,
# and its checker, lintian, requires that of a package in section games. The
# programs move there from the install's bin folder; they still find their
# data, share/corvane lying beside either folder.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(prefix "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
  file(RENAME "${prefix}/${CPACK_CORVANE_BINDIR}" "${prefix}/games")
endif()
