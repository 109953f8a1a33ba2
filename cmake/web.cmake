# The web build's programs: each one a page in the output folder (scripts/build-web):
#   NAME.html (index.html for the game), NAME.js, NAME.wasm and NAME.data (the packed files),
# beside the page's script, its sound output and the music's library, shared by all pages.
set(QRB_WEB_DATA "${CMAKE_SOURCE_DIR}/build-web/data" CACHE PATH "The fonts/ and sf2/ the pages pack")
set(QRB_WEB_FLUIDSYNTH_JS "" CACHE FILEPATH "The pages' music library, libfluidsynth.js (scripts/web-deps builds it)")
set(QRB_WEB_SF2_CUT "${CMAKE_SOURCE_DIR}/build/bin/sf2-cut" CACHE FILEPATH
  "The native sound font cutter (the sf2_cut_tool target of the desktop build)")
set(QRB_WEB_FACE_CHECK "${CMAKE_SOURCE_DIR}/build-web/tools/font_subset_check" CACHE FILEPATH
  "The native checker of the pages' cuts of the faces (scripts/web-deps builds it)")
foreach(needed fonts/quorbix-gothic.woff2 fonts/quorbix-mincho.woff2 fonts/LICENSE fonts/README sf2/TimGM6mb.sf2)
  if(NOT EXISTS ${QRB_WEB_DATA}/${needed})
    message(FATAL_ERROR "${QRB_WEB_DATA}/${needed} is missing: run scripts/web-deps")
  endif()
endforeach()

# How a page is made: shared with the installed web SDK (cmake/web_sdk.cmake installs the file).
include(${CMAKE_CURRENT_LIST_DIR}/QuorbixPage.cmake)
quorbix_page_sources(TEMPLATE ${CMAKE_SOURCE_DIR}/platform/web/page
  ICON ${CMAKE_SOURCE_DIR}/packaging/icons/quorbix-32.png DATA ${QRB_WEB_DATA}
  ICONS ${CMAKE_SOURCE_DIR}/packaging/icons
  SYNTH_JS "${QRB_WEB_FLUIDSYNTH_JS}" SF2_CUT ${QRB_WEB_SF2_CUT}
  FACE_CUT ${CMAKE_SOURCE_DIR}/tools FACE_CHECK ${QRB_WEB_FACE_CHECK})

# A page for a program: qrb_web_page(TARGET TITLE [FILE...]); the files lie beside the program
# (in /app of its file system), as on the desktop beside the executable. The game's page is the
# site's index.html.
function(qrb_web_page target title)
  # Each page installs and plays offline: the game's scope is the whole folder, each other
  # page's its own address.
  if(target STREQUAL "quorbix")
    quorbix_add_page(${target} "${title}" PAGE index.html SCOPE "./" DISPLAY fullscreen ${ARGN})
  else()
    quorbix_add_page(${target} "${title}" SCOPE "./${target}.html" ${ARGN})
  endif()
endfunction()

# The game, built as on the desktop but for the web backend.
add_executable(quorbix game/main.cpp)
qrb_program(quorbix web ${QRB_GAME_SDL})
qrb_web_page(quorbix "Quorbix v1.0" ${CMAKE_SOURCE_DIR}/assets/QRBX.MID)

# The game's headless runner for WebAssembly, for the tests (build-web/replay, not the site).
include(cmake/web_replay.cmake)

add_subdirectory(gallery)
add_subdirectory(examples)

# Each page's service worker, once every program is built: its file list and version come from
# what the build wrote, so this runs on every build (it rewrites a worker only when it changes).
get_property(QRB_WEB_PAGES GLOBAL PROPERTY QRB_WEB_PAGES)
string(REPLACE ";" "," pages "${QRB_WEB_PAGES}")
add_custom_target(qrb_web_offline ALL
  COMMAND ${CMAKE_COMMAND} -DSITE=${CMAKE_RUNTIME_OUTPUT_DIRECTORY} -DPAGES=${pages}
    -DWORKER=${CMAKE_SOURCE_DIR}/platform/web/page/service-worker.js.in -P ${CMAKE_SOURCE_DIR}/cmake/web_offline.cmake
  COMMENT "Writing the pages' service workers" VERBATIM)
foreach(entry ${QRB_WEB_PAGES})
  string(REGEX REPLACE ":.*" "" program "${entry}")
  add_dependencies(qrb_web_offline ${program})
endforeach()

# The web SDK: what a game of one's own needs to become a page (scripts/build-web --install).
include(cmake/web_sdk.cmake)
