# The gamepad's tests read SDL's pads through the input layer.
target_link_libraries(test_input PRIVATE corvane_input)
