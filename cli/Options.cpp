#include "cli/Options.h"

#include <getopt.h>

#include <deque>
#include <optional>
#include <string_view>

#include "cli/ExiftoolOptions.h"
#include "cli/TextCodec.h"
#include "exif/TextFormat.h"

#ifndef EXIFVIEW_VERSION
#define EXIFVIEW_VERSION "unknown"
#endif

namespace cli {

namespace {

constexpr const char *Usage =
    "usage: exifinfo [OPTION]... FILE...\n"
    "Prints the EXIF, IPTC and XMP information of image files as name=value lines,\n"
    "as the plug-in's dialog shows and exports them. A file's kind is told by its\n"
    "first bytes, whatever its name: JPEG; TIFF and the raws built on it (DNG, NEF,\n"
    "CR2, ARW, ORF, Panasonic RW2/RWL); HEIF/HEIC, AVIF, Canon CR3 and JPEG XL;\n"
    "PNG, WebP, Photoshop PSD/PSB and Fujifilm RAF.\n"
    "\n"
    "  -j, --json            one JSON array with an object per file\n"
    "  -c, --csv             CSV: a header row, then one row per file\n"
    "  -t, --tag=NAME        only the rows named NAME (repeatable, case-insensitive;\n"
    "                        a JSON key such as MakerNote:WhiteBalance also works)\n"
    "  -n, --numeric         numbers instead of display text: a value's components\n"
    "                        as stored (rationals as decimals, codes as their\n"
    "                        number; JSON numbers in JSON); text stays text,\n"
    "                        XP texts too\n"
    "  -G, --groups          keys carry their group: IFD0:Make, ExifIFD:FNumber,\n"
    "                        GPS:..., IFD1:..., Canon:..., IPTC:..., XMP-dc:...\n"
    "  --names=STYLE         JSON and CSV keys: exiftool (the default) names rows as\n"
    "                        exiftool -G1 does (ISO, CreateDate, IPTC:By-line,\n"
    "                        XMP-dc:Subject, System:FileSize); dialog as the\n"
    "                        dialog and the text output do (ISOSpeedRatings)\n"
    "  -r, --recursive       read the image files in folders, sorted by name;\n"
    "                        hidden files are skipped, symbolic links to folders\n"
    "                        are not followed\n"
    "  -s, --size=WxH        image width and height for the ImageWidth and\n"
    "                        ImageHeight rows, both at least 1 (default: the JPEG\n"
    "                        frame header, a HEIF's primary image, a raw's main\n"
    "                        image, else the dimensions recorded in the file)\n"
    "  -e PATH, --export=PATH\n"
    "                        write the plug-in's export file for one FILE to PATH,\n"
    "                        byte for byte (Windows-1252, CR LF); only onto a new\n"
    "                        name or a regular file (a link is followed), never\n"
    "                        onto an input\n"
    "  --thumbnail=PATH      write the JPEG thumbnail (IFD1) of one FILE to PATH,\n"
    "                        - for standard output (as --export writes its file)\n"
    "  -l, --listing         print the reader's directory and maker-note listings\n"
    "  --decimal=SEP         decimal separator of numbers: one character, C for \".\"\n"
    "                        (the default) or locale for the locale's (LC_NUMERIC);\n"
    "                        -d SEP also, when SEP is no date format\n"
    "  -V, --version         print the version and exit\n"
    "  -h, --help            print this help and exit\n"
    "  --                    end of options (for a file named -x.jpg)\n"
    "A FILE named - is standard input. exiftool's -json, -csv and -ver work too.\n"
    "-e takes its PATH only as the next argument (-ePATH and exiftool's -ee are\n"
    "unknown options); -t, -s and -d also take a value written right after them.\n"
    "\n"
    "exiftool's reading options (see the manual page):\n"
    "  -TAG, -GROUP:TAG      only these tags; * and ? wildcards, GROUP:all\n"
    "  -T                    a table: a line a file, the tags' values tab-separated\n"
    "  -p FMT                FMT with $TAG or ${GROUP:TAG} replaced (or FMT's file)\n"
    "  -d FMT                dates written with strftime's FMT (%f fractions)\n"
    "  -if EXPR              only files where $TAG OP VALUE holds (== != < <= > >=\n"
    "                        eq ne, =~ /RE/), joined with and, or, not\n"
    "  -ext EXT, --ext EXT   with -r, only (or not) files with extension EXT\n"
    "  -@ ARGFILE            arguments one a line from ARGFILE (- for stdin)\n"
    "  -u                    also tags no table names (Tag0x...)\n"
    "  -G1 as -G; -a, -s, -S, -fast, -fast2 are accepted and change nothing\n"
    "\n"
    "With several XMP packets in a file, a later packet's property replaces an\n"
    "earlier one's of the same name.\n"
    "\n"
    "Exit status: 0 every file read with metadata; 1 a file could not be read (or\n"
    "output could not be written); 2 usage error; 3 a file was read but holds no\n"
    "EXIF, IPTC or XMP data (each such file is named on standard error, and\n"
    "nothing is printed for it).\n"
    "\n"
    "examples:\n"
    "  exifinfo photo.jpg\n"
    "  exifinfo -t Model -t DateTimeOriginal *.jpg\n"
    "  exifinfo --json -r ~/Pictures > pictures.json\n"
    "  exifinfo --export=photo.txt photo.jpg\n";

// Options without a short form.
constexpr int ThumbnailOption = 0x100;
constexpr int NamesOption = 0x101;

// The leading ":" tells a missing value from an unknown option.
constexpr const char *ShortOptions = ":jct:nGrs:e:ld:Vh";

constexpr option LongOptions[] = {
    {"json", no_argument, nullptr, 'j'},
    {"csv", no_argument, nullptr, 'c'},
    {"tag", required_argument, nullptr, 't'},
    {"numeric", no_argument, nullptr, 'n'},
    {"groups", no_argument, nullptr, 'G'},
    {"recursive", no_argument, nullptr, 'r'},
    {"size", required_argument, nullptr, 's'},
    {"export", required_argument, nullptr, 'e'},
    {"listing", no_argument, nullptr, 'l'},
    {"thumbnail", required_argument, nullptr, ThumbnailOption},
    {"names", required_argument, nullptr, NamesOption},
    {"decimal", required_argument, nullptr, 'd'},
    {"version", no_argument, nullptr, 'V'},
    {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};

// Digits only, no sign or spaces, at least 1.
std::optional<int32_t> PositiveDimension(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    const auto value = exif::ParseDecimal(text);
    if (!value || *value < 1) return std::nullopt;
    return value;
}

bool ParseSize(std::string_view text, Options &o) {
    const size_t x = text.find_first_of("xX");
    if (x == std::string_view::npos) return false;
    const auto width = PositiveDimension(text.substr(0, x));
    const auto height = PositiveDimension(text.substr(x + 1));
    if (!width || !height) return false;
    o.HasSize = true;
    o.Width = *width;
    o.Height = *height;
    return true;
}

// One visible ASCII character other than a digit, or the names C and locale.
bool ParseDecimal(std::string_view text, Options &o) {
    if (text == "C" || text == "locale") {
        o.Decimal = '.';
        o.DecimalFromLocale = text == "locale";
        return true;
    }
    if (text.size() != 1 || text[0] <= ' ' || text[0] >= 0x7F || (text[0] >= '0' && text[0] <= '9')) return false;
    o.Decimal = text[0];
    o.DecimalFromLocale = false;
    return true;
}

// Combinations that have no meaning; empty when the options fit together.
std::string Conflict(const Options &o) {
    if (o.Files.empty()) return "no FILE given";
    if (!o.ExportPath.empty()) {
        if (o.Files.size() != 1) return "--export takes exactly one FILE";
        if (o.Recursive || o.Listing || o.Format != OutputFormat::Text || !o.Tags.empty())
            return "--export writes the whole export; it takes no other output option";
    }
    if (!o.ThumbnailPath.empty()) {
        if (o.Files.size() != 1) return "--thumbnail takes exactly one FILE";
        if (!o.ExportPath.empty() || o.Recursive || o.Listing || o.Format != OutputFormat::Text || !o.Tags.empty())
            return "--thumbnail writes the thumbnail only; it takes no other output option";
    }
    if ((!o.ExportPath.empty() || !o.ThumbnailPath.empty()) && (!o.DateFormat.empty() || !o.Condition.empty()))
        return "-d and -if change what is printed; --export and --thumbnail write the file's own";
    if (o.Listing && (o.Format != OutputFormat::Text || !o.Tags.empty()))
        return "--listing prints the listings as text only";
    return {};
}

Request UsageError(std::string &err, const std::string &message) {
    err += "exifinfo: " + message + "\n";
    err += "Try 'exifinfo --help' for more information.\n";
    return Request::UsageError;
}

// getopt's own messages would echo the argument raw, control characters and
// all: these name it escaped. `argument` is the one getopt stopped at.
std::string OptionError(int c, const char *argument) {
    const std::string shown = EscapeUtf8Controls(argument ? argument : "");
    if (c == ':') return "option '" + shown + "' wants a value";
    const bool unknownShort = optopt != 0 && std::string_view(ShortOptions).find(static_cast<char>(optopt)) ==
                                                 std::string_view::npos;
    if (unknownShort) return "unknown option '-" + EscapeUtf8Controls(std::string(1, static_cast<char>(optopt))) + "'";
    return "unknown, ambiguous or misused option '" + shown + "'";
}

// True when getopt took an option's value from the argument that named the
// option ("-ePATH", "-nePATH"), not from the next one or a long option's "=".
bool ValueAttachedToShortOption(const char *argument, const char *value) {
    return value != nullptr && value != argument && !std::string_view(argument).starts_with("--");
}

}  // namespace

// exiftool's single-dash spellings of options this tool has, taken as the
// tool's own (getopt would read "-json" as -j -s "on").
struct TExiftoolSpelling {
    std::string_view Exiftool;
    std::string_view Own;
};
constexpr TExiftoolSpelling ExiftoolSpellings[] = {
    {"-json", "--json"},
    {"-csv", "--csv"},
    {"-ver", "--version"},
};

Request ParseOptions(int argc, char **argv, Options &o, std::string &out, std::string &err) {
    // getopt's own messages start with argv[0]: the tool's name, not its path.
    std::vector<std::string> given(argv, argv + argc);
    if (!given.empty()) given[0] = "exifinfo";
    std::string problem = ExpandArgumentFiles(given);
    if (problem.empty()) problem = TakeExiftoolOptions(given, o);
    if (!problem.empty()) return UsageError(err, EscapeUtf8Controls(problem));
    for (size_t i = 1; i < given.size() && given[i] != "--"; ++i)
        for (const TExiftoolSpelling &spelling : ExiftoolSpellings)
            if (spelling.Exiftool == given[i]) given[i] = spelling.Own;
    std::vector<char *> args;
    for (std::string &arg : given) args.push_back(arg.data());
    args.push_back(nullptr);
    argc = static_cast<int>(given.size());
    optind = 0;  // a full reset, so that a second parse starts afresh
    opterr = 0;
    bool formatGiven = false;
    for (;;) {
        const int c = getopt_long(argc, args.data(), ShortOptions, LongOptions, nullptr);
        if (c == -1) break;
        const std::string value = optarg ? optarg : "";
        switch (c) {
            case 'j':
            case 'c': {
                const OutputFormat format = c == 'j' ? OutputFormat::Json : OutputFormat::Csv;
                if (formatGiven && o.Format != format) return UsageError(err, "--json and --csv exclude each other");
                o.Format = format;
                formatGiven = true;
                break;
            }
            case 't':
                if (value.empty()) return UsageError(err, "--tag wants a name");
                o.Tags.push_back(value);
                break;
            case 'n':
                o.Numeric = true;
                break;
            case 'G':
                o.Groups = true;
                break;
            case 'r':
                o.Recursive = true;
                break;
            case 's':
                if (!ParseSize(value, o))
                    return UsageError(err, "--size wants WxH with both at least 1, for example 640x480");
                break;
            case 'e':
                // A value stuck to -e (-ePATH) is refused: exiftool's -ee
                // would otherwise write an export file named "e".
                if (ValueAttachedToShortOption(args[static_cast<size_t>(optind - 1)], optarg))
                    return UsageError(err, "unknown option '" + EscapeUtf8Controls(args[static_cast<size_t>(optind - 1)]) +
                                               "' (-e takes its file name as the next argument: -e PATH, or --export=PATH)");
                if (value.empty()) return UsageError(err, "--export wants a file name");
                o.ExportPath = value;
                break;
            case 'l':
                o.Listing = true;
                break;
            case ThumbnailOption:
                if (value.empty()) return UsageError(err, "--thumbnail wants a file name, or - for standard output");
                o.ThumbnailPath = value;
                break;
            case NamesOption:
                if (value != "exiftool" && value != "dialog")
                    return UsageError(err, "--names wants exiftool or dialog");
                o.DialogNames = value == "dialog";
                break;
            case 'd':
                if (!ParseDecimal(value, o))
                    return UsageError(err, "--decimal wants one visible character other than a digit, C or locale");
                break;
            case 'V':
                out += "exifinfo (ExifView) " EXIFVIEW_VERSION "\n";
                return Request::Done;
            case 'h':
                out += Usage;
                return Request::Done;
            default:
                return UsageError(err, OptionError(c, optind > 0 && optind <= argc ? args[static_cast<size_t>(optind - 1)] : nullptr));
        }
    }
    for (int i = optind; i < argc; ++i) o.Files.emplace_back(args[static_cast<size_t>(i)]);
    if (o.Table || !o.PrintFormats.empty()) {
        if (formatGiven || (o.Table && !o.PrintFormats.empty()))
            return UsageError(err, "-T, -p, --json and --csv exclude each other");
        o.Format = o.Table ? OutputFormat::Table : OutputFormat::Print;
    }
    const std::string conflict = Conflict(o);
    if (!conflict.empty()) return UsageError(err, conflict);
    return Request::Run;
}

}  // namespace cli
