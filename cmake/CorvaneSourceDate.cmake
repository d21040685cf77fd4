# Run by cpack before it builds a package (CPACK_PROJECT_CONFIG_FILE): every
# time stamp in the package (of its files, of the archives inside it and of
# the package itself) is SOURCE_DATE_EPOCH, which CPack honours, so that two
# builds of one commit give the same bytes. Unless the caller set it, the date
# is the last commit's: packaging/source-date in a source tarball, where git
# archive writes it (see .gitattributes), or git's in a clone.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(date "")
  file(STRINGS "${CPACK_CORVANE_SOURCE_DIR}/packaging/source-date" written LIMIT_COUNT 1)
  if(written MATCHES "^[0-9]+$")
    set(date "${written}")
  elseif(EXISTS "${CPACK_CORVANE_SOURCE_DIR}/.git")
    execute_process(COMMAND git -C "${CPACK_CORVANE_SOURCE_DIR}" log -1 --format=%ct
                    OUTPUT_VARIABLE date OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  if(date MATCHES "^[0-9]+$")
    set(ENV{SOURCE_DATE_EPOCH} "${date}")
  else()
    message(STATUS "CPack: no commit date found (neither git nor packaging/source-date): "
                   "the package's time stamps are those of the files")
  endif()
endif()
