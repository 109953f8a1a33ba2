# The template of a new game, checked by check-layers as it is and with one of the framework's own
# headers planted in it: the copy as it is passes, the planted one is refused with its line named.
# Called by CTest with SOURCE and WORK.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(READ ${SOURCE}/packaging/sdk/new/game.cpp game)
file(WRITE ${WORK}/as-is.cpp "${game}")
string(REPLACE "#include <quorbix/draw.h>" "#include <quorbix/draw.h>\n#include \"framework/draw/blit.h\"" planted "${game}")
if(planted STREQUAL game)
  message(FATAL_ERROR "the template no longer includes <quorbix/draw.h>: nothing to plant beside")
endif()
file(WRITE ${WORK}/planted.cpp "${planted}")
execute_process(COMMAND ${SOURCE}/scripts/check-layers --as packaging/sdk/new ${WORK}/as-is.cpp
  RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the template as it is was refused (${rc}): ${out}")
endif()
execute_process(COMMAND ${SOURCE}/scripts/check-layers --as packaging/sdk/new ${WORK}/planted.cpp
  RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 1 OR NOT out MATCHES "planted.cpp:[0-9]+: includes framework/draw/blit.h: a program includes the public headers")
  message(FATAL_ERROR "the planted include was not refused as expected (${rc}): ${out}")
endif()
