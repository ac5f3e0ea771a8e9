// The command line of exifinfo: GNU-style options (getopt_long), "--" ends
// them, values after "=" or as the next argument; exiftool's reading options
// in its own single-dash spelling too (see ExiftoolOptions.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cli {

// Text: the export's lines; Table: exiftool's -T, a line a file, the
// selected values tab-separated; Print: exiftool's -p, the formats' lines
// with the tags' values put in.
enum class OutputFormat { Text, Json, Csv, Table, Print };

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
    std::vector<std::string> Files;              // UTF-8
    bool Table = false;                          // -T
    bool UnknownTags = false;                    // -u: the EXIF tags no table names, as Tag0x....
    std::string DateFormat;                      // -d FMT: strftime's format for dates, else as stored
    std::vector<std::string> PrintFormats;       // -p: each a format's text
    std::vector<std::string> Extensions;         // -ext: only these in folders (without the dot)
    std::vector<std::string> SkippedExtensions;  // --ext: not these in folders
    std::string Condition;                       // -if EXPR (see Condition.h)
};

// What the command line asks for: a run, an answer already printed (--help,
// --version), or a usage error already reported.
enum class Request { Run, Done, UsageError };

Request ParseOptions(int argc, char **argv, Options &options, std::string &out, std::string &err);

}  // namespace cli
