# Install rules. `cmake --install build --prefix DIR` writes only under DIR:
#   bin/                                   the game and its tools
#   share/corvane/                         the game's assets (assets/ without the icons)
#   share/applications/corvane.desktop     the desktop entry
#   share/icons/hicolor/NxN/apps/          the icon, from assets/icons/
#   share/man/man1, man6                   the manual pages
#   share/doc/corvane/                     copyright and changelog
include(GNUInstallDirs)

set(CORVANE_INSTALL_DATADIR "${CMAKE_INSTALL_DATADIR}/corvane")
set(CORVANE_INSTALL_DOCDIR "${CMAKE_INSTALL_DATAROOTDIR}/doc/corvane")  # Debian's place, named after the package

# The installed game finds its data folder from its own path (see
# DataDirectory), so a moved installation still works: that needs both
# folders inside the prefix.
if(IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}" OR IS_ABSOLUTE "${CMAKE_INSTALL_DATADIR}")
  message(FATAL_ERROR "CMAKE_INSTALL_BINDIR and CMAKE_INSTALL_DATADIR must be relative to the prefix: "
                      "the game finds its data from its own folder.")
endif()
file(RELATIVE_PATH data_from_binary "/${CMAKE_INSTALL_BINDIR}" "/${CORVANE_INSTALL_DATADIR}")
set_property(SOURCE "${PROJECT_SOURCE_DIR}/src/4-game/DataDirectory.cpp" APPEND PROPERTY
             COMPILE_DEFINITIONS CORVANE_DATA_FROM_BINARY="${data_from_binary}")

foreach(program IN ITEMS corvane corvane-assets corvane-model corvane-replay)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
  endif()
endforeach()

install(DIRECTORY "${PROJECT_SOURCE_DIR}/assets/" DESTINATION "${CORVANE_INSTALL_DATADIR}"
        PATTERN icons EXCLUDE)
install(DIRECTORY "${PROJECT_SOURCE_DIR}/assets/icons/" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons")
install(FILES "${PROJECT_SOURCE_DIR}/packaging/corvane.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${PROJECT_SOURCE_DIR}/packaging/copyright" DESTINATION "${CORVANE_INSTALL_DOCDIR}")

# Manual pages and the changelog go compressed, as Debian wants them; gzip -n
# leaves out the name and time, so every build writes the same bytes.
set(compressed)
foreach(page IN ITEMS corvane.6 corvane-assets.1 corvane-model.1 corvane-replay.1 changelog)
  set(source "${PROJECT_SOURCE_DIR}/packaging/${page}")
  set(output "${PROJECT_BINARY_DIR}/packaging/${page}.gz")
  add_custom_command(OUTPUT "${output}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${PROJECT_BINARY_DIR}/packaging"
    COMMAND sh -c "gzip -9n <\"$0\" >\"$1\"" "${source}" "${output}"
    DEPENDS "${source}" VERBATIM)
  list(APPEND compressed "${output}")
  if(page STREQUAL "changelog")
    install(FILES "${output}" DESTINATION "${CORVANE_INSTALL_DOCDIR}")
  else()
    string(REGEX REPLACE ".*\\.([0-9])$" "\\1" section "${page}")
    install(FILES "${output}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man${section}")
  endif()
endforeach()
add_custom_target(corvane_packaging_files ALL DEPENDS ${compressed})
