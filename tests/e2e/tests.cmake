# The end-to-end test sees the game's frames through an X connection of its
# own (WindowFrames: Xlib and the Damage extension).
if(TARGET test_e2e)
  find_package(X11 REQUIRED)
  if(NOT TARGET X11::Xdamage)
    message(FATAL_ERROR "the end-to-end test needs the X Damage library (libxdamage-dev)")
  endif()
  target_link_libraries(test_e2e PRIVATE X11::X11 X11::Xdamage)
endif()
