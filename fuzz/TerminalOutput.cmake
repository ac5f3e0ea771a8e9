# Runs exifinfo on one file (with ARGS before it) and checks its terminal output:
#   -DEXIFINFO=... -DFILE=... [-DARGS=--listing] [-DMUST_CONTAIN=text;text] [-DNO_CONTROLS=ON]
# NO_CONTROLS: no control character but tab and line feed may reach the
# terminal (an escape sequence in a file must not act on it).
execute_process(COMMAND ${EXIFINFO} ${ARGS} ${FILE} OUTPUT_VARIABLE out RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "exifinfo exited with ${status}")
endif()
foreach(text ${MUST_CONTAIN})
  string(FIND "${out}" "${text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "missing from the output: ${text}\n${out}")
  endif()
endforeach()
if(NO_CONTROLS)
  string(ASCII 1 2 3 4 5 6 7 8 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31 127 controls)
  string(REGEX MATCH "[${controls}]" found "${out}")
  if(found)
    message(FATAL_ERROR "a control character reaches the terminal")
  endif()
endif()
