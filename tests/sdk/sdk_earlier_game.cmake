# A game written against the SDK as it was installed before the public headers builds unchanged
# against the SDK as it is: the template of that time (tests/sdk/template-1.0), written out as
# quorbix-new wrote it, with one more file that includes the headers an earlier layout had in
# other places. The compiler is told, for each, which public header to include instead; the
# game's own test passes.
include(${CMAKE_CURRENT_LIST_DIR}/sdk_project.cmake)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/earlier)
sdk_install(${BUILD} ${WORK}/prefix)
file(GLOB files ${SOURCE}/tests/sdk/template-1.0/*)
foreach(file ${files})
  get_filename_component(name ${file} NAME)
  if(name STREQUAL "README")
    continue()
  endif()
  file(READ ${file} text)
  string(REPLACE "NEWGAME" "earlier" text "${text}")
  file(WRITE ${WORK}/earlier/${name} "${text}")
endforeach()
file(COPY ${WORK}/prefix/share/quorbix/new/SPRITES ${WORK}/prefix/share/quorbix/new/BEEP DESTINATION ${WORK}/earlier)
file(WRITE ${WORK}/earlier/moved_paths.cpp [=[
// Headers by the paths an earlier layout had, as a game of that time includes them.
#include "framework/shell/app_state.h"
#include "framework/system/code_page.h"
#include "platform/window.h"

int MovedPathsStillWork() {
    static const elSystem::CodePageText kText("移動");
    return Shell.SceneId + platform::SW_SHOWNORMAL + (kText.c_str()[0] != '\0' ? 1 : 0);
}
]=])
file(APPEND ${WORK}/earlier/CMakeLists.txt "target_sources(earlier-game PRIVATE moved_paths.cpp)\n")
sdk_build_project("the earlier template's game" ${WORK}/earlier ${WORK}/earlier/build
  -DCMAKE_PREFIX_PATH=${WORK}/prefix)
foreach(note
    "framework/shell/frame_loop.h is the framework's own; include <quorbix/program.h> instead"
    "framework/draw/blit.h is the framework's own; include <quorbix/draw.h> instead"
    "framework/runner/headless_runner.h is the framework's own; include <quorbix/headless.h> instead"
    "framework/shell/app_state.h moved; include <quorbix/program.h> instead"
    "platform/window.h moved; include <quorbix/program.h> instead")
  string(FIND "${SDK_BUILD_OUTPUT}" "${note}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the build did not say '${note}':\n${SDK_BUILD_OUTPUT}")
  endif()
endforeach()
sdk_step("the earlier game's test" ${CMAKE_CTEST_COMMAND} --test-dir ${WORK}/earlier/build --output-on-failure)
message(STATUS "the earlier template's game built against this SDK, was told of the public headers and passed its test")
