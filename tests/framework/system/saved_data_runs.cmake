# The best-score example kept across restarts: best-score-headless run again and again with one
# --data folder loads what the run before it saved; without --data it reads and writes nothing,
# not even in the user's own data folder; a damaged file is refused and the run goes on.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/home ${WORK}/xdg ${WORK}/cwd)
# Clicks at frames 3, 6, ... (COUNT of them), all inside the five-second round.
function(clicks count file)
  set(text "")
  if(count EQUAL 0)
    file(WRITE ${file} "")
    return()
  endif()
  foreach(i RANGE 1 ${count})
    math(EXPR f "${i} * 3")
    string(APPEND text "${f} ldown\n${f} lup\n")
  endforeach()
  file(WRITE ${file} "${text}")
endfunction()
# Runs the program in WORK/cwd with the user's folders in WORK; FIRST_BEST and LAST_BEST get the
# best score of the first and last trace lines, RUN_ERR its standard error.
function(run name count)
  clicks(${count} ${WORK}/${name}.txt)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${WORK}/home XDG_DATA_HOME=${WORK}/xdg
    ${PROGRAM} --frames 110 --trace ${WORK}/${name}.jsonl ${ARGN} ${WORK}/${name}.txt
    WORKING_DIRECTORY ${WORK}/cwd RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "run ${name} ended with ${rc}: ${err}")
  endif()
  file(STRINGS ${WORK}/${name}.jsonl lines)
  list(GET lines 1 first)   # after the header line
  list(GET lines -1 last)
  string(REGEX MATCH "\"best\":([0-9]+)" _ "${first}")
  set(FIRST_BEST ${CMAKE_MATCH_1} PARENT_SCOPE)
  string(REGEX MATCH "\"best\":([0-9]+)" _ "${last}")
  set(LAST_BEST ${CMAKE_MATCH_1} PARENT_SCOPE)
  set(RUN_ERR "${err}" PARENT_SCOPE)
endfunction()
function(expect what actual expected)
  if(NOT "${actual}" STREQUAL "${expected}")
    message(FATAL_ERROR "${what}: expected ${expected}, got '${actual}'")
  endif()
endfunction()

# The folder is made; the first run starts from nothing and saves 2.
run(first 2 --data ${WORK}/data/best)
expect("the first run's best at start" "${FIRST_BEST}" 0)
expect("the first run's best at the end" "${LAST_BEST}" 2)
if(NOT EXISTS ${WORK}/data/best/best-score.dat)
  message(FATAL_ERROR "the first run saved nothing in --data's folder")
endif()
# A worse round keeps it; a better one replaces it.
run(second 1 --data ${WORK}/data/best)
expect("the second run's loaded best" "${FIRST_BEST}" 2)
expect("the second run's best" "${LAST_BEST}" 2)
run(third 3 --data ${WORK}/data/best)
run(fourth 0 --data ${WORK}/data/best)
expect("the fourth run's loaded best" "${FIRST_BEST}" 3)

# Without --data nothing is loaded or written anywhere.
run(plain 1)
expect("a run without --data loads" "${FIRST_BEST}" 0)
foreach(folder home xdg cwd)
  file(GLOB_RECURSE left ${WORK}/${folder}/*)
  if(left)
    message(FATAL_ERROR "a run without --data wrote ${left}")
  endif()
endforeach()

# A damaged file (one byte of the score changed) is refused with a message; the run goes on from
# nothing and saves its own best over it.
file(READ ${WORK}/data/best/best-score.dat hex HEX)
string(SUBSTRING "${hex}" 0 32 header)
# Written as bytes: the header as it was, then 7 in place of 3.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" escaped "${header}07000000")
execute_process(COMMAND printf "${escaped}" OUTPUT_FILE ${WORK}/data/best/best-score.dat)
run(damaged 1 --data ${WORK}/data/best)
expect("the damaged file's best" "${FIRST_BEST}" 0)
expect("the best after the damaged file" "${LAST_BEST}" 1)
if(NOT RUN_ERR MATCHES "best-score.dat' is not used: it is damaged")
  message(FATAL_ERROR "the damaged file was not said: ${RUN_ERR}")
endif()
run(after 0 --data ${WORK}/data/best)
expect("the best saved over the damaged file" "${FIRST_BEST}" 1)
