# Runs quorbix-gallery-headless as a user would: one picture per page with --frames-dir alone,
# the runner's frame dump with --dump, and refused options.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
function(expect_run code)
  execute_process(COMMAND ${GALLERY} ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL ${code})
    message(FATAL_ERROR "quorbix-gallery-headless ${ARGN}: expected exit ${code}, got ${rc}\n${out}\n${err}")
  endif()
endfunction()

expect_run(0 --help)
expect_run(2 --bogus)
expect_run(2 --frames-dir)
file(WRITE ${WORK}/file "")
expect_run(2 --frames-dir ${WORK}/file/pages)

# 200 frame numbers reach the showcases of the first three pages (frames 21, 101 and 181).
expect_run(0 --frames 200 --frames-dir ${WORK}/pages)
file(GLOB pages RELATIVE ${WORK}/pages ${WORK}/pages/*.png)
list(SORT pages)
if(NOT pages STREQUAL "01-wave-object.png;02-tile-object.png;03-wave-scroll-object.png")
  message(FATAL_ERROR "page pictures: ${pages}")
endif()

expect_run(0 --frames 5 --frames-dir ${WORK}/dump --dump 2,5)
file(GLOB dumped RELATIVE ${WORK}/dump ${WORK}/dump/*.png)
list(SORT dumped)
if(NOT dumped STREQUAL "frame-000002.png;frame-000005.png")
  message(FATAL_ERROR "dumped frames: ${dumped}")
endif()
