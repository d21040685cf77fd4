# Run by CPack between staging the install and building the package (see
# CPACK_PRE_BUILD_SCRIPTS): Debian keeps the programs of a game in /usr/games,
# and its checker, lintian, requires that of a package in section games. The
# programs move there from the install's bin folder; they still find their
# data, share/corvane lying beside either folder.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(prefix "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
  file(RENAME "${prefix}/${CPACK_CORVANE_BINDIR}" "${prefix}/games")
endif()

# Every folder of the package is rwxr-xr-x whatever the umask of the build:
# CPack makes the folders it stages into (usr/, and those the install's
# files go to) with the umask's modes, which the package would keep.
file(GLOB_RECURSE folders LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(folder IN ITEMS "${CPACK_TEMPORARY_DIRECTORY}" ${folders})
  if(IS_DIRECTORY "${folder}")
    file(CHMOD "${folder}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                       WORLD_READ WORLD_EXECUTE)
  endif()
endforeach()
