# Runs qxhost on one case and compares what it prints with the expected
# output. Ports and trace timestamps vary from run to run and are replaced.
#   -DQXHOST=... -DCASE=<dir>/<name> -DMODE=script|stdin|c [-DARGS=...] [-DUPDATE=1]
set(args ${ARGS})
separate_arguments(args)
if(MODE STREQUAL "script")
  execute_process(COMMAND ${QXHOST} ${args} --script ${CASE}.qx
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc TIMEOUT 60)
elseif(MODE STREQUAL "stdin")
  execute_process(COMMAND ${QXHOST} ${args} INPUT_FILE ${CASE}.qx
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc TIMEOUT 60)
else()
  file(READ ${CASE}.qx commands)
  string(REPLACE "\n" ";" commands "${commands}")
  execute_process(COMMAND ${QXHOST} ${args} -c "${commands}"
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc TIMEOUT 60)
endif()
set(actual "${out}${err}exit ${rc}\n")
string(REGEX REPLACE "127\\.0\\.0\\.1:[0-9]+" "127.0.0.1:PORT" actual "${actual}")
string(REGEX REPLACE "\\[ *[0-9]+\\.[0-9]+\\] " "" actual "${actual}")
if(UPDATE)
  file(WRITE ${CASE}.expected "${actual}")
  return()
endif()
file(READ ${CASE}.expected expected)
if(NOT actual STREQUAL expected)
  file(WRITE ${CASE}.actual "${actual}")
  message(FATAL_ERROR "qxhost output differs from ${CASE}.expected (written to ${CASE}.actual):\n${actual}")
endif()
