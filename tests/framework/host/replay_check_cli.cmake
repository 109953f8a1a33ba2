# Runs replay-check on recordings it must refuse, hand-edited or not files at all: each is said
# with its line (or its reason) and status 2, never a crash. Called by CTest with CHECK and WORK.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/a-directory)
file(WRITE ${WORK}/trace.jsonl "{\"backend\":\"headless\",\"real_time\":0,\"has_display\":0}\n")
function(expect_refused name text expected)
  file(WRITE ${WORK}/${name}.txt "1 move 10 20\n${text}")
  execute_process(COMMAND ${CHECK} ${WORK}/${name}.txt ${WORK}/trace.jsonl RESULT_VARIABLE rc ERROR_VARIABLE err)
  string(LENGTH "${err}" length)
  if(NOT rc EQUAL 2 OR NOT err MATCHES "${expected}" OR length GREATER 300)
    message(FATAL_ERROR "${name}: expected status 2 and '${expected}', got ${rc}: ${err}")
  endif()
endfunction()
expect_refused(note "# state machine notes\n" "line 2: '# state machine notes' is not")
expect_refused(long-hash "# state 1 2 123456789abcdef0123\n" "line 2: .* is not '# state FRAME SCENE HASH \\[PICTURE\\]'")
expect_refused(no-hash "# state 3 1\n" "line 2: ")
expect_refused(past-limit "# state 100000001 1 ab\n" "line 2: ")
expect_refused(words-after "# state 4 1 ab cd ef\n" "line 2: ")
expect_refused(bad-end "# state 4 1 ab\n# end after frame x: scene 1 ,\"score\":0\n" "line 3: .* is not '# end after frame N")
expect_refused(two-ends "# end after frame 4: scene 1 ,\"score\":0\n# end after frame 5: scene 1 ,\"score\":0\n"
  "line 3: a second end")
string(REPEAT "f" 100000 many)
expect_refused(long-line "# state 1 1 ${many}\n" "line 2: .*\\.\\.\\.' is not")

execute_process(COMMAND ${CHECK} ${WORK}/a-directory ${WORK}/trace.jsonl RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 2 OR NOT err MATCHES "cannot read '.*a-directory': Is a directory")
  message(FATAL_ERROR "a directory as the recording: status ${rc}: ${err}")
endif()
file(WRITE ${WORK}/good.txt "1 move 10 20\n# state 1 2 00000000000000ff\n# end after frame 1: scene 2 ,\"score\":0\n")
execute_process(COMMAND ${CHECK} ${WORK}/good.txt ${WORK}/a-directory RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 2 OR NOT err MATCHES "cannot read the trace")
  message(FATAL_ERROR "a directory as the trace: status ${rc}: ${err}")
endif()

# A replay is checked only where both sides hold what is compared: a trace that stops before the
# recording's end, an end that names no fields and a trace line without its fields are refused;
# CRLF recordings read like LF ones.
function(expect_check name recording trace status expected)
  file(WRITE ${WORK}/${name}.txt "${recording}")
  file(WRITE ${WORK}/${name}.jsonl "{\"backend\":\"headless\",\"real_time\":0,\"has_display\":0}\n${trace}")
  execute_process(COMMAND ${CHECK} ${WORK}/${name}.txt ${WORK}/${name}.jsonl RESULT_VARIABLE rc
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL ${status} OR NOT "${out}${err}" MATCHES "${expected}")
    message(SEND_ERROR "${name}: expected status ${status} and '${expected}', got ${rc}: ${out}${err}")
  endif()
endfunction()
set(frame1 "{\"frame\":1,\"tick\":16,\"ran\":1,\"scene\":2,\"midi\":{\"playing\":0},\"score\":0,\"quit\":0}\n")
set(frame2 "{\"frame\":2,\"tick\":33,\"ran\":1,\"scene\":2,\"midi\":{\"playing\":0},\"score\":0,\"quit\":0}\n")
set(ends-at-2 "# state 1 2 8510819de4f171dd\n# end after frame 2: scene 2 ,\"score\":0\n")
expect_check(agrees "${ends-at-2}" "${frame1}${frame2}" 0 "2 frames compared, 0 differ")
expect_check(crlf "1 move 10 20\r\n# state 1 2 8510819de4f171dd\r\n# end after frame 2: scene 2 ,\"score\":0\r\n"
  "${frame1}${frame2}" 0 "2 frames compared, 0 differ")
expect_check(short-trace "# state 1 2 8510819de4f171dd\n# end after frame 1000: scene 2 ,\"score\":0\n"
  "${frame1}" 1 "the trace ends at frame 1, before the recording's end after frame 1000")
expect_check(empty-trace "# state 1 2 8510819de4f171dd\n# end after frame 1: scene 2\n" "" 2
  "the recording's end names no fields")
expect_check(no-fields "${ends-at-2}" "${frame1}{\"frame\":2,\"ran\":1}\n" 2
  "trace line 3: no 'scene' field")
expect_check(no-program-fields "${ends-at-2}" "${frame1}{\"frame\":2,\"ran\":1,\"scene\":2}\n" 2
  "trace line 3: no program fields")
expect_check(two-states "# state 1 2 8510819de4f171dd\n# state 1 3 8510819de4f171dd\n" "${frame1}" 2
  "line 2: a second state for frame 1 \\(the first on line 1\\)")
