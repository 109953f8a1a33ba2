# What `make run` installs is enough to configure the game: with GoogleTest and Google Benchmark
# hidden, a fresh tree configures, says what it leaves out and still makes the game's programs;
# asking for the tests (QRB_TESTS=ON, as scripts/test does) then fails and names the package.
#   cmake -DSOURCE=DIR -DWORK=DIR -P build_without_test_packages.cmake
file(REMOVE_RECURSE ${WORK})
set(hidden -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON)
execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK} -G Ninja ${hidden}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "without GoogleTest and Google Benchmark the tree does not configure:\n${out}\n${err}")
endif()
foreach(said "QRB_TESTS=AUTO: left out, GoogleTest" "QRB_BENCH=AUTO: left out")
  string(FIND "${out}" "${said}" at)
  if(at LESS 0)
    message(FATAL_ERROR "configuring does not say '${said}':\n${out}")
  endif()
endforeach()
file(READ ${WORK}/build.ninja ninja)
foreach(program quorbix quorbix-headless quorbix-gallery)
  if(NOT ninja MATCHES "build bin/${program}:")
    message(FATAL_ERROR "the tree without the tests' packages does not make bin/${program}")
  endif()
endforeach()
if(ninja MATCHES "build bin/(quorbix-tests|framework-examples-test|bench-[a-z]+):")
  message(FATAL_ERROR "the tree without the tests' packages still makes bin/${CMAKE_MATCH_1}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK} -DQRB_TESTS=ON
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "QRB_TESTS=ON needs GoogleTest \\(libgtest-dev\\)")
  message(FATAL_ERROR "QRB_TESTS=ON without GoogleTest: status ${rc}:\n${err}")
endif()
file(REMOVE_RECURSE ${WORK})
