# The Debian package: `cpack -G DEB` in the build folder writes
# corvane_<version>_<arch>.deb holding exactly what the install rules install,
# under /usr. Its version is the project's; its dependencies are computed from
# the programs' shared libraries by dpkg-shlibdeps (package dpkg-dev).

# The package carries packaging/changelog, whose newest entry must name the
# version being packaged.
file(STRINGS "${PROJECT_SOURCE_DIR}/packaging/changelog" newest LIMIT_COUNT 1)
if(NOT newest MATCHES "^corvane \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog does not start with an entry for version ${PROJECT_VERSION}: "
                      "add one for the new version.")
endif()

set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "Corvane maintainers <maintainers@users.noreply.c-seed-8b9d94da.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "flight game over a heightmap terrain")
# Read here rather than named as CPACK_PACKAGE_DESCRIPTION_FILE, which CPack
# would escape as XML (apostrophes as &apos;).
file(READ "${PROJECT_SOURCE_DIR}/packaging/description" CPACK_PACKAGE_DESCRIPTION)
string(STRIP "${CPACK_PACKAGE_DESCRIPTION}" CPACK_PACKAGE_DESCRIPTION)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# The programs go to /usr/games in the package, and its folders are
# rwxr-xr-x whatever the umask.
set(CPACK_CORVANE_BINDIR "${CMAKE_INSTALL_BINDIR}")
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/CorvaneDebianGames.cmake")
# The archive members' modes do not follow the umask.
set(CPACK_POST_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/CorvaneDebianMembers.cmake")
# Time stamps from the last commit's date (SOURCE_DATE_EPOCH), so a package
# built again from the same commit, in any folder, is the same file.
set(CPACK_CORVANE_SOURCE_DIR "${PROJECT_SOURCE_DIR}")
set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_CURRENT_LIST_DIR}/CorvaneSourceDate.cmake")

include(CPack)
