# The page (label web): the page that scripts/web builds into build-web/site/,
# played in headless Chromium, one browser session per fixture, its frames
# held against the desktop's as corvane-replay draws them (harness.py is
# what the files share). Every fixture also carries the label browser, which
# the sanitizer pass leaves out. CORVANE_WEB_THROTTLE=N in the environment
# slows the page down N times.
#   play_test.py     the game on its clock, by real pointer, button and key
#                    events; a browser without WebGL told so
#   replay_test.py   a replay script played frame for frame; a bad one refused
#   assets_test.py   assets missing or corrupt: the game runs on
#   screens_test.py  phones either way up, touch, full screen, installed,
#                    offline, a new build taken whole
#   sound_test.py    the sound starts with the first click, a shot is heard,
#                    the page's control silences it; a replay is heard
#   gamepad_test.py  a pad through the browser's Gamepad API plays the cases
#                    of tests/input/gamepad_cases.txt; the touch buttons give
#                    way to it
#   loading_test.py  while the page loads (slowed down 4 times): the game's
#                    start picture, a loading bar that advances and goes at
#                    the first frame, the page answering a click
foreach(test IN ITEMS play:PlayedInTheBrowser play:WithoutWebGL replay:PlayedFromAScript
                      assets:AssetsMissingOrCorrupt screens:OnEveryScreen sound:SoundInThePage sound:ReplayHeard
                      gamepad:PlayedWithAGamepad loading:LoadingInSteps)
  string(REPLACE ":" ";" parts "${test}")
  list(GET parts 0 file)
  list(GET parts 1 fixture)
  add_test(NAME web_${fixture}
    COMMAND /usr/bin/python3 "${CMAKE_CURRENT_LIST_DIR}/${file}_test.py" "${PROJECT_SOURCE_DIR}/build-web/site"
            "${PROJECT_BINARY_DIR}" ${fixture})
  set_tests_properties(web_${fixture} PROPERTIES LABELS "web;browser" TIMEOUT 1800 RUN_SERIAL TRUE)
endforeach()
