# Finds the stb single-file headers (Debian's libstb-dev puts them in
# /usr/include/stb). Defines Stb_FOUND and the imported target Stb::Stb.
find_path(Stb_INCLUDE_DIR NAMES stb_image_write.h PATH_SUFFIXES stb)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Stb REQUIRED_VARS Stb_INCLUDE_DIR)

if(Stb_FOUND AND NOT TARGET Stb::Stb)
  add_library(Stb::Stb INTERFACE IMPORTED)
  set_target_properties(Stb::Stb PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${Stb_INCLUDE_DIR}")
endif()
mark_as_advanced(Stb_INCLUDE_DIR)
