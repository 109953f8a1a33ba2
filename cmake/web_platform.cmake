# The web build's platform: the shared platform code that runs in a browser and the web backend
# (platform/web). What the desktop gets from system libraries comes from scripts/web-deps
# (FreeType built for WebAssembly, with Brotli's decoder for the WOFF2 fonts; libpng with zlib)
# and the generated code-page table; the music's library is a
# module of its own that the page loads (platform/sound/web/fluidsynth_bridge.cpp), declared to the
# sequencer by platform/sound/web/include/fluidsynth.h. The shared folders' web/ subfolders are
# built into their folders' libraries (CMakeLists.txt); platform/web is the backend.
set(QRB_WEB_DEPS "${CMAKE_SOURCE_DIR}/build-web/deps" CACHE PATH "Where scripts/web-deps installed FreeType")
set(QRB_WEB_GENERATED "${CMAKE_SOURCE_DIR}/build-web/generated" CACHE PATH "Where cp932_table.inc lies")
foreach(lib freetype/lib/libfreetype.a brotli/lib/libbrotlidec.a brotli/lib/libbrotlicommon.a
    png/lib/libpng.a zlib/lib/libz.a)
  if(NOT EXISTS ${QRB_WEB_DEPS}/${lib})
    message(FATAL_ERROR "${QRB_WEB_DEPS}/${lib} is missing: run scripts/web-deps")
  endif()
endforeach()
add_library(qrb_web_brotlicommon STATIC IMPORTED)
set_target_properties(qrb_web_brotlicommon PROPERTIES
  IMPORTED_LOCATION ${QRB_WEB_DEPS}/brotli/lib/libbrotlicommon.a)
add_library(qrb_web_brotlidec STATIC IMPORTED)
set_target_properties(qrb_web_brotlidec PROPERTIES
  IMPORTED_LOCATION ${QRB_WEB_DEPS}/brotli/lib/libbrotlidec.a
  INTERFACE_LINK_LIBRARIES qrb_web_brotlicommon)
add_library(qrb_web_freetype STATIC IMPORTED)
set_target_properties(qrb_web_freetype PROPERTIES
  IMPORTED_LOCATION ${QRB_WEB_DEPS}/freetype/lib/libfreetype.a
  INTERFACE_INCLUDE_DIRECTORIES ${QRB_WEB_DEPS}/freetype/include/freetype2
  INTERFACE_LINK_LIBRARIES "qrb_web_brotlidec;qrb_web_zlib")
# libpng and the zlib it inflates with, from the sources of the desktop's, for the PNG pictures.
add_library(qrb_web_zlib STATIC IMPORTED)
set_target_properties(qrb_web_zlib PROPERTIES
  IMPORTED_LOCATION ${QRB_WEB_DEPS}/zlib/lib/libz.a
  INTERFACE_INCLUDE_DIRECTORIES ${QRB_WEB_DEPS}/zlib/include)
add_library(qrb_web_png STATIC IMPORTED)
set_target_properties(qrb_web_png PROPERTIES
  IMPORTED_LOCATION ${QRB_WEB_DEPS}/png/lib/libpng.a
  INTERFACE_INCLUDE_DIRECTORIES ${QRB_WEB_DEPS}/png/include
  INTERFACE_LINK_LIBRARIES qrb_web_zlib)
add_library(qrb_web_fluidsynth INTERFACE)
target_include_directories(qrb_web_fluidsynth INTERFACE ${CMAKE_SOURCE_DIR}/platform/sound/web/include)
# The code page's table (platform/files/web/cp932_table.cpp) includes the generated cp932_table.inc.
add_library(qrb_web_generated INTERFACE)
target_include_directories(qrb_web_generated INTERFACE ${QRB_WEB_GENERATED})

# The web backend with the shared folders' objects, one static library.
function(qrb_web_platform)
  qrb_sources(WEB_SRC platform/web)
  add_library(qrb_platform_web STATIC ${WEB_SRC} ${QRB_PLATFORM_OBJECTS})
  target_include_directories(qrb_platform_web PRIVATE ${QRB_LAYERS}/platform)
  # FreeType and libpng are this tree's builds of them here, the web SDK's own copies where it
  # is installed.
  target_link_libraries(qrb_platform_web PUBLIC qrb_platform
    PRIVATE $<BUILD_INTERFACE:qrb_web_freetype> $<BUILD_INTERFACE:qrb_web_png>
      $<BUILD_INTERFACE:qrb_web_fluidsynth>
    INTERFACE $<INSTALL_INTERFACE:Quorbix::freetype> $<INSTALL_INTERFACE:Quorbix::png>)
  set_target_properties(qrb_platform_web PROPERTIES OUTPUT_NAME quorbix-platform-web)
endfunction()
