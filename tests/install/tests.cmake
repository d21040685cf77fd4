# The installation and the Debian package, checked once, in build/ (the
# sanitizer pass leaves the label out): install_moved installs into a scratch
# prefix, moves it and plays the installed game from another folder, with its
# data and without; install_package builds the .deb and checks it;
# install_reproducible builds it again from a copy of the source elsewhere
# (the game and tools only) and compares the two, byte for byte.
foreach(check IN ITEMS moved package reproducible)
  add_test(NAME install_${check}
    COMMAND bash "${CMAKE_CURRENT_LIST_DIR}/installation.sh" ${check} "${PROJECT_BINARY_DIR}" "${PROJECT_SOURCE_DIR}"
            "$<TARGET_FILE:test_e2e>")
  set_tests_properties(install_${check} PROPERTIES LABELS install TIMEOUT 600 SKIP_RETURN_CODE 77)
endforeach()
# A second build of the game and its tools on a busy machine.
set_tests_properties(install_reproducible PROPERTIES TIMEOUT 1800)
