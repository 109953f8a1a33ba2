# The game's headless runner built for WebAssembly, for the tests alone (no page of the site, not
# in the web SDK): tests/replay/portable.sh replays a recorded session with it in chromium and
# compares every frame, the trace and the sound with the desktop's. It is the desktop's runner
# (framework/runner, platform/headless) on the web build's shared platform code: the same FreeType,
# libpng and faces as the pages, and the music through the pages' music library, which
# tests/replay/web-replay.html loads beside it. Written to build-web/replay/, with that page.
qrb_sources(QRB_WEB_HEADLESS_SRC platform/headless)
# Frames are written as PNG by libpng's writer, as on the desktop; the GIF is the Linux runner's.
add_library(qrb_web_png_writer OBJECT ${CMAKE_SOURCE_DIR}/platform/files/desktop/png_writer.cpp)
target_include_directories(qrb_web_png_writer PRIVATE ${QRB_LAYERS}/platform-files)
target_link_libraries(qrb_web_png_writer PRIVATE qrb_web_png)
add_library(qrb_platform_headless STATIC ${QRB_WEB_HEADLESS_SRC} ${QRB_PLATFORM_OBJECTS}
  $<TARGET_OBJECTS:qrb_web_png_writer>)
target_link_libraries(qrb_platform_headless PUBLIC qrb_platform
  PRIVATE qrb_web_freetype qrb_web_png qrb_web_fluidsynth)
qrb_sources(QRB_WEB_RUNNER_SRC framework/runner)
add_library(qrb_runner STATIC ${QRB_WEB_RUNNER_SRC})
target_link_libraries(qrb_runner PUBLIC qrb_framework qrb_platform_headless)

set(QRB_WEB_REPLAY_DIR ${CMAKE_BINARY_DIR}/../replay)
# Beside the music library's script: its module, where it is a file of its own, and SOURCE, which
# says which FluidSynth it is (scripts/web-deps writes it; portable.sh reads it).
set(QRB_WEB_REPLAY_SYNTH_COPIES)
get_filename_component(synth_dir "${QRB_WEB_FLUIDSYNTH_JS}" DIRECTORY)
foreach(pair libfluidsynth.wasm:libfluidsynth.wasm SOURCE:libfluidsynth.txt)
  string(REGEX REPLACE ":.*" "" from ${pair})
  string(REGEX REPLACE ".*:" "" to ${pair})
  if(synth_dir AND EXISTS ${synth_dir}/${from})
    list(APPEND QRB_WEB_REPLAY_SYNTH_COPIES
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${synth_dir}/${from} ${QRB_WEB_REPLAY_DIR}/${to})
  endif()
endforeach()

# A headless program for the tests: qrb_web_headless(TARGET MAIN LIBRARIES...), one module the page
# starts itself (callMain, after it has written the session into the file system), its data packed
# beside it: the whole faces (as a page without cuts packs them), the whole sound font where the
# desktop's lies, and the music in /app, where the page runs it.
function(qrb_web_headless target main)
  add_executable(${target} ${main})
  qrb_program(${target} headless ${ARGN})
  set_target_properties(${target} PROPERTIES SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${QRB_WEB_REPLAY_DIR})
  set(packed ${QRB_WEB_DATA}/fonts/quorbix-gothic.woff2@/fonts/quorbix-gothic.woff2
    ${QRB_WEB_DATA}/fonts/quorbix-mincho.woff2@/fonts/quorbix-mincho.woff2
    ${QRB_WEB_DATA}/sf2/TimGM6mb.sf2@/usr/share/sounds/sf2/TimGM6mb.sf2
    ${CMAKE_SOURCE_DIR}/assets/QRBX.MID@/app/QRBX.MID)
  foreach(entry ${packed})
    target_link_options(${target} PRIVATE "SHELL:--preload-file \"${entry}\"")
    string(REGEX REPLACE "@.*" "" file "${entry}")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${file})
  endforeach()
  target_link_options(${target} PRIVATE
    -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=67108864 -sTOTAL_STACK=1048576
    -sMODULARIZE=1 -sEXPORT_NAME=QuorbixHeadless -sENVIRONMENT=web -sINVOKE_RUN=0
    -sEXIT_RUNTIME=0 -sFORCE_FILESYSTEM=1 -sEXPORTED_RUNTIME_METHODS=FS,callMain -sASSERTIONS=1)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/tests/replay/web-replay.html
      ${QRB_WEB_REPLAY_DIR}/index.html
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${QRB_WEB_FLUIDSYNTH_JS} ${QRB_WEB_REPLAY_DIR}/libfluidsynth.js
    ${QRB_WEB_REPLAY_SYNTH_COPIES}
    VERBATIM)
endfunction()

qrb_web_headless(quorbix-headless ${CMAKE_SOURCE_DIR}/game/headless_main.cpp qrb_game qrb_resources qrb_runner)
