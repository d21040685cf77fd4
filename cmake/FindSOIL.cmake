# Finds SOIL (Simple OpenGL Image Library). Debian ships only SOIL/SOIL.h and
# libSOIL.so (outside the multiarch folder), with no CMake or pkg-config file.
# Defines SOIL_FOUND and the imported target SOIL::SOIL.
find_path(SOIL_INCLUDE_DIR NAMES SOIL/SOIL.h)
find_library(SOIL_LIBRARY NAMES SOIL soil PATHS /usr/lib /usr/local/lib)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(SOIL REQUIRED_VARS SOIL_LIBRARY SOIL_INCLUDE_DIR)

if(SOIL_FOUND AND NOT TARGET SOIL::SOIL)
  add_library(SOIL::SOIL UNKNOWN IMPORTED)
  set_target_properties(SOIL::SOIL PROPERTIES
    IMPORTED_LOCATION "${SOIL_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${SOIL_INCLUDE_DIR}")
endif()
mark_as_advanced(SOIL_INCLUDE_DIR SOIL_LIBRARY)
