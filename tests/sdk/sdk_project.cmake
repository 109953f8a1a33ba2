# What the SDK tests share (included by sdk_new_project.cmake, sdk_outside.cmake,
# sdk_earlier_game.cmake and windows_sdk_outside.cmake): the SDK installed into a prefix, a
# project configured and built against it, each step's failure said with what it printed, and
# the check of the outside example's trace.

# Runs a step; a failure stops the test with `what` and the step's output.
function(sdk_step what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}\n${err}")
  endif()
  set(SDK_STEP_OUTPUT "${out}${err}" PARENT_SCOPE)
endfunction()

# Installs the SDK component of the build tree `build` into `prefix`.
function(sdk_install build prefix)
  sdk_step("installing the SDK" ${CMAKE_COMMAND} --install ${build} --prefix ${prefix} --component sdk)
endfunction()

# Configures the project in `src` into `bin` (Ninja, with the further cmake options given) and
# builds it; SDK_BUILD_OUTPUT holds what the compiler said.
function(sdk_build_project what src bin)
  sdk_step("configuring ${what}" ${CMAKE_COMMAND} -S ${src} -B ${bin} -G Ninja ${ARGN})
  sdk_step("building ${what}" ${CMAKE_COMMAND} --build ${bin} -- -v)
  set(SDK_BUILD_OUTPUT "${SDK_STEP_OUTPUT}" PARENT_SCOPE)
endfunction()

# The outside example's trace after "3 move 100 100, 3 ldown, 3 lup" and 20 frames: a header and
# 20 frames, each run, none with a box or an error, the click taking the menu to the counting
# scene, which drew the loaded sheet.
function(sdk_check_outside_trace trace label)
  file(STRINGS ${trace} lines)
  list(LENGTH lines n)
  if(NOT n EQUAL 21)
    message(FATAL_ERROR "${label}: expected a header and 20 frames, got ${n} lines")
  endif()
  list(REMOVE_AT lines 0)
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "\"ran\":1" OR NOT line MATCHES "\"boxes\":\\[\\]" OR line MATCHES "rror")
      message(FATAL_ERROR "${label}: a frame with a box or an error:\n${line}")
    endif()
  endforeach()
  list(GET lines 19 last)
  if(NOT last MATCHES "\"scene\":1," OR NOT last MATCHES "\"objects\":1,")
    message(FATAL_ERROR "${label}: the click did not reach the counting scene: ${last}")
  endif()
endfunction()

# Appends to the outside project's two mains in `src` the check that the SDK defines what they
# are built for: QUORBIX_HEADLESS in the headless program alone, QUORBIX_WINDOWS in both with
# the Windows SDK (`system` WINDOWS), QUORBIX_WEB in the page (WEB), neither on LINUX. A wrong
# define stops their compiling.
function(sdk_expect_defines src system)
  set(checks "")
  foreach(define WINDOWS WEB)
    if(system STREQUAL define)
      string(APPEND checks "\n#ifndef QUORBIX_${define}\n#error QUORBIX_${define} is not defined\n#endif\n")
    else()
      string(APPEND checks "\n#ifdef QUORBIX_${define}\n#error QUORBIX_${define} is defined\n#endif\n")
    endif()
  endforeach()
  file(APPEND ${src}/headless_main.cpp "${checks}\n#ifndef QUORBIX_HEADLESS\n#error QUORBIX_HEADLESS is not defined\n#endif\n")
  file(APPEND ${src}/window_main.cpp "${checks}\n#ifdef QUORBIX_HEADLESS\n#error QUORBIX_HEADLESS is defined in a window\n#endif\n")
endfunction()
