# The sanitizer reports of a test run, written by every process under LOGS.
#   STEP=clear    empties LOGS before the tests run
#   STEP=reports  prints every report and fails when there is one
if(STEP STREQUAL "clear")
  file(REMOVE_RECURSE "${LOGS}")
  file(MAKE_DIRECTORY "${LOGS}")
  return()
endif()
file(GLOB reports "${LOGS}/*")
if(NOT reports)
  message(STATUS "no sanitizer reports")
  return()
endif()
foreach(r ${reports})
  file(READ "${r}" text)
  message("==== ${r}\n${text}")
endforeach()
list(LENGTH reports n)
message(FATAL_ERROR "${n} sanitizer report(s), see above")
