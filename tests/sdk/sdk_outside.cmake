# Installs the SDK into a temporary prefix with the guide's own command, copies examples/outside
# alone into a folder of its own and builds it against the SDK twice: with its CMakeLists.txt
# (a static game library on Quorbix::framework, the backends linked after it) and with a plain
# compiler command through pkg-config --define-prefix --static. Each program runs headless; any
# message box in any frame, or anything on stderr, fails the test.
include(${CMAKE_CURRENT_LIST_DIR}/sdk_project.cmake)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(READ ${SOURCE}/docs/framework.md guide)
string(FIND "${guide}" "cmake --install build --prefix ~/quorbix-sdk --component sdk" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the guide no longer shows the install command this test runs")
endif()
sdk_install(${BUILD} ${WORK}/prefix)
# The project as a game writer has it: its own folder, nothing of this tree but the example.
file(COPY ${SOURCE}/examples/outside/ DESTINATION ${WORK}/src)
sdk_expect_defines(${WORK}/src LINUX)

function(check_run program label)
  file(WRITE ${WORK}/script.txt "3 move 100 100\n3 ldown\n3 lup\n")
  execute_process(COMMAND ${program} --frames 20 --trace ${WORK}/${label}.jsonl ${WORK}/script.txt
    WORKING_DIRECTORY ${WORK} RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT err STREQUAL "")
    message(FATAL_ERROR "${label}: the outside program failed (${rc}): ${err}")
  endif()
  sdk_check_outside_trace(${WORK}/${label}.jsonl ${label})
endfunction()

sdk_build_project("the outside project" ${WORK}/src ${WORK}/build -DCMAKE_PREFIX_PATH=${WORK}/prefix
  -DCMAKE_BUILD_TYPE=${BUILD_TYPE})
check_run(${WORK}/build/first-scene-headless cmake)

# pkg-config from a prefix it was not configured for: only --define-prefix or ${pcfiledir} finds it.
file(RENAME ${WORK}/prefix ${WORK}/moved)
find_program(PKG_CONFIG pkg-config REQUIRED)
set(ENV{PKG_CONFIG_PATH} ${WORK}/moved/${LIBDIR}/pkgconfig)
file(MAKE_DIRECTORY ${WORK}/pc)
foreach(backend headless sdl)
  if(NOT EXISTS ${WORK}/moved/${LIBDIR}/pkgconfig/quorbix-${backend}.pc)
    continue()
  endif()
  execute_process(COMMAND ${PKG_CONFIG} --define-prefix --static --cflags --libs quorbix-${backend}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "pkg-config quorbix-${backend}: ${err}")
  endif()
  separate_arguments(flags UNIX_COMMAND "${flags}")
  if(backend STREQUAL "headless")
    set(main headless_main.cpp)
  else()
    set(main window_main.cpp)
  endif()
  execute_process(COMMAND ${CXX} -o ${WORK}/pc/first-scene-${backend} ${main} first_scene.cpp ${flags}
    WORKING_DIRECTORY ${WORK}/src RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "building with pkg-config quorbix-${backend} failed:\n${flags}\n${err}")
  endif()
endforeach()
file(COPY ${WORK}/src/CHARA DESTINATION ${WORK}/pc)
check_run(${WORK}/pc/first-scene-headless pkg-config)
message(STATUS "the outside project built against the installed SDK (CMake and pkg-config) and ran")
