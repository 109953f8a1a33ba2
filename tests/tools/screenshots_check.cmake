# Runs tools/screenshots into a scratch directory and compares the pictures with docs/images/.
# Called by CTest with SOURCE, RUNNER, GALLERY and WORK.
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} -E env QRB_RUNNER=${RUNNER} QRB_GALLERY=${GALLERY} ${SOURCE}/tools/screenshots ${WORK}
  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "tools/screenshots ${WORK}: exit ${rc}\n${err}")
endif()
foreach(name title.png play.png play.gif result.png title-en.png result-en.png gallery-mosaic-object.png gallery-transition-2-bands.png
    gallery-scroll-page.png gallery-wipe-open-5.png gallery-input.png)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SOURCE}/docs/images/${name} ${WORK}/${name}
    RESULT_VARIABLE differ)
  if(NOT differ EQUAL 0)
    message(FATAL_ERROR "docs/images/${name} is not what tools/screenshots makes now: run "
      "tools/screenshots and commit the result")
  endif()
endforeach()
