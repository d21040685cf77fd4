# The asset tests run the generator: build it with the world tests.
if(TARGET test_world)
  add_dependencies(test_world corvane-assets)
endif()
