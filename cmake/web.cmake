# The web build's programs: each one a page in the output folder (scripts/build-web):
#   NAME.html (index.html for the game), NAME.js, NAME.wasm and NAME.data (the packed files),
# beside the page's script, its sound output and the music's library, shared by all pages.
set(QRB_WEB_DATA "${CMAKE_SOURCE_DIR}/build-web/data" CACHE PATH "The fonts/ and sf2/ the pages pack")
set(QRB_WEB_FLUIDSYNTH_JS "" CACHE FILEPATH "libfluidsynth-2.3.0.js (from the js-synthesizer package)")
set(QRB_WEB_SF2_CUT "${CMAKE_SOURCE_DIR}/build/bin/sf2-cut" CACHE FILEPATH
  "The native sound font cutter (the sf2_cut_tool target of the desktop build)")
foreach(needed fonts/quorbix-gothic.woff2 fonts/quorbix-mincho.woff2 fonts/LICENSE fonts/README sf2/TimGM6mb.sf2)
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
  "SHELL:--preload-file ${QRB_WEB_DATA}/fonts/quorbix-gothic.woff2@/fonts/quorbix-gothic.woff2"
  "SHELL:--preload-file ${QRB_WEB_DATA}/fonts/quorbix-mincho.woff2@/fonts/quorbix-mincho.woff2")

# A page for a program: qrb_web_page(TARGET TITLE [FILE...]); the files lie beside the program
# (in /app of its file system), as on the desktop beside the executable. A page whose files
# include MIDI files packs the sound font cut to the presets they play (sf2-cut checks that they
# render the same with it as with the whole font); a page without music packs none.
function(qrb_web_page target title)
  set_target_properties(${target} PROPERTIES SUFFIX .js)
  target_link_options(${target} PRIVATE ${QRB_WEB_LINK_OPTIONS})
  set(midis)
  foreach(file ${ARGN})
    get_filename_component(name ${file} NAME)
    target_link_options(${target} PRIVATE "SHELL:--preload-file ${file}@/app/${name}")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${file})
    string(TOLOWER "${name}" lower)
    if(lower MATCHES "\\.(mid|midi)$")
      list(APPEND midis ${file})
    endif()
  endforeach()
  if(midis)
    if(NOT EXISTS ${QRB_WEB_SF2_CUT})
      message(FATAL_ERROR "${QRB_WEB_SF2_CUT} is missing: build the desktop's sf2_cut_tool first (scripts/build-web does)")
    endif()
    set(font ${CMAKE_BINARY_DIR}/sf2/${target}.sf2)
    add_custom_command(OUTPUT ${font}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/sf2
      COMMAND ${QRB_WEB_SF2_CUT} ${QRB_WEB_DATA}/sf2/TimGM6mb.sf2 ${font} ${midis}
      DEPENDS ${QRB_WEB_SF2_CUT} ${QRB_WEB_DATA}/sf2/TimGM6mb.sf2 ${midis}
      COMMENT "Cutting the sound font to the presets of ${target}'s music" VERBATIM)
    add_custom_target(${target}_sf2 DEPENDS ${font})
    add_dependencies(${target} ${target}_sf2)
    target_link_options(${target} PRIVATE "SHELL:--preload-file ${font}@/usr/share/sounds/sf2/TimGM6mb.sf2")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${font})
    # The music's library: only a page with music loads it.
    set(QRB_PAGE_MUSIC_SCRIPT "<script async src=\"libfluidsynth-2.3.0.js\"></script>")
    set(QRB_PAGE_MUSIC true)
  else()
    set(QRB_PAGE_MUSIC_SCRIPT "")
    set(QRB_PAGE_MUSIC false)
  endif()
  set(page ${target}.html)
  if(target STREQUAL "quorbix")
    set(page index.html)
  endif()
  set(QRB_PAGE_TITLE ${title})
  set(QRB_PROGRAM ${target})
  set(QRB_PAGE_ICON "icon.png")
  configure_file(${CMAKE_SOURCE_DIR}/platform/web/page/index.html.in ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${page} @ONLY)
endfunction()

# The page's own files, shared by every page.
file(MAKE_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
foreach(file quorbix-page.js quorbix-audio.js)
  configure_file(${CMAKE_SOURCE_DIR}/platform/web/page/${file} ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${file} COPYONLY)
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/packaging/icons/quorbix-32.png ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/icon.png COPYONLY)
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
