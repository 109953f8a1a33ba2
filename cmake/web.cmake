# The web build's programs: each one a page in the output folder (scripts/build-web):
#   NAME.html (index.html for the game), NAME.js, NAME.wasm and NAME.data (the packed files),
# beside the page's script, its sound output and the music's library, shared by all pages.
set(QRB_WEB_DATA "${CMAKE_SOURCE_DIR}/build-web/data" CACHE PATH "The fonts/ and sf2/ the pages pack")
set(QRB_WEB_FLUIDSYNTH_JS "" CACHE FILEPATH "libfluidsynth-2.3.0.js (from the js-synthesizer package)")
foreach(needed fonts/quorbix-gothic.ttf fonts/quorbix-mincho.ttf fonts/LICENSE fonts/README sf2/TimGM6mb.sf2)
  if(NOT EXISTS ${QRB_WEB_DATA}/${needed})
    message(FATAL_ERROR "${QRB_WEB_DATA}/${needed} is missing: run scripts/web-deps")
  endif()
endforeach()

# Every program waits through Asyncify (a wait returns to the browser and comes back), runs on
# one thread, and finds its data in a file system packed beside it.
set(QRB_WEB_LINK_OPTIONS
  -sASYNCIFY=1 -sASYNCIFY_STACK_SIZE=131072
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=67108864 -sTOTAL_STACK=1048576
  -sMODULARIZE=1 -sEXPORT_NAME=QuorbixProgram -sENVIRONMENT=web
  -sEXIT_RUNTIME=1 -sFORCE_FILESYSTEM=1 -sEXPORTED_RUNTIME_METHODS=FS
  "SHELL:--preload-file ${QRB_WEB_DATA}/fonts@/fonts"
  "SHELL:--preload-file ${QRB_WEB_DATA}/sf2/TimGM6mb.sf2@/usr/share/sounds/sf2/TimGM6mb.sf2")

# A page for a program: qrb_web_page(TARGET TITLE [FILE...]); the files lie beside the program
# (in /app of its file system), as on the desktop beside the executable.
function(qrb_web_page target title)
  set_target_properties(${target} PROPERTIES SUFFIX .js)
  target_link_options(${target} PRIVATE ${QRB_WEB_LINK_OPTIONS})
  foreach(file ${ARGN})
    get_filename_component(name ${file} NAME)
    target_link_options(${target} PRIVATE "SHELL:--preload-file ${file}@/app/${name}")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${file})
  endforeach()
  set(page ${target}.html)
  if(target STREQUAL "quorbix")
    set(page index.html)
  endif()
  set(QRB_PAGE_TITLE ${title})
  set(QRB_PROGRAM ${target})
  set(QRB_PAGE_ICON "icon.png")
  # The page as an installable app: its manifest, and (written after the build, see below) its
  # service worker. The game's scope is the whole folder, each other page's its own address, so
  # that each one installs and keeps its files apart from the others.
  if(page STREQUAL "index.html")
    set(scope "./")
    set(display fullscreen)
  else()
    set(scope "./${page}")
    set(display standalone)
  endif()
  set(QRB_PAGE_SCOPE ${scope})
  configure_file(${CMAKE_SOURCE_DIR}/platform/web/page/index.html.in ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${page} @ONLY)

  set(icons "")
  foreach(size ${QRB_WEB_ICON_SIZES})
    list(APPEND icons "    { \"src\": \"icons/quorbix-${size}.png\", \"sizes\": \"${size}x${size}\", \"type\": \"image/png\" }")
  endforeach()
  list(JOIN icons ",\n" icons)
  string(REGEX REPLACE " v[0-9.]+$" "" short "${title}")   # a launcher's label: no version
  file(CONFIGURE OUTPUT ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${target}.webmanifest @ONLY CONTENT [[{
  "name": "@title@",
  "short_name": "@short@",
  "id": "@scope@",
  "start_url": "@scope@",
  "scope": "@scope@",
  "display": "@display@",
  "orientation": "landscape",
  "background_color": "#000000",
  "theme_color": "#000000",
  "icons": [
@icons@
  ]
}
]])
  set_property(GLOBAL APPEND PROPERTY QRB_WEB_PAGES "${target}:${page}")
endfunction()

# The page's own files, shared by every page.
file(MAKE_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
foreach(file quorbix-page.js quorbix-audio.js)
  configure_file(${CMAKE_SOURCE_DIR}/platform/web/page/${file} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${file} COPYONLY)
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/packaging/icons/quorbix-32.png ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/icon.png COPYONLY)
# The icons an installed page shows (make-assets --icons): the manifests name them.
set(QRB_WEB_ICON_SIZES 48 64 128 192 256 512)
foreach(size ${QRB_WEB_ICON_SIZES})
  configure_file(${CMAKE_SOURCE_DIR}/packaging/icons/quorbix-${size}.png
    ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/icons/quorbix-${size}.png COPYONLY)
endforeach()
# The cut fonts' licence and where the originals are, which the pages link.
foreach(file LICENSE README)
  configure_file(${QRB_WEB_DATA}/fonts/${file} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/fonts/${file} COPYONLY)
endforeach()
if(QRB_WEB_FLUIDSYNTH_JS)
  configure_file(${QRB_WEB_FLUIDSYNTH_JS} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/libfluidsynth-2.3.0.js COPYONLY)
endif()

# The game, built as on the desktop but for the web backend.
add_executable(quorbix game/main.cpp)
qrb_program(quorbix web ${QRB_GAME_SDL})
qrb_web_page(quorbix "Quorbix v1.0" ${CMAKE_SOURCE_DIR}/assets/QRBX.MID)

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
