# The Windows SDK as a game writer gets it: the package unzipped into a folder of its own, and
# examples/outside, copied alone, cross-built against its sdk/ with the MinGW-w64 toolchain file.
# Both programs must link; where Wine is there, the headless one runs a short script and its
# trace must show the click reaching the counting scene, with no message box and no error.
# Skipped (the output says so) when there is no package: make windows makes it.
#   cmake -DZIP=... -DSOURCE=... -DWORK=... [-DWINE=...] -P windows_sdk_outside.cmake
include(${CMAKE_CURRENT_LIST_DIR}/sdk_project.cmake)
if(NOT EXISTS ${ZIP})
  message("windows test skipped: no ${ZIP} (make windows makes it)")
  return()
endif()
file(REMOVE_RECURSE ${WORK}/unpacked ${WORK}/src ${WORK}/build)
file(MAKE_DIRECTORY ${WORK}/unpacked)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${ZIP} WORKING_DIRECTORY ${WORK}/unpacked
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT EXISTS ${WORK}/unpacked/sdk/lib/cmake/Quorbix/QuorbixConfig.cmake)
  message(FATAL_ERROR "the package holds no SDK (sdk/lib/cmake/Quorbix/QuorbixConfig.cmake)")
endif()
file(COPY ${SOURCE}/examples/outside/ DESTINATION ${WORK}/src)
sdk_expect_defines(${WORK}/src WINDOWS)

sdk_build_project("the outside project against the Windows SDK" ${WORK}/src ${WORK}/build
  -DCMAKE_TOOLCHAIN_FILE=${SOURCE}/cmake/mingw-w64-x86_64.cmake -DQRB_WINDOWS_PREFIX=${WORK}/unpacked/sdk
  -DCMAKE_BUILD_TYPE=Release)
foreach(program first-scene-headless.exe first-scene.exe)
  if(NOT EXISTS ${WORK}/build/${program})
    message(FATAL_ERROR "the outside project made no ${program}")
  endif()
endforeach()

if(NOT WINE)
  message("the outside project links against the Windows SDK; not run: no wine")
  return()
endif()
# A Wine prefix of the test's own, made on the first run and kept for the next.
set(ENV{WINEPREFIX} ${WORK}/wineprefix)
set(ENV{WINEDEBUG} -all)
set(ENV{WINEDLLOVERRIDES} "mscoree,mshtml=")
unset(ENV{DISPLAY})
if(NOT EXISTS ${WORK}/wineprefix/system.reg)
  # The first start makes the prefix (half a minute); a program started during it may not run.
  execute_process(COMMAND ${WINE} wineboot -i OUTPUT_QUIET ERROR_QUIET TIMEOUT 300)
  execute_process(COMMAND wineserver -w TIMEOUT 120)
endif()
file(WRITE ${WORK}/build/script.txt "3 move 100 100\n3 ldown\n3 lup\n")
execute_process(COMMAND ${WINE} first-scene-headless.exe --frames 20 --trace trace.jsonl script.txt
  WORKING_DIRECTORY ${WORK}/build RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 240)
execute_process(COMMAND wineserver -w TIMEOUT 60)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "first-scene-headless.exe under Wine failed (${rc}):\n${out}\n${err}")
endif()
sdk_check_outside_trace(${WORK}/build/trace.jsonl "first-scene-headless.exe under Wine")
