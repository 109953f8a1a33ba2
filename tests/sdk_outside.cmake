# Installs the SDK into a temporary prefix, builds the guide's outside project (examples/outside
# with the first-scene example) against it, and runs it headless.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/src)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${WORK}/prefix --component sdk
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "installing the SDK failed")
endif()
# The project as a game writer has it: its own folder, nothing of this tree but the example.
file(COPY ${SOURCE}/examples/outside/ DESTINATION ${WORK}/src)
file(COPY ${SOURCE}/examples/first_scene.cpp DESTINATION ${WORK}/src)
file(COPY ${SOURCE}/examples/examples.h DESTINATION ${WORK}/src/examples)
execute_process(COMMAND ${CMAKE_COMMAND} -S ${WORK}/src -B ${WORK}/build -G Ninja
    -DCMAKE_PREFIX_PATH=${WORK}/prefix -DCMAKE_BUILD_TYPE=${BUILD_TYPE}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "configuring the outside project failed:\n${out}\n${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK}/build RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "building the outside project failed:\n${out}\n${err}")
endif()
# The sprite sheet lies beside the program, as a game writer's own bitmap would.
file(COPY ${SOURCE}/assets/CHARA.bmp DESTINATION ${WORK}/build)
file(WRITE ${WORK}/script.txt "3 move 100 100\n3 ldown\n3 lup\n")
execute_process(COMMAND ${WORK}/build/first-scene-headless --frames 20 --trace ${WORK}/trace.jsonl ${WORK}/script.txt
  RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the outside program failed (${rc}): ${err}")
endif()
file(STRINGS ${WORK}/trace.jsonl lines)
list(LENGTH lines n)
list(GET lines 20 last)
if(NOT n EQUAL 21 OR NOT last MATCHES "\"frame\":20,.*\"ran\":1" OR NOT last MATCHES "\"boxes\":\\[\\]")
  message(FATAL_ERROR "expected 20 frames run without an error box, got ${n} lines ending ${last}")
endif()
message(STATUS "the outside project built against the installed SDK and ran 20 frames")
