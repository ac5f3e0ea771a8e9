// The command line of exifinfo: GNU-style options (getopt_long), "--" ends
// them, values after "=" or as the next argument.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cli {

enum class OutputFormat { Text, Json, Csv };

struct Options {
    bool HasSize = false;  // --size given; else the file decides
    int32_t Width = 0;
    int32_t Height = 0;
    std::string ExportPath;
    std::string ThumbnailPath;  // --thumbnail: a file, or "-" for standard output
    bool Listing = false;
    bool Recursive = false;
    bool Numeric = false;  // values as numbers (-n)
    bool Groups = false;   // keys as Group:Name (-G)
    // JSON and CSV keys as the dialog names the rows (--names=dialog), not
    // as exiftool does.
    bool DialogNames = false;
    OutputFormat Format = OutputFormat::Text;
    std::vector<std::string> Tags;  // UTF-8 as typed
    char Decimal = '.';
    bool DecimalFromLocale = false;
    std::vector<std::string> Files;  // UTF-8
};

// What the command line asks for: a run, an answer already printed (--help,
// --version), or a usage error already reported.
enum class Request { Run, Done, UsageError };

Request ParseOptions(int argc, char **argv, Options &options, std::string &out, std::string &err);

}  // namespace cli
