# What the checks of generated files share: running the generator, and comparing a committed
# file with the one it writes now. Included by assets_check.cmake and corpus_check.cmake.

# Runs GENERATOR with the arguments given; fails the test unless it exits 0.
function(run_generator)
  execute_process(COMMAND ${GENERATOR} ${ARGN} RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    get_filename_component(name ${GENERATOR} NAME)
    string(REPLACE ";" " " args "${ARGN}")
    message(FATAL_ERROR "${name} ${args}: expected exit 0, got ${rc}\n${err}")
  endif()
endfunction()

# Fails the test unless COMMITTED (shown as SHOWN) has the bytes of MADE; TARGET rewrites it.
function(expect_generated committed made shown target)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${committed} ${made} RESULT_VARIABLE differ)
  if(NOT differ EQUAL 0)
    message(FATAL_ERROR "${shown} is not what the generator writes: run "
      "'cmake --build build --target ${target}' and commit the result")
  endif()
endfunction()
