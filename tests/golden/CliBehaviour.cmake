# exifinfo's command-line contract: exit statuses, error lines, several files.
function(run_exifinfo out_status out_stdout out_stderr)
  execute_process(COMMAND ${EXIFINFO} ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr)
  set(${out_status} ${status} PARENT_SCOPE)
  set(${out_stdout} "${stdout}" PARENT_SCOPE)
  set(${out_stderr} "${stderr}" PARENT_SCOPE)
endfunction()

function(expect_equal actual expected message)
  if(NOT "${actual}" STREQUAL "${expected}")
    message(FATAL_ERROR "${message}: got ${actual}")
  endif()
endfunction()

function(expect_found haystack needle message)
  string(FIND "${haystack}" "${needle}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${message}: ${haystack}")
  endif()
endfunction()

set(sample ${SAMPLES}/Canon_40D.jpg)

run_exifinfo(status stdout stderr)
expect_equal("${status}" 2 "no FILE must be a usage error (2)")

run_exifinfo(status stdout stderr --size 640 ${sample})
expect_equal("${status}" 2 "a size without x must be a usage error (2)")

run_exifinfo(status stdout stderr --frobnicate ${sample})
expect_equal("${status}" 2 "an unknown option must be a usage error (2)")

run_exifinfo(status stdout stderr --help)
expect_equal("${status}" 0 "--help must succeed")
expect_found("${stdout}" "--export=PATH" "--help must describe --export")

# A missing file is named on stderr; the other file is still printed.
run_exifinfo(status stdout stderr --size 640x480 ${SAMPLES}/no-such-file.jpg ${sample})
expect_equal("${status}" 1 "a missing FILE must give status 1")
expect_found("${stderr}" "no-such-file.jpg" "the error line must name the missing file")
expect_found("${stdout}" "== ${sample} ==\nEXIF\nFileName=Canon_40D.jpg\n" "the readable file must still be printed under its header")
string(FIND "${stdout}" "\r" at)
expect_equal("${at}" -1 "terminal output must use LF line ends")

# A file without metadata prints nothing, and says why on stderr.
run_exifinfo(status stdout stderr ${SAMPLES}/SOURCE.txt)
expect_equal("${status}" 3 "a file without metadata must give status 3")
expect_equal("${stdout}" "" "a file without metadata prints nothing")
expect_found("${stderr}" "SOURCE.txt: not a kind of file any reader knows" "the note must name the file and the reason")

# The listing shows the walk's descriptions and values.
run_exifinfo(status stdout stderr --listing ${sample})
expect_found("${stdout}" "Exposure Time = 1/160 sec" "--listing must show the directory listing")

# Decimal separator chosen on the command line.
run_exifinfo(status stdout stderr --decimal , --size 1x1 ${sample})
expect_found("${stdout}" "FileSize=7,77 Kb\n" "--decimal , must give 7,77 Kb")
