# Runs the same exifinfo command lines with the native build and, under
# wine, with exifinfo.exe, in a folder of the samples (one copied under a
# UTF-8 name, one without extension), and compares status and output.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/photos)
file(GLOB samples ${SAMPLES}/*.jpg ${SAMPLES}/*.jpeg ${SAMPLES}/*.tiff)
file(COPY ${samples} DESTINATION ${WORK}/photos)
file(COPY_FILE ${SAMPLES}/Canon_40D.jpg "${WORK}/photos/café été.jpg")
file(COPY_FILE ${SAMPLES}/DSCN0010.jpg ${WORK}/photos/noextension)

function(compare name)
  # wine turns the arguments into UTF-16 from the locale's encoding.
  execute_process(COMMAND ${NATIVE_EXIFINFO} ${ARGN} WORKING_DIRECTORY ${WORK}
                  RESULT_VARIABLE native_status OUTPUT_VARIABLE native_out ERROR_QUIET)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8 ${WINE} ${WINDOWS_EXIFINFO} ${ARGN}
                  WORKING_DIRECTORY ${WORK} RESULT_VARIABLE windows_status OUTPUT_VARIABLE windows_out ERROR_QUIET)
  if(NOT "${native_status}" STREQUAL "${windows_status}")
    message(SEND_ERROR "${name}: status ${windows_status} under wine, ${native_status} natively")
  endif()
  if(NOT "${native_out}" STREQUAL "${windows_out}")
    file(WRITE ${WORK}/${name}.native "${native_out}")
    file(WRITE ${WORK}/${name}.windows "${windows_out}")
    message(SEND_ERROR "${name}: output differs; compare ${WORK}/${name}.native and .windows")
  endif()
endfunction()

compare(text --size 640x480 -r photos)
compare(json --json -r photos)
compare(csv --csv -r photos)
compare(tags -t Model -t FileName "photos/café été.jpg" photos/noextension)
compare(decimal --decimal=, -t FileSize photos/Canon_40D.jpg)

# The export files themselves, written by each build.
execute_process(COMMAND ${NATIVE_EXIFINFO} --export native.txt "photos/café été.jpg" WORKING_DIRECTORY ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8 ${WINE} ${WINDOWS_EXIFINFO} --export windows.txt
                        "photos/café été.jpg" WORKING_DIRECTORY ${WORK} OUTPUT_QUIET ERROR_QUIET)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/native.txt ${WORK}/windows.txt RESULT_VARIABLE differs)
if(differs)
  message(SEND_ERROR "the export files differ: ${WORK}/native.txt and ${WORK}/windows.txt")
endif()
file(READ ${WORK}/windows.txt export HEX)
string(FIND "${export}" "46696c654e616d653d636166e920e974e92e6a70670d0a" at)  # FileName=caf\xE9 \xE9t\xE9.jpg CR LF
if(at EQUAL -1)
  message(SEND_ERROR "the export's FileName row is not the name in Windows-1252")
endif()
