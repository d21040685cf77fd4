# Run by CPack after it built the package (CPACK_POST_BUILD_SCRIPTS). A .deb
# is an ar archive of three members (debian-binary, control.tar.*,
# data.tar.*), and CPack writes each member's header with the mode of the
# file it made it from, which follows the umask. dpkg ignores those modes;
# they are set to rw-r--r-- here so the package's bytes do not depend on the
# umask of whoever built it.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(NOT package MATCHES "\\.deb$")
    continue()
  endif()
  file(SIZE "${package}" size)
  # An ar header is 60 bytes: name 16, time 12, owner 6, group 6, mode 8
  # (octal, space-padded), size 10, and a two-byte end; members follow
  # their header, padded to an even length; the first header follows the
  # archive's 8-byte magic.
  set(header 8)
  while(header LESS size)
    file(READ "${package}" fields OFFSET ${header} LIMIT 60)
    string(SUBSTRING "${fields}" 48 10 length)
    string(STRIP "${length}" length)
    if(NOT length MATCHES "^[0-9]+$")
      message(FATAL_ERROR "${package}: no ar member header at byte ${header}")
    endif()
    math(EXPR mode_at "${header} + 40")
    execute_process(
      COMMAND sh -c "printf '100644  ' | dd of=\"$0\" bs=1 seek=\"$1\" conv=notrunc status=none" "${package}" ${mode_at}
      RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "${package}: could not write the mode of the member at byte ${header}")
    endif()
    math(EXPR header "${header} + 60 + ${length} + ${length} % 2")
  endwhile()
endforeach()
