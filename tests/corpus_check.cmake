# Runs make-corpus into a scratch directory and compares its g-* files with the committed ones
# under fuzz/corpus/ (both ways: none missing, none left over). Called by CTest with GENERATOR,
# CORPUS and WORK.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${GENERATOR} ${WORK} RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "make-corpus ${WORK}: expected exit 0, got ${rc}\n${err}")
endif()
file(GLOB_RECURSE made RELATIVE ${WORK} ${WORK}/*/g-*)
file(GLOB_RECURSE committed RELATIVE ${CORPUS} ${CORPUS}/*/g-*)
list(SORT made)
list(SORT committed)
if(NOT made STREQUAL committed)
  message(FATAL_ERROR "fuzz/corpus does not hold the generated seeds: run "
    "'cmake --build build --target make-corpus' and commit the result")
endif()
foreach(name ${made})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${CORPUS}/${name} ${WORK}/${name} RESULT_VARIABLE differ)
  if(NOT differ EQUAL 0)
    message(FATAL_ERROR "fuzz/corpus/${name} is not what the generator writes: run "
      "'cmake --build build --target make-corpus' and commit the result")
  endif()
endforeach()
