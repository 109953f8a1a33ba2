# Runs make-corpus into a scratch directory and compares its g-* files with the committed ones
# under fuzz/corpus/ (both ways: none missing, none left over). Called by CTest with GENERATOR,
# CORPUS and WORK.
include(${CMAKE_CURRENT_LIST_DIR}/generated_files.cmake)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
run_generator(${WORK})
file(GLOB_RECURSE made RELATIVE ${WORK} ${WORK}/*/g-*)
file(GLOB_RECURSE committed RELATIVE ${CORPUS} ${CORPUS}/*/g-*)
list(SORT made)
list(SORT committed)
if(NOT made STREQUAL committed)
  message(FATAL_ERROR "fuzz/corpus does not hold the generated seeds: run "
    "'cmake --build build --target make-corpus' and commit the result")
endif()
foreach(name ${made})
  expect_generated(${CORPUS}/${name} ${WORK}/${name} fuzz/corpus/${name} make-corpus)
endforeach()
