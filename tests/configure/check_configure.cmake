# Configures the project in WORK as a user without a test reference would.
# Each row ("|" between its fields, "," between options) names the options,
# whether the configuration must succeed, and the words its message must
# hold when it fails.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/empty)
set(no_python -DCMAKE_DISABLE_FIND_PACKAGE_Python3=ON)
set(no_swe "-DSWE_INCLUDE_DIR=${WORK}/empty,-DSWE_LIBRARY=${WORK}/empty/libswe.so")
set(rows
  "tests without Python|-DLUMTAR_BUILD_TESTS=ON,${no_python}|fails|The tests need Python 3"
  "tests without the Swiss Ephemeris|-DLUMTAR_BUILD_TESTS=ON,${no_swe}|fails|The tests need the Swiss Ephemeris"
  "no tests and neither of them|-DLUMTAR_BUILD_TESTS=OFF,-DLUMTAR_BUILD_BENCH=OFF,${no_python},${no_swe}|succeeds|-")
set(failed FALSE)
set(n 0)
foreach(row IN LISTS rows)
  string(REPLACE "|" ";" fields "${row}")
  list(GET fields 0 name)
  list(GET fields 1 options)
  list(GET fields 2 expected)
  list(GET fields 3 words)
  string(REPLACE "," ";" options "${options}")
  math(EXPR n "${n} + 1")
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK}/build${n} -G ${GENERATOR} ${options}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  # The message as printed, its lines joined.
  string(REGEX REPLACE "[ \n]+" " " text "${out} ${err}")
  if(expected STREQUAL "succeeds" AND NOT status EQUAL 0)
    message(SEND_ERROR "${name}: the configuration failed: ${err}")
    set(failed TRUE)
  elseif(expected STREQUAL "fails" AND status EQUAL 0)
    message(SEND_ERROR "${name}: the configuration went through")
    set(failed TRUE)
  elseif(expected STREQUAL "fails" AND NOT text MATCHES "${words}")
    message(SEND_ERROR "${name}: the message does not say '${words}': ${err}")
    set(failed TRUE)
  else()
    message(STATUS "${name}: ${expected}")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK})
if(failed)
  message(FATAL_ERROR "configuration checks failed")
endif()
