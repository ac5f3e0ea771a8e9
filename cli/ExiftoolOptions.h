// exiftool's reading options, taken from the command line before the tool's
// own options are parsed, so that getopt never reads one of them as a run of
// the tool's short options (-fast as -f -a -s -t "..."). Those with a meaning
// here set it; those that change nothing here (-a, -fast, -S, ...) are
// accepted and dropped; -TAG and -GROUP:TAG become tag selections. What is
// left, the tool's own options and the files, goes on to getopt unchanged:
// an option neither knows (exiftool's -ee) stays an unknown option.
#pragma once

#include <string>
#include <vector>

#include "cli/Options.h"

namespace cli {

// Reads "-@ FILE" arguments in place: each line of FILE (standard input for
// "-") one argument, blanks around it trimmed, empty lines and lines that
// start with "#" skipped. Empty on success, else the reason.
std::string ExpandArgumentFiles(std::vector<std::string> &args);

// Takes exiftool's options out of `args` (args[0] the program) up to "--",
// into `o`. Empty on success, else the reason for a usage error.
std::string TakeExiftoolOptions(std::vector<std::string> &args, Options &o);

}  // namespace cli
