# The page (label web). page_test.py plays the page that scripts/web builds
# into build-web/site/ in headless Chromium, one browser session per fixture,
# and compares its frames with the desktop's as corvane-replay draws them;
# its fixtures also carry the label browser, which the sanitizer pass leaves
# out (CORVANE_WEB_THROTTLE=N in the environment slows the page down N
# times).
foreach(fixture IN ITEMS PlayedInTheBrowser PlayedFromAScript AssetsMissingOrCorrupt OnEveryScreen WithoutWebGL)
  add_test(NAME web_${fixture}
    COMMAND /usr/bin/python3 "${CMAKE_CURRENT_LIST_DIR}/page_test.py" "${PROJECT_SOURCE_DIR}/build-web/site"
            "${PROJECT_BINARY_DIR}" ${fixture})
  set_tests_properties(web_${fixture} PROPERTIES LABELS "web;browser" TIMEOUT 1800 RUN_SERIAL TRUE)
endforeach()
# The page's sound (sound_test.py, on page_test.py's sessions): it starts
# with the first click, a shot is heard, the page's control silences it.
add_test(NAME web_SoundInThePage
  COMMAND /usr/bin/python3 "${CMAKE_CURRENT_LIST_DIR}/sound_test.py" "${PROJECT_SOURCE_DIR}/build-web/site"
          "${PROJECT_BINARY_DIR}")
set_tests_properties(web_SoundInThePage PROPERTIES LABELS "web;browser" TIMEOUT 1800 RUN_SERIAL TRUE)
