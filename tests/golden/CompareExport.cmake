# Runs exifinfo --export on SAMPLE and compares the bytes with EXPECTED. A
# sample without metadata (status 3) still has its export written.
execute_process(COMMAND ${EXIFINFO} --decimal . --size 640x480 --export ${OUTPUT} ${SAMPLE}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0 AND NOT status EQUAL 3)
  message(FATAL_ERROR "exifinfo failed on ${SAMPLE}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT} ${EXPECTED} RESULT_VARIABLE differs)
if(differs)
  message(FATAL_ERROR "export of ${SAMPLE} differs from ${EXPECTED}; compare ${OUTPUT}")
endif()
