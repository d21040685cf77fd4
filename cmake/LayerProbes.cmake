# Probes of the house's walls, in the window's build and the page's alike:
# each compiles one line, an include of a header, as a library of the house
# compiles its own sources. None is built by default; tests/layers builds
# them one by one and expects those that reach up or aside to fail for want
# of the header, and the ones that reach down to build.
set(probe_source "${CMAKE_BINARY_DIR}/layer-probe.cpp")
file(WRITE "${probe_source}" "#include CORVANE_PROBE_HEADER\n")

# probe_<name>: a source of library corvane_<layer> that includes header.
function(corvane_layer_probe name layer header)
  add_library(probe_${name} OBJECT EXCLUDE_FROM_ALL "${probe_source}")
  target_link_libraries(probe_${name} PRIVATE corvane_${layer})
  target_compile_definitions(probe_${name} PRIVATE CORVANE_PROBE_HEADER="${header}")
endfunction()

corvane_layer_probe(math_sees_world math "1-world/Texture.h")
corvane_layer_probe(world_sees_mesh world "2-mesh/Mesh.h")
corvane_layer_probe(world_sees_audio world "1-audio/SoundClip.h")
corvane_layer_probe(game_sees_replay game "5-replay/ReplayPlayer.h")
corvane_layer_probe(replay_sees_page replay "6-page/WebPage.h")
corvane_layer_probe(replay_sees_game replay "4-game/Game.h")
corvane_layer_probe(game_sees_input game "5-input/GamepadControl.h")
corvane_layer_probe(input_sees_replay input "5-replay/ReplayPlayer.h")
corvane_layer_probe(input_sees_game input "4-game/Game.h")
if(EMSCRIPTEN)
  corvane_layer_probe(webcompat_sees_world webcompat "1-world/Texture.h")
  corvane_layer_probe(webcompat_sees_math webcompat "0-math/Vector3f.h")
  corvane_layer_probe(webcompat_sees_itself webcompat "0-webcompat/StbUpload.h")
endif()
