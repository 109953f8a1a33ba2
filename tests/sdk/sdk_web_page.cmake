# Installs the web SDK from the web build (make web) into a temporary prefix, moves the prefix to
# a folder whose name holds a space (the SDK must find itself wherever it lies), copies
# examples/outside alone into a folder of its own, configures it with emcmake against the moved
# SDK, builds its page and loads it in headless chromium (tests/web/sdk-page-test.cjs). Prints one
# "SKIP: reason" line, and passes as skipped, without emscripten, the web build, node, chromium or
# puppeteer-core.
#   cmake -DSOURCE=TREE -DWEB_BUILD=TREE/build-web/cmake -DMODULES=NODE_MODULES -DNODE=node
#         -DWORK=DIR -P sdk_web_page.cmake
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

find_program(EMCMAKE emcmake)
if(NOT EMCMAKE)
  message("SKIP: no emcmake (scripts/setup-deps web installs emscripten)")
  return()
endif()
if(NOT EXISTS ${WEB_BUILD}/build.ninja OR NOT EXISTS ${WEB_BUILD}/libquorbix-platform-web.a)
  message("SKIP: the web build is missing in ${WEB_BUILD} (make web)")
  return()
endif()
if(NOT EXISTS ${MODULES}/puppeteer-core)
  message("SKIP: no puppeteer-core in ${MODULES} (make web)")
  return()
endif()
if(NOT NODE)
  message("SKIP: no node")
  return()
endif()
if(NOT EXISTS /usr/bin/chromium AND NOT EXISTS /usr/bin/chromium-browser AND "$ENV{CHROMIUM}" STREQUAL "")
  message("SKIP: no chromium (scripts/setup-deps test installs it; CHROMIUM=PATH names another)")
  return()
endif()
# The SDK's headers come from this tree and its archives from the web build: the build is brought
# up to date first (after scripts/build-web, as `make test` runs it, there is nothing to do).
# Debian's emscripten finds its JavaScript modules in Debian's node folder.
set(ENV{NODE_PATH} "/usr/share/nodejs")
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WEB_BUILD} --target qrb_framework qrb_platform_web
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "bringing the web build up to date failed:\n${out}\n${err}")
endif()

file(READ ${SOURCE}/docs/framework.md guide)
string(FIND "${guide}" "scripts/build-web --install ~/quorbix-web-sdk" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the guide no longer shows the web SDK's install command")
endif()
# What `scripts/build-web --install PREFIX` does once the web build is up to date.
execute_process(COMMAND ${CMAKE_COMMAND} --install ${WEB_BUILD} --prefix ${WORK}/prefix --component sdk
  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "installing the web SDK failed: ${err}")
endif()
set(sdk "${WORK}/web sdk")
file(RENAME ${WORK}/prefix ${sdk})
file(COPY ${SOURCE}/examples/outside/ DESTINATION ${WORK}/src)
include(${CMAKE_CURRENT_LIST_DIR}/sdk_project.cmake)
sdk_expect_defines(${WORK}/src WEB)

execute_process(COMMAND ${EMCMAKE} ${CMAKE_COMMAND} -S ${WORK}/src -B ${WORK}/build -G Ninja
    -DCMAKE_BUILD_TYPE=Release "-DQuorbix_DIR=${sdk}/lib/cmake/Quorbix"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "configuring the outside project with emcmake failed:\n${out}\n${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK}/build RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "building the outside project's page failed:\n${out}\n${err}")
endif()
# The page and everything it loads lie together in the build folder; nothing points back into
# the SDK or this tree.
foreach(file first-scene.html first-scene.js first-scene.wasm first-scene.data quorbix-page.js
    quorbix-audio.js libfluidsynth.js libfluidsynth.wasm icon.png fonts/LICENSE fonts/README)
  if(NOT EXISTS ${WORK}/build/${file})
    message(FATAL_ERROR "the outside project's build has no ${file}")
  endif()
endforeach()

execute_process(COMMAND ${NODE} ${SOURCE}/tests/web/sdk-page-test.cjs --pages ${WORK}/build
    --page first-scene.html --modules ${MODULES}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc EQUAL 77)
  message("${out}")
  return()
endif()
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the outside project's page in chromium:\n${out}\n${err}")
endif()
message(STATUS "the outside project became a page against the installed web SDK and ran in chromium: ${out}")
