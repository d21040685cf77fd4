# Replays: the script reader and the tool's recording of sound are tested in
# test_replay; the tool itself through replay_tool.sh (a second run writes
# the same bytes; bad input gets its line and status 2 and writes nothing).
if(TARGET test_replay)
  add_dependencies(test_replay corvane-replay)
endif()
foreach(check IN ITEMS deterministic bad_input)
  add_test(NAME replay_tool_${check}
    COMMAND bash "${CMAKE_CURRENT_SOURCE_DIR}/replay/replay_tool.sh" ${check} "${PROJECT_BINARY_DIR}" "${PROJECT_SOURCE_DIR}")
  set_tests_properties(replay_tool_${check} PROPERTIES LABELS replay TIMEOUT 600)
endforeach()
