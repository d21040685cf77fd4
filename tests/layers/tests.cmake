# The house's walls (label layers): a library that includes a header from a
# floor above it, or from a library beside it that it does not link, does
# not build, in the window's build and in the page's (cmake/LayerProbes.cmake
# lists the probes). The page's probes need its build (scripts/web).
set(layer_probes
  # probe                  builds   where
  math_sees_world          no       both
  world_sees_mesh          no       both
  world_sees_audio         no       both
  game_sees_replay         no       both
  replay_sees_page         no       both
  replay_sees_game         yes      both
  game_sees_input          no       both
  input_sees_replay        no       both
  input_sees_game          yes      both
  webcompat_sees_world     no       page
  webcompat_sees_math      no       page
  webcompat_sees_itself    yes      page)
while(layer_probes)
  list(POP_FRONT layer_probes probe builds where)
  set(trees "")
  if(where STREQUAL "both")
    list(APPEND trees "window;${PROJECT_BINARY_DIR}")
  endif()
  list(APPEND trees "page;${PROJECT_SOURCE_DIR}/build-web/game")
  while(trees)
    list(POP_FRONT trees tree dir)
    add_test(NAME layers_${tree}_${probe} COMMAND "${CMAKE_COMMAND}" --build "${dir}" --target probe_${probe})
    set(labels layers)
    if(tree STREQUAL "page")
      list(APPEND labels web)
    endif()
    # One build at a time in a tree.
    set_tests_properties(layers_${tree}_${probe} PROPERTIES LABELS "${labels}" RESOURCE_LOCK "build-${tree}")
    if(builds STREQUAL "no")
      # Failing for any other reason would prove nothing.
      set_tests_properties(layers_${tree}_${probe} PROPERTIES
        PASS_REGULAR_EXPRESSION "No such file or directory|file not found")
    endif()
  endwhile()
endwhile()
