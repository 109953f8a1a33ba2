# Installs the SDK into a temporary prefix, has its quorbix-new write a project into a folder of
# its own, and configures, builds and tests that project as written.
include(${CMAKE_CURRENT_LIST_DIR}/sdk_project.cmake)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
sdk_install(${BUILD} ${WORK}/prefix)
sdk_step("quorbix-new" ${CMAKE_COMMAND} -E chdir ${WORK} ${WORK}/prefix/bin/quorbix-new my-game)
# A second run must not write over the project.
execute_process(COMMAND ${WORK}/prefix/bin/quorbix-new my-game WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
if(rc EQUAL 0)
  message(FATAL_ERROR "quorbix-new wrote over an existing folder")
endif()
sdk_build_project("quorbix-new's project" ${WORK}/my-game ${WORK}/my-game/build -DCMAKE_PREFIX_PATH=${WORK}/prefix)
# The new game sees the framework through the public headers alone: the compiler says nothing of
# the framework's own.
if(SDK_BUILD_OUTPUT MATCHES "is the framework's own")
  message(FATAL_ERROR "the new project includes the framework's own headers:\n${SDK_BUILD_OUTPUT}")
endif()
sdk_step("the new project's test" ${CMAKE_CTEST_COMMAND} --test-dir ${WORK}/my-game/build --output-on-failure)
message(STATUS "quorbix-new's project configured, built and passed its test")
