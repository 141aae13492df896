# Runs the example host quorb-eval (PROGRAM) on standard input and checks
# what it writes where. Run with `cmake -P`; WORK_DIR is a scratch folder,
# EMULATOR the command that runs the build's programs, if any. Line ends
# are compared as "\n" whatever the platform writes.
cmake_minimum_required(VERSION 3.20)

# Feeds `input` to the host; checks its standard output, that its standard
# error matches `error_pattern` (empty: is empty) and its exit status.
function(expect_host what input expected_output error_pattern expected_status)
  file(WRITE ${WORK_DIR}/input.txt "${input}")
  separate_arguments(emulator UNIX_COMMAND "${EMULATOR}")
  execute_process(COMMAND ${emulator} ${PROGRAM} INPUT_FILE ${WORK_DIR}/input.txt
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
  string(REPLACE "\r\n" "\n" out "${out}")
  string(REPLACE "\r\n" "\n" err "${err}")
  if(NOT out STREQUAL expected_output)
    message(FATAL_ERROR "${what}: standard output is \"${out}\", not \"${expected_output}\"")
  endif()
  if(error_pattern STREQUAL "" AND NOT err STREQUAL "")
    message(FATAL_ERROR "${what}: unexpected standard error \"${err}\"")
  elseif(NOT err MATCHES "${error_pattern}")
    message(FATAL_ERROR "${what}: standard error \"${err}\" does not match \"${error_pattern}\"")
  endif()
  if(NOT status STREQUAL expected_status)
    message(FATAL_ERROR "${what}: exit status ${status}, not ${expected_status}")
  endif()
endfunction()

file(MAKE_DIRECTORY ${WORK_DIR})

# 40000 terms on one line, far past any fixed line buffer: one result.
string(REPEAT "1+" 39999 terms)
expect_host("a long line" "${terms}1\n" "40000\n" "" 0)

# Doubles print in full; a text result prints as text; a last line without
# a line break is read; blank lines are skipped.
expect_host("results" "1/3\n\n'ab'\r\n2^0.5" "0.33333333333333331\nab\n1.4142135623730951\n" "" 0)

# An error goes to standard error, the other lines still run, and the exit
# status reports the failure: at parse time and at evaluation time.
expect_host("an undefined name" "1+1\nno_such_name\n2*3\n" "2\n6\n" "^error: Undefined identifier\n$" 1)
expect_host("a division by zero" "1/0\n" "" "^error: Division by 0\n$" 1)
