# The program host's command line, as every program on the framework has it (the template's game
# here): --help lists the host's options, --version the program's own version, and what cannot
# run is refused before anything opens, with status 2 and a pointer to --help.
# Called by CTest with WINDOW (the windowed program), HEADLESS (its twin) and WORK.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
function(expect program status out_regex err_regex)
  execute_process(COMMAND ${program} ${ARGN} WORKING_DIRECTORY ${WORK} RESULT_VARIABLE rc
    OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 30)
  if(NOT rc EQUAL status OR NOT out MATCHES "${out_regex}" OR NOT err MATCHES "${err_regex}")
    message(FATAL_ERROR "${program} ${ARGN}: expected status ${status}, output '${out_regex}', errors "
      "'${err_regex}'; got ${rc}:\n${out}\n${err}")
  endif()
endfunction()
foreach(option --scale --fullscreen --trace --record --replay --lang --help --version)
  expect(${WINDOW} 0 "\n  ${option} " "^$" --help)
endforeach()
expect(${WINDOW} 0 "^NEWGAME 0.1\n$" "^$" --version)
expect(${WINDOW} 2 "^$" "--record and --replay cannot be used together\nTry 'NEWGAME --help'"
  --record ${WORK}/a.txt --replay ${WORK}/b.txt)
expect(${WINDOW} 2 "^$" "cannot read '${WORK}/missing.txt'" --replay ${WORK}/missing.txt)
expect(${WINDOW} 2 "^$" "--trace and --record name the same file" --trace ${WORK}/x --record ${WORK}/x)
# A language the framework has no texts in, refused with the list of those it has.
expect(${WINDOW} 2 "^$" "--lang takes one of ja, en, not 'fr'\nTry 'NEWGAME --help'" --lang fr --trace ${WORK}/x)
expect(${HEADLESS} 2 "^$" "--lang takes one of ja, en, not 'JA'\nTry 'NEWGAME-headless --help'" --lang=JA)
if(EXISTS ${WORK}/a.txt OR EXISTS ${WORK}/x)
  message(FATAL_ERROR "a refused command line wrote a file")
endif()
expect(${HEADLESS} 0 "\n  --check  " "^$" --help)
expect(${HEADLESS} 2 "^$" "--check needs a recorded session as SCRIPT\nTry 'NEWGAME-headless --help'" --check)
# A recording whose state comment is not what the recorder writes is refused by its line.
file(WRITE ${WORK}/bad.txt "1 move 1 1\n# state 1 1 not-a-hash\n")
expect(${HEADLESS} 2 "^$" "bad.txt: line 2: " --check ${WORK}/bad.txt)
