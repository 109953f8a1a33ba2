# Runs make-assets into a scratch directory and compares its files with the committed assets/
# examples/WIPE.BMP and packaging/icons/. Called by CTest with GENERATOR, ASSETS, EXAMPLES, ICONS and WORK.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

execute_process(COMMAND ${GENERATOR} ${WORK} RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "make-assets ${WORK}: expected exit 0, got ${rc}\n${err}")
endif()
foreach(name CHARA.bmp HIT.wav QRBX.MID ICON.bmp)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${ASSETS}/${name} ${WORK}/${name} RESULT_VARIABLE differ)
  if(NOT differ EQUAL 0)
    message(FATAL_ERROR "assets/${name} is not what the generator writes: run "
      "'cmake --build build --target make-assets' and commit the result")
  endif()
endforeach()
file(MAKE_DIRECTORY ${WORK}/examples)
execute_process(COMMAND ${GENERATOR} --examples ${WORK}/examples RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "make-assets --examples ${WORK}/examples: expected exit 0, got ${rc}\n${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${EXAMPLES}/WIPE.BMP ${WORK}/examples/WIPE.BMP
  RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "examples/WIPE.BMP is not what the generator writes: run "
    "'cmake --build build --target make-assets' and commit the result")
endif()
file(MAKE_DIRECTORY ${WORK}/icons)
execute_process(COMMAND ${GENERATOR} --icons ${WORK}/icons RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "make-assets --icons ${WORK}/icons: expected exit 0, got ${rc}\n${err}")
endif()
foreach(size 16 32 48 64 128 256)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${ICONS}/quorbix-${size}.png ${WORK}/icons/quorbix-${size}.png
    RESULT_VARIABLE differ)
  if(NOT differ EQUAL 0)
    message(FATAL_ERROR "packaging/icons/quorbix-${size}.png is not what the generator writes: run "
      "'cmake --build build --target make-assets' and commit the result")
  endif()
endforeach()
file(GLOB leftovers ${WORK}/*.tmp ${WORK}/examples/*.tmp ${WORK}/icons/*.tmp)
if(leftovers)
  message(FATAL_ERROR "make-assets left temporary files behind: ${leftovers}")
endif()

# A directory that does not exist is an error, not a silent success.
execute_process(COMMAND ${GENERATOR} ${WORK}/missing RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "not a directory")
  message(FATAL_ERROR "make-assets into a missing directory: expected an error, got exit ${rc}: ${err}")
endif()
