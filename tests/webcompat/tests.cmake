# The page's image upload (StbUpload), built here for the desktop, against
# SOIL's on a real context.
if(TARGET test_webcompat)
  target_sources(test_webcompat PRIVATE "${PROJECT_SOURCE_DIR}/src/0-webcompat/StbUpload.cpp")
  target_include_directories(test_webcompat PRIVATE "${PROJECT_SOURCE_DIR}/src/0-webcompat")
endif()
