# Runs make-assets into a scratch directory and compares its files with the committed assets/
# examples/WIPE.BMP and packaging/icons/. Called by CTest with GENERATOR, ASSETS, EXAMPLES, ICONS and WORK.
include(${CMAKE_CURRENT_LIST_DIR}/generated_files.cmake)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK} ${WORK}/examples ${WORK}/icons)

run_generator(${WORK})
foreach(name CHARA.bmp HIT.wav QRBX.MID ICON.bmp)
  expect_generated(${ASSETS}/${name} ${WORK}/${name} assets/${name} make-assets)
endforeach()
run_generator(--examples ${WORK}/examples)
expect_generated(${EXAMPLES}/WIPE.BMP ${WORK}/examples/WIPE.BMP examples/WIPE.BMP make-assets)
run_generator(--icons ${WORK}/icons)
foreach(size 16 32 48 64 128 192 256 512)
  expect_generated(${ICONS}/quorbix-${size}.png ${WORK}/icons/quorbix-${size}.png
    packaging/icons/quorbix-${size}.png make-assets)
endforeach()
expect_generated(${ICONS}/quorbix.ico ${WORK}/icons/quorbix.ico packaging/icons/quorbix.ico make-assets)
file(GLOB leftovers ${WORK}/*.tmp ${WORK}/examples/*.tmp ${WORK}/icons/*.tmp)
if(leftovers)
  message(FATAL_ERROR "make-assets left temporary files behind: ${leftovers}")
endif()

# A directory that does not exist is an error, not a silent success.
execute_process(COMMAND ${GENERATOR} ${WORK}/missing RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "not a directory")
  message(FATAL_ERROR "make-assets into a missing directory: expected an error, got exit ${rc}: ${err}")
endif()
