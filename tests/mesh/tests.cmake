# The model tools: corvane-model on the ship, on bad files and on files that
# crash the importer, and the generated ship against the committed one.
foreach(check IN ITEMS ship garbage contained assets)
  add_test(NAME mesh_tool_${check}
    COMMAND bash "${CMAKE_CURRENT_SOURCE_DIR}/mesh/model_tool.sh" ${check} "${PROJECT_BINARY_DIR}" "${PROJECT_SOURCE_DIR}")
  set_tests_properties(mesh_tool_${check} PROPERTIES LABELS mesh TIMEOUT 300)
endforeach()

# The mesh tests write their Collada files with the asset generator's writer.
target_link_libraries(test_mesh PRIVATE corvane_collada)
