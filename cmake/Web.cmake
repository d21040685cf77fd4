# The page: the game built for the browser by Emscripten (emcmake cmake),
# from the same sources. Included by the top CMakeLists.txt in place of the
# desktop's packages, which it stands in for:
# - OpenGL, GLU, GLUT and GLEW: Emscripten's legacy GL emulation over WebGL,
#   with the pieces it lacks in src/0-webcompat (GlCompat.cpp,
#   include/GL/freeglut.h);
# - SOIL: src/0-webcompat (Soil.cpp, StbUpload) on Debian's stb_image;
# - OpenAL: Emscripten's, over Web Audio (without the loopback device);
# - Assimp and zlib: built for the web from Debian's sources into
#   CORVANE_WEB_DEPS by scripts/web-deps.
# Tests, tools and benchmarks are the desktop's; only the page is built here.

set(CORVANE_WEB_DEPS "${CMAKE_SOURCE_DIR}/build-web/deps/prefix" CACHE PATH
    "Install prefix of the libraries built for the web (scripts/web-deps)")
set(CORVANE_WEB_SITE "${CMAKE_SOURCE_DIR}/build-web/site" CACHE PATH "Folder the page is written to")

# Emscripten's toolchain looks for packages in its own sysroot only.
list(APPEND CMAKE_FIND_ROOT_PATH "${CORVANE_WEB_DEPS}")
find_package(assimp CONFIG REQUIRED)
find_path(Stb_INCLUDE_DIR NAMES stb_image.h PATHS /usr/include/stb NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
find_package(Stb REQUIRED)

# The game's own code at the build type's -O3, not built for size: -Os gives
# 10 % less WebAssembly (827 KB against 920 KB; 325 KB against 342 KB
# gzipped, 1 % of the page's bytes) at the same frame rate, but its start
# does 36 % more work on the page's thread (Game::Init's steps 342 ms
# against 251 ms in headless Chromium, medians of five runs each,
# alternating), which the player waits through and the page cannot answer
# in. The libraries of scripts/web-deps are at -O2 (see there for why).

# Assimp reports unreadable files by exceptions: caught natively, everywhere.
add_compile_options(-fwasm-exceptions)
add_link_options(-fwasm-exceptions)

# The game tests GLEW's entry points for null, as a desktop driver may lack
# some; in the page they are functions, always there.
add_compile_options(-Wno-pointer-bool-conversion)

# The stand-ins (the library corvane_webcompat, made with the other layers),
# seen by the game's code under the names of what they replace.
foreach(package OpenGL::OpenGL OpenGL::GLU OpenGL::GLX GLUT::GLUT GLEW::GLEW SOIL::SOIL)
  add_library(${package} INTERFACE IMPORTED)
  target_link_libraries(${package} INTERFACE corvane_webcompat)
endforeach()
# OpenAL: Emscripten's own, over Web Audio.
add_library(OpenAL::OpenAL INTERFACE IMPORTED)
target_link_options(OpenAL::OpenAL INTERFACE -lopenal)

# A page has no executable path to find a data folder from (DataDirectory
# finds none): the game reads "/", where the assets are unpacked.
set_property(SOURCE "${CMAKE_SOURCE_DIR}/src/4-game/DataDirectory.cpp" APPEND PROPERTY
             COMPILE_DEFINITIONS CORVANE_DATA_FROM_BINARY="")

# The page's files in CORVANE_WEB_SITE: index.html with its icons, manifest
# and the picture of the game's start it shows while the game loads
# (corvane-start.webp, made by scripts/web-picture); the game, corvane.js.gz
# and corvane.wasm.gz; the game's assets packed into corvane-assets.data.gz
# with the script that puts them into the page's file system before the
# game starts, at the paths the game reads (relative to "/", its working
# directory); the demo flight's replay script; and service-worker.js, which
# keeps them all for visits without a network. What compresses is
# compressed with gzip in the files themselves, so that a host that
# compresses nothing still serves them small; the page unpacks them with
# the browser's own decoder as they arrive.
function(corvane_web_page target)
  # The page's shell: its main, what it adds around the game (WebPage,
  # WebSound, WebGamepad) and its replays. Nothing includes it.
  file(GLOB page_sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/src/6-page/*.cpp")
  add_executable(${target} ${page_sources})
  target_link_libraries(${target} PRIVATE corvane_replay corvane_input)
  target_link_options(${target} PRIVATE
    -sLEGACY_GL_EMULATION=1
    # The page makes the game's WebGL context itself, early, and the game's
    # window takes it (index.html, Module.preinitializedWebGLContext).
    -sGL_PREINITIALIZED_CONTEXT=1
    # Without this the emulation keeps the attribute pointers of the previous
    # draw when the buffer and matrices are unchanged: every terrain strip
    # would draw the first one.
    -sGL_UNSAFE_OPTS=0
    -sALLOW_MEMORY_GROWTH=1
    -sINITIAL_MEMORY=67108864
    -sFORCE_FILESYSTEM=1
    -sENVIRONMENT=web)
  # Linked beside the build, and compressed into the site.
  set(linked "${CMAKE_CURRENT_BINARY_DIR}/page")
  set_target_properties(${target} PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY "${linked}")
  # gzip -n: no name or time in the file, so the same code gives the same bytes.
  set(compress sh -c "gzip -9 -n -c \"$0\" >\"$1\"")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${compress} "${linked}/${target}.js" "${CORVANE_WEB_SITE}/${target}.js.gz"
    COMMAND ${compress} "${linked}/${target}.wasm" "${CORVANE_WEB_SITE}/${target}.wasm.gz"
    # What a build from before the compression left in the site.
    COMMAND "${CMAKE_COMMAND}" -E rm -f "${CORVANE_WEB_SITE}/${target}.js" "${CORVANE_WEB_SITE}/${target}.wasm"
    VERBATIM)

  file(GLOB_RECURSE assets CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/assets/*")
  add_custom_command(
    OUTPUT "${CORVANE_WEB_SITE}/corvane-assets.data.gz" "${CORVANE_WEB_SITE}/corvane-assets.js"
    COMMAND "${CMAKE_SOURCE_DIR}/scripts/web-pack" "${CMAKE_SOURCE_DIR}/assets" "${CORVANE_WEB_SITE}"
    DEPENDS ${assets} "${CMAKE_SOURCE_DIR}/scripts/web-pack"
    COMMENT "Packing the assets for the page")
  configure_file("${CMAKE_SOURCE_DIR}/src/6-page/site/index.html" "${CORVANE_WEB_SITE}/index.html" COPYONLY)
  configure_file("${CMAKE_SOURCE_DIR}/src/6-page/site/corvane-start.webp" "${CORVANE_WEB_SITE}/corvane-start.webp"
                 COPYONLY)
  # The demo flight, for index.html?replay=demo.txt.
  configure_file("${CMAKE_SOURCE_DIR}/docs/demo.txt" "${CORVANE_WEB_SITE}/demo.txt" COPYONLY)
  configure_file("${CMAKE_SOURCE_DIR}/assets/icons/hicolor/48x48/apps/corvane.png" "${CORVANE_WEB_SITE}/corvane.png"
                 COPYONLY)
  add_custom_target(${target}_assets ALL DEPENDS "${CORVANE_WEB_SITE}/corvane-assets.data.gz")
  # What installs the page on a home screen: its name, icons, full screen in landscape.
  configure_file("${CMAKE_SOURCE_DIR}/src/6-page/site/corvane.webmanifest" "${CORVANE_WEB_SITE}/corvane.webmanifest"
                 COPYONLY)
  configure_file("${CMAKE_SOURCE_DIR}/assets/icons/hicolor/256x256/apps/corvane.png"
                 "${CORVANE_WEB_SITE}/corvane-256.png" COPYONLY)

  # The page carries its licence and the copyright file, which holds the
  # notices of the libraries built into corvane.wasm.
  configure_file("${CMAKE_SOURCE_DIR}/LICENSE" "${CORVANE_WEB_SITE}/LICENSE" COPYONLY)
  configure_file("${CMAKE_SOURCE_DIR}/packaging/copyright" "${CORVANE_WEB_SITE}/copyright" COPYONLY)

  # Last, the worker that keeps all of the above for visits without a
  # network, named after the hashes of those files.
  set(page_files index.html corvane-start.webp corvane.png corvane.webmanifest corvane-256.png demo.txt LICENSE
                 copyright)
  list(TRANSFORM page_files PREPEND "${CORVANE_WEB_SITE}/")
  add_custom_command(
    OUTPUT "${CORVANE_WEB_SITE}/service-worker.js"
    COMMAND "${CMAKE_SOURCE_DIR}/scripts/web-offline" "${CORVANE_WEB_SITE}"
    DEPENDS ${target} ${target}_assets "${CORVANE_WEB_SITE}/corvane-assets.data.gz" ${page_files}
            "${CMAKE_SOURCE_DIR}/scripts/web-offline" "${CMAKE_SOURCE_DIR}/src/6-page/site/service-worker.js"
    COMMENT "Writing the page's service worker")
  add_custom_target(${target}_offline ALL DEPENDS "${CORVANE_WEB_SITE}/service-worker.js")
endfunction()
