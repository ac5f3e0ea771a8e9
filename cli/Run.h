// One run of exifinfo over its files, after the options are parsed.
#pragma once

#include "cli/Options.h"

namespace cli {

// Exit statuses, worst last: a run ends with the worst status any file gave.
enum ExitStatus : int {
    ExitOk = 0,
    ExitNoMetadata = 3,  // read, but no EXIF and no IPTC data
    ExitUnreadable = 1,  // a FILE could not be read, or output failed
    ExitUsage = 2,
};

int Run(const Options &options);

}  // namespace cli
