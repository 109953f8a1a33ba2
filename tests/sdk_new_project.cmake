# Installs the SDK into a temporary prefix, has its quorbix-new write a project into a folder of
# its own, and configures, builds and tests that project as written.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${WORK}/prefix --component sdk
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "installing the SDK failed")
endif()
execute_process(COMMAND ${WORK}/prefix/bin/quorbix-new my-game WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "quorbix-new failed (${rc}): ${err}")
endif()
# A second run must not write over the project.
execute_process(COMMAND ${WORK}/prefix/bin/quorbix-new my-game WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
if(rc EQUAL 0)
  message(FATAL_ERROR "quorbix-new wrote over an existing folder")
endif()
foreach(step
    "${CMAKE_COMMAND};-S;my-game;-B;my-game/build;-G;Ninja;-DCMAKE_PREFIX_PATH=${WORK}/prefix"
    "${CMAKE_COMMAND};--build;my-game/build"
    "${CMAKE_CTEST_COMMAND};--test-dir;my-game/build;--output-on-failure")
  execute_process(COMMAND ${step} WORKING_DIRECTORY ${WORK} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${step} failed:\n${out}\n${err}")
  endif()
endforeach()
message(STATUS "quorbix-new's project configured, built and passed its test")
