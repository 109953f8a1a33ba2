# The web SDK, installed by `scripts/build-web --install PREFIX` (cmake --install of the web build
# with --component sdk) into a prefix of its own: the headers, the framework's and the web
# platform's archives with FreeType for WebAssembly, the page's files (template, scripts, icon,
# the music library), the cut fonts with their licence and the sound font, and a CMake package
# that finds all of it from where it lies: find_package(Quorbix) under emcmake gives
# Quorbix::framework, Quorbix::web and quorbix_add_page (cmake/QuorbixPage.cmake).
set(QRB_SDK_PAGE_DIR ${CMAKE_INSTALL_DATADIR}/quorbix/page)
set(QRB_SDK_DATA_DIR ${QRB_SDK_PAGE_DIR}/data)
set(QRB_SDK_FREETYPE ${CMAKE_INSTALL_LIBDIR}/quorbix/libfreetype.a)
set(QRB_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Quorbix)

set_target_properties(qrb_platform PROPERTIES EXPORT_NAME platform)
set_target_properties(qrb_framework PROPERTIES EXPORT_NAME framework)
set_target_properties(qrb_platform_web PROPERTIES EXPORT_NAME platform-web)
install(TARGETS qrb_platform qrb_framework qrb_platform_web EXPORT QuorbixTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT sdk)
# FreeType reads the WOFF2 fonts through Brotli's decoder: both come along, and libpng with zlib.
install(FILES ${QRB_WEB_DEPS}/freetype/lib/libfreetype.a ${QRB_WEB_DEPS}/brotli/lib/libbrotlidec.a
  ${QRB_WEB_DEPS}/brotli/lib/libbrotlicommon.a ${QRB_WEB_DEPS}/png/lib/libpng.a
  ${QRB_WEB_DEPS}/zlib/lib/libz.a DESTINATION ${CMAKE_INSTALL_LIBDIR}/quorbix COMPONENT sdk)
# The public headers, and apart from them the framework's and the platform's own (as the desktop
# SDK lays them out, packaging/CMakeLists.txt). The headless runner is the desktop's; a page has
# none, nor <quorbix/headless.h>.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/include/quorbix/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/quorbix
  COMPONENT sdk FILES_MATCHING PATTERN "*.h" PATTERN "headless.h" EXCLUDE)
set(QRB_SDK_INTERNAL ${CMAKE_INSTALL_LIBDIR}/quorbix/include)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/framework/ DESTINATION ${QRB_SDK_INTERNAL}/framework
  COMPONENT sdk FILES_MATCHING PATTERN "*.h" PATTERN "runner" EXCLUDE)
# The desktop backends' headers are no use in a page; the web backend's own are private to it.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/platform/ DESTINATION ${QRB_SDK_INTERNAL}/platform
  COMPONENT sdk FILES_MATCHING PATTERN "*.h" PATTERN "sdl" EXCLUDE PATTERN "headless" EXCLUDE
  PATTERN "web" EXCLUDE PATTERN "desktop" EXCLUDE)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/packaging/sdk/moved/ DESTINATION ${QRB_SDK_INTERNAL} COMPONENT sdk)

install(FILES ${CMAKE_SOURCE_DIR}/platform/web/page/index.html.in ${CMAKE_SOURCE_DIR}/platform/web/page/quorbix-page.js
  ${CMAKE_SOURCE_DIR}/platform/web/page/quorbix-audio.js DESTINATION ${QRB_SDK_PAGE_DIR} COMPONENT sdk)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/icons/quorbix-32.png DESTINATION ${QRB_SDK_PAGE_DIR}
  RENAME icon.png COMPONENT sdk)
get_property(sizes GLOBAL PROPERTY QUORBIX_PAGE_ICON_SIZES)
foreach(size ${sizes})
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/icons/quorbix-${size}.png DESTINATION ${QRB_SDK_PAGE_DIR}/icons COMPONENT sdk)
endforeach()
# The native sound font cutter (built by the desktop build for this one), so that a page of one's
# own packs only what its music plays.
if(EXISTS ${QRB_WEB_SF2_CUT})
  install(PROGRAMS ${QRB_WEB_SF2_CUT} DESTINATION ${QRB_SDK_PAGE_DIR} COMPONENT sdk)
endif()
# The faces' cutter (python3 with fontTools runs it) and its native checker, so that a page of
# one's own packs the characters its program draws at start and fetches the whole faces later.
install(PROGRAMS ${CMAKE_SOURCE_DIR}/tools/page_chars.py ${CMAKE_SOURCE_DIR}/tools/web_font_subset.py
  DESTINATION ${QRB_SDK_PAGE_DIR} COMPONENT sdk)
if(EXISTS ${QRB_WEB_FACE_CHECK})
  install(PROGRAMS ${QRB_WEB_FACE_CHECK} DESTINATION ${QRB_SDK_PAGE_DIR} COMPONENT sdk)
endif()
if(QRB_WEB_FLUIDSYNTH_JS)
  install(FILES ${QRB_WEB_FLUIDSYNTH_JS} DESTINATION ${QRB_SDK_PAGE_DIR} RENAME libfluidsynth.js COMPONENT sdk)
  # Its module, where it lies beside it (the library built from source; the packaged one carries
  # its module inside).
  string(REGEX REPLACE "\\.js$" ".wasm" _synth_wasm ${QRB_WEB_FLUIDSYNTH_JS})
  if(EXISTS ${_synth_wasm})
    install(FILES ${_synth_wasm} DESTINATION ${QRB_SDK_PAGE_DIR} RENAME libfluidsynth.wasm COMPONENT sdk)
  endif()
  set(QRB_SDK_HAS_SYNTH_JS ON)
else()
  set(QRB_SDK_HAS_SYNTH_JS OFF)
endif()
install(DIRECTORY ${QRB_WEB_DATA}/fonts ${QRB_WEB_DATA}/sf2 DESTINATION ${QRB_SDK_DATA_DIR} COMPONENT sdk)

install(EXPORT QuorbixTargets NAMESPACE Quorbix:: DESTINATION ${QRB_CMAKE_DIR} COMPONENT sdk)
include(CMakePackageConfigHelpers)
configure_package_config_file(${CMAKE_SOURCE_DIR}/packaging/sdk/QuorbixWebConfig.cmake.in
  ${CMAKE_BINARY_DIR}/sdk/QuorbixConfig.cmake INSTALL_DESTINATION ${QRB_CMAKE_DIR}
  PATH_VARS QRB_SDK_PAGE_DIR QRB_SDK_DATA_DIR QRB_SDK_FREETYPE)
# The version file also holds the pointer size: the desktop SDK (64 bits) and this one (32) are
# each refused where the other's compiler runs, with a line saying so.
write_basic_package_version_file(${CMAKE_BINARY_DIR}/sdk/QuorbixConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/sdk/QuorbixConfig.cmake ${CMAKE_BINARY_DIR}/sdk/QuorbixConfigVersion.cmake
  ${CMAKE_CURRENT_LIST_DIR}/QuorbixPage.cmake DESTINATION ${QRB_CMAKE_DIR} COMPONENT sdk)
install(PROGRAMS ${CMAKE_CURRENT_LIST_DIR}/page_split_wasm.py DESTINATION ${QRB_CMAKE_DIR} COMPONENT sdk)
