# Fuzz targets. Each builds as a replay binary that CTest runs over the
# committed corpus in tests/data/fuzz/<target>/ on every test run; with
# -DCORVANE_FUZZ=ON (clang, see scripts/fuzz) each also builds as a libFuzzer
# binary fuzz_<target>.
set(CORVANE_FUZZ_TARGETS image model heightmap sound)
set(CORVANE_FUZZ_DIR "${CMAKE_CURRENT_LIST_DIR}")

foreach(target IN LISTS CORVANE_FUZZ_TARGETS)
  string(SUBSTRING "${target}" 0 1 first)
  string(TOUPPER "${first}" first)
  string(SUBSTRING "${target}" 1 -1 rest)
  set(source "${CORVANE_FUZZ_DIR}/Fuzz${first}${rest}.cpp")
  if(NOT EXISTS "${source}")
    continue()
  endif()

  add_executable(replay_${target} "${source}" "${CORVANE_FUZZ_DIR}/ScratchFile.cpp" "${CORVANE_FUZZ_DIR}/HiddenContext.cpp" "${CORVANE_FUZZ_DIR}/ReplayMain.cpp")
  target_include_directories(replay_${target} PRIVATE "${CORVANE_FUZZ_DIR}")
  target_link_libraries(replay_${target} PRIVATE corvane_game)
  # The seed corpus, plus the hand-made malformed files of that kind.
  set(malformed_dir "${PROJECT_SOURCE_DIR}/tests/data/malformed/${target}s")
  add_test(NAME fuzz_replay_${target}
           COMMAND replay_${target} "${PROJECT_SOURCE_DIR}/tests/data/fuzz/${target}" "${malformed_dir}")
  set_tests_properties(fuzz_replay_${target} PROPERTIES LABELS "fuzz" TIMEOUT 900)

  if(CORVANE_FUZZ)
    add_executable(fuzz_${target} "${source}" "${CORVANE_FUZZ_DIR}/ScratchFile.cpp" "${CORVANE_FUZZ_DIR}/HiddenContext.cpp")
    target_include_directories(fuzz_${target} PRIVATE "${CORVANE_FUZZ_DIR}")
    target_link_libraries(fuzz_${target} PRIVATE corvane_game)
    target_link_options(fuzz_${target} PRIVATE -fsanitize=fuzzer)
  endif()
endforeach()

# Every malformed model through the artists' inspection tool: it must explain
# or summarise, never crash (exit status 0 or 1).
file(GLOB CORVANE_MALFORMED_MODELS "${PROJECT_SOURCE_DIR}/tests/data/malformed/models/*.dae"
                                   "${PROJECT_SOURCE_DIR}/tests/data/malformed/models/*.obj")
foreach(model IN LISTS CORVANE_MALFORMED_MODELS)
  get_filename_component(name "${model}" NAME)
  add_test(NAME corvane_model_survives_${name}
           COMMAND sh -c "\"$0\" \"$1\" --png \"$2\"; status=$?; test $status -le 1"
                   "$<TARGET_FILE:corvane-model>" "${model}" "${CMAKE_CURRENT_BINARY_DIR}/malformed-${name}.png")
  set_tests_properties(corvane_model_survives_${name} PROPERTIES LABELS "corpus" TIMEOUT 300)
endforeach()
