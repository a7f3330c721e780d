# Runs qxhost on one case and compares what it prints (standard output and
# error, in the order printed) with the expected output. Ports and trace
# timestamps vary from run to run and are replaced. HOME is a fresh
# directory, so no history file of the user's is read or written.
#   -DQXHOST=... -DCASE=<dir>/<name> -DMODE=script|stdin|c [-DARGS=...] [-DUPDATE=1]
set(args ${ARGS})
separate_arguments(args)
get_filename_component(dir ${CASE} DIRECTORY)
get_filename_component(name ${CASE} NAME)
string(RANDOM LENGTH 8 tag)
set(home $ENV{TMPDIR})
if(NOT home)
  set(home /tmp)
endif()
set(home ${home}/qxhost-home-${tag})
file(MAKE_DIRECTORY ${home})
set(run ${CMAKE_COMMAND} -E env HOME=${home} ${QXHOST} ${args})
if(MODE STREQUAL "script")
  execute_process(COMMAND ${run} --script ${name}.qx WORKING_DIRECTORY ${dir}
                  OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE rc TIMEOUT 60)
elseif(MODE STREQUAL "stdin")
  execute_process(COMMAND ${run} INPUT_FILE ${CASE}.qx WORKING_DIRECTORY ${dir}
                  OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE rc TIMEOUT 60)
else()
  file(READ ${CASE}.qx commands)
  string(REGEX REPLACE "\n$" "" commands "${commands}")
  string(REPLACE "\n" ";" commands "${commands}")
  execute_process(COMMAND ${run} -c "${commands}" WORKING_DIRECTORY ${dir}
                  OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE rc TIMEOUT 60)
endif()
file(REMOVE_RECURSE ${home})
set(actual "${out}exit ${rc}\n")
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
